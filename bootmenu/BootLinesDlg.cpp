#include "bootmenu/BootLinesDlg.h"

#include "bootmenu/BootMenuHelp.h"

CBootLinesDlg::CBootLinesDlg(UINT templateId, const CStringArray& lines, CDialog* pParent)
    : CDialog(templateId, pParent), m_arrLines(lines) {}

BOOL CBootLinesDlg::OnHelpRequest(const HelpRequest& request) {
    if (request.contextType == HELPINFO_WINDOW)
        ShowBootMenuHelp(*GetWindow(), request.controlId, request.mousePos, FALSE);
    return TRUE;
}

void CBootLinesDlg::OnContextHelp(CWnd* pWnd, CPoint point) {
    ShowBootMenuHelp(*GetWindow(), pWnd ? pWnd->GetDlgCtrlID() : 0, point, TRUE);
}
