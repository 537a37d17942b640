#include "framework/win32/Win32Backend.h"

#include <commdlg.h>
#include <htmlhelp.h>

#include <algorithm>
#include <string>

#include "framework/App.h"
#include "framework/Dialog.h"
#include "framework/win32/DialogInitData.h"
#include "framework/win32/Win32DialogWindow.h"

namespace {

// Posted by each dialog to itself from WM_INITDIALOG when a test hook is installed.
constexpr UINT kOpenedMessage = WM_APP + 1;

// The back-end whose message filter runs on this thread (one back-end runs the dialogs).
Win32Backend* g_filteringBackend = nullptr;

constexpr int kFileBufferSize = 260;
constexpr int kFileTitleBufferSize = 64;

// Where the HTML Help control registers itself.
constexpr char kHtmlHelpServerKey[] =
    "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

// The framework's hook for the open-file dialog: it leaves every message to the dialog.
UINT_PTR CALLBACK OpenFileHook(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

// A filter as the framework's file dialog takes it ("Text|*.txt|All|*.*||") in the system's form,
// with zero bytes between the parts and two at the end.
std::string SystemFilter(const CString& filter) {
    std::string converted = filter.str();
    std::replace(converted.begin(), converted.end(), '|', '\0');
    converted.append(2, '\0');
    return converted;
}

std::string RegisteredHtmlHelpPath() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, kHtmlHelpServerKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return std::string();
    char path[MAX_PATH] = {};
    DWORD size = sizeof path - 1;
    DWORD type = 0;
    const LONG status =
        ::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    if (type == REG_EXPAND_SZ) {
        char expanded[MAX_PATH] = {};
        const DWORD length = ::ExpandEnvironmentStringsA(path, expanded, sizeof expanded);
        return length > 0 && length <= sizeof expanded ? std::string(expanded) : std::string();
    }
    return std::string(path);
}

}  // namespace

Win32Backend::Win32Backend(HINSTANCE resourceModule) : m_module(resourceModule) {}

// The HTML Help control stays loaded: help windows it opened may still be up, and they run its
// code until the process ends.
Win32Backend::~Win32Backend() {
    if (m_messageFilter) {
        ::UnhookWindowsHookEx(m_messageFilter);
        g_filteringBackend = nullptr;
    }
}

void Win32Backend::WatchCommandKeys() {
    if (m_messageFilter || g_filteringBackend)
        return;
    // The dialog box's own message loop offers every message to this filter before the dialog
    // manager handles it, whichever control has the focus.
    m_messageFilter = ::SetWindowsHookExA(WH_MSGFILTER, &Win32Backend::MessageFilter, nullptr,
                                          ::GetCurrentThreadId());
    if (m_messageFilter)
        g_filteringBackend = this;
}

LRESULT CALLBACK Win32Backend::MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && g_filteringBackend && lParam &&
        g_filteringBackend->TakeCommandKey(*reinterpret_cast<const MSG*>(lParam)))
        return 1;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Win32Backend::TakeCommandKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || m_openDialogs.empty())
        return false;
    if (::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0)
        return false;
    // Only for the dialog on top, the one that takes input.
    Win32DialogWindow& window = *m_openDialogs.back();
    HWND dialog = window.GetHandle();
    if (message.hwnd != dialog && !::IsChild(dialog, message.hwnd))
        return false;
    UINT commandId = 0;
    if (!window.CommandOfKey(static_cast<UINT>(message.wParam), commandId))
        return false;
    ::SendMessageA(dialog, WM_SYSCOMMAND, commandId, 0);
    return true;
}

HWND Win32Backend::ActiveDialog() const {
    return m_openDialogs.empty() ? nullptr : m_openDialogs.back()->GetHandle();
}

bool Win32Backend::IsProgramDialog(HWND window) const {
    for (const Win32DialogWindow* open : m_openDialogs) {
        if (open->GetHandle() == window)
            return true;
    }
    return false;
}

HWND Win32Backend::WindowOf(const CDialog* dialog) const {
    for (const Win32DialogWindow* window : m_openDialogs) {
        if (&window->GetDialog() == dialog)
            return window->GetHandle();
    }
    return nullptr;
}

std::intptr_t Win32Backend::RunModalDialog(CDialog& dialog, UINT templateId) {
    // Owned by its parent when that is open, else by the dialog on top.
    HWND owner = WindowOf(dialog.GetParent());
    if (!owner)
        owner = ActiveDialog();
    Win32DialogWindow window(*this, dialog, templateId);
    const INT_PTR result =
        ::DialogBoxParamA(m_module, MAKEINTRESOURCEA(templateId), owner,
                          &Win32Backend::DialogProcedure, reinterpret_cast<LPARAM>(&window));
    return static_cast<std::intptr_t>(result);
}

INT_PTR CALLBACK Win32Backend::DialogProcedure(HWND handle, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* window = reinterpret_cast<Win32DialogWindow*>(lParam);
        ::SetWindowLongPtrA(handle, DWLP_USER, reinterpret_cast<LONG_PTR>(window));
        window->AttachHandle(handle);
        return window->GetBackend().InitDialog(*window);
    }
    auto* window = reinterpret_cast<Win32DialogWindow*>(::GetWindowLongPtrA(handle, DWLP_USER));
    if (!window)
        return FALSE;  // messages before WM_INITDIALOG or after WM_DESTROY
    return window->GetBackend().HandleMessage(*window, message, wParam, lParam);
}

BOOL Win32Backend::InitDialog(Win32DialogWindow& window) {
    HWND handle = window.GetHandle();
    CDialog& dialog = window.GetDialog();
    m_openDialogs.push_back(&window);

    ApplyDialogInitData(m_module, window.GetTemplateId(), handle);
    // The Help button only stands where someone answers it.
    if (HWND helpButton = ::GetDlgItem(handle, ID_HELP)) {
        if (!AfxHelpEnabled() && !dialog.HandlesCommand(ID_HELP))
            ::ShowWindow(helpButton, SW_HIDE);
    }
    const BOOL setFocus = dialog.HandleInitDialog(window);
    if (m_openedHook)
        ::PostMessageA(handle, kOpenedMessage, 0, 0);
    return setFocus;
}

INT_PTR Win32Backend::HandleMessage(Win32DialogWindow& window, UINT message, WPARAM wParam,
                                    LPARAM lParam) {
    HWND handle = window.GetHandle();
    CDialog& dialog = window.GetDialog();
    switch (message) {
        case WM_COMMAND:
            // Notifications raised by the framework's own writes are not the user's doing.
            if (!window.IsQuiet())
                dialog.HandleCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_SYSCOMMAND:
            dialog.HandleSysCommand(static_cast<UINT>(wParam), static_cast<std::intptr_t>(lParam));
            return TRUE;
        case WM_PAINT:
            window.ResetPaintState();
            dialog.HandlePaint();
            if (!window.Painted())
                window.DefaultPaint();
            return TRUE;
        case WM_QUERYDRAGICON:
            // One of the messages whose answer is the dialog procedure's own result.
            return reinterpret_cast<INT_PTR>(dialog.HandleQueryDragIcon());
        case WM_HELP: {
            const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
            if (!info)
                return FALSE;
            HelpRequest request;
            request.contextType = info->iContextType;
            request.controlId = info->iCtrlId;
            request.mousePos.x = info->MousePos.x;
            request.mousePos.y = info->MousePos.y;
            request.modifierHeld = (::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0 ||
                                    ::GetKeyState(VK_MENU) < 0)
                                       ? TRUE
                                       : FALSE;
            if (!dialog.HandleHelp(request))
                return FALSE;
            ::SetWindowLongPtrA(handle, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        case WM_CONTEXTMENU: {
            HWND clicked = reinterpret_cast<HWND>(wParam);
            const int windowId = (!clicked || clicked == handle) ? 0 : ::GetDlgCtrlID(clicked);
            // Screen coordinates are signed: a second monitor left of the first, or (-1, -1)
            // for a request from the keyboard.
            CPoint position;
            position.x = static_cast<short>(LOWORD(lParam));
            position.y = static_cast<short>(HIWORD(lParam));
            window.SetContextMenuTarget(clicked ? clicked : handle);
            dialog.HandleContextMenu(windowId, position);
            window.SetContextMenuTarget(nullptr);
            return TRUE;
        }
        case WM_DESTROY:
            dialog.HandleDestroy();
            m_openDialogs.erase(std::remove(m_openDialogs.begin(), m_openDialogs.end(), &window),
                                m_openDialogs.end());
            return FALSE;  // the system's own clean-up follows
        case WM_NCDESTROY:
            ::SetWindowLongPtrA(handle, DWLP_USER, 0);
            return FALSE;
        case kOpenedMessage:
            if (m_openedHook)
                m_openedHook(handle, window.GetTemplateId(), m_openedHookContext);
            return TRUE;
        default:
            return FALSE;
    }
}

int Win32Backend::ShowMessageBox(LPCSTR text, LPCSTR caption, UINT type) {
    const int answer = ::MessageBoxA(ActiveDialog(), text, caption, type);
    // A box that could not be shown answers no: nothing is committed on its account.
    return answer == IDOK ? IDOK : IDCANCEL;
}

HICON Win32Backend::LoadIconResource(int resourceId) {
    return ::LoadIconA(m_module, MAKEINTRESOURCEA(resourceId));
}

BOOL Win32Backend::RunOpenFileDialog(OpenFileRequest& request) {
    char file[kFileBufferSize] = {};
    ::lstrcpynA(file, request.initialFile, kFileBufferSize);
    char title[kFileTitleBufferSize] = {};
    const std::string filter = SystemFilter(request.filter);

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    // Owned by the application's main window when it is open.
    CWinApp* app = AfxGetApp();
    HWND owner = WindowOf(app ? app->m_pMainWnd : nullptr);
    dialog.hwndOwner = owner ? owner : ActiveDialog();
    dialog.hInstance = m_module;
    dialog.lpstrFilter = request.filter.IsEmpty() ? nullptr : filter.c_str();
    dialog.lpstrFile = file;
    dialog.nMaxFile = kFileBufferSize;
    dialog.lpstrFileTitle = title;
    dialog.nMaxFileTitle = kFileTitleBufferSize;
    dialog.lpstrDefExt =
        request.defaultExtension.IsEmpty() ? nullptr : request.defaultExtension.GetString();
    dialog.Flags = request.flags;
    if (request.flags & OFN_ENABLEHOOK)
        dialog.lpfnHook = &OpenFileHook;

    const BOOL chosen =
        request.openMode ? ::GetOpenFileNameA(&dialog) : ::GetSaveFileNameA(&dialog);
    if (!chosen)
        return FALSE;
    request.chosenPath = file;
    request.chosenTitle = title;
    return TRUE;
}

Win32Backend::HtmlHelpFunction Win32Backend::LoadHtmlHelp() {
    if (m_htmlHelpLoaded)
        return m_htmlHelp;
    m_htmlHelpLoaded = true;  // one attempt: without the control, help stays silent all run
    const std::string registered = RegisteredHtmlHelpPath();
    if (!registered.empty())
        m_htmlHelpModule = ::LoadLibraryA(registered.c_str());
    if (!m_htmlHelpModule)
        m_htmlHelpModule = ::LoadLibraryA("hhctrl.ocx");
    if (!m_htmlHelpModule)
        return nullptr;
    // Through the generic function type, which converts to any other without complaint.
    const auto entry =
        reinterpret_cast<void (*)()>(::GetProcAddress(m_htmlHelpModule, "HtmlHelpA"));
    m_htmlHelp = reinterpret_cast<HtmlHelpFunction>(entry);
    return m_htmlHelp;
}

void Win32Backend::ShowHelpTopic(LPCSTR helpFile) {
    if (HtmlHelpFunction htmlHelp = LoadHtmlHelp())
        htmlHelp(nullptr, helpFile, HH_DISPLAY_TOPIC, 0);
}

void Win32Backend::ShowHelpPopup(IDialogWindow& owner, const HelpPopup& popup) {
    HtmlHelpFunction htmlHelp = LoadHtmlHelp();
    if (!htmlHelp)
        return;
    HH_POPUP request = {};
    request.cbStruct = sizeof request;
    request.hinst = nullptr;
    request.idString = 0;
    request.pszText = popup.text;
    request.pt.x = popup.position.x;
    request.pt.y = popup.position.y;
    request.clrForeground = popup.foreground;
    request.clrBackground = popup.background;
    // Text in its background's colour (black on black for the zeros the program asks for) can't
    // be read: the help system's own colours (-1) are used then.
    if (popup.foreground == popup.background)
        request.clrForeground = request.clrBackground = static_cast<COLORREF>(-1);
    request.rcMargins.left = popup.marginLeft;
    request.rcMargins.top = popup.marginTop;
    request.rcMargins.right = popup.marginRight;
    request.rcMargins.bottom = popup.marginBottom;
    request.pszFont = nullptr;
    htmlHelp(static_cast<HWND>(owner.NativeHandle(0)), nullptr, HH_DISPLAY_TEXT_POPUP,
             reinterpret_cast<DWORD_PTR>(&request));
}

void Win32Backend::ShowHelpContextMenu(IDialogWindow& owner, int windowId, LPCSTR topicFile,
                                       const void* idMap) {
    HtmlHelpFunction htmlHelp = LoadHtmlHelp();
    if (!htmlHelp)
        return;
    // The clicked window itself when the request is the one being handled (it may be a window
    // inside a control, which its id alone doesn't reach).
    HWND target = nullptr;
    for (const Win32DialogWindow* window : m_openDialogs) {
        if (window == &owner && window->GetContextMenuTarget()) {
            HWND clicked = window->GetContextMenuTarget();
            const int clickedId = clicked == window->GetHandle() ? 0 : ::GetDlgCtrlID(clicked);
            if (clickedId == windowId)
                target = clicked;
        }
    }
    if (!target)
        target = static_cast<HWND>(owner.NativeHandle(windowId));
    htmlHelp(target, topicFile, HH_TP_HELP_CONTEXTMENU, reinterpret_cast<DWORD_PTR>(idMap));
}

BOOL Win32Backend::QuitLegacyHelp(LPCSTR helpFile) {
    return ::WinHelpA(ActiveDialog(), helpFile, HELP_QUIT, 0);
}
