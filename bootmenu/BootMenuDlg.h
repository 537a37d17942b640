// CBootMenuDlg: the boot loader's menu as a whole - how long it waits (timeout=), which line it
// starts by default (default=) and the order of the lines. It works on a copy of the file's
// lines; its owner takes them back after OK. Only what the user changed changes in them.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/String.h"

class CBootMenuDlg : public CDialog {
public:
    CBootMenuDlg(const CStringArray& lines, CDialog* pParent);

    // The file's lines with the user's changes, once the dialog ended with OK.
    const CStringArray& GetLines() const { return m_arrLines; }

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
    BOOL OnHelpRequest(const HelpRequest& request);
    void OnContextHelp(CWnd* pWnd, CPoint point);

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

    // The working copy: moves and the chosen default go into it at once, the timeout at OK.
    CStringArray m_arrLines;
    // The timeout as the dialog first showed it: left alone, timeout= is not touched.
    CString m_strTimeoutShown;
};
