// CBootMenuDlg: the boot loader's menu as a whole - how long it waits (timeout=), which line it
// starts by default (default=) and the order of the lines. Only what the user changed changes in
// the lines it gives back.
#pragma once

#include "bootmenu/BootLinesDlg.h"
#include "framework/Controls.h"

class CBootMenuDlg : public CBootLinesDlg {
public:
    CBootMenuDlg(const CStringArray& lines, CDialog* pParent);

    CEdit m_ctlTimeoutEdit;
    CSpinButtonCtrl m_ctlTimeoutSpin;
    CComboBox m_ctlDefaultList;
    CListBox m_ctlOrderList;
    CButton m_ctlMoveUp;
    CButton m_ctlMoveDown;
    CString m_txtTimeout;

    void OnSelchangeDefault();
    void OnSelchangeOrder();
    void OnMoveUp();
    void OnMoveDown();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    DECLARE_MESSAGE_MAP()

private:
    // Lists the lines of m_arrLines in both lists, the order list's selection at orderPosition.
    void ListLines(int orderPosition);
    // Selects in the default list the line the loader starts by default; none when default=
    // names no listed line.
    void ShowDefault();
    void EnableMoves();
    void MoveSelected(int step);

    // Moves and the chosen default go into m_arrLines at once, the timeout at OK.
    // The timeout as the dialog first showed it: left alone, timeout= is not touched.
    CString m_strTimeoutShown;
};
