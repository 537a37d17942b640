// The open-file dialog, run on the current back-end.
#pragma once

#include "framework/Backend.h"

class CFileDialog {
public:
    // The framework adds OFN_ENABLEHOOK, OFN_ENABLESIZING and OFN_EXPLORER to the flags.
    CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension = nullptr, LPCSTR fileName = nullptr,
                DWORD flags = 0, LPCSTR filter = nullptr);
    // IDOK when a file was chosen, IDCANCEL otherwise (also when the dialog failed).
    int DoModal();
    CString GetPathName() const { return m_request.chosenPath; }
    CString GetFileName() const { return m_request.chosenTitle; }  // name and extension only
    const OpenFileRequest& GetRequest() const { return m_request; }

private:
    OpenFileRequest m_request;
};
