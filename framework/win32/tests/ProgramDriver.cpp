#include "framework/win32/tests/ProgramDriver.h"

#include <gtest/gtest.h>

#include "framework/win32/Win32Application.h"
#include "framework/win32/Win32Backend.h"

namespace {

ProgramDriver* g_driver = nullptr;

// Where message boxes keep their text and icon: 0xFFFF for the text; the icon's id differs
// between Windows (20) and Wine (0x440).
constexpr int kMessageTextId = 0xFFFF;
constexpr int kMessageIconIds[] = {20, 0x440};

std::string WindowText(HWND window) {
    char text[4096] = {};
    if (window)
        ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

bool ShowsIcon(HWND box, LPCSTR systemIcon) {
    HICON wanted = ::LoadIconA(nullptr, systemIcon);
    for (int id : kMessageIconIds) {
        HWND icon = ::GetDlgItem(box, id);
        if (icon && reinterpret_cast<HICON>(::SendMessageA(icon, STM_GETICON, 0, 0)) == wanted)
            return true;
    }
    return false;
}

HWND Control(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    EXPECT_NE(control, nullptr) << "no control " << id;
    return control;
}

}  // namespace

ProgramDriver::ProgramDriver() {
    g_driver = this;
    m_hook = ::SetWindowsHookExA(WH_CBT, &ProgramDriver::CbtHook, nullptr, ::GetCurrentThreadId());
    EXPECT_NE(m_hook, nullptr);
}

ProgramDriver::~ProgramDriver() {
    if (m_hook)
        ::UnhookWindowsHookEx(m_hook);
    g_driver = nullptr;
    for (const auto& handler : m_handlers)
        ADD_FAILURE() << "dialog " << handler.first << " never opened";
}

void ProgramDriver::OnDialog(UINT templateId, std::function<void(HWND)> handler) {
    m_handlers.emplace_back(templateId, std::move(handler));
}

void ProgramDriver::AnswerMessageBoxes(std::vector<int> answers) {
    m_answers.assign(answers.begin(), answers.end());
}

void ProgramDriver::OnFileDialog(std::function<void(HWND)> handler) {
    m_fileDialogHandler = std::move(handler);
}

void ProgramDriver::Run(IPlatform* platform) {
    Win32RunOptions options;
    options.platform = platform;
    options.openedHook = &ProgramDriver::Opened;
    options.openedHookContext = this;
    RunWin32Application(::GetModuleHandleA(nullptr), "C:\\Program\\tarnwick.exe", options);
}

void ProgramDriver::Opened(HWND dialog, UINT templateId, void* context) {
    auto& driver = *static_cast<ProgramDriver*>(context);
    driver.m_opened.push_back(templateId);
    std::function<void(HWND)> handler;
    for (auto it = driver.m_handlers.begin(); it != driver.m_handlers.end(); ++it) {
        if (it->first == templateId) {
            handler = std::move(it->second);
            driver.m_handlers.erase(it);
            break;
        }
    }
    if (handler) {
        handler(dialog);
    } else {
        ADD_FAILURE() << "dialog " << templateId << " opened without a handler";
    }
    // Ending a dialog hides it at once; a visible one was left open.
    if (::IsWindow(dialog) && ::IsWindowVisible(dialog)) {
        if (handler)
            ADD_FAILURE() << "dialog " << templateId << " was left open";
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

LRESULT CALLBACK ProgramDriver::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_driver)
        g_driver->Activated(reinterpret_cast<HWND>(wParam));
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void ProgramDriver::Activated(HWND window) {
    Win32Backend* backend = RunningWin32Backend();
    if ((backend && backend->IsProgramDialog(window)) || ClassOf(window) != "#32770")
        return;
    if (!m_handledWindows.insert(window).second)
        return;  // activated again
    if (::GetDlgItem(window, kMessageTextId)) {
        MessageBoxSeen box;
        box.caption = WindowText(window);
        box.text = WindowText(::GetDlgItem(window, kMessageTextId));
        box.stopIcon = ShowsIcon(window, IDI_HAND);
        box.questionIcon = ShowsIcon(window, IDI_QUESTION);
        box.hasCancel = ::GetDlgItem(window, IDCANCEL) != nullptr;
        m_messageBoxes.push_back(box);
        int answer = IDOK;
        if (!m_answers.empty()) {
            answer = m_answers.front();
            m_answers.pop_front();
        }
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, answer)));
        return;
    }
    if (m_fileDialogHandler) {
        auto handler = std::move(m_fileDialogHandler);
        m_fileDialogHandler = nullptr;
        handler(window);
    } else {
        ADD_FAILURE() << "unexpected dialog \"" << WindowText(window) << "\"";
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

void Click(HWND dialog, int id) {
    HWND control = Control(dialog, id);
    ASSERT_TRUE(control && ::IsWindowEnabled(control)) << "control " << id << " is disabled";
    ::SendMessageA(control, BM_CLICK, 0, 0);
}

void SelectEntry(HWND dialog, int id, int index) {
    HWND control = Control(dialog, id);
    ASSERT_TRUE(control && ::IsWindowEnabled(control)) << "control " << id << " is disabled";
    const bool combo = ClassOf(control) == "ComboBox";
    ::SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(control));
}

void PressKey(HWND dialog, int id, UINT virtualKey) {
    HWND control = Control(dialog, id);
    ASSERT_TRUE(control && ::IsWindowEnabled(control)) << "control " << id << " is disabled";
    ::SetFocus(control);
    ::PostMessageA(control, WM_KEYDOWN, virtualKey, 1);
    ::PostMessageA(control, WM_KEYUP, virtualKey, 0xC0000001);
    // Through the dialog manager, as the dialog's own loop takes every message.
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!::IsDialogMessageA(dialog, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
}

void Type(HWND dialog, int id, const char* text) {
    HWND control = Control(dialog, id);
    ASSERT_TRUE(control && ::IsWindowEnabled(control)) << "control " << id << " is disabled";
    ::SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

std::string TextOf(HWND dialog, int id) {
    return WindowText(Control(dialog, id));
}

bool IsChecked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id) {
    HWND control = Control(dialog, id);
    return control && ::IsWindowEnabled(control);
}

bool IsVisible(HWND dialog, int id) {
    HWND control = Control(dialog, id);
    return control && ::IsWindowVisible(control);
}

int SelectionOf(HWND dialog, int id) {
    HWND control = Control(dialog, id);
    const bool combo = control && ClassOf(control) == "ComboBox";
    return static_cast<int>(
        ::SendDlgItemMessageA(dialog, id, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

std::vector<std::string> EntriesOf(HWND dialog, int id) {
    HWND control = Control(dialog, id);
    std::vector<std::string> entries;
    if (!control)
        return entries;
    const bool combo = ClassOf(control) == "ComboBox";
    const LRESULT count = ::SendMessageA(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[4096] = {};
        ::SendMessageA(control, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}
