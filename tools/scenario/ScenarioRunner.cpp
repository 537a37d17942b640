#include "ScenarioRunner.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ResourceNames.h"
#include "platform/posix/DriveFolder.h"
#include "res/resource.h"

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Hex(unsigned long value) {
    std::ostringstream text;
    text << "0x" << std::hex << std::uppercase << value;
    return text.str();
}

std::string AnswerName(std::intptr_t answer) {
    if (answer == IDOK)
        return "OK";
    if (answer == IDCANCEL)
        return "Cancel";
    return std::to_string(answer);
}

bool ReadHostFile(const std::string& path, std::string& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::ostringstream buffer;
    buffer << file.rdbuf();
    bytes = buffer.str();
    return true;
}

// Where two byte strings first differ, shown with a little context from each.
std::string DescribeDifference(const std::string& got, const std::string& expected) {
    size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at])
        ++at;
    size_t from = at > 24 ? at - 24 : 0;
    return "first difference at byte " + std::to_string(at) + " (of " + std::to_string(got.size()) +
           " found, " + std::to_string(expected.size()) + " expected): found ..." +
           Quoted(EscapeBytes(got.substr(from, 56))) + ", expected ..." +
           Quoted(EscapeBytes(expected.substr(from, 56)));
}

const char* KindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::kPushButton:
            return "button";
        case ControlKind::kDefPushButton:
            return "default button";
        case ControlKind::kAutoCheckBox:
            return "check box";
        case ControlKind::kEdit:
            return "edit";
        case ControlKind::kComboBox:
            return "combo box";
        case ControlKind::kListBox:
            return "list box";
        case ControlKind::kUpDown:
            return "up-down";
        case ControlKind::kStaticText:
            return "static";
        case ControlKind::kStaticIcon:
            return "icon";
    }
    return "control";
}

const struct {
    const char* name;
    FakeToken token;
} kTokenNames[] = {
    {"administrator", FakeToken::kAdministrator},
    {"deny-only", FakeToken::kAdministratorDenyOnly},
    {"not-administrator", FakeToken::kNotAdministrator},
    {"huge", FakeToken::kHugeGroupList},
    {"cannot-open", FakeToken::kCannotOpen},
};

bool IsUserAction(const std::string& command) {
    static const char* const kActions[] = {
        "click",  "type",  "clear",  "backspace", "pick",       "spin-up", "spin-down", "ok",
        "cancel", "enter", "escape", "close",     "syscommand", "help",    "key",       "ignored"};
    return std::find_if(std::begin(kActions), std::end(kActions), [&](const char* action) {
               return command == action;
           }) != std::end(kActions);
}

}  // namespace

ScenarioRunner::ScenarioRunner(std::string scriptFolder, std::ostream& out)
    : m_scriptFolder(std::move(scriptFolder)), m_out(out), m_windowTemplate(IDD_BOOTEDIT_DIALOG) {}

ScenarioRunner::~ScenarioRunner() {
    // The program's objects go before the platform they point to.
    m_app.reset();
    m_backend.reset();
    SetPlatform(nullptr);
    m_platform.reset();
}

bool ScenarioRunner::Run(const std::vector<ScenarioStep>& steps) {
    m_backend = std::make_unique<TestBackend>();
    m_app = std::make_unique<CBootEditApp>();
    try {
        for (const ScenarioStep& step : steps)
            RunTopLevel(step);
    } catch (const StepError& error) {
        m_failures.push_back(error.message);
        m_out << error.message << "\n";
    }
    if (m_crashScheduled && m_ran && !m_crashed) {
        m_failures.push_back("the scheduled crash never happened");
    }
    std::istringstream problems(m_backend->Problems());
    for (std::string problem; std::getline(problems, problem);) {
        m_failures.push_back("back-end: " + problem);
    }
    if (m_printAtEnd) {
        ScenarioStep showAll;
        Show(showAll, nullptr);
        if (m_platform)
            PrintCalls();
    }
    if (m_keepDrive && m_platform)
        m_out << "drive folder kept: " << m_platform->DriveFolder() << "\n";
    return m_failures.empty();
}

FakePlatform& ScenarioRunner::Drive(const ScenarioStep& step) {
    if (!m_platform) {
        try {
            m_platform = m_fixtureFolder.empty() ? std::make_unique<FakePlatform>()
                                                 : std::make_unique<FakePlatform>(m_fixtureFolder);
        } catch (const std::exception& error) {
            throw StepError{"line " + std::to_string(step.line) + ": " + error.what()};
        }
        m_platform->KeepDriveFolder(m_keepDrive);
        SetPlatform(m_platform.get());
        m_app->SetProfileStore(m_platform.get());
    }
    return *m_platform;
}

void ScenarioRunner::Fail(const ScenarioStep& step, const std::string& message) {
    std::string failure = "line " + std::to_string(step.line) + ": " + message;
    m_failures.push_back(failure);
    m_out << failure << "\n";
}

void ScenarioRunner::NeedWords(const ScenarioStep& step, size_t least, size_t most) {
    if (step.words.size() < least || step.words.size() > most) {
        throw StepError{"line " + std::to_string(step.line) + ": \"" + step.command + "\" takes " +
                        (least == most ? std::to_string(least)
                                       : std::to_string(least) + " to " + std::to_string(most)) +
                        " word(s)"};
    }
}

const std::string& ScenarioRunner::Word(const ScenarioStep& step, size_t index) {
    if (index >= step.words.size()) {
        throw StepError{"line " + std::to_string(step.line) + ": \"" + step.command +
                        "\" is missing a word"};
    }
    return step.words[index].text;
}

int ScenarioRunner::Id(const ScenarioStep& step, size_t index) {
    int id = 0;
    if (!ResourceIdFromWord(Word(step, index), id)) {
        throw StepError{"line " + std::to_string(step.line) + ": unknown id " +
                        Quoted(Word(step, index))};
    }
    return id;
}

long ScenarioRunner::Number(const ScenarioStep& step, size_t index) {
    const std::string& word = Word(step, index);
    char* end = nullptr;
    long number = std::strtol(word.c_str(), &end, 0);
    if (word.empty() || *end != '\0') {
        throw StepError{"line " + std::to_string(step.line) + ": not a number: " + Quoted(word)};
    }
    return number;
}

bool ScenarioRunner::YesNo(const ScenarioStep& step, size_t index) {
    std::string word = LowerCase(Word(step, index));
    if (word == "yes" || word == "1" || word == "true")
        return true;
    if (word == "no" || word == "0" || word == "false")
        return false;
    throw StepError{"line " + std::to_string(step.line) + ": expected yes or no, found " +
                    Quoted(word)};
}

int ScenarioRunner::Answer(const ScenarioStep& step, size_t index) {
    std::string word = LowerCase(Word(step, index));
    if (word == "ok" || word == "idok")
        return IDOK;
    if (word == "cancel" || word == "idcancel")
        return IDCANCEL;
    return static_cast<int>(Number(step, index));
}

std::string ScenarioRunner::ScriptPath(const std::string& relative) const {
    if (!relative.empty() && relative[0] == '/')
        return relative;
    return m_scriptFolder + "/" + relative;
}

std::string ScenarioRunner::FixtureHostPath(const std::string& programPath) const {
    std::string hostPath;
    struct stat info;
    if (m_fixtureFolder.empty() ||
        !DriveFolder(m_fixtureFolder).ToHostPath(programPath, hostPath) ||
        stat(hostPath.c_str(), &info) != 0) {
        return std::string();
    }
    return hostPath;
}

void ScenarioRunner::RunTopLevel(const ScenarioStep& step) {
    const std::string& command = step.command;
    if (command == "fixture") {
        NeedWords(step, 1, 1);
        if (m_platform) {
            throw StepError{"line " + std::to_string(step.line) +
                            ": \"fixture\" must come before every step that uses the drive"};
        }
        m_fixtureFolder = ScriptPath(Word(step, 0));
        Drive(step);
    } else if (command == "program") {
        NeedWords(step, 1, 1);
        m_executablePath = Word(step, 0);
    } else if (command == "token") {
        NeedWords(step, 1, 1);
        for (const auto& entry : kTokenNames) {
            if (LowerCase(Word(step, 0)) == entry.name) {
                Drive(step).SetToken(entry.token);
                return;
            }
        }
        throw StepError{"line " + std::to_string(step.line) + ": unknown token " +
                        Quoted(Word(step, 0))};
    } else if (command == "profile") {
        NeedWords(step, 3, 3);
        Drive(step).SetProfileValue(Word(step, 0), Word(step, 1), Word(step, 2));
    } else if (command == "attributes") {
        NeedWords(step, 2, 2);
        if (!Drive(step).SetAttributes(Word(step, 0).c_str(),
                                       static_cast<DWORD>(Number(step, 1)))) {
            throw StepError{"line " + std::to_string(step.line) + ": no file " +
                            Quoted(Word(step, 0)) + " on the drive"};
        }
    } else if (command == "run") {
        NeedWords(step, 0, 0);
        RunProgram(step);
    } else if (command == "window") {
        NeedWords(step, 1, 1);
        m_windowTemplate = Id(step, 0);
    } else if (!RunAnywhere(step, nullptr)) {
        if (IsUserAction(command)) {
            throw StepError{"line " + std::to_string(step.line) + ": \"" + command +
                            "\" is something the user does in a dialog: put it in a "
                            "\"dialog\" block"};
        }
        throw StepError{"line " + std::to_string(step.line) + ": unknown command " +
                        Quoted(command)};
    }
}

void ScenarioRunner::RunProgram(const ScenarioStep& step) {
    if (m_ran)
        throw StepError{"line " + std::to_string(step.line) + ": the program runs once"};
    Drive(step);
    m_ran = true;
    m_app->SetExecutablePath(m_executablePath.c_str());
    try {
        m_app->InitInstance();
    } catch (const SimulatedCrash& crash) {
        m_crashed = true;
        m_out << "line " << step.line << ": the program crashed (simulated) after step "
              << ReplaceStepName(crash.step) << "\n";
    } catch (const std::exception& error) {
        Fail(step, std::string("the program threw an exception: ") + error.what());
    }
}

bool ScenarioRunner::RunAnywhere(const ScenarioStep& step, TestDialogWindow* window) {
    const std::string& command = step.command;
    if (command == "dialog") {
        NeedWords(step, 1, 1);
        const std::vector<ScenarioStep>& block = step.block;
        m_backend->QueueDialog(
            static_cast<UINT>(Id(step, 0)),
            [this, &block](TestDialogWindow& opened) { RunDialogBlock(block, opened); });
    } else if (command == "answer") {
        NeedWords(step, 1, 2);
        int answer = Answer(step, 0);
        m_backend->QueueMessageBoxAnswer(answer,
                                         step.words.size() > 1 ? Word(step, 1).c_str() : nullptr);
    } else if (command == "open-file") {
        NeedWords(step, 1, 1);
        if (!step.words[0].quoted && LowerCase(Word(step, 0)) == "cancel") {
            m_backend->QueueOpenFileCancel();
        } else {
            m_backend->QueueOpenFileAnswer(Word(step, 0).c_str());
        }
    } else if (command == "fault") {
        NeedWords(step, 2, 3);
        FakeOperation operation;
        if (!FakeOperationFromName(Word(step, 0), operation)) {
            throw StepError{"line " + std::to_string(step.line) + ": unknown operation " +
                            Quoted(Word(step, 0))};
        }
        bool andLater = step.words.size() == 3;
        if (andLater && LowerCase(Word(step, 2)) != "and-later") {
            throw StepError{"line " + std::to_string(step.line) + ": expected \"and-later\""};
        }
        long nth = Number(step, 1);
        if (nth < 1)
            throw StepError{"line " + std::to_string(step.line) + ": calls count from 1"};
        Drive(step).FailCall(operation, static_cast<int>(nth), andLater);
    } else if (command == "crash" || command == "fail-replace") {
        NeedWords(step, 1, 2);
        ReplaceStep replaceStep;
        if (!ReplaceStepFromName(LowerCase(Word(step, 0)), replaceStep)) {
            throw StepError{"line " + std::to_string(step.line) + ": unknown step " +
                            Quoted(Word(step, 0))};
        }
        long nth = step.words.size() > 1 ? Number(step, 1) : 1;
        if (nth < 1)
            throw StepError{"line " + std::to_string(step.line) + ": calls count from 1"};
        if (command == "crash") {
            Drive(step).CrashReplaceAt(replaceStep, static_cast<int>(nth));
            m_crashScheduled = true;
        } else {
            Drive(step).FailReplaceAt(replaceStep, static_cast<int>(nth));
        }
    } else if (command == "expect") {
        Expect(step, window);
    } else if (command == "show") {
        Show(step, window);
    } else {
        return false;
    }
    return true;
}

void ScenarioRunner::RunDialogBlock(const std::vector<ScenarioStep>& steps,
                                    TestDialogWindow& window) {
    for (const ScenarioStep& step : steps) {
        if (!RunAnywhere(step, &window))
            RunAction(step, window);
    }
}

void ScenarioRunner::RunAction(const ScenarioStep& step, TestDialogWindow& window) {
    ScenarioStep action = step;
    bool expectIgnored = false;
    if (step.command == "ignored") {
        NeedWords(step, 1, 3);
        action.command = LowerCase(Word(step, 0));
        action.words.erase(action.words.begin());
        expectIgnored = true;
    }
    const std::string& command = action.command;
    BOOL taken = FALSE;
    if (command == "click") {
        NeedWords(action, 1, 1);
        taken = window.Click(Id(action, 0));
    } else if (command == "type") {
        NeedWords(action, 2, 2);
        taken = window.Type(Id(action, 0), Word(action, 1).c_str());
    } else if (command == "clear") {
        NeedWords(action, 1, 1);
        taken = window.ClearText(Id(action, 0));
    } else if (command == "backspace") {
        NeedWords(action, 1, 2);
        int count = action.words.size() > 1 ? static_cast<int>(Number(action, 1)) : 1;
        taken = window.Backspace(Id(action, 0), count);
    } else if (command == "pick") {
        NeedWords(action, 2, 2);
        if (action.words[1].quoted) {
            taken = window.PickText(Id(action, 0), Word(action, 1).c_str());
        } else {
            taken = window.Pick(Id(action, 0), static_cast<int>(Number(action, 1)));
        }
    } else if (command == "spin-up" || command == "spin-down") {
        NeedWords(action, 1, 1);
        taken = command == "spin-up" ? window.PressSpinUp(Id(action, 0))
                                     : window.PressSpinDown(Id(action, 0));
    } else if (command == "ok" || command == "cancel" || command == "enter" ||
               command == "escape" || command == "close") {
        NeedWords(action, 0, 0);
        if (command == "ok")
            taken = window.PressOK();
        if (command == "cancel")
            taken = window.PressCancel();
        if (command == "enter")
            taken = window.PressEnter();
        if (command == "escape")
            taken = window.PressEscape();
        if (command == "close")
            taken = window.CloseBox();
    } else if (command == "syscommand") {
        NeedWords(action, 1, 1);
        taken = window.SystemCommand(static_cast<UINT>(Id(action, 0)));
    } else if (command == "help") {
        NeedWords(action, 1, 1);
        taken = window.PressF1(Id(action, 0), CPoint{});
    } else if (command == "key") {
        NeedWords(action, 1, 1);
        const std::string name = Word(action, 0);
        char* end = nullptr;
        const long number = name.size() > 1 && (name[0] == 'F' || name[0] == 'f')
                                ? std::strtol(name.c_str() + 1, &end, 10)
                                : 0;
        if (number < 2 || number > 12 || *end != '\0')
            throw StepError{"line " + std::to_string(step.line) + ": no function key " +
                            Quoted(name) + " (F2 to F12)"};
        taken = window.PressFunctionKey(static_cast<UINT>(VK_F1 + number - 1));
    } else {
        throw StepError{"line " + std::to_string(step.line) + ": unknown command " +
                        Quoted(command)};
    }
    if (taken && expectIgnored)
        Fail(step, "the dialog took the action; expected it to be ignored");
    if (!taken && !expectIgnored) {
        Fail(step, "\"" + command + "\" was ignored (a disabled control?); write \"ignored " +
                       command + " ...\" if that is expected");
    }
}

void ScenarioRunner::Expect(const ScenarioStep& step, TestDialogWindow* window) {
    std::string what = LowerCase(Word(step, 0));
    if (what == "text" || what == "check" || what == "enabled" || what == "selection" ||
        what == "entries" || what == "count" || what == "result" || what == "open") {
        ExpectControl(step, what, window);
    } else if (what == "file" || what == "no-file" || what == "attributes") {
        ExpectFile(step, what);
    } else if (what == "files") {
        ExpectFiles(step);
    } else if (what == "message") {
        NeedWords(step, 2, 2);
        const auto& boxes = m_backend->MessageBoxes();
        if (m_messagesChecked >= boxes.size()) {
            Fail(step, "no further message box was shown; expected " + Quoted(Word(step, 1)));
        } else if (boxes[m_messagesChecked++].text != Word(step, 1).c_str()) {
            Fail(step, "message box " + Quoted(boxes[m_messagesChecked - 1].text.str()) +
                           "; expected " + Quoted(Word(step, 1)));
        }
    } else if (what == "open-file") {
        NeedWords(step, 2, 2);
        const auto& requests = m_backend->OpenFileRequests();
        if (m_openFilesChecked >= requests.size()) {
            Fail(step, "no further open-file dialog was shown; expected one for " +
                           Quoted(Word(step, 1)));
        } else if (requests[m_openFilesChecked++].request.initialFile != Word(step, 1).c_str()) {
            Fail(step, "the open-file dialog started at " +
                           Quoted(requests[m_openFilesChecked - 1].request.initialFile.str()) +
                           "; expected " + Quoted(Word(step, 1)));
        }
    } else if (what == "messages") {
        NeedWords(step, 2, 2);
        size_t shown = m_backend->MessageBoxes().size();
        if (static_cast<long>(shown) != Number(step, 1)) {
            Fail(step, std::to_string(shown) + " message box(es) shown; expected " + Word(step, 1));
        }
    } else if (what == "calls" || what == "no-calls") {
        // calls: the recorded calls of the operations named are exactly these, in this order.
        // no-calls: none of the operations named was called.
        std::vector<FakeOperation> operations;
        std::vector<std::string> expected;
        for (size_t i = 1; i < step.words.size(); ++i) {
            FakeOperation operation;
            if (!FakeOperationFromName(Word(step, i), operation)) {
                throw StepError{"line " + std::to_string(step.line) + ": unknown operation " +
                                Quoted(Word(step, i))};
            }
            if (std::find(operations.begin(), operations.end(), operation) == operations.end()) {
                operations.push_back(operation);
            }
            if (what == "calls")
                expected.push_back(FakeOperationName(operation));
        }
        std::vector<std::string> found;
        for (const FakeCall& call : Drive(step).Calls()) {
            if (std::find(operations.begin(), operations.end(), call.operation) !=
                operations.end()) {
                found.push_back(what == "calls" ? FakeOperationName(call.operation) : call.Text());
            }
        }
        if (found != expected) {
            std::string list;
            for (const std::string& name : found)
                list += " " + name;
            Fail(step, "the calls were:" + (list.empty() ? std::string(" none") : list));
        }
    } else if (what == "call") {
        NeedWords(step, 2, 2);
        const auto& calls = Drive(step).Calls();
        if (std::none_of(calls.begin(), calls.end(),
                         [&](const FakeCall& call) { return call.Text() == Word(step, 1); })) {
            Fail(step, "no call " + Quoted(Word(step, 1)) + " was made");
        }
    } else if (what == "profile") {
        NeedWords(step, 4, 4);
        std::string value;
        bool present = Drive(step).ProfileValue(Word(step, 1), Word(step, 2), value);
        bool wantNone = !step.words[3].quoted && LowerCase(Word(step, 3)) == "none";
        if (wantNone && present) {
            Fail(step, "the profile holds " + Quoted(value) + "; expected no value");
        } else if (!wantNone && (!present || value != Word(step, 3))) {
            Fail(step, present ? "the profile holds " + Quoted(value) + "; expected " +
                                     Quoted(Word(step, 3))
                               : "the profile holds no value; expected " + Quoted(Word(step, 3)));
        }
    } else if (what == "dialogs") {
        std::vector<std::string> expected, found;
        for (size_t i = 1; i < step.words.size(); ++i)
            expected.push_back(TemplateName(Id(step, i)));
        for (const auto& record : m_backend->Dialogs()) {
            found.push_back(TemplateName(static_cast<int>(record.templateId)));
        }
        if (found != expected) {
            std::string list;
            for (const std::string& name : found)
                list += " " + name;
            Fail(step, "the dialogs that ran were:" + (list.empty() ? std::string(" none") : list));
        }
    } else {
        throw StepError{"line " + std::to_string(step.line) + ": unknown expectation " +
                        Quoted(what)};
    }
}

void ScenarioRunner::ExpectControl(const ScenarioStep& step, const std::string& what,
                                   TestDialogWindow* window) {
    if (!window)
        window = m_backend->LastWindow(static_cast<UINT>(m_windowTemplate));
    if (!window) {
        Fail(step, "dialog " + TemplateName(m_windowTemplate) + " never opened");
        return;
    }
    if (what == "result") {
        NeedWords(step, 2, 2);
        if (window->Result() != Answer(step, 1)) {
            Fail(step, "the dialog ended with " + AnswerName(window->Result()) + "; expected " +
                           Word(step, 1));
        }
        return;
    }
    if (what == "open") {
        NeedWords(step, 2, 2);
        if ((window->IsOpen() != FALSE) != YesNo(step, 1)) {
            Fail(step, window->IsOpen() ? "the dialog is open" : "the dialog has ended");
        }
        return;
    }
    int id = Id(step, 1);
    std::string name = ControlName(id);
    if (what == "text") {
        NeedWords(step, 3, 3);
        CString text = window->GetText(id);
        if (text != Word(step, 2).c_str()) {
            Fail(step,
                 name + " shows " + Quoted(text.str()) + "; expected " + Quoted(Word(step, 2)));
        }
    } else if (what == "check") {
        NeedWords(step, 3, 3);
        if (window->GetCheck(id) != Number(step, 2)) {
            Fail(step, name + " check is " + std::to_string(window->GetCheck(id)) + "; expected " +
                           Word(step, 2));
        }
    } else if (what == "enabled") {
        NeedWords(step, 3, 3);
        if ((window->IsEnabled(id) != FALSE) != YesNo(step, 2)) {
            Fail(step, name + (window->IsEnabled(id) ? " is enabled" : " is disabled"));
        }
    } else if (what == "selection") {
        NeedWords(step, 3, 3);
        if (window->GetCurSel(id) != Number(step, 2)) {
            Fail(step, name + " selection is " + std::to_string(window->GetCurSel(id)) +
                           "; expected " + Word(step, 2));
        }
    } else if (what == "count") {
        NeedWords(step, 3, 3);
        if (window->GetCount(id) != Number(step, 2)) {
            Fail(step, name + " holds " + std::to_string(window->GetCount(id)) +
                           " entries; expected " + Word(step, 2));
        }
    } else {  // entries
        std::vector<std::string> expected, found;
        for (size_t i = 2; i < step.words.size(); ++i)
            expected.push_back(Word(step, i));
        for (const CString& entry : window->Entries(id))
            found.push_back(entry.str());
        if (found != expected) {
            std::string list;
            for (const std::string& entry : found)
                list += " " + Quoted(entry);
            Fail(step, name + " entries are:" + (list.empty() ? std::string(" none") : list));
        }
    }
}

void ScenarioRunner::ExpectFile(const ScenarioStep& step, const std::string& what) {
    FakePlatform& drive = Drive(step);
    const std::string& path = Word(step, 1);
    if (what == "no-file") {
        NeedWords(step, 2, 2);
        if (drive.Attributes(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            Fail(step, path + " exists");
        }
        return;
    }
    if (what == "attributes") {
        NeedWords(step, 3, 3);
        DWORD found = drive.Attributes(path.c_str());
        DWORD expected = static_cast<DWORD>(Number(step, 2));
        if (expected == FILE_ATTRIBUTE_NORMAL)
            expected = 0;
        if (found == INVALID_FILE_ATTRIBUTES) {
            Fail(step, path + " does not exist");
        } else if (found != expected) {
            Fail(step, path + " has attributes " + Hex(found) + "; expected " + Hex(expected));
        }
        return;
    }
    // file PATH same-as FILE | unchanged | bytes "..."
    NeedWords(step, 3, 4);
    std::string how = LowerCase(Word(step, 2));
    std::string expected, source;
    if (how == "same-as") {
        NeedWords(step, 4, 4);
        source = Word(step, 3);
        if (!ReadHostFile(ScriptPath(source), expected)) {
            throw StepError{"line " + std::to_string(step.line) + ": cannot read " + source};
        }
    } else if (how == "unchanged") {
        NeedWords(step, 3, 3);
        source = "the fixture's " + path;
        std::string fixturePath = FixtureHostPath(path);
        if (fixturePath.empty() || !ReadHostFile(fixturePath, expected)) {
            throw StepError{"line " + std::to_string(step.line) + ": the fixture has no " + path};
        }
    } else if (how == "bytes") {
        NeedWords(step, 4, 4);
        source = "the bytes given";
        try {
            expected = UnescapeBytes(Word(step, 3));
        } catch (const std::invalid_argument& error) {
            throw StepError{"line " + std::to_string(step.line) + ": " + error.what()};
        }
    } else {
        throw StepError{"line " + std::to_string(step.line) +
                        ": expected same-as, unchanged or bytes after the path"};
    }
    std::string found;
    if (!drive.ReadFileBytes(path.c_str(), found)) {
        Fail(step, path + " does not exist");
    } else if (found != expected) {
        Fail(step, path + " differs from " + source + ": " + DescribeDifference(found, expected));
    }
}

void ScenarioRunner::ExpectFiles(const ScenarioStep& step) {
    std::vector<std::string> found = DriveFiles();
    std::vector<bool> matched(found.size(), false);
    bool allMatched = true;
    // Exact names first, so that a pattern can't take a file that a name needs.
    for (bool patterns : {false, true}) {
        for (size_t i = 1; i < step.words.size(); ++i) {
            const std::string& expected = Word(step, i);
            bool isPattern = !expected.empty() && expected.back() == '*';
            if (isPattern != patterns)
                continue;
            std::string prefix = isPattern ? expected.substr(0, expected.size() - 1) : expected;
            bool matchedOne = false;
            for (size_t j = 0; j < found.size() && !matchedOne; ++j) {
                if (!matched[j] &&
                    (isPattern ? found[j].rfind(prefix, 0) == 0 : found[j] == prefix)) {
                    matched[j] = matchedOne = true;
                }
            }
            allMatched = allMatched && matchedOne;
        }
    }
    if (!allMatched || std::find(matched.begin(), matched.end(), false) != matched.end()) {
        std::string list;
        for (const std::string& name : found)
            list += " " + name;
        Fail(step, "the drive holds:" + (list.empty() ? std::string(" nothing") : list));
    }
}

std::vector<std::string> ScenarioRunner::DriveFiles() const {
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    if (!m_platform)
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(m_platform->DriveFolder())) {
        if (!entry.is_regular_file())
            continue;
        std::string programPath =
            "C:\\" + fs::relative(entry.path(), m_platform->DriveFolder()).string();
        std::replace(programPath.begin(), programPath.end(), '/', '\\');
        files.push_back(programPath);
    }
    std::sort(files.begin(), files.end());
    return files;
}

void ScenarioRunner::Show(const ScenarioStep& step, TestDialogWindow* window) {
    std::string what = step.words.empty() ? "all" : LowerCase(Word(step, 0));
    if (what == "all" || what == "dialog") {
        TestDialogWindow* shown =
            window ? window : m_backend->LastWindow(static_cast<UINT>(m_windowTemplate));
        if (shown) {
            PrintWindow(*shown);
        } else {
            m_out << "dialog " << TemplateName(m_windowTemplate) << " never opened\n";
        }
    }
    if (what == "all" || what == "messages")
        PrintMessages();
    if (what == "all" || what == "files")
        PrintFiles();
    if (what == "calls")
        PrintCalls();
    if (what != "all" && what != "dialog" && what != "messages" && what != "files" &&
        what != "calls") {
        throw StepError{"line " + std::to_string(step.line) + ": show what? " + Quoted(what)};
    }
}

void ScenarioRunner::PrintWindow(const TestDialogWindow& window) const {
    m_out << "dialog " << TemplateName(static_cast<int>(window.TemplateId())) << " "
          << Quoted(window.Title().str())
          << (window.IsOpen() ? " (open)" : " (ended with " + AnswerName(window.Result()) + ")")
          << "\n";
    for (const TestControl& control : window.Controls()) {
        if (control.id == IDC_STATIC || control.kind == ControlKind::kStaticIcon)
            continue;
        m_out << "  " << ControlName(control.id) << " " << KindName(control.kind);
        if (control.kind != ControlKind::kUpDown)
            m_out << " " << Quoted(control.text.str());
        if (control.kind == ControlKind::kAutoCheckBox) {
            m_out << (control.check ? " checked" : " unchecked");
        }
        if (control.kind == ControlKind::kUpDown)
            m_out << " position " << control.spinPos;
        if (control.kind == ControlKind::kComboBox || control.kind == ControlKind::kListBox) {
            m_out << " selection " << control.selection;
        }
        m_out << (control.enabled ? "" : " disabled") << (control.visible ? "" : " hidden") << "\n";
        for (size_t i = 0; i < control.entries.size(); ++i) {
            m_out << "    " << (static_cast<int>(i) == control.selection ? "* " : "  ") << i << " "
                  << Quoted(control.entries[i].text.str()) << " data " << control.entries[i].data
                  << "\n";
        }
    }
}

void ScenarioRunner::PrintMessages() const {
    if (!m_backend)
        return;
    for (const auto& box : m_backend->MessageBoxes()) {
        m_out << "message box " << Quoted(box.text.str()) << " caption "
              << Quoted(box.caption.str()) << " type " << Hex(box.type) << " answered "
              << AnswerName(box.answer) << "\n";
    }
}

void ScenarioRunner::PrintFiles() const {
    for (const std::string& programPath : DriveFiles()) {
        std::string bytes;
        m_platform->ReadFileBytes(programPath.c_str(), bytes);
        m_out << "file " << programPath << " attributes "
              << Hex(m_platform->Attributes(programPath.c_str())) << ", " << bytes.size()
              << " bytes\n";
        if (bytes.size() > 8192)
            continue;
        for (size_t start = 0; start < bytes.size();) {
            size_t end = bytes.find('\n', start);
            end = end == std::string::npos ? bytes.size() : end + 1;
            m_out << "    " << Quoted(EscapeBytes(bytes.substr(start, end - start))) << "\n";
            start = end;
        }
    }
}

void ScenarioRunner::PrintCalls() const {
    if (!m_platform)
        return;
    const auto& calls = m_platform->Calls();
    for (size_t i = 0; i < calls.size();) {
        // Runs of line reads are many and alike: one line each.
        size_t run = i;
        while (run < calls.size() && calls[run].operation == FakeOperation::kReadLine)
            ++run;
        if (run - i > 1) {
            m_out << "call ReadLine x " << (run - i) << "\n";
            i = run;
            continue;
        }
        m_out << "call " << calls[i].Text() << "\n";
        ++i;
    }
}
