#include "bootmenu/NewDefaultDlg.h"

#include "bootmenu/BootMenuEntries.h"
#include "framework/DialogWindow.h"
#include "res/resource.h"

CNewDefaultDlg::CNewDefaultDlg(const CStringArray& linesAfter, CDialog* pParent)
    : CBootLinesDlg(IDD_NEWDEFAULT, linesAfter, pParent) {}

void CNewDefaultDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEFAULT_LIST, m_ctlDefaultList);
}

BEGIN_MESSAGE_MAP(CNewDefaultDlg)
ON_WM_HELPINFO(OnHelpRequest)
ON_WM_CONTEXTMENU(OnContextHelp)
END_MESSAGE_MAP()

BOOL CNewDefaultDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ListBootMenuEntries(*GetWindow(), IDC_DEFAULT_LIST, m_arrLines, TRUE);
    // The first line of the menu is offered: the one a user sees on top.
    m_ctlDefaultList.SetCurSel(0);
    return TRUE;
}

void CNewDefaultDlg::OnOK() {
    MakeSelectedEntryTheDefault(*GetWindow(), IDC_DEFAULT_LIST, m_arrLines);
    CDialog::OnOK();
}
