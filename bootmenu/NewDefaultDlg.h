// CNewDefaultDlg: asked before Delete Line removes the line the boot loader starts by default.
// The user chooses the line the loader starts instead (OK), or keeps the line (Cancel).
#pragma once

#include "bootmenu/BootLinesDlg.h"
#include "framework/Controls.h"

class CNewDefaultDlg : public CBootLinesDlg {
public:
    // linesAfter: the file's lines as they are once the line is deleted. GetLines gives them
    // back with default= naming the chosen line.
    CNewDefaultDlg(const CStringArray& linesAfter, CDialog* pParent);

    CComboBox m_ctlDefaultList;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    DECLARE_MESSAGE_MAP()
};
