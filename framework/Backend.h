// The user-interface back-end of a build: runs dialogs modally and provides the other windows
// the program shows (message boxes, the open-file dialog, help). One back-end is installed per
// process: Win32 in tarnwick.exe, FINAL CUT in the terminal program, an in-memory one in tests.
#pragma once

#include <cstdint>

#include "framework/String.h"

class CDialog;
class IDialogWindow;

// What the program asks of the open-file dialog, and what it answers.
struct OpenFileRequest {
    BOOL openMode = TRUE;  // open, not save
    CString defaultExtension;
    CString filter;        // empty: every file is listed
    CString initialFile;   // full path; the dialog opens in its folder with its name filled in
    DWORD flags = 0;       // OFN_* flags, the framework's own included
    CString chosenPath;    // on OK: the chosen file's full path
    CString chosenTitle;   // on OK: its name and extension without the folder
};

// A one-line help popup.
struct HelpPopup {
    CString text;
    CPoint position;  // screen position of the popup's top centre
    DWORD foreground = 0;
    DWORD background = 0;
    int marginLeft = 5, marginTop = 5, marginRight = 5, marginBottom = 5;
};

class IBackend {
public:
    virtual ~IBackend() = default;

    // Creates the dialog's window from its template, calls dialog.HandleInitDialog, runs until the
    // dialog ends, calls dialog.HandleDestroy and returns the result; -1 when it can't be created.
    virtual std::intptr_t RunModalDialog(CDialog& dialog, UINT templateId) = 0;
    // MB_* flags; returns IDOK or IDCANCEL.
    virtual int ShowMessageBox(LPCSTR text, LPCSTR caption, UINT type) = 0;
    virtual HICON LoadIconResource(int resourceId) = 0;
    // Runs the open-file dialog modally; TRUE when the user chose a file.
    virtual BOOL RunOpenFileDialog(OpenFileRequest& request) = 0;

    // Help. The help file opens at its default topic with no owner window.
    virtual void ShowHelpTopic(LPCSTR helpFile) = 0;
    virtual void ShowHelpPopup(IDialogWindow& owner, const HelpPopup& popup) = 0;
    // The help system's context menu for a window without a popup text.
    virtual void ShowHelpContextMenu(IDialogWindow& owner, int windowId, LPCSTR topicFile,
                                     const void* idMap) = 0;
    // The legacy help engine's quit command for the given help file; FALSE when it refuses.
    virtual BOOL QuitLegacyHelp(LPCSTR helpFile) = 0;
};

IBackend& Backend();
void SetBackend(IBackend* backend);
