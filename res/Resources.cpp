// The program's resources as tables: dialog templates 100 (about box), 102 (editor), 132
// (start-up warning), 134 (Boot Menu) and 136 (new default line), the editor's init data and the
// string table. These tables are the only copy:
// the Windows resource script is generated from them, and the terminal and test back-ends lay
// their controls out from them.
//
// Positions are dialog units. Styles are the Win32 values without WS_CHILD and WS_VISIBLE (every
// control has both). A template's controls are listed in tab order. A static icon's text is the
// icon resource's number. Dialogs with a font get DS_SETFONT from the script's FONT statement.
#include "framework/DialogTemplate.h"
#include "framework/WindowStyles.h"
#include "res/resource.h"

namespace {

#define ICON_TEXT "128"  // icon resource IDR_MAINFRAME, as a static icon names it

constexpr DWORD kCheckBox = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kDefaultButton = BS_DEFPUSHBUTTON | WS_TABSTOP;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kDropDown = CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kGroupText = SS_LEFT | WS_GROUP;

// About box.
const ControlTemplate kAboutControls[] = {
    {IDC_STATIC, ControlKind::kStaticIcon, ICON_TEXT, 11, 17, 20, 20, SS_ICON, 0},
    {IDC_STATIC, ControlKind::kStaticText, "Tarn Version 1.0", 40, 10, 119, 8,
     SS_LEFT | SS_NOPREFIX, 0},
    {IDC_STATIC, ControlKind::kStaticText,
     "Tarnwick Software\n"
     "7 Mill Lane, Ashcombe AB12 3CD\n"
     "Telephone (01632) 960 417\n"
     "Fax (01632) 960 418",
     41, 29, 154, 36, SS_LEFT, 0},
    {IDC_STATIC, ControlKind::kStaticText, "(C) 2001 Tarnwick Software", 41, 70, 119, 8, SS_LEFT,
     0},
    {IDOK, ControlKind::kDefPushButton, "OK", 178, 7, 50, 14, kDefaultButton, 0},
};

// Editor dialog.
const ControlTemplate kEditorControls[] = {
    {IDC_BOOTLINE_LIST, ControlKind::kComboBox, "", 18, 81, 382, 51,
     kDropDown | CBS_AUTOHSCROLL | CBS_SORT, 0},
    {IDC_LABEL_EDIT, ControlKind::kEdit, "", 18, 106, 382, 14, kEdit, 0},
    {IDC_FASTDETECT, ControlKind::kAutoCheckBox, "&FastDetect", 19, 136, 54, 10, kCheckBox, 0},
    {IDC_ONECPU, ControlKind::kAutoCheckBox, "&OneCpu", 19, 146, 54, 10, kCheckBox, 0},
    {IDC_SOS, ControlKind::kAutoCheckBox, "&SOS", 19, 156, 54, 10, kCheckBox, 0},
    {IDC_CRASHDEBUG, ControlKind::kAutoCheckBox, "C&rashDebug", 19, 166, 54, 10, kCheckBox, 0},
    {IDC_DEBUG, ControlKind::kAutoCheckBox, "D&ebug", 19, 176, 54, 10, kCheckBox, 0},
    {IDC_NODEBUG, ControlKind::kAutoCheckBox, "&NoDebug", 19, 185, 54, 10, kCheckBox, 0},
    {IDC_BASEVIDEO, ControlKind::kAutoCheckBox, "Base&Video", 81, 136, 54, 10, kCheckBox, 0},
    {IDC_BOOTLOG, ControlKind::kAutoCheckBox, "Boot&Log", 81, 146, 54, 10, kCheckBox, 0},
    {IDC_BOOTLOGO, ControlKind::kAutoCheckBox, "BootLo&go", 81, 156, 54, 10, kCheckBox, 0},
    {IDC_3GB, ControlKind::kAutoCheckBox, "&3GB", 81, 166, 54, 10, kCheckBox, 0},
    {IDC_NOPAE, ControlKind::kAutoCheckBox, "NoP&AE", 81, 176, 54, 10, kCheckBox, 0},
    {IDC_PAE, ControlKind::kAutoCheckBox, "&PAE", 81, 186, 54, 10, kCheckBox, 0},
    {IDC_HAL, ControlKind::kAutoCheckBox, "&Hal", 237, 136, 27, 10, kCheckBox, 0},
    {IDC_HAL_EDIT, ControlKind::kEdit, "", 292, 134, 83, 14, kEdit | WS_DISABLED, 0},
    {IDC_HAL_BROWSE, ControlKind::kPushButton, "...", 378, 134, 19, 14, kButton | WS_DISABLED, 0},
    {IDC_KERNEL, ControlKind::kAutoCheckBox, "&Kernel", 237, 151, 36, 10, kCheckBox, 0},
    {IDC_KERNEL_EDIT, ControlKind::kEdit, "", 292, 149, 83, 14, kEdit | WS_DISABLED, 0},
    {IDC_KERNEL_BROWSE, ControlKind::kPushButton, "...", 378, 149, 19, 14, kButton | WS_DISABLED,
     0},
    {IDC_DEBUGPORT, ControlKind::kAutoCheckBox, "&DebugPort", 237, 166, 47, 10, kCheckBox, 0},
    {IDC_DEBUGPORT_LIST, ControlKind::kComboBox, "", 292, 164, 83, 50, kDropDown | WS_DISABLED, 0},
    {IDC_BAUDRATE, ControlKind::kAutoCheckBox, "&BaudRate", 237, 181, 51, 10, kCheckBox, 0},
    {IDC_BAUDRATE_LIST, ControlKind::kComboBox, "", 292, 179, 83, 46, kDropDown | WS_DISABLED, 0},
    {IDC_CHANNEL, ControlKind::kAutoCheckBox, "&Channel", 237, 196, 51, 10, kCheckBox, 0},
    {IDC_CHANNEL_EDIT, ControlKind::kEdit, "", 292, 194, 83, 14, kEdit | ES_NUMBER | WS_DISABLED,
     0},
    {IDC_CHANNEL_SPIN, ControlKind::kUpDown, "Spin1", 369, 194, 11, 14,
     UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS |
         WS_DISABLED,
     0},
    {IDC_MAXMEM, ControlKind::kAutoCheckBox, "&MaxMem", 237, 211, 45, 10, kCheckBox, 0},
    {IDC_MAXMEM_EDIT, ControlKind::kEdit, "", 292, 209, 83, 14, kEdit | ES_NUMBER | WS_DISABLED, 0},
    {IDC_COPY_LINE, ControlKind::kPushButton, "Copy Line", 98, 255, 50, 14, kButton, 0},
    {IDC_DELETE_LINE, ControlKind::kPushButton, "Delete Line", 181, 255, 50, 14, kButton, 0},
    {IDC_APPLY, ControlKind::kPushButton, "&Apply", 264, 255, 50, 14, kButton | WS_DISABLED, 0},
    {IDOK, ControlKind::kDefPushButton, "OK", 356, 7, 50, 14, kDefaultButton, 0},
    {IDCANCEL, ControlKind::kPushButton, "Cancel", 356, 23, 50, 14, kButton, 0},
    {ID_HELP, ControlKind::kPushButton, "&Help", 356, 40, 50, 14, kButton, 0},
    {IDC_STATIC, ControlKind::kStaticText, "Boot Line To Modify:", 18, 69, 73, 8, kGroupText, 0},
    {IDC_STATIC, ControlKind::kStaticIcon, ICON_TEXT, 25, 17, 20, 20, SS_ICON | SS_REALSIZEIMAGE,
     0},
    {IDC_STATIC, ControlKind::kStaticText, "Label:", 18, 98, 65, 8, kGroupText, 0},
    {IDC_STATIC, ControlKind::kStaticText,
     "Tarnwick Software\n"
     "7 Mill Lane, Ashcombe AB12 3CD\n"
     "Telephone (01632) 960 417\n"
     "Fax (01632) 960 418\n"
     "Ver: V1.0  -  Dec. 1, 2001",
     67, 15, 154, 42, kGroupText, 0},
    {IDC_UNHANDLED_LIST, ControlKind::kListBox, "", 19, 211, 144, 35,
     LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 0},
    {IDC_STATIC, ControlKind::kStaticText, "Unhandled Options:", 19, 202, 68, 8, kGroupText, 0},
    {IDC_PCILOCK, ControlKind::kAutoCheckBox, "&PciLock", 141, 136, 54, 10, kCheckBox, 0},
    {IDC_NOLOWMEM, ControlKind::kAutoCheckBox, "No&LowMem", 141, 146, 54, 10, kCheckBox, 0},
    {IDC_NOGUIBOOT, ControlKind::kAutoCheckBox, "No&GuiBoot", 141, 156, 54, 10, kCheckBox, 0},
    {IDC_INTAFFINITY, ControlKind::kAutoCheckBox, "&IntAffinity", 141, 166, 55, 10, kCheckBox, 0},
};

// The baud rates offered by the editor's baud-rate list (combo box strings, message 0x403).
constexpr UINT kComboString = 0x403;
const InitDataEntry kEditorInitData[] = {
    {IDC_BAUDRATE_LIST, kComboString, "300"},    {IDC_BAUDRATE_LIST, kComboString, "1200"},
    {IDC_BAUDRATE_LIST, kComboString, "2400"},   {IDC_BAUDRATE_LIST, kComboString, "4800"},
    {IDC_BAUDRATE_LIST, kComboString, "9600"},   {IDC_BAUDRATE_LIST, kComboString, "19200"},
    {IDC_BAUDRATE_LIST, kComboString, "38400"},  {IDC_BAUDRATE_LIST, kComboString, "57600"},
    {IDC_BAUDRATE_LIST, kComboString, "115200"},
};

// Start-up warning.
const ControlTemplate kWarnUserControls[] = {
    {IDC_DONT_SHOW_AGAIN, ControlKind::kAutoCheckBox, "&In the future, do not show this warning.",
     29, 89, 156, 10, kCheckBox, 0},
    {IDOK, ControlKind::kDefPushButton, "OK", 155, 7, 50, 14, kDefaultButton, 0},
    {IDCANCEL, ControlKind::kPushButton, "Cancel", 155, 24, 50, 14, kButton, 0},
    {IDC_STATIC, ControlKind::kStaticIcon, ICON_TEXT, 24, 21, 20, 20, SS_ICON, 0},
    {IDC_STATIC, ControlKind::kStaticText,
     "Tarn is a development support utility and may make your system unbootable.  \n"
     "Select Cancel to stop execution.",
     28, 54, 149, 29, SS_LEFT, 0},
};

// Boot Menu: the loader's timeout and default line, and the order of the boot lines.
constexpr DWORD kDropDownList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
const ControlTemplate kBootMenuControls[] = {
    {IDC_BOOTMENU_NOTE, ControlKind::kStaticText, "", 7, 7, 326, 16, SS_LEFT | SS_NOPREFIX, 0},
    {IDC_STATIC, ControlKind::kStaticText, "&Timeout (seconds):", 7, 30, 70, 8, kGroupText, 0},
    {IDC_TIMEOUT_EDIT, ControlKind::kEdit, "", 80, 28, 40, 14, kEdit | ES_NUMBER, 0},
    {IDC_TIMEOUT_SPIN, ControlKind::kUpDown, "", 120, 28, 11, 14,
     UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0},
    {IDC_STATIC, ControlKind::kStaticText, "&Default line:", 7, 48, 70, 8, kGroupText, 0},
    {IDC_DEFAULT_LIST, ControlKind::kComboBox, "", 80, 46, 253, 80, kDropDownList, 0},
    {IDC_STATIC, ControlKind::kStaticText, "&Order of the menu:", 7, 66, 100, 8, kGroupText, 0},
    {IDC_ORDER_LIST, ControlKind::kListBox, "", 7, 76, 270, 66,
     LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 0},
    {IDC_MOVE_UP, ControlKind::kPushButton, "Move &Up", 283, 76, 50, 14, kButton, 0},
    {IDC_MOVE_DOWN, ControlKind::kPushButton, "Move Do&wn", 283, 94, 50, 14, kButton, 0},
    {IDOK, ControlKind::kDefPushButton, "OK", 229, 150, 50, 14, kDefaultButton, 0},
    {IDCANCEL, ControlKind::kPushButton, "Cancel", 283, 150, 50, 14, kButton, 0},
};

// The question Delete Line asks before it removes the line the loader starts by default.
const ControlTemplate kNewDefaultControls[] = {
    {IDC_STATIC, ControlKind::kStaticText,
     "The line you delete is the one the boot loader starts by default. Choose the line it "
     "starts instead, or Cancel to keep the line.",
     7, 7, 326, 24, SS_LEFT | SS_NOPREFIX, 0},
    {IDC_STATIC, ControlKind::kStaticText, "&Default line:", 7, 38, 60, 8, kGroupText, 0},
    {IDC_DEFAULT_LIST, ControlKind::kComboBox, "", 70, 36, 263, 40, kDropDownList, 0},
    {IDOK, ControlKind::kDefPushButton, "OK", 229, 60, 50, 14, kDefaultButton, 0},
    {IDCANCEL, ControlKind::kPushButton, "Cancel", 283, 60, 50, 14, kButton, 0},
};

template <class T, int N>
constexpr int CountOf(const T (&)[N]) {
    return N;
}

constexpr DWORD kModalDialog = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;

const DialogTemplate kTemplates[] = {
    {IDD_ABOUTBOX, "About Tarn", 0, 0, 235, 95, kModalDialog, 0, "MS Sans Serif", 8, kAboutControls,
     CountOf(kAboutControls), nullptr, 0},
    {IDD_BOOTEDIT_DIALOG, "Tarn", 0, 0, 413, 281,
     kModalDialog | DS_CENTER | DS_CENTERMOUSE | WS_MINIMIZEBOX | WS_VISIBLE, WS_EX_APPWINDOW,
     "MS Sans Serif", 8, kEditorControls, CountOf(kEditorControls), kEditorInitData,
     CountOf(kEditorInitData)},
    {IDD_WARNUSER, "Tarn Continue Execution Dialog", 0, 0, 212, 116, kModalDialog, 0,
     "MS Sans Serif", 8, kWarnUserControls, CountOf(kWarnUserControls), nullptr, 0},
    {IDD_BOOTMENU, "Boot Menu", 0, 0, 340, 171, kModalDialog | DS_CENTER, 0, "MS Sans Serif", 8,
     kBootMenuControls, CountOf(kBootMenuControls), nullptr, 0},
    {IDD_NEWDEFAULT, "Delete the Default Line", 0, 0, 340, 81, kModalDialog | DS_CENTER, 0,
     "MS Sans Serif", 8, kNewDefaultControls, CountOf(kNewDefaultControls), nullptr, 0},
};

const StringResource kStrings[] = {
    {IDS_ABOUTBOX, "&About Tarnwick..."},
    {IDS_BOOTMENU, "Boot &Menu...\tF2"},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    for (const DialogTemplate& dialogTemplate : kTemplates) {
        if (dialogTemplate.id == id)
            return &dialogTemplate;
    }
    return nullptr;
}

LPCSTR FindStringResource(int id) {
    for (const StringResource& resource : kStrings) {
        if (resource.id == id)
            return resource.text;
    }
    return "";
}
