// CBootLinesDlg: the base of the two dialogs that change the boot menu (the Boot Menu and the
// new-default question). Each works on a copy of the file's lines, which its owner takes back
// after OK, and answers F1 and a right-click with the popups of the boot menu's controls.
#pragma once

#include "framework/Dialog.h"
#include "framework/String.h"

class CBootLinesDlg : public CDialog {
public:
    CBootLinesDlg(UINT templateId, const CStringArray& lines, CDialog* pParent);

    // The file's lines with the user's changes, once the dialog ended with OK.
    const CStringArray& GetLines() const { return m_arrLines; }

    BOOL OnHelpRequest(const HelpRequest& request);
    void OnContextHelp(CWnd* pWnd, CPoint point);

protected:
    // The working copy of the file's lines.
    CStringArray m_arrLines;
};
