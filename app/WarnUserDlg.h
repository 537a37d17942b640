// The start-up warning that the tool may make the system unbootable.
#pragma once

#include "framework/Dialog.h"

class CWarnUserDlg : public CDialog {
public:
    explicit CWarnUserDlg(CDialog* pParent = nullptr);

    // "In the future, do not show this warning."
    int m_bDontShowAgain;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
