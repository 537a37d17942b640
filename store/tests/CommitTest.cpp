// Closing the editor: the commit of the staging file to C:\BOOT.INI, and what each failure leaves.
#include <gtest/gtest.h>

#include "editor/tests/ProgramHarness.h"
#include "store/StagingFile.h"

namespace {

const DWORD kSystemFile = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
const char kQuestion[] = "Do you want to commit your changes to disk?";
const char kOldBackup[] = "an earlier backup\r\n";

// The line the tests apply: the first boot line with SOS ticked.
const char kAppliedLine[] =
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" /SOS "
    "/FastDetect /noexecute=optin ";

class CommitTest : public ::testing::Test {
protected:
    CommitTest() {
        harness.WriteFile(kBootIniPath, kThreeLineBootIni);
        harness.platform.SetAttributes(kBootIniPath, kSystemFile);
    }

    // Ticks SOS on the first line and applies it.
    static void ApplyAChange(TestDialogWindow& window) {
        window.Click(IDC_SOS);
        ASSERT_TRUE(window.Click(IDC_APPLY));
    }

    std::string Staging() const { return harness.ReadFile(kStagingPath); }
    std::string BootIni() const { return harness.ReadFile(kBootIniPath); }
    DWORD BootIniAttributes() const { return harness.platform.Attributes(kBootIniPath); }

    ProgramHarness harness;
};

TEST_F(CommitTest, OkWithoutApplyAsksNothingAndWritesNothing) {
    std::intptr_t result =
        harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg&) {
            // Copies and deletions change only the staging file.
            window.Click(IDC_COPY_LINE);
            window.Click(IDC_DELETE_LINE);
            window.PressOK();
        });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(harness.backend.MessageBoxes().empty());
    EXPECT_EQ(BootIni(), kThreeLineBootIni);
    EXPECT_EQ(BootIniAttributes(), kSystemFile);
    EXPECT_FALSE(harness.Exists(kBackupPath));
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST_F(CommitTest, ConfirmedCommitBacksUpOverwritesAndRestoresTheAttributes) {
    harness.backend.QueueMessageBoxAnswer(IDOK, kQuestion);
    std::intptr_t result =
        harness.RunEditor(kThreeLineBootIni, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
            ApplyAChange(window);
            harness.platform.ClearCalls();
            window.PressOK();
            EXPECT_EQ(dialog.m_arrLines.GetSize(), 0);
        });
    EXPECT_EQ(result, IDOK);
    const TestBackend::MessageBoxRecord& question = harness.backend.MessageBoxes().at(0);
    EXPECT_EQ(question.type, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(question.caption, "TARN");
    // The staging file is closed before the commit copies it; the order of the steps is fixed.
    EXPECT_EQ(harness.platform.CallsOf({FakeOperation::kClose, FakeOperation::kWriteFileAttributes,
                                        FakeOperation::kReplaceFileSafely}),
              (std::vector<std::string>{
                  "Close() = TRUE",
                  "WriteFileAttributes(C:\\BOOT.INI, 0x80) = TRUE",
                  "ReplaceFileSafely(C:\\BOOT.INI, C:\\BOOT.BAK) = TRUE",
                  "ReplaceFileSafely(C:\\BOOT.TMP, C:\\BOOT.INI) = TRUE",
                  "WriteFileAttributes(C:\\BOOT.INI, 0x7) = TRUE",
              }));
    EXPECT_EQ(harness.ReadFile(kBackupPath), kThreeLineBootIni);
    EXPECT_EQ(harness.platform.Attributes(kBackupPath) & kSystemFile, 0u);
    EXPECT_EQ(BootIni(), Staging());
    EXPECT_NE(BootIni().find(kAppliedLine), std::string::npos);
    EXPECT_EQ(BootIniAttributes(), kSystemFile);
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST_F(CommitTest, CopyThenApplyOnAnotherLineCommitsBoth) {
    harness.backend.QueueMessageBoxAnswer(IDOK, kQuestion);
    harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg&) {
        window.Pick(IDC_BOOTLINE_LIST, 2);
        window.Click(IDC_COPY_LINE);
        window.Pick(IDC_BOOTLINE_LIST, 0);
        ApplyAChange(window);
        window.PressOK();
    });
    EXPECT_EQ(BootIni(), CrLfLines({"[boot loader]", "timeout=30",
                                    "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS",
                                    "[operating systems]", kAppliedLine,
                                    "multi(0)disk(0)rdisk(0)partition(2)\\WINNT=\"Windows 2000\" "
                                    "/debugport=com2 /baudrate=115200",
                                    "C:\\=\"Copy Previous Operating System on C:\" ",
                                    "C:\\=\"Previous Operating System on C:\""}));
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST_F(CommitTest, AnsweringCancelEndsWithoutWriting) {
    harness.backend.QueueMessageBoxAnswer(IDCANCEL, kQuestion);
    std::intptr_t result =
        harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg&) {
            ApplyAChange(window);
            window.PressOK();
        });
    // Closing is final: the editor does not come back.
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(BootIni(), kThreeLineBootIni);
    EXPECT_EQ(BootIniAttributes(), kSystemFile);
    EXPECT_FALSE(harness.Exists(kBackupPath));
    EXPECT_NE(Staging().find(kAppliedLine), std::string::npos);
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST_F(CommitTest, CancelAfterApplyAsksNothingAndWritesNothing) {
    for (auto close : {&TestDialogWindow::PressCancel, &TestDialogWindow::PressEscape,
                       &TestDialogWindow::CloseBox}) {
        std::intptr_t result =
            harness.RunEditor(kThreeLineBootIni, [&](TestDialogWindow& window, CBootEditDlg&) {
                ApplyAChange(window);
                (window.*close)();
            });
        EXPECT_EQ(result, IDCANCEL);
    }
    EXPECT_TRUE(harness.backend.MessageBoxes().empty());
    EXPECT_EQ(BootIni(), kThreeLineBootIni);
    EXPECT_FALSE(harness.Exists(kBackupPath));
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST_F(CommitTest, ReadOnlyBootIniEndsReadOnlyHiddenAndSystem) {
    harness.platform.SetAttributes(kBootIniPath, FILE_ATTRIBUTE_READONLY);
    harness.WriteFile(kBackupPath, kOldBackup);
    harness.backend.QueueMessageBoxAnswer(IDOK, kQuestion);
    harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg&) {
        ApplyAChange(window);
        window.PressOK();
    });
    EXPECT_EQ(BootIniAttributes(), kSystemFile);
    // The earlier backup is replaced by this commit's.
    EXPECT_EQ(harness.ReadFile(kBackupPath), kThreeLineBootIni);
    EXPECT_EQ(harness.backend.Problems(), "");
}

enum class Content { kOld, kNew, kEarlierBackup, kNone };

struct CommitFault {
    const char* name;
    std::function<void(FakePlatform&)> inject;  // set right before OK is pressed
    const char* message;
    Content bootIni;
    DWORD bootIniAttributes;
    Content backup;
};

class CommitFailureTest : public CommitTest, public ::testing::WithParamInterface<CommitFault> {};

// Every failure is told, the editor ends all the same, and C:\BOOT.INI is never left torn: it
// holds either its old content or the staging file's, whole.
TEST_P(CommitFailureTest, LeavesTheFilesAsTheFailureTableSays) {
    const CommitFault& fault = GetParam();
    harness.WriteFile(kBackupPath, kOldBackup);
    harness.backend.QueueMessageBoxAnswer(IDOK, kQuestion);
    harness.backend.QueueMessageBoxAnswer(IDOK, fault.message);
    std::intptr_t result =
        harness.RunEditor(kThreeLineBootIni, [&](TestDialogWindow& window, CBootEditDlg&) {
            ApplyAChange(window);
            fault.inject(harness.platform);
            window.PressOK();
        });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(harness.backend.MessageBoxes().at(1).type, static_cast<UINT>(MB_OK | MB_ICONSTOP));

    const std::string staging = Staging();
    auto expected = [&](Content content) -> std::string {
        switch (content) {
            case Content::kOld:
                return kThreeLineBootIni;
            case Content::kNew:
                return staging;
            case Content::kEarlierBackup:
                return kOldBackup;
            case Content::kNone:
                break;
        }
        return "";
    };
    EXPECT_EQ(BootIni(), expected(fault.bootIni));
    EXPECT_EQ(BootIniAttributes() & kSystemFile, fault.bootIniAttributes);
    EXPECT_EQ(harness.ReadFile(kBackupPath), expected(fault.backup));
    EXPECT_EQ(harness.backend.Problems(), "");
}

const CommitFault kCommitFaults[] = {
    {"ClearingTheAttributes",
     [](FakePlatform& platform) { platform.FailCall(FakeOperation::kWriteFileAttributes, 1); },
     "Unable to modify BOOT.INI exiting", Content::kOld, kSystemFile, Content::kEarlierBackup},
    {"Backup",
     [](FakePlatform& platform) { platform.FailCall(FakeOperation::kReplaceFileSafely, 1); },
     "Unable to backup BOOT.INI exiting", Content::kOld, kSystemFile, Content::kEarlierBackup},
    {"BackupPartWritten",
     [](FakePlatform& platform) { platform.FailReplaceAt(ReplaceStep::kTemporaryWritten); },
     "Unable to backup BOOT.INI exiting", Content::kOld, kSystemFile, Content::kEarlierBackup},
    {"Overwrite",
     [](FakePlatform& platform) { platform.FailCall(FakeOperation::kReplaceFileSafely, 2); },
     "Unable to overwrite BOOT.INI exiting", Content::kOld, kSystemFile, Content::kOld},
    {"RestoringTheAttributes",
     [](FakePlatform& platform) { platform.FailCall(FakeOperation::kWriteFileAttributes, 2); },
     "Unable to restore BOOT.INI attributes after overwrite", Content::kNew, 0, Content::kOld},
};

INSTANTIATE_TEST_SUITE_P(Steps, CommitFailureTest, ::testing::ValuesIn(kCommitFaults), CaseName());

// A staging file that could not be written whole must not become the boot loader's file.
TEST_F(CommitTest, RefusesToCommitAStagingFileLeftDamaged) {
    harness.backend.QueueMessageBoxAnswer(IDOK);  // the failed rewrite
    harness.backend.QueueMessageBoxAnswer(
        IDOK,
        "BOOT.TMP could not be written completely, so the changes were not committed. BOOT.INI "
        "was not changed.");
    harness.RunEditor(kThreeLineBootIni, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
        ApplyAChange(window);
        window.Click(IDC_BASEVIDEO);
        harness.platform.FailCall(FakeOperation::kWriteLine, 4, true);
        window.Click(IDC_APPLY);
        EXPECT_TRUE(dialog.m_bStagingDamaged);
        harness.platform.ClearFaults();
        window.PressOK();
    });
    EXPECT_EQ(BootIni(), kThreeLineBootIni);
    EXPECT_EQ(BootIniAttributes(), kSystemFile);
    EXPECT_FALSE(harness.Exists(kBackupPath));
    EXPECT_EQ(harness.backend.Problems(), "");
}

}  // namespace
