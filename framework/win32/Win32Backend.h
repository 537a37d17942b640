// The Win32 back-end of the framework: dialogs from the program's compiled resource templates
// (DialogBoxParamA), real message boxes, the common open-file dialog, icons from the resources,
// HTML Help loaded on first use and the legacy help engine.
#pragma once

#include <vector>

#include "framework/Backend.h"
#include "framework/Types.h"

class Win32DialogWindow;

class Win32Backend : public IBackend {
public:
    // The module that holds the dialog templates, init data and icons.
    explicit Win32Backend(HINSTANCE resourceModule);
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    std::intptr_t RunModalDialog(CDialog& dialog, UINT templateId) override;
    int ShowMessageBox(LPCSTR text, LPCSTR caption, UINT type) override;
    HICON LoadIconResource(int resourceId) override;
    BOOL RunOpenFileDialog(OpenFileRequest& request) override;
    void ShowHelpTopic(LPCSTR helpFile) override;
    void ShowHelpPopup(IDialogWindow& owner, const HelpPopup& popup) override;
    void ShowHelpContextMenu(IDialogWindow& owner, int windowId, LPCSTR topicFile,
                             const void* idMap) override;
    BOOL QuitLegacyHelp(LPCSTR helpFile) override;

    // For tests that drive the real dialogs: called once for each dialog, from its own message
    // loop, after its initialisation (the dialog posts itself a message from WM_INITDIALOG).
    using OpenedHook = void (*)(HWND dialog, UINT templateId, void* context);
    void SetOpenedHook(OpenedHook hook, void* context) {
        m_openedHook = hook;
        m_openedHookContext = context;
    }

    // The most recently opened dialog that is still open; null when none is.
    HWND ActiveDialog() const;
    // Whether the window is one of the program's open dialogs.
    bool IsProgramDialog(HWND window) const;
    // From the first dialog that binds a function key to a system command on: keys pressed in
    // the dialog on top are looked up in its bindings before the dialog manager sees them.
    void WatchCommandKeys();

private:
    static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);
    bool TakeCommandKey(const MSG& message);
    static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    BOOL InitDialog(Win32DialogWindow& window);
    INT_PTR HandleMessage(Win32DialogWindow& window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND WindowOf(const CDialog* dialog) const;
    // HtmlHelpA of the HTML Help control, loaded on first use; null when it can't be loaded.
    using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
    HtmlHelpFunction LoadHtmlHelp();

    HINSTANCE m_module;
    std::vector<Win32DialogWindow*> m_openDialogs;  // in the order they were opened
    OpenedHook m_openedHook = nullptr;
    void* m_openedHookContext = nullptr;
    bool m_htmlHelpLoaded = false;
    HMODULE m_htmlHelpModule = nullptr;
    HtmlHelpFunction m_htmlHelp = nullptr;
    HHOOK m_messageFilter = nullptr;
};
