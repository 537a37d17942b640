// Runs one scenario script: the program (CBootEditApp) on the in-memory back-end and the fake
// platform over a copy of a fixture drive, with what the script says the user does, then checks
// the script's expectations. See README.md for the script format.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ScenarioScript.h"
#include "app/BootEditApp.h"
#include "framework/test/TestBackend.h"
#include "platform/fake/FakePlatform.h"

class ScenarioRunner {
public:
    // scriptFolder: where relative paths of the script start. Output goes to out.
    ScenarioRunner(std::string scriptFolder, std::ostream& out);
    ~ScenarioRunner();

    // Prints the final state (dialog, message boxes, files, platform calls) after the run.
    void SetPrintAtEnd(bool print) { m_printAtEnd = print; }
    // Leaves the drive folder on disk and says where it is.
    void SetKeepDrive(bool keep) { m_keepDrive = keep; }

    // Runs the steps; true when every expectation held and the back-end saw nothing unexpected.
    bool Run(const std::vector<ScenarioStep>& steps);
    const std::vector<std::string>& Failures() const { return m_failures; }

private:
    // Thrown for a step the runner can't carry out (unknown command, bad word); ends the run.
    struct StepError {
        std::string message;
    };

    void RunTopLevel(const ScenarioStep& step);
    void RunDialogBlock(const std::vector<ScenarioStep>& steps, TestDialogWindow& window);
    // Steps allowed both at the top level and in a dialog; false when the command is none of them.
    bool RunAnywhere(const ScenarioStep& step, TestDialogWindow* window);
    void RunAction(const ScenarioStep& step, TestDialogWindow& window);
    void RunProgram(const ScenarioStep& step);
    void Expect(const ScenarioStep& step, TestDialogWindow* window);
    void ExpectControl(const ScenarioStep& step, const std::string& what, TestDialogWindow* window);
    void ExpectFile(const ScenarioStep& step, const std::string& what);
    void ExpectFiles(const ScenarioStep& step);
    // Every file on the drive as a program path, sorted.
    std::vector<std::string> DriveFiles() const;
    void Show(const ScenarioStep& step, TestDialogWindow* window);

    FakePlatform& Drive(const ScenarioStep& step);
    void Fail(const ScenarioStep& step, const std::string& message);

    // Word access with the step's line in every error.
    static void NeedWords(const ScenarioStep& step, size_t least, size_t most);
    static const std::string& Word(const ScenarioStep& step, size_t index);
    static int Id(const ScenarioStep& step, size_t index);
    static long Number(const ScenarioStep& step, size_t index);
    static bool YesNo(const ScenarioStep& step, size_t index);
    static int Answer(const ScenarioStep& step, size_t index);
    std::string ScriptPath(const std::string& relative) const;
    // The fixture's own file of a program path (for "unchanged"); empty when there is none.
    std::string FixtureHostPath(const std::string& programPath) const;

    void PrintWindow(const TestDialogWindow& window) const;
    void PrintMessages() const;
    void PrintFiles() const;
    void PrintCalls() const;

    std::string m_scriptFolder;
    std::ostream& m_out;
    bool m_printAtEnd = false;
    bool m_keepDrive = false;

    std::string m_fixtureFolder;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<TestBackend> m_backend;
    std::unique_ptr<CBootEditApp> m_app;
    std::string m_executablePath = "tarnwick";
    bool m_ran = false;
    bool m_crashScheduled = false;
    bool m_crashed = false;
    int m_windowTemplate;  // the dialog that top-level expectations look at
    size_t m_messagesChecked = 0;
    size_t m_openFilesChecked = 0;
    std::vector<std::string> m_failures;
};
