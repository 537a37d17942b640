#include "bootmenu/BootMenuDlg.h"

#include <string>

#include "bootmenu/BootMenuEntries.h"
#include "framework/App.h"
#include "framework/DialogWindow.h"
#include "res/resource.h"
#include "store/BootLoaderSection.h"

namespace {

// What the note atop the dialog says about default=; empty when it names a listed line.
std::string DefaultNote(const CStringArray& lines) {
    CString arcPath;
    if (!ReadBootDefault(lines, arcPath))
        return "BOOT.INI names no default line. Choose the line the boot loader starts when the "
               "user picks none.";
    if (FindDefaultBootLine(lines) < 0)
        return "The default line, " + arcPath.str() +
               ", is none of the boot lines: the boot loader cannot start it. Choose the default "
               "line.";
    return std::string();
}

}  // namespace

CBootMenuDlg::CBootMenuDlg(const CStringArray& lines, CDialog* pParent)
    : CBootLinesDlg(IDD_BOOTMENU, lines, pParent) {}

void CBootMenuDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TIMEOUT_EDIT, m_ctlTimeoutEdit);
    DDX_Control(pDX, IDC_TIMEOUT_SPIN, m_ctlTimeoutSpin);
    DDX_Control(pDX, IDC_DEFAULT_LIST, m_ctlDefaultList);
    DDX_Control(pDX, IDC_ORDER_LIST, m_ctlOrderList);
    DDX_Control(pDX, IDC_MOVE_UP, m_ctlMoveUp);
    DDX_Control(pDX, IDC_MOVE_DOWN, m_ctlMoveDown);
    DDX_Text(pDX, IDC_TIMEOUT_EDIT, m_txtTimeout);
}

BEGIN_MESSAGE_MAP(CBootMenuDlg)
ON_CBN_SELCHANGE(IDC_DEFAULT_LIST, OnSelchangeDefault)
ON_LBN_SELCHANGE(IDC_ORDER_LIST, OnSelchangeOrder)
ON_BN_CLICKED(IDC_MOVE_UP, OnMoveUp)
ON_BN_CLICKED(IDC_MOVE_DOWN, OnMoveDown)
ON_WM_HELPINFO(OnHelpRequest)
ON_WM_CONTEXTMENU(OnContextHelp)
END_MESSAGE_MAP()

BOOL CBootMenuDlg::OnInitDialog() {
    int seconds = 0;
    int timeoutLine = -1;
    if (ReadBootTimeout(m_arrLines, seconds)) {
        m_txtTimeout = std::to_string(seconds).c_str();
    } else {
        // Not a number the loader takes: shown as written, and kept unless the user changes it.
        FindBootLoaderValue(m_arrLines, "timeout", timeoutLine, m_txtTimeout);
    }
    m_strTimeoutShown = m_txtTimeout;
    CDialog::OnInitDialog();
    m_ctlTimeoutSpin.SetRange(0, kMaxBootTimeout);
    GetWindow()->SetText(IDC_BOOTMENU_NOTE, DefaultNote(m_arrLines).c_str());
    ListLines(0);
    EnableMoves();
    return TRUE;
}

void CBootMenuDlg::ListLines(int orderPosition) {
    ListBootMenuEntries(*GetWindow(), IDC_ORDER_LIST, m_arrLines, FALSE);
    ListBootMenuEntries(*GetWindow(), IDC_DEFAULT_LIST, m_arrLines, TRUE);
    m_ctlOrderList.SetCurSel(orderPosition < m_ctlOrderList.GetCount() ? orderPosition : -1);
    ShowDefault();
}

void CBootMenuDlg::ShowDefault() {
    m_ctlDefaultList.SetCurSel(
        FindBootMenuEntry(*GetWindow(), IDC_DEFAULT_LIST, FindDefaultBootLine(m_arrLines)));
}

void CBootMenuDlg::EnableMoves() {
    const int position = m_ctlOrderList.GetCurSel();
    m_ctlMoveUp.EnableWindow(position > 0);
    m_ctlMoveDown.EnableWindow(position >= 0 && position + 1 < m_ctlOrderList.GetCount());
}

void CBootMenuDlg::OnSelchangeDefault() {
    if (!MakeSelectedEntryTheDefault(*GetWindow(), IDC_DEFAULT_LIST, m_arrLines))
        return;
    // A new timeout= or section moves the lines: both lists get their new indices.
    ListLines(m_ctlOrderList.GetCurSel());
    GetWindow()->SetText(IDC_BOOTMENU_NOTE, "");
}

void CBootMenuDlg::OnSelchangeOrder() {
    EnableMoves();
}

void CBootMenuDlg::OnMoveUp() {
    MoveSelected(-1);
}

void CBootMenuDlg::OnMoveDown() {
    MoveSelected(+1);
}

void CBootMenuDlg::MoveSelected(int step) {
    const int position = m_ctlOrderList.GetCurSel();
    if (position < 0)
        return;
    const int moved =
        MoveBootLine(m_arrLines, static_cast<int>(m_ctlOrderList.GetItemData(position)), step);
    if (moved < 0)
        return;
    ListLines(position + (step < 0 ? -1 : 1));
    EnableMoves();
}

void CBootMenuDlg::OnOK() {
    UpdateData(TRUE);
    if (m_txtTimeout != m_strTimeoutShown) {
        int seconds = 0;
        if (!ParseBootTimeout(m_txtTimeout, seconds)) {
            AfxMessageBox("Invalid Timeout. The boot menu waits 0 to 999 seconds.",
                          MB_OK | MB_ICONSTOP);
            return;
        }
        SetBootTimeout(m_arrLines, seconds);
    }
    CDialog::OnOK();
}
