// The in-memory user-interface back-end for tests. While a TestBackend lives it is the process's
// back-end (a nested one takes over until it ends): dialogs run on TestDialogWindow objects built
// from the templates in res/, and a test scripts what the user does in each modal dialog, how
// message boxes and open-file dialogs are answered, and reads back everything the program showed.
// Nothing here ever waits for input: a dialog or message box that the test did not expect is
// recorded as a failure and cancelled. See framework/test/README.md.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/Backend.h"
#include "framework/test/TestDialogWindow.h"

class TestBackend : public IBackend {
public:
    // What the user does in one modal dialog; it runs once the dialog is initialised.
    using Driver = std::function<void(TestDialogWindow&)>;

    struct MessageBoxRecord {
        CString text;
        CString caption;
        UINT type = 0;
        int answer = 0;
    };
    struct OpenFileRecord {
        OpenFileRequest request;  // as the program asked, with the answer filled in
        BOOL chosen = FALSE;
    };
    struct HelpCall {
        enum class Kind { kTopic, kPopup, kContextMenu };
        Kind kind = Kind::kTopic;
        CString file;              // help file (topic) or topic file (context menu)
        HelpPopup popup;           // kPopup
        UINT ownerTemplateId = 0;  // kPopup, kContextMenu: the dialog that asked
        int windowId = 0;          // kContextMenu: the clicked window's id
        const void* idMap = nullptr;
    };
    struct DialogRecord {
        UINT templateId = 0;
        std::intptr_t result = 0;
        BOOL driverRan = FALSE;
    };

    TestBackend();
    ~TestBackend() override;
    TestBackend(const TestBackend&) = delete;
    TestBackend& operator=(const TestBackend&) = delete;

    // ---- The script. Each queue is used first in, first out.
    // The next opening of template templateId runs beforeInit (if any) before the dialog's
    // OnInitDialog, and driver after it while the dialog is still open. The dialog must be ended
    // by the driver (a button, a key, the close box); one left open is a failure.
    void QueueDialog(UINT templateId, Driver driver, Driver beforeInit = nullptr);
    // The answer to the next message box; with expectedText, a box with another text is a failure.
    void QueueMessageBoxAnswer(int answer, LPCSTR expectedText = nullptr);
    // The next open-file dialog chooses this full path, or is cancelled.
    void QueueOpenFileAnswer(LPCSTR chosenPath);
    void QueueOpenFileCancel();
    // The legacy help engine refuses its quit command (the framework then says so).
    void SetLegacyHelpRefuses(BOOL refuses) { m_bLegacyHelpRefuses = refuses; }
    // The next opening of templateId fails as if the template could not be loaded (-1).
    void FailDialogCreation(UINT templateId) { ++m_failCreation[templateId]; }

    // ---- What happened, in order.
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_messageBoxes; }
    const std::vector<OpenFileRecord>& OpenFileRequests() const { return m_openFileRequests; }
    const std::vector<HelpCall>& HelpCalls() const { return m_helpCalls; }
    const std::vector<CString>& LegacyHelpQuits() const { return m_legacyHelpQuits; }
    const std::vector<DialogRecord>& Dialogs() const { return m_dialogs; }
    // Unexpected dialogs and message boxes, actions on closed dialogs or missing controls, ...
    const std::vector<std::string>& Failures() const { return m_failures; }
    // Failures plus script entries never used, one per line; empty when all went as scripted.
    std::string Problems() const;

    // The dialog on top (null when none is open), and the latest window of a template (kept
    // after the dialog closed, so a test can read its last state; null when it never opened).
    TestDialogWindow* ActiveWindow() const { return m_open.empty() ? nullptr : m_open.back(); }
    TestDialogWindow* LastWindow(UINT templateId) const;
    // The handle LoadIconResource gives for an icon resource; null for an unknown resource.
    static HICON IconHandle(int resourceId);

    void RecordFailure(const std::string& failure) { m_failures.push_back(failure); }

    // ---- IBackend.
    std::intptr_t RunModalDialog(CDialog& dialog, UINT templateId) override;
    int ShowMessageBox(LPCSTR text, LPCSTR caption, UINT type) override;
    HICON LoadIconResource(int resourceId) override { return IconHandle(resourceId); }
    BOOL RunOpenFileDialog(OpenFileRequest& request) override;
    void ShowHelpTopic(LPCSTR helpFile) override;
    void ShowHelpPopup(IDialogWindow& owner, const HelpPopup& popup) override;
    void ShowHelpContextMenu(IDialogWindow& owner, int windowId, LPCSTR topicFile,
                             const void* idMap) override;
    BOOL QuitLegacyHelp(LPCSTR helpFile) override;

private:
    struct DialogScript {
        Driver driver;
        Driver beforeInit;
    };
    struct MessageBoxScript {
        int answer;
        CString expectedText;
        BOOL checkText;
    };
    struct OpenFileScript {
        BOOL choose;
        CString path;
    };

    std::map<UINT, std::deque<DialogScript>> m_dialogScripts;
    std::deque<MessageBoxScript> m_messageBoxScripts;
    std::deque<OpenFileScript> m_openFileScripts;
    std::map<UINT, int> m_failCreation;
    BOOL m_bLegacyHelpRefuses = FALSE;

    std::vector<std::unique_ptr<TestDialogWindow>> m_windows;  // every window ever opened
    std::vector<TestDialogWindow*> m_open;                     // the modal stack, top last
    std::vector<MessageBoxRecord> m_messageBoxes;
    std::vector<OpenFileRecord> m_openFileRequests;
    std::vector<HelpCall> m_helpCalls;
    std::vector<CString> m_legacyHelpQuits;
    std::vector<DialogRecord> m_dialogs;
    std::vector<std::string> m_failures;
    TestBackend* m_pPrevious;
};
