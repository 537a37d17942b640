// Context help of the editor dialog: the Help button opens the help file; F1 and a right-click
// show the named control's text from ControlHelpTable in a popup at the request's position, and a
// right-click on a control without one asks the help system for its topic in ctrlhlp.txt.
// ControlHelpTable and the topics are written from help/tarnwick-help.txt at build time.
#include "shell/ControlHelp.h"

#include "editor/BootEditDlg.h"
#include "framework/App.h"
#include "framework/Backend.h"
#include "res/resource.h"

const char kHelpFile[] = "vexalhelp.chm";
const char kHelpTopicFile[] = "vexalhelp.chm::/ctrlhlp.txt";

namespace {

// The help file stands beside the program, wherever the current directory is: the browse
// buttons change it.
CString BesideProgram(LPCSTR name) {
    const CWinApp* app = AfxGetApp();
    CString path = app ? app->m_strProgramFolder : CString();
    path += name;
    return path;
}

const ControlHelpRecord* FindIn(const ControlHelpRecord* table, int rows, int controlId) {
    for (int row = 0; row < rows; ++row) {
        if (table[row].nControlId == controlId)
            return &table[row];
    }
    return nullptr;
}

// Shows a control's text in a popup at position, when the control has a row.
BOOL ShowPopupFromTable(IDialogWindow& dialog, const ControlHelpRecord* table, int rows,
                        int controlId, CPoint position) {
    const ControlHelpRecord* record = FindIn(table, rows, controlId);
    if (!record)
        return FALSE;
    HelpPopup popup;
    popup.text = record->szText;
    popup.position = position;
    Backend().ShowHelpPopup(dialog, popup);
    return TRUE;
}

BOOL ShowControlHelp(IDialogWindow& dialog, int controlId, CPoint position) {
    return ShowPopupFromTable(dialog, ControlHelpTable, kControlHelpRows, controlId, position);
}

}  // namespace

const ControlHelpRecord* FindControlHelp(int controlId) {
    return FindIn(ControlHelpTable, kControlHelpRows, controlId);
}

BOOL ShowHelpFromTable(IDialogWindow& dialog, const ControlHelpRecord* table, int rows,
                       int controlId, CPoint position, BOOL contextMenu) {
    if (!ShowPopupFromTable(dialog, table, rows, controlId, position) && contextMenu)
        Backend().ShowHelpContextMenu(dialog, controlId, kHelpTopicFile, kContextMenuIdMap);
    return TRUE;
}

void CBootEditDlg::OnHelpButton() {
    Backend().ShowHelpTopic(BesideProgram(kHelpFile));
}

BOOL CBootEditDlg::OnHelpRequest(const HelpRequest& request) {
    // Only help for a control is answered; help for a menu item, for instance, is not.
    if (request.contextType == HELPINFO_WINDOW) {
        ShowControlHelp(*GetWindow(), request.controlId, request.mousePos);
    }
    return TRUE;
}

void CBootEditDlg::OnContextHelp(CWnd* pWnd, CPoint point) {
    // The keyboard's context-menu request carries (-1, -1); it is passed on as it is.
    const int controlId = pWnd ? pWnd->GetDlgCtrlID() : 0;
    if (!ShowControlHelp(*GetWindow(), controlId, point)) {
        Backend().ShowHelpContextMenu(*GetWindow(), controlId, BesideProgram(kHelpTopicFile),
                                      kContextMenuIdMap);
    }
}

void CBootEditDlg::OnDestroyDialog() {
    // Tells the legacy help engine to close the application's help file.
    WinHelp(0, HELP_QUIT);
}
