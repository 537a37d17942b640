#include "framework/win32/Win32DialogWindow.h"

#include <commctrl.h>

#include <string>

#include "framework/win32/Win32Backend.h"

namespace {

CString WindowText(HWND window) {
    if (!window)
        return CString();
    const int length = ::GetWindowTextLengthA(window);
    if (length <= 0)
        return CString();
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(window, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return CString(text);
}

// Combo boxes and list boxes take different messages for the same operation.
bool IsComboBox(HWND window) {
    char className[32] = {};
    ::GetClassNameA(window, className, sizeof className);
    return ::lstrcmpiA(className, "ComboBox") == 0;
}

int IndexResult(LRESULT result) {
    return result < 0 ? -1 : static_cast<int>(result);
}

}  // namespace

class Win32DialogWindow::Quiet {
public:
    explicit Quiet(Win32DialogWindow& window) : m_window(window) { ++m_window.m_quietDepth; }
    ~Quiet() { --m_window.m_quietDepth; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    Win32DialogWindow& m_window;
};

HWND Win32DialogWindow::Item(int id) const {
    return m_window ? ::GetDlgItem(m_window, id) : nullptr;
}

LRESULT Win32DialogWindow::SendItem(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
    HWND item = Item(id);
    return item ? ::SendMessageA(item, message, wParam, lParam) : 0;
}

CString Win32DialogWindow::GetText(int id) const {
    return WindowText(id == 0 ? m_window : Item(id));
}

void Win32DialogWindow::SetText(int id, LPCSTR text) {
    Quiet quiet(*this);
    if (id == 0) {
        if (m_window)
            ::SetWindowTextA(m_window, text ? text : "");
        return;
    }
    // A combo box hands the text to its edit field and leaves its selection alone.
    SendItem(id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : ""));
}

int Win32DialogWindow::GetCheck(int id) const {
    return SendItem(id, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Win32DialogWindow::SetCheck(int id, int state) {
    Quiet quiet(*this);
    SendItem(id, BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
}

BOOL Win32DialogWindow::IsEnabled(int id) const {
    HWND item = Item(id);
    return item && ::IsWindowEnabled(item) ? TRUE : FALSE;
}

void Win32DialogWindow::Enable(int id, BOOL enable) {
    Quiet quiet(*this);
    if (HWND item = Item(id))
        ::EnableWindow(item, enable);
}

int Win32DialogWindow::AddString(int id, LPCSTR text) {
    Quiet quiet(*this);
    HWND item = Item(id);
    if (!item)
        return -1;
    const LPARAM textParam = reinterpret_cast<LPARAM>(text ? text : "");
    // Combo boxes append whatever their style: the boot-line list has the sorted style but must
    // keep the file's order. List boxes sort when their style says so.
    if (IsComboBox(item))
        return IndexResult(
            ::SendMessageA(item, CB_INSERTSTRING, static_cast<WPARAM>(-1), textParam));
    return IndexResult(::SendMessageA(item, LB_ADDSTRING, 0, textParam));
}

void Win32DialogWindow::ResetContent(int id) {
    Quiet quiet(*this);
    HWND item = Item(id);
    if (item)
        ::SendMessageA(item, IsComboBox(item) ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
}

int Win32DialogWindow::GetCount(int id) const {
    HWND item = Item(id);
    if (!item)
        return 0;
    const LRESULT count = ::SendMessageA(item, IsComboBox(item) ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    return count < 0 ? 0 : static_cast<int>(count);
}

CString Win32DialogWindow::GetItemText(int id, int index) const {
    HWND item = Item(id);
    if (!item || index < 0)
        return CString();
    const bool combo = IsComboBox(item);
    const LRESULT length = ::SendMessageA(item, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN,
                                          static_cast<WPARAM>(index), 0);
    if (length <= 0)
        return CString();
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied =
        ::SendMessageA(item, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index),
                       reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return CString(text);
}

void Win32DialogWindow::SetItemData(int id, int index, std::intptr_t data) {
    Quiet quiet(*this);
    HWND item = Item(id);
    if (item)
        ::SendMessageA(item, IsComboBox(item) ? CB_SETITEMDATA : LB_SETITEMDATA,
                       static_cast<WPARAM>(index), static_cast<LPARAM>(data));
}

std::intptr_t Win32DialogWindow::GetItemData(int id, int index) const {
    HWND item = Item(id);
    if (!item)
        return -1;
    return static_cast<std::intptr_t>(::SendMessageA(
        item, IsComboBox(item) ? CB_GETITEMDATA : LB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

int Win32DialogWindow::GetCurSel(int id) const {
    HWND item = Item(id);
    if (!item)
        return -1;
    return IndexResult(::SendMessageA(item, IsComboBox(item) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

void Win32DialogWindow::SetCurSel(int id, int index) {
    Quiet quiet(*this);
    HWND item = Item(id);
    if (item)
        ::SendMessageA(item, IsComboBox(item) ? CB_SETCURSEL : LB_SETCURSEL,
                       static_cast<WPARAM>(index), 0);
}

void Win32DialogWindow::SetSpinRange(int id, int lowest, int highest) {
    Quiet quiet(*this);
    SendItem(id, UDM_SETRANGE32, static_cast<WPARAM>(lowest), static_cast<LPARAM>(highest));
}

void Win32DialogWindow::SetSpinPos(int id, int position) {
    Quiet quiet(*this);
    SendItem(id, UDM_SETPOS32, 0, static_cast<LPARAM>(position));
}

void Win32DialogWindow::SetSpinBase(int id, int base) {
    Quiet quiet(*this);
    SendItem(id, UDM_SETBASE, static_cast<WPARAM>(base), 0);
}

void Win32DialogWindow::EndDialog(int result) {
    if (m_window)
        ::EndDialog(m_window, result);
}

BOOL Win32DialogWindow::HasSystemMenu() const {
    return m_window && ::GetSystemMenu(m_window, FALSE) ? TRUE : FALSE;
}

void Win32DialogWindow::AppendSystemMenuSeparator() {
    if (HMENU menu = m_window ? ::GetSystemMenu(m_window, FALSE) : nullptr)
        ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
}

void Win32DialogWindow::AppendSystemMenuItem(UINT commandId, LPCSTR text) {
    if (HMENU menu = m_window ? ::GetSystemMenu(m_window, FALSE) : nullptr)
        ::AppendMenuA(menu, MF_STRING, commandId, text);
}

void Win32DialogWindow::SetCommandKey(UINT virtualKey, UINT commandId) {
    m_commandKeys[virtualKey] = commandId;
    m_backend.WatchCommandKeys();
}

bool Win32DialogWindow::CommandOfKey(UINT virtualKey, UINT& commandId) const {
    const auto bound = m_commandKeys.find(virtualKey);
    if (bound == m_commandKeys.end())
        return false;
    commandId = bound->second;
    return true;
}

void Win32DialogWindow::SetIcon(HICON icon, BOOL big) {
    if (m_window)
        ::SendMessageA(m_window, WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                       reinterpret_cast<LPARAM>(icon));
}

void Win32DialogWindow::DefaultSysCommand(UINT commandId, std::intptr_t parameter) {
    // The window's default procedure, not the dialog's: that one would come back here.
    if (m_window)
        ::DefWindowProcA(m_window, WM_SYSCOMMAND, commandId, static_cast<LPARAM>(parameter));
}

BOOL Win32DialogWindow::IsIconic() const {
    return m_window && ::IsIconic(m_window) ? TRUE : FALSE;
}

CSize Win32DialogWindow::GetClientSize() const {
    RECT client = {};
    if (m_window)
        ::GetClientRect(m_window, &client);
    CSize size;
    size.cx = client.right - client.left;
    size.cy = client.bottom - client.top;
    return size;
}

CSize Win32DialogWindow::GetIconSize() const {
    CSize size;
    size.cx = ::GetSystemMetrics(SM_CXICON);
    size.cy = ::GetSystemMetrics(SM_CYICON);
    return size;
}

void Win32DialogWindow::BeginPaint() {
    if (!m_window || m_painting)
        return;
    ::BeginPaint(m_window, &m_paint);
    m_painting = true;
    m_painted = true;
}

void Win32DialogWindow::EraseIconBackground() {
    if (m_painting)
        ::SendMessageA(m_window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(m_paint.hdc), 0);
}

void Win32DialogWindow::DrawIcon(int x, int y, HICON icon) {
    if (m_painting)
        ::DrawIcon(m_paint.hdc, x, y, icon);
}

void Win32DialogWindow::EndPaint() {
    if (!m_painting)
        return;
    ::EndPaint(m_window, &m_paint);
    m_painting = false;
}

void Win32DialogWindow::DefaultPaint() {
    m_painted = true;
    if (m_window)
        ::DefWindowProcA(m_window, WM_PAINT, 0, 0);
}

void* Win32DialogWindow::NativeHandle(int id) const {
    if (id == 0)
        return m_window;
    return Item(id);
}
