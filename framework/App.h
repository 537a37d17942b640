// The application object and the framework's global helpers.
#pragma once

#include "framework/Dialog.h"
#include "framework/String.h"

// Where the application's profile (INI) values live; the platform layer provides it.
class IProfileStore {
public:
    virtual ~IProfileStore() = default;
    virtual UINT GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue,
                               LPCSTR profileFile) = 0;
    virtual BOOL WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value,
                                    LPCSTR profileFile) = 0;
};

class CWinApp : public CObject {
public:
    // Without a name, the title is taken from the executable's file name (SetExecutablePath).
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return FALSE; }

    // Called by the entry point: the title becomes the file name without folder and extension,
    // the profile file that title followed by ".INI", the help file the path with ".HLP", the
    // program folder the path up to its file name.
    void SetExecutablePath(LPCSTR path);
    void SetProfileStore(IProfileStore* store) { m_pProfileStore = store; }

    UINT GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue);
    BOOL WriteProfileInt(LPCSTR section, LPCSTR key, int value);
    HICON LoadIcon(int resourceId);

    CString m_strTitle;          // caption of every message box
    CString m_strProfileName;    // the profile file's name
    CString m_strHelpPath;       // the legacy help file: the executable's path with ".HLP"
    CString m_strProgramFolder;  // the executable's folder with its final separator, or empty
    CDialog* m_pMainWnd = nullptr;

private:
    IProfileStore* m_pProfileStore = nullptr;
    CWinApp* m_pPrevious;
};

// The application object most recently constructed and not yet destroyed.
CWinApp* AfxGetApp();
// Whether help is available: the application's main window handles the Help command (ID_HELP).
// Back-ends hide a dialog's Help button when it is not.
BOOL AfxHelpEnabled();
// A message box with the application title as caption; returns IDOK or IDCANCEL.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK);
