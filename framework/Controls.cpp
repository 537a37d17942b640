#include "framework/Controls.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "framework/Dialog.h"
#include "framework/DialogWindow.h"

namespace {
// The combo box and list box error result (CB_ERR, LB_ERR).
constexpr int kListError = -1;

bool BeginsWithNoCase(const CString& text, LPCSTR prefix) {
    const char* a = text.GetString();
    for (; *prefix; ++a, ++prefix) {
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*prefix)))
            return false;  // also stops at the end of text, since *prefix is not zero there
    }
    return true;
}
}  // namespace

IDialogWindow& CWnd::Window() const {
    IDialogWindow* window = m_pOwner ? m_pOwner->GetWindow() : nullptr;
    if (!window)
        throw std::logic_error("control used while its dialog is not open");
    return *window;
}

BOOL CWnd::EnableWindow(BOOL enable) {
    // Like Win32: the result tells whether the window was disabled before.
    BOOL wasEnabled = Window().IsEnabled(m_nID);
    Window().Enable(m_nID, enable ? TRUE : FALSE);
    return wasEnabled ? FALSE : TRUE;
}

BOOL CWnd::IsWindowEnabled() const {
    return Window().IsEnabled(m_nID);
}

void CWnd::SetWindowText(LPCSTR text) {
    Window().SetText(m_nID, text ? text : "");
}

void CWnd::GetWindowText(CString& text) const {
    text = Window().GetText(m_nID);
}

void* CWnd::GetSafeHwnd() const {
    IDialogWindow* window = m_pOwner ? m_pOwner->GetWindow() : nullptr;
    return window ? window->NativeHandle(m_nID) : nullptr;
}

int CButton::GetCheck() const {
    return Window().GetCheck(m_nID);
}

void CButton::SetCheck(int state) {
    Window().SetCheck(m_nID, state);
}

int CComboBox::AddString(LPCSTR text) {
    return Window().AddString(m_nID, text ? text : "");
}

void CComboBox::ResetContent() {
    Window().ResetContent(m_nID);
}

int CComboBox::GetCount() const {
    return Window().GetCount(m_nID);
}

void CComboBox::GetLBText(int index, CString& text) const {
    text = Window().GetItemText(m_nID, index);
}

int CComboBox::SetItemData(int index, std::intptr_t data) {
    if (index < 0 || index >= GetCount())
        return kListError;
    Window().SetItemData(m_nID, index, data);
    return 0;
}

std::intptr_t CComboBox::GetItemData(int index) const {
    if (index < 0 || index >= GetCount())
        return kListError;
    return Window().GetItemData(m_nID, index);
}

int CComboBox::GetCurSel() const {
    return Window().GetCurSel(m_nID);
}

int CComboBox::SetCurSel(int index) {
    // Like Win32: an index out of range clears the selection and reports an error.
    Window().SetCurSel(m_nID, index);
    return (index >= 0 && index < GetCount()) ? index : kListError;
}

int CComboBox::FindString(int startAfter, LPCSTR prefix) const {
    // Searches as Win32 does: from the entry after startAfter to the end, then from the start
    // up to startAfter itself.
    const int count = GetCount();
    if (count == 0)
        return kListError;
    const int first = (startAfter < 0 || startAfter >= count) ? 0 : startAfter + 1;
    const char* wanted = prefix ? prefix : "";
    for (int step = 0; step < count; ++step) {
        const int index = (first + step) % count;
        if (BeginsWithNoCase(Window().GetItemText(m_nID, index), wanted))
            return index;
    }
    return kListError;
}

int CListBox::AddString(LPCSTR text) {
    return Window().AddString(m_nID, text ? text : "");
}

void CListBox::ResetContent() {
    Window().ResetContent(m_nID);
}

int CListBox::GetCount() const {
    return Window().GetCount(m_nID);
}

void CListBox::GetText(int index, CString& text) const {
    text = Window().GetItemText(m_nID, index);
}

int CListBox::SetItemData(int index, std::intptr_t data) {
    Window().SetItemData(m_nID, index, data);
    return 0;
}

std::intptr_t CListBox::GetItemData(int index) const {
    return Window().GetItemData(m_nID, index);
}

int CListBox::GetCurSel() const {
    return Window().GetCurSel(m_nID);
}

int CListBox::SetCurSel(int index) {
    Window().SetCurSel(m_nID, index);
    return (index >= 0 && index < GetCount()) ? index : kListError;
}

void CSpinButtonCtrl::SetRange(int lowest, int highest) {
    Window().SetSpinRange(m_nID, lowest, highest);
}

// The dialog window does not report the previous position or base, so these answer 0; the
// program never uses the results.
int CSpinButtonCtrl::SetPos(int position) {
    Window().SetSpinPos(m_nID, position);
    return 0;
}

int CSpinButtonCtrl::SetBase(int base) {
    Window().SetSpinBase(m_nID, base);
    return 0;
}

CString CSpinButtonCtrl::FormatPosition(int value, int base, bool thousands) {
    if (base == 16) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "0x%04X", static_cast<unsigned>(value));
        return CString(buffer);
    }
    std::string digits = std::to_string(value < 0 ? -static_cast<long long>(value) : value);
    if (thousands) {
        for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
            digits.insert(static_cast<size_t>(at), ",");
    }
    return CString((value < 0 ? "-" : "") + digits);
}

BOOL CSpinButtonCtrl::ParsePosition(const CString& text, int base, int& value) {
    std::string plain;
    for (char c : text.str()) {
        if (!(base == 10 && c == ','))
            plain += c;
    }
    if (plain.empty())
        return FALSE;
    char* end = nullptr;
    const long parsed = std::strtol(plain.c_str(), &end, base);
    if (*end != '\0')
        return FALSE;
    value = static_cast<int>(parsed);
    return TRUE;
}
