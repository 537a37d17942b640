#include "bootmenu/NewDefaultDlg.h"

#include "bootmenu/BootMenuEntries.h"
#include "bootmenu/BootMenuHelp.h"
#include "framework/DialogWindow.h"
#include "res/resource.h"

CNewDefaultDlg::CNewDefaultDlg(const CStringArray& linesAfter, CDialog* pParent)
    : CDialog(IDD_NEWDEFAULT, pParent), m_arrLines(linesAfter) {}

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
    ListBootMenuEntries(*GetWindow(), IDC_DEFAULT_LIST, m_arrLines);
    // The first line of the menu is offered: the one a user sees on top.
    m_ctlDefaultList.SetCurSel(0);
    return TRUE;
}

void CNewDefaultDlg::OnOK() {
    MakeSelectedEntryTheDefault(*GetWindow(), IDC_DEFAULT_LIST, m_arrLines);
    CDialog::OnOK();
}

BOOL CNewDefaultDlg::OnHelpRequest(const HelpRequest& request) {
    if (request.contextType == HELPINFO_WINDOW)
        ShowBootMenuHelp(*GetWindow(), request.controlId, request.mousePos, FALSE);
    return TRUE;
}

void CNewDefaultDlg::OnContextHelp(CWnd* pWnd, CPoint point) {
    ShowBootMenuHelp(*GetWindow(), pWnd ? pWnd->GetDlgCtrlID() : 0, point, TRUE);
}
