// What the program's tests run on: drive C: in a temporary folder (the fake platform, with fault
// injection), the in-memory user-interface back-end, and an application object titled "TARN".
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/BootEditApp.h"
#include "editor/BootEditDlg.h"
#include "framework/test/TestBackend.h"
#include "platform/fake/FakePlatform.h"
#include "res/resource.h"

// Three boot lines as a real machine has them, with CR-LF line ends.
extern const char kThreeLineBootIni[];
// Its boot lines, each without its line end, and the entries the boot menu's lists show for them.
extern const char kXpLine[];
extern const char kWin2000Line[];
extern const char kPreviousLine[];
extern const char kXpEntry[];
extern const char kWin2000Entry[];
extern const char kPreviousEntry[];

class ProgramHarness {
public:
    ProgramHarness();
    ~ProgramHarness();
    ProgramHarness(const ProgramHarness&) = delete;
    ProgramHarness& operator=(const ProgramHarness&) = delete;

    using EditorDriver = std::function<void(TestDialogWindow&, CBootEditDlg&)>;

    // Writes the staging file, runs the editor on it with driver as the user, and returns the
    // dialog's result. The editor is the application's main window while it runs.
    std::intptr_t RunEditor(const std::string& staging, const EditorDriver& driver);

    void WriteFile(LPCSTR path, const std::string& bytes);
    std::string ReadFile(LPCSTR path) const;
    BOOL Exists(LPCSTR path) const;

    // Texts of the message boxes shown so far, in order.
    std::vector<std::string> MessageTexts() const;

    FakePlatform platform;
    TestBackend backend;
    CBootEditApp app;
};

// The given lines joined with CR-LF, each line ended.
std::string CrLfLines(std::initializer_list<const char*> lines);
// A file holding the section header and then the given lines, CR-LF ended.
std::string SectionFile(std::initializer_list<const char*> lines);

// One property of a control as a test expects it.
struct ControlExpectation {
    enum class What { kCheck, kText, kEnabled };
    int id;
    What what;
    std::string value;
};
ControlExpectation Checked(int id, bool checked = true);
ControlExpectation ShowsText(int id, const char* text);
ControlExpectation Enabled(int id, bool enabled = true);
// The unchanged state (Apply disabled, Copy Line and Delete Line enabled) or the changed one.
std::vector<ControlExpectation> LineButtons(bool changed);

// One line per expectation that the window does not meet; empty when it meets them all.
std::string Mismatches(const TestDialogWindow& window,
                       const std::vector<ControlExpectation>& expected);

// Names parameterised cases after their name field.
struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& caseInfo) const {
        return caseInfo.param.name;
    }
};
