// Control wrappers: a control of a dialog, named by its id. They carry only the operations the
// program uses and forward them to the dialog's back-end window (framework/DialogWindow.h).
#pragma once

#include <cstdint>

#include "framework/String.h"

class CDialog;
class IDialogWindow;

class CWnd {
public:
    CWnd() = default;
    CWnd(CDialog* owner, int id) : m_pOwner(owner), m_nID(id) {}
    virtual ~CWnd() = default;

    void Attach(CDialog* owner, int id) {
        m_pOwner = owner;
        m_nID = id;
    }
    int GetDlgCtrlID() const { return m_nID; }
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    void SetWindowText(LPCSTR text);
    void GetWindowText(CString& text) const;
    void* GetSafeHwnd() const;

protected:
    IDialogWindow& Window() const;  // the owner's window; the dialog must be open

    CDialog* m_pOwner = nullptr;
    int m_nID = 0;
};

class CButton : public CWnd {
public:
    int GetCheck() const;
    void SetCheck(int state);
};

class CEdit : public CWnd {};

class CComboBox : public CWnd {
public:
    int AddString(LPCSTR text);
    void ResetContent();
    int GetCount() const;
    void GetLBText(int index, CString& text) const;
    int SetItemData(int index, std::intptr_t data);
    std::intptr_t GetItemData(int index) const;
    int GetCurSel() const;
    int SetCurSel(int index);
    // Index of the first entry after startAfter (-1: from the start) whose text begins with
    // prefix, compared without regard to case; -1 when none does.
    int FindString(int startAfter, LPCSTR prefix) const;
};

class CListBox : public CWnd {
public:
    int AddString(LPCSTR text);
    void ResetContent();
    int GetCount() const;
    void GetText(int index, CString& text) const;
    int SetItemData(int index, std::intptr_t data);
    std::intptr_t GetItemData(int index) const;
    int GetCurSel() const;
    int SetCurSel(int index);  // -1 clears the selection
};

class CSpinButtonCtrl : public CWnd {
public:
    void SetRange(int lowest, int highest);
    int SetPos(int position);
    int SetBase(int base);

    // The text an up-down control with the buddy-integer style writes into its buddy: decimal,
    // with thousands separators unless the control has UDS_NOTHOUSANDS, or hexadecimal in
    // Windows' "0x%04X" form. Back-ends use these so every build shows the same text.
    static CString FormatPosition(int value, int base, bool thousands);
    // Reads a position back from the buddy's text (separators allowed in decimal); FALSE when the
    // text is not a number in that base.
    static BOOL ParsePosition(const CString& text, int base, int& value);
};
