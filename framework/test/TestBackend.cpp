#include "framework/test/TestBackend.h"

#include <string>

#include "framework/DialogTemplate.h"
#include "res/resource.h"

namespace {
std::string Quoted(LPCSTR text) {
    return std::string("\"") + (text ? text : "") + "\"";
}

// Whether answer is one of the buttons of a message box of this type.
bool IsButtonOf(UINT type, int answer) {
    switch (type & 0xF) {
        case MB_OK:
            return answer == IDOK;
        case MB_OKCANCEL:
            return answer == IDOK || answer == IDCANCEL;
        default:
            return true;  // types the program doesn't use are not checked
    }
}
}  // namespace

namespace {
TestBackend* g_currentTestBackend = nullptr;
}

TestBackend::TestBackend() : m_pPrevious(g_currentTestBackend) {
    g_currentTestBackend = this;
    SetBackend(this);
}

TestBackend::~TestBackend() {
    g_currentTestBackend = m_pPrevious;
    SetBackend(m_pPrevious);
}

void TestBackend::QueueDialog(UINT templateId, Driver driver, Driver beforeInit) {
    m_dialogScripts[templateId].push_back({std::move(driver), std::move(beforeInit)});
}

void TestBackend::QueueMessageBoxAnswer(int answer, LPCSTR expectedText) {
    m_messageBoxScripts.push_back({answer, CString(expectedText), expectedText ? TRUE : FALSE});
}

void TestBackend::QueueOpenFileAnswer(LPCSTR chosenPath) {
    m_openFileScripts.push_back({TRUE, CString(chosenPath)});
}

void TestBackend::QueueOpenFileCancel() {
    m_openFileScripts.push_back({FALSE, CString()});
}

std::string TestBackend::Problems() const {
    std::string problems;
    for (const std::string& failure : m_failures)
        problems += failure + "\n";
    for (const auto& [templateId, scripts] : m_dialogScripts) {
        if (!scripts.empty()) {
            problems += "dialog " + std::to_string(templateId) + " was scripted " +
                        std::to_string(scripts.size()) + " more time(s) than it opened\n";
        }
    }
    for (const MessageBoxScript& script : m_messageBoxScripts) {
        problems += "message box answer " + std::to_string(script.answer) +
                    (script.checkText ? " for " + Quoted(script.expectedText) : std::string()) +
                    " was never asked for\n";
    }
    if (!m_openFileScripts.empty()) {
        problems += std::to_string(m_openFileScripts.size()) +
                    " open-file answer(s) were never asked for\n";
    }
    return problems;
}

TestDialogWindow* TestBackend::LastWindow(UINT templateId) const {
    for (auto window = m_windows.rbegin(); window != m_windows.rend(); ++window) {
        if ((*window)->TemplateId() == templateId)
            return window->get();
    }
    return nullptr;
}

HICON TestBackend::IconHandle(int resourceId) {
    if (resourceId != IDR_MAINFRAME)
        return nullptr;
    static char icon;  // any distinct address will do as a handle
    return reinterpret_cast<HICON>(&icon);  // HICON is a pointer type on every build
}

std::intptr_t TestBackend::RunModalDialog(CDialog& dialog, UINT templateId) {
    auto failing = m_failCreation.find(templateId);
    const DialogTemplate* dialogTemplate = FindDialogTemplate(static_cast<int>(templateId));
    if (!dialogTemplate || (failing != m_failCreation.end() && failing->second > 0)) {
        if (dialogTemplate)
            --failing->second;
        m_dialogs.push_back({templateId, -1, FALSE});
        return -1;
    }

    DialogScript script;
    auto scripts = m_dialogScripts.find(templateId);
    const bool scripted = scripts != m_dialogScripts.end() && !scripts->second.empty();
    if (scripted) {
        script = std::move(scripts->second.front());
        scripts->second.pop_front();
    }

    m_windows.push_back(std::make_unique<TestDialogWindow>(*this, dialog, *dialogTemplate));
    TestDialogWindow& window = *m_windows.back();
    m_open.push_back(&window);
    // Leaves the modal stack even when a driver throws.
    struct CloseOnExit {
        std::vector<TestDialogWindow*>& open;
        TestDialogWindow& window;
        ~CloseOnExit() {
            window.Detach();
            open.pop_back();
        }
    } closeOnExit{m_open, window};

    if (script.beforeInit)
        script.beforeInit(window);
    dialog.HandleInitDialog(window);
    BOOL driverRan = FALSE;
    if (window.IsOpen()) {
        const std::string name = "dialog " + std::to_string(templateId);
        if (script.driver) {
            script.driver(window);
            driverRan = TRUE;
            if (window.IsOpen()) {
                RecordFailure(name + " was still open when its driver returned; ended as IDCANCEL");
            }
        } else {
            RecordFailure("unexpected " + name + " (" + Quoted(dialogTemplate->title) +
                          "); ended as IDCANCEL");
        }
        if (window.IsOpen())
            window.EndDialog(IDCANCEL);
    }
    dialog.HandleDestroy();
    m_dialogs.push_back({templateId, window.Result(), driverRan});
    return window.Result();
}

int TestBackend::ShowMessageBox(LPCSTR text, LPCSTR caption, UINT type) {
    MessageBoxRecord record{CString(text), CString(caption), type, IDCANCEL};
    if (m_messageBoxScripts.empty()) {
        RecordFailure("unexpected message box " + Quoted(text) + "; answered IDCANCEL");
    } else {
        const MessageBoxScript script = m_messageBoxScripts.front();
        m_messageBoxScripts.pop_front();
        record.answer = script.answer;
        if (script.checkText && script.expectedText != text) {
            RecordFailure("message box " + Quoted(text) + " where " + Quoted(script.expectedText) +
                          " was expected");
        }
        if (!IsButtonOf(type, script.answer)) {
            RecordFailure("answer " + std::to_string(script.answer) + " is not a button of " +
                          "message box " + Quoted(text));
        }
    }
    m_messageBoxes.push_back(record);
    return record.answer;
}

BOOL TestBackend::RunOpenFileDialog(OpenFileRequest& request) {
    OpenFileRecord record{request, FALSE};
    if (m_openFileScripts.empty()) {
        RecordFailure("unexpected open-file dialog for " + Quoted(request.initialFile) +
                      "; cancelled");
    } else {
        const OpenFileScript script = m_openFileScripts.front();
        m_openFileScripts.pop_front();
        if (script.choose) {
            const std::string& path = script.path.str();
            const std::size_t slash = path.find_last_of("/\\");
            request.chosenPath = script.path;
            request.chosenTitle = path.substr(slash == std::string::npos ? 0 : slash + 1).c_str();
            record.request = request;
            record.chosen = TRUE;
        }
    }
    m_openFileRequests.push_back(record);
    return record.chosen;
}

void TestBackend::ShowHelpTopic(LPCSTR helpFile) {
    HelpCall call;
    call.kind = HelpCall::Kind::kTopic;
    call.file = helpFile;
    m_helpCalls.push_back(call);
}

void TestBackend::ShowHelpPopup(IDialogWindow& owner, const HelpPopup& popup) {
    HelpCall call;
    call.kind = HelpCall::Kind::kPopup;
    call.popup = popup;
    if (auto* window = dynamic_cast<TestDialogWindow*>(&owner)) {
        call.ownerTemplateId = window->TemplateId();
    }
    m_helpCalls.push_back(call);
}

void TestBackend::ShowHelpContextMenu(IDialogWindow& owner, int windowId, LPCSTR topicFile,
                                      const void* idMap) {
    HelpCall call;
    call.kind = HelpCall::Kind::kContextMenu;
    call.file = topicFile;
    call.windowId = windowId;
    call.idMap = idMap;
    if (auto* window = dynamic_cast<TestDialogWindow*>(&owner)) {
        call.ownerTemplateId = window->TemplateId();
    }
    m_helpCalls.push_back(call);
}

BOOL TestBackend::QuitLegacyHelp(LPCSTR helpFile) {
    m_legacyHelpQuits.push_back(CString(helpFile));
    return m_bLegacyHelpRefuses ? FALSE : TRUE;
}
