// Every fault the fake platform can inject, at every call of a whole editing job, and a crash at
// every step of every file replacement. Whatever fails, the user is told, nothing on the drive is
// lost, and BOOT.INI is whole: its old content, or exactly the lines the editor held at OK.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <optional>

#include "editor/tests/ProgramHarness.h"
#include "store/StagingFile.h"

namespace {

const DWORD kSystemFile = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
const char kEarlierBackup[] = "an earlier backup\r\n";

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos)
            end = bytes.size();
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string CrLfJoined(const CStringArray& lines) {
    std::string bytes;
    for (int i = 0; i < lines.GetSize(); ++i)
        bytes += lines[i].str() + "\r\n";
    return bytes;
}

// What one run of the job left.
struct JobResult {
    bool crashed = false;
    std::optional<std::string> linesAtOk;  // the editor's lines, CR-LF joined, as OK was pressed
    std::string bootIni;
    std::string backup;
    DWORD bootIniAttributes = 0;
    bool toldOfAFailure = false;  // a message box with the stop icon
    std::vector<std::string> driveEntries;
    std::map<FakeOperation, int> calls;
    int injectedCalls = 0;
};

// The job: start-up with the warning, then SOS ticked and applied on the first line, the third
// line copied, BootLog ticked and applied on the first line, OK, and every question answered OK.
class Job {
public:
    Job() {
        harness.WriteFile(kBootIniPath, kThreeLineBootIni);
        harness.platform.SetAttributes(kBootIniPath, kSystemFile);
        harness.WriteFile(kBackupPath, kEarlierBackup);
    }

    JobResult Run(const std::function<void(FakePlatform&)>& arm) {
        JobResult result;
        for (int i = 0; i < 12; ++i)
            harness.backend.QueueMessageBoxAnswer(IDOK);
        harness.backend.QueueDialog(IDD_WARNUSER, [](TestDialogWindow& w) { w.PressOK(); });
        harness.backend.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& window) {
            window.Click(IDC_SOS);
            window.Click(IDC_APPLY);
            window.Pick(IDC_BOOTLINE_LIST, 2);
            window.Click(IDC_COPY_LINE);
            window.Pick(IDC_BOOTLINE_LIST, 0);
            window.Click(IDC_BOOTLOG);
            window.Click(IDC_APPLY);
            auto* dialog = static_cast<CBootEditDlg*>(harness.app.m_pMainWnd);
            result.linesAtOk = CrLfJoined(dialog->m_arrLines);
            window.PressOK();
        });
        harness.platform.ClearCalls();
        arm(harness.platform);
        try {
            harness.app.InitInstance();
        } catch (const SimulatedCrash&) {
            result.crashed = true;
        }
        harness.platform.ClearFaults();
        result.bootIni = harness.ReadFile(kBootIniPath);
        result.backup = harness.ReadFile(kBackupPath);
        result.bootIniAttributes = harness.platform.Attributes(kBootIniPath);
        for (const TestBackend::MessageBoxRecord& record : harness.backend.MessageBoxes()) {
            result.toldOfAFailure = result.toldOfAFailure || (record.type & MB_ICONSTOP) != 0;
        }
        for (const auto& entry :
             std::filesystem::directory_iterator(harness.platform.DriveFolder()))
            result.driveEntries.push_back(entry.path().filename().string());
        std::sort(result.driveEntries.begin(), result.driveEntries.end());
        for (const FakeCall& call : harness.platform.Calls()) {
            ++result.calls[call.operation];
            result.injectedCalls += call.injected ? 1 : 0;
        }
        return result;
    }

    ProgramHarness harness;
};

// The checks every faulted run must pass; empty when it passes them.
std::string Problems(const JobResult& run, const JobResult& faultFree) {
    std::string problems;
    auto fail = [&](const std::string& problem) { problems += problem + "\n"; };
    const bool old = run.bootIni == kThreeLineBootIni;
    if (run.crashed) {
        if (!old && run.bootIni != faultFree.bootIni)
            fail("BOOT.INI is neither the old nor the new file");
    } else if (!old && run.bootIni != run.linesAtOk.value_or("")) {
        fail("BOOT.INI is not the lines the editor held");
    }
    // The lines the job did not edit (all but the first boot line) are all still there.
    const std::vector<std::string> before = Lines(kThreeLineBootIni);
    const std::vector<std::string> after = Lines(run.bootIni);
    for (size_t i = 0; i < before.size(); ++i) {
        if (i != 4 && std::find(after.begin(), after.end(), before[i]) == after.end())
            fail("BOOT.INI lost the line \"" + before[i] + "\"");
    }
    if (run.backup != kEarlierBackup && run.backup != kThreeLineBootIni)
        fail("BOOT.BAK is neither the earlier backup nor the old BOOT.INI");
    if (!run.crashed) {
        if (run.bootIni != faultFree.bootIni && !run.toldOfAFailure)
            fail("the outcome changed and the user was not told");
        if (run.bootIniAttributes != kSystemFile && !run.toldOfAFailure)
            fail("BOOT.INI lost its attributes and the user was not told");
        for (const std::string& name : run.driveEntries) {
            if (name != "BOOT.BAK" && name != "BOOT.INI" && name != "BOOT.TMP")
                fail("the run left " + name + " on the drive");
        }
    }
    return problems;
}

std::string Describe(const std::string& fault, const JobResult& run, const std::string& problems) {
    return fault + ":\n" + problems + "BOOT.INI now:\n" + run.bootIni;
}

TEST(FaultInjectionTest, EveryFaultAtEveryCallIsToldAndLosesNothing) {
    const JobResult faultFree = Job().Run([](FakePlatform&) {});
    ASSERT_FALSE(faultFree.toldOfAFailure);
    ASSERT_EQ(faultFree.backup, kThreeLineBootIni);
    ASSERT_NE(faultFree.bootIni.find("/SOS"), std::string::npos);
    ASSERT_NE(faultFree.bootIni.find("/BootLog"), std::string::npos);
    ASSERT_EQ(faultFree.driveEntries,
              (std::vector<std::string>{"BOOT.BAK", "BOOT.INI", "BOOT.TMP"}));

    int faultsInjected = 0;
    for (const auto& called : faultFree.calls) {
        const FakeOperation operation = called.first;
        const int count = called.second;
        if (operation == FakeOperation::kSetWindowsFolderHint)
            continue;  // it can't fail
        for (int nth = 1; nth <= count; ++nth) {
            // Once (a passing error), and from then on (a full or failing disk).
            for (bool andLater : {false, true}) {
                const JobResult run = Job().Run(
                    [&](FakePlatform& platform) { platform.FailCall(operation, nth, andLater); });
                ASSERT_GT(run.injectedCalls, 0);
                faultsInjected += 1;
                const std::string problems = Problems(run, faultFree);
                EXPECT_EQ(problems, "")
                    << Describe(std::string(FakeOperationName(operation)) + " call " +
                                    std::to_string(nth) + (andLater ? " and later" : ""),
                                run, problems);
            }
        }
    }
    std::cout << "[ figures  ] fake platform: " << faultsInjected
              << " faults injected over a whole job, nothing lost\n";
    RecordProperty("faults_injected", faultsInjected);
}

// A crash at each step of each replacement of the commit (the backup, then BOOT.INI itself):
// BOOT.INI is whole, and the next start edits and commits as usual, clearing what the crash
// left behind.
TEST(FaultInjectionTest, ACrashAtEveryStepOfTheCommitLeavesBootIniWhole) {
    const JobResult faultFree = Job().Run([](FakePlatform&) {});
    const int replacements = faultFree.calls.at(FakeOperation::kReplaceFileSafely);
    ASSERT_EQ(replacements, 2);
    int crashPoints = 0;
    for (int nth = 1; nth <= replacements; ++nth) {
        for (ReplaceStep step : kAllReplaceSteps) {
            Job job;
            const JobResult run =
                job.Run([&](FakePlatform& platform) { platform.CrashReplaceAt(step, nth); });
            ASSERT_TRUE(run.crashed);
            ++crashPoints;
            const std::string fault = std::string("crash after ") + ReplaceStepName(step) +
                                      " of replacement " + std::to_string(nth);
            const std::string problems = Problems(run, faultFree);
            EXPECT_EQ(problems, "") << Describe(fault, run, problems);

            // The next start: the lock is free, the staging copy is the file as the crash left
            // it, and a commit goes through and leaves no temporary file behind.
            ProgramHarness& harness = job.harness;
            harness.backend.QueueDialog(IDD_WARNUSER, [](TestDialogWindow& w) { w.PressOK(); });
            harness.backend.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& window) {
                EXPECT_EQ(harness.ReadFile(kStagingPath), run.bootIni) << fault;
                window.ClearText(IDC_LABEL_EDIT);
                window.Type(IDC_LABEL_EDIT, "After the crash");
                window.Click(IDC_APPLY);
                harness.backend.QueueMessageBoxAnswer(IDOK);
                window.PressOK();
            });
            const size_t messagesBefore = harness.backend.MessageBoxes().size();
            harness.app.InitInstance();
            EXPECT_EQ(harness.backend.MessageBoxes().size(), messagesBefore + 1) << fault;
            EXPECT_EQ(harness.ReadFile(kBackupPath), run.bootIni) << fault;
            EXPECT_NE(harness.ReadFile(kBootIniPath).find("\"After the crash\""), std::string::npos)
                << fault;
            std::vector<std::string> entries;
            for (const auto& entry :
                 std::filesystem::directory_iterator(harness.platform.DriveFolder())) {
                entries.push_back(entry.path().filename().string());
            }
            std::sort(entries.begin(), entries.end());
            EXPECT_EQ(entries, (std::vector<std::string>{"BOOT.BAK", "BOOT.INI", "BOOT.TMP"}))
                << fault;
        }
    }
    std::cout << "[ figures  ] fake platform: " << crashPoints
              << " crash points in the commit, BOOT.INI whole after each\n";
    RecordProperty("crash_points", crashPoints);
}

// A replacement that fails after any of its steps (a write error, a full disk) is told, and
// leaves BOOT.INI and the backup whole.
TEST(FaultInjectionTest, AReplacementFailingAtEveryStepIsTold) {
    const JobResult faultFree = Job().Run([](FakePlatform&) {});
    int faultsInjected = 0;
    for (int nth = 1; nth <= 2; ++nth) {
        // After the rename the new file is in place: a failure can't be reported any more.
        for (ReplaceStep step : {ReplaceStep::kTemporaryCreated, ReplaceStep::kTemporaryWritten,
                                 ReplaceStep::kTemporarySynced}) {
            const JobResult run =
                Job().Run([&](FakePlatform& platform) { platform.FailReplaceAt(step, nth); });
            ++faultsInjected;
            EXPECT_TRUE(run.toldOfAFailure);
            EXPECT_EQ(run.bootIni, kThreeLineBootIni);
            const std::string problems = Problems(run, faultFree);
            EXPECT_EQ(problems, "")
                << Describe(std::string("failure after ") + ReplaceStepName(step), run, problems);
        }
    }
    std::cout << "[ figures  ] fake platform: " << faultsInjected
              << " failed replacements, BOOT.INI whole after each\n";
}

}  // namespace
