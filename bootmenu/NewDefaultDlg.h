// CNewDefaultDlg: asked before Delete Line removes the line the boot loader starts by default.
// The user chooses the line the loader starts instead (OK), or keeps the line (Cancel).
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/String.h"

class CNewDefaultDlg : public CDialog {
public:
    // linesAfter: the file's lines as they are once the line is deleted.
    CNewDefaultDlg(const CStringArray& linesAfter, CDialog* pParent);

    // linesAfter with default= naming the chosen line, once the dialog ended with OK.
    const CStringArray& GetLines() const { return m_arrLines; }

    CComboBox m_ctlDefaultList;

    BOOL OnHelpRequest(const HelpRequest& request);
    void OnContextHelp(CWnd* pWnd, CPoint point);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    DECLARE_MESSAGE_MAP()

private:
    CStringArray m_arrLines;
};
