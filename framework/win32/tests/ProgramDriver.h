// Drives the real Windows program inside a test process, as a user would: the program's own
// start-up runs on the Win32 back-end with its compiled dialog templates; when one of its dialogs
// opens, the test's handler for that template runs on the dialog's own message loop and works the
// controls with the messages a user's actions produce (BM_CLICK, CB_SETCURSEL with CBN_SELCHANGE,
// WM_SETTEXT). Message boxes and the open-file dialog are caught with a WH_CBT hook as they
// activate: message boxes are recorded and answered from a script, the open-file dialog goes to
// the test's handler.
#pragma once

#include "framework/Types.h"  // <windows.h> without its min and max macros

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

class IPlatform;

struct MessageBoxSeen {
    std::string caption;
    std::string text;
    bool stopIcon = false;
    bool questionIcon = false;
    bool hasCancel = false;
};

class ProgramDriver {
public:
    ProgramDriver();
    ~ProgramDriver();
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    // The handler for the next opening of a dialog with this template. A handler must end its
    // dialog (with OK or Cancel); one that doesn't fails the test, and the dialog is cancelled.
    // A dialog without a handler fails the test and is cancelled.
    void OnDialog(UINT templateId, std::function<void(HWND)> handler);
    // Answers (IDOK, IDCANCEL) for the coming message boxes, in order; after them, OK.
    void AnswerMessageBoxes(std::vector<int> answers);
    // Runs when the open-file dialog activates; without it the file dialog is cancelled.
    void OnFileDialog(std::function<void(HWND)> handler);

    // Runs the program from its start-up, as the executable C:\Program\tarnwick.exe, on the given
    // platform (null: the real one). Returns when the program ends.
    void Run(IPlatform* platform = nullptr);

    const std::vector<UINT>& OpenedDialogs() const { return m_opened; }
    const std::vector<MessageBoxSeen>& MessageBoxes() const { return m_messageBoxes; }

private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static void Opened(HWND dialog, UINT templateId, void* context);
    void Activated(HWND window);

    HHOOK m_hook = nullptr;
    std::vector<std::pair<UINT, std::function<void(HWND)>>> m_handlers;
    std::deque<int> m_answers;
    std::function<void(HWND)> m_fileDialogHandler;
    std::set<HWND> m_programDialogs;
    std::set<HWND> m_handledWindows;
    std::vector<UINT> m_opened;
    std::vector<MessageBoxSeen> m_messageBoxes;
};

// What a user does, by control id. Clicking or typing into a disabled control fails the test,
// as a user couldn't.
void Click(HWND dialog, int id);
void SelectEntry(HWND dialog, int id, int index);  // of a combo box or a list box
void Type(HWND dialog, int id, const char* text);
// A key pressed with the focus on control id; the messages it makes go through the dialog
// manager until none is left (a dialog it opens runs its handler meanwhile).
void PressKey(HWND dialog, int id, UINT virtualKey);

std::string TextOf(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
bool IsVisible(HWND dialog, int id);
int SelectionOf(HWND dialog, int id);
// The entries of a combo box or list box.
std::vector<std::string> EntriesOf(HWND dialog, int id);
