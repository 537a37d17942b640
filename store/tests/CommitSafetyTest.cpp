// What the commit does when BOOT.INI changed under the editor, when a file of the commit is a
// link, and what the editor does when the staging file can't be read whole.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "editor/tests/ProgramHarness.h"
#include "store/StagingFile.h"

namespace {

const DWORD kSystemFile = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
const char kQuestion[] = "Do you want to commit your changes to disk?";
const char kChangedQuestion[] =
    "BOOT.INI was changed by another program after Tarnwick started.\n\nPress OK to replace it "
    "with your edits (the changed BOOT.INI is kept in BOOT.BAK), or Cancel to leave it as it is "
    "now. Your edits remain in BOOT.TMP until Tarnwick starts again.";
const char kRemovedQuestion[] =
    "BOOT.INI was removed by another program after Tarnwick started.\n\nPress OK to write your "
    "edits as a new BOOT.INI, or Cancel to leave the drive without one. Your edits remain in "
    "BOOT.TMP until Tarnwick starts again.";
const char kUnreadable[] =
    "Unable to read BOOT.INI to check whether another program changed it, so it was not "
    "changed. Your edits remain in BOOT.TMP until Tarnwick starts again.";
const char kOldBackup[] = "an earlier backup\r\n";
const char kOthersContent[] =
    "[boot loader]\r\ntimeout=5\r\n[operating systems]\r\nC:\\=\"Edited elsewhere\"\r\n";

// The old file with its first line end changed from CR-LF to LF: one byte less.
std::string WithOneLineEndChanged() {
    std::string bytes = kThreeLineBootIni;
    bytes.erase(bytes.find('\r'), 1);
    return bytes;
}

enum class Content { kOld, kStaging, kChangedByOthers, kLineEndChanged, kEarlierBackup, kNone };

class CommitSafetyTest : public ::testing::Test {
protected:
    CommitSafetyTest() {
        harness.WriteFile(kBootIniPath, kThreeLineBootIni);
        harness.platform.SetAttributes(kBootIniPath, kSystemFile);
        harness.WriteFile(kBackupPath, kOldBackup);
    }

    // Runs the editor as start-up does (knowing what BOOT.INI held), applies a change, lets
    // meanwhile happen, and presses OK; the commit question is answered with OK, and the message
    // boxes after it with answers.
    void ApplyAndCommit(const std::function<void()>& meanwhile,
                        std::initializer_list<std::pair<int, const char*>> answers) {
        harness.backend.QueueMessageBoxAnswer(IDOK, kQuestion);
        for (const auto& answer : answers)
            harness.backend.QueueMessageBoxAnswer(answer.first, answer.second);
        harness.RunEditor(kThreeLineBootIni, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
            dialog.m_bootIniAtStart = kThreeLineBootIni;
            window.Click(IDC_SOS);
            ASSERT_TRUE(window.Click(IDC_APPLY));
            meanwhile();
            window.PressOK();
        });
    }

    std::string Expected(Content content) const {
        switch (content) {
            case Content::kOld:
                return kThreeLineBootIni;
            case Content::kStaging:
                return harness.ReadFile(kStagingPath);
            case Content::kChangedByOthers:
                return kOthersContent;
            case Content::kLineEndChanged:
                return WithOneLineEndChanged();
            case Content::kEarlierBackup:
                return kOldBackup;
            case Content::kNone:
                break;
        }
        return "";
    }

    ProgramHarness harness;
};

struct DiskChange {
    const char* name;
    std::function<void(ProgramHarness&)> change;  // what another program does meanwhile
    const char* question;                         // null: none besides the commit question
    int answer;
    Content bootIni;
    DWORD bootIniAttributes;  // INVALID_FILE_ATTRIBUTES: no BOOT.INI
    Content backup;
};

class DiskChangeTest : public CommitSafetyTest, public ::testing::WithParamInterface<DiskChange> {};

// Changes made by another program are never thrown away unasked: the user decides, and a
// replaced file is kept in the backup.
TEST_P(DiskChangeTest, AsksBeforeReplacingAChangedFile) {
    const DiskChange& testCase = GetParam();
    if (testCase.question) {
        ApplyAndCommit([&] { testCase.change(harness); }, {{testCase.answer, testCase.question}});
    } else {
        ApplyAndCommit([&] { testCase.change(harness); }, {});
    }

    EXPECT_EQ(harness.ReadFile(kBootIniPath), Expected(testCase.bootIni));
    EXPECT_EQ(harness.platform.Attributes(kBootIniPath), testCase.bootIniAttributes);
    EXPECT_EQ(harness.ReadFile(kBackupPath), Expected(testCase.backup));
    EXPECT_NE(harness.ReadFile(kStagingPath).find("/SOS"), std::string::npos);
    if (testCase.question) {
        EXPECT_EQ(harness.backend.MessageBoxes().at(1).type,
                  static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
        EXPECT_EQ(harness.backend.MessageBoxes().at(1).caption, "TARN");
    }
    EXPECT_EQ(harness.backend.Problems(), "");
}

const DiskChange kDiskChanges[] = {
    {"Unchanged", [](ProgramHarness&) {}, nullptr, 0, Content::kStaging, kSystemFile,
     Content::kOld},
    // Attributes alone are not the content.
    {"AttributesOnly",
     [](ProgramHarness& h) { h.platform.SetAttributes(kBootIniPath, FILE_ATTRIBUTE_READONLY); },
     nullptr, 0, Content::kStaging, kSystemFile, Content::kOld},
    {"ChangedAndReplaced", [](ProgramHarness& h) { h.WriteFile(kBootIniPath, kOthersContent); },
     kChangedQuestion, IDOK, Content::kStaging, kSystemFile, Content::kChangedByOthers},
    {"ChangedAndKept", [](ProgramHarness& h) { h.WriteFile(kBootIniPath, kOthersContent); },
     kChangedQuestion, IDCANCEL, Content::kChangedByOthers, kSystemFile, Content::kEarlierBackup},
    // One byte is enough: a line end changed from CR-LF to LF.
    {"LineEndChanged",
     [](ProgramHarness& h) { h.WriteFile(kBootIniPath, WithOneLineEndChanged()); },
     kChangedQuestion, IDCANCEL, Content::kLineEndChanged, kSystemFile, Content::kEarlierBackup},
    {"RemovedAndWritten",
     [](ProgramHarness& h) { std::remove(h.platform.HostPath(kBootIniPath).c_str()); },
     kRemovedQuestion, IDOK, Content::kStaging, kSystemFile, Content::kEarlierBackup},
    {"RemovedAndLeft",
     [](ProgramHarness& h) { std::remove(h.platform.HostPath(kBootIniPath).c_str()); },
     kRemovedQuestion, IDCANCEL, Content::kNone, INVALID_FILE_ATTRIBUTES, Content::kEarlierBackup},
};

INSTANTIATE_TEST_SUITE_P(Changes, DiskChangeTest, ::testing::ValuesIn(kDiskChanges), CaseName());

TEST_F(CommitSafetyTest, AFileThatCantBeCheckedIsNotReplaced) {
    ApplyAndCommit([&] { harness.platform.FailCall(FakeOperation::kReadWholeFile, 1); },
                   {{IDOK, kUnreadable}});
    EXPECT_EQ(harness.ReadFile(kBootIniPath), kThreeLineBootIni);
    EXPECT_EQ(harness.platform.Attributes(kBootIniPath), kSystemFile);
    EXPECT_EQ(harness.ReadFile(kBackupPath), kOldBackup);
    EXPECT_EQ(harness.backend.MessageBoxes().at(1).type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(harness.backend.Problems(), "");
}

// Without start-up (no known content) there is nothing to compare: the commit goes ahead.
TEST_F(CommitSafetyTest, NoComparisonWithoutTheContentAtStart) {
    harness.backend.QueueMessageBoxAnswer(IDOK, kQuestion);
    harness.RunEditor(kThreeLineBootIni, [&](TestDialogWindow& window, CBootEditDlg&) {
        window.Click(IDC_SOS);
        window.Click(IDC_APPLY);
        harness.WriteFile(kBootIniPath, kOthersContent);
        window.PressOK();
    });
    EXPECT_EQ(harness.ReadFile(kBackupPath), kOthersContent);
    EXPECT_EQ(harness.backend.Problems(), "");
}

struct LinkedFile {
    const char* name;
    LPCSTR path;
    const char* message;
};

class CommitLinkTest : public CommitSafetyTest, public ::testing::WithParamInterface<LinkedFile> {};

// A file of the commit that became a link is refused before anything is written: the file the
// link points to, BOOT.INI and the backup keep their bytes.
TEST_P(CommitLinkTest, RefusesToWriteThroughALink) {
    const LinkedFile& testCase = GetParam();
    const std::string victim = harness.platform.DriveFolder() + "/../" +
                               std::string("tarnwick-victim-") + std::to_string(getpid());
    {
        std::FILE* file = std::fopen(victim.c_str(), "wb");
        ASSERT_TRUE(file);
        std::fputs("victim\n", file);
        std::fclose(file);
    }
    ApplyAndCommit(
        [&] {
            const std::string link = harness.platform.HostPath(testCase.path);
            std::remove(link.c_str());
            ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0);
        },
        {{IDOK, testCase.message}});
    std::FILE* file = std::fopen(victim.c_str(), "rb");
    ASSERT_TRUE(file);
    char buffer[64] = {};
    std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    std::remove(victim.c_str());
    EXPECT_STREQ(buffer, "victim\n");
    EXPECT_EQ(harness.ReadFile(kBootIniPath), kThreeLineBootIni);
    if (testCase.path != kBackupPath) {
        EXPECT_EQ(harness.ReadFile(kBackupPath), kOldBackup);
    }
    EXPECT_EQ(harness.backend.MessageBoxes().at(1).type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(harness.backend.Problems(), "");
}

const LinkedFile kLinkedFiles[] = {
    {"Backup", kBackupPath,
     "BOOT.BAK is a link to another file, and Tarnwick never writes through links, so BOOT.INI "
     "was not changed."},
    {"Staging", kStagingPath,
     "BOOT.TMP is a link to another file, and Tarnwick never writes through links, so BOOT.INI "
     "was not changed."},
};

INSTANTIATE_TEST_SUITE_P(Files, CommitLinkTest, ::testing::ValuesIn(kLinkedFiles), CaseName());

// A staging file that can't be read to its end would lose its last lines at the first rewrite:
// the editor says so and ends without writing anything.
TEST_F(CommitSafetyTest, AStagingFileReadOnlyInPartEndsTheEditor) {
    harness.platform.FailCall(FakeOperation::kReadLine, 5);
    harness.backend.QueueMessageBoxAnswer(IDOK,
                                          "Unable to read BOOT.TMP. BOOT.INI was not changed.");
    bool driverRan = false;
    std::intptr_t result = harness.RunEditor(
        kThreeLineBootIni, [&](TestDialogWindow&, CBootEditDlg&) { driverRan = true; });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(driverRan);
    EXPECT_EQ(harness.backend.MessageBoxes().at(0).type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(harness.ReadFile(kStagingPath), kThreeLineBootIni);
    EXPECT_EQ(harness.ReadFile(kBootIniPath), kThreeLineBootIni);
}

// Zero bytes and stray carriage returns in a line the user did not touch come back as they were.
TEST_F(CommitSafetyTest, LinesNotEditedKeepEveryByte) {
    const std::string oddLine("; zero\0byte and a\rreturn", 24);
    const std::string staging = std::string(kThreeLineBootIni) + oddLine + "\r\n[other]\r\n";
    harness.RunEditor(staging, [](TestDialogWindow& window, CBootEditDlg&) {
        window.Click(IDC_SOS);
        ASSERT_TRUE(window.Click(IDC_APPLY));
        window.PressCancel();
    });
    const std::string written = harness.ReadFile(kStagingPath);
    EXPECT_NE(written.find(oddLine + "\r\n[other]\r\n"), std::string::npos);
    EXPECT_NE(written.find("/SOS"), std::string::npos);
    EXPECT_EQ(harness.MessageTexts(), std::vector<std::string>{});
}

}  // namespace
