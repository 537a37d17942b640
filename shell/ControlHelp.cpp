// Context help of the editor dialog: the Help button opens the help file; F1 and a right-click
// show the named control's text from ControlHelpTable in a popup at the request's position.
#include "shell/ControlHelp.h"

#include "editor/BootEditDlg.h"
#include "framework/App.h"
#include "framework/Backend.h"
#include "res/resource.h"

const char kHelpFile[] = "vexalhelp.chm";
const char kHelpTopicFile[] = "vexalhelp.chm::/ctrlhlp.txt";

const ControlHelpRecord ControlHelpTable[kControlHelpRows] = {
    {IDC_ONECPU, "Tells Windows to use only 1 CPU at startup..\n"},
    {IDC_PAE, "Tells NT to Use Pentium Addressing Extensions.\n"},
    {IDC_NOPAE, "Tells NT NOT to Use Pentium Addressing Extensions.\n"},
    {IDC_SOS, "Tells Loader to print the name of loaded modules.\n"},
    {IDC_HAL, "Indicates that an alternate HAL.DLL will be used on boot.\n"},
    {IDC_KERNEL, "Indicates that an alternate NTOSKRNL.EXE will be used on boot.\n"},
    {IDC_FASTDETECT, "Indicates that fastdetect will be done on boot.\n"},
    {IDC_DEBUGPORT, "Selects the debug port (COM1-COM4 or 1394) to be used \n"},
    {IDC_BAUDRATE, "Selects the baudrate of the COM debug port being used.\n"},
    {IDC_CHANNEL, "Selects the channel of the 1394 debug port being used.\n"},
    {IDC_CRASHDEBUG, "Enables the COM port for debugging in the event that Windows NT crashes.\n"},
    {IDC_MAXMEM, "Selects the amount of memory Windows NT detects and can use at startup.\n"},
    {IDC_BASEVIDEO, "Forces the system into standard 640x480 16-color VGA mode.\n"},
    {IDC_COPY_LINE, "Makes a copy of the current BOOT.INI line being modified.\n"},
    {IDC_DELETE_LINE, "Deletes the current BOOT.INI line being modified.\n"},
    {IDC_APPLY, "Applies the changes made to the current BOOT.INI line being modified.\n"},
    {IDC_LABEL_EDIT, "Comment Label associated with BOOT.INI Line.\n"},
    {IDC_BOOTLOG, "Logs the boot in file %SYSTEMROOT%\\NTBTLOG.TXT .\n"},
    {IDC_BOOTLOGO, "Display Boot Logo.\n"},
    {IDC_3GB, "Enables user programs to access 3 GB of memory instead of the usual 2 GB.\n"},
    {IDC_DEBUG, "Enables Kernel Mode Debugging.\n"},
    {IDC_NODEBUG, "Disables Kernel Mode Debugging.\n"},
    {IDC_PCILOCK, "Prevents the HAL from moving anything on the PCI bus.\n"},
    {IDC_NOLOWMEM, "Prevents the HAL from moving anything on the PCI bus.\n"},
    {IDC_NOGUIBOOT,
     "VGA driver responsible for bit mapped graphics during boot is not initialized.\n"},
    {IDC_INTAFFINITY, "Sets int. affinity so that only the highest processor will receive ints.\n"},
    {IDC_UNHANDLED_LIST, "Options not handled by Tarn.\n"},
    {0, ""},
};

namespace {

// The id map of the help system's context menu: pairs of (control id, topic number) ending with
// a pair of zeros. No control that reaches the context menu has a topic, so the map is empty.
const DWORD kContextMenuIdMap[] = {0, 0};

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
    Backend().ShowHelpTopic(kHelpFile);
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
        Backend().ShowHelpContextMenu(*GetWindow(), controlId, kHelpTopicFile, kContextMenuIdMap);
    }
}

void CBootEditDlg::OnDestroyDialog() {
    // Tells the legacy help engine to close the application's help file.
    WinHelp(0, HELP_QUIT);
}
