#include "app/WarnUserDlg.h"

#include "res/resource.h"

CWarnUserDlg::CWarnUserDlg(CDialog* pParent)
    : CDialog(IDD_WARNUSER, pParent), m_bDontShowAgain(0) {}

void CWarnUserDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_DONT_SHOW_AGAIN, m_bDontShowAgain);
}
