// Start-up guards: one editor per drive, no staging copy through a link, and the content at start
// known to the commit.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "editor/tests/ProgramHarness.h"
#include "store/StagingFile.h"

namespace {

const char kAlreadyEditing[] =
    "Tarnwick is already editing BOOT.INI on this drive in another window. Only one Tarnwick may "
    "edit it at a time: finish in the other window first. Nothing was changed.";
const char kCannotLock[] =
    "Tarnwick Unable to create BOOT.LCK, which keeps two copies of Tarnwick from editing "
    "BOOT.INI at the same time. Nothing was changed.";
const char kQuestion[] = "Do you want to commit your changes to disk?";
const DWORD kSystemFile = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

class StartupGuardTest : public ::testing::Test {
protected:
    StartupGuardTest() {
        harness.WriteFile(kBootIniPath, kThreeLineBootIni);
        harness.platform.SetAttributes(kBootIniPath, kSystemFile);
        harness.platform.SetProfileValue("Tarnwick", "WarnUser", "1");
    }

    std::vector<std::string> CopyCalls() const {
        return harness.platform.CallsOf({FakeOperation::kCopyFileTo,
                                         FakeOperation::kWriteFileAttributes,
                                         FakeOperation::kReplaceFileSafely});
    }
    bool LockFileExists() const {
        return std::filesystem::exists(harness.platform.HostPath(kLockPath));
    }

    ProgramHarness harness;
};

// While one editor runs, a second one on the same drive says so and ends without touching a
// file: the first one's staging file keeps its edits, and its commit goes through.
TEST_F(StartupGuardTest, ASecondInstanceEndsWithoutTouchingTheFirstOnesWork) {
    harness.backend.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& window) {
        window.Click(IDC_SOS);
        ASSERT_TRUE(window.Click(IDC_APPLY));
        const std::string staging = harness.ReadFile(kStagingPath);
        harness.platform.ClearCalls();

        CBootEditApp second;
        second.SetExecutablePath("C:\\TOOLS\\TARN.EXE");
        second.SetProfileStore(&harness.platform);
        harness.backend.QueueMessageBoxAnswer(IDOK, kAlreadyEditing);
        EXPECT_FALSE(second.InitInstance());

        EXPECT_EQ(CopyCalls(), std::vector<std::string>{});
        EXPECT_EQ(harness.ReadFile(kStagingPath), staging);
        const TestBackend::MessageBoxRecord& message = harness.backend.MessageBoxes().back();
        EXPECT_EQ(message.type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
        EXPECT_EQ(message.caption, "TARN");

        harness.backend.QueueMessageBoxAnswer(IDOK, kQuestion);
        window.PressOK();
    });
    EXPECT_FALSE(harness.app.InitInstance());
    EXPECT_NE(harness.ReadFile(kBootIniPath).find("/SOS"), std::string::npos);
    EXPECT_EQ(harness.ReadFile(kBackupPath), kThreeLineBootIni);
    // The lock ends with the editor: nothing is left on the drive, and the next start runs.
    EXPECT_FALSE(LockFileExists());
    harness.backend.QueueDialog(IDD_BOOTEDIT_DIALOG,
                                [](TestDialogWindow& window) { window.PressCancel(); });
    EXPECT_FALSE(harness.app.InitInstance());
    EXPECT_EQ(harness.backend.Problems(), "");
}

// A lock file left behind by an editor that crashed holds nobody off.
TEST_F(StartupGuardTest, ALeftoverLockFileDoesNotLockTheUserOut) {
    harness.WriteFile(kLockPath, "");
    harness.backend.QueueDialog(IDD_BOOTEDIT_DIALOG,
                                [](TestDialogWindow& window) { window.PressCancel(); });
    EXPECT_FALSE(harness.app.InitInstance());
    EXPECT_FALSE(LockFileExists());
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST_F(StartupGuardTest, ALockThatCantBeTakenEndsTheProgram) {
    harness.platform.FailCall(FakeOperation::kLockExclusively, 1);
    harness.backend.QueueMessageBoxAnswer(IDOK, kCannotLock);
    EXPECT_FALSE(harness.app.InitInstance());
    EXPECT_EQ(CopyCalls(), std::vector<std::string>{});
    EXPECT_FALSE(harness.Exists(kStagingPath));
    EXPECT_EQ(harness.backend.MessageBoxes().at(0).type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(harness.backend.Problems(), "");
}

struct LinkCase {
    const char* name;
    LPCSTR path;
    bool dangling;  // the link points to a file that does not exist
    const char* message;
};

class StartupLinkTest : public StartupGuardTest, public ::testing::WithParamInterface<LinkCase> {};

// The staging copy is never made through a link, not even one to a file yet to be created.
TEST_P(StartupLinkTest, RefusesAndWritesNothing) {
    const LinkCase& testCase = GetParam();
    const std::string victim = harness.platform.DriveFolder() + ".victim";
    if (!testCase.dangling) {
        std::FILE* file = std::fopen(victim.c_str(), "wb");
        ASSERT_TRUE(file);
        std::fputs("victim\n", file);
        std::fclose(file);
    }
    const std::string link = harness.platform.HostPath(testCase.path);
    std::remove(link.c_str());
    ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0);
    harness.backend.QueueMessageBoxAnswer(IDOK, testCase.message);

    EXPECT_FALSE(harness.app.InitInstance());

    std::error_code error;
    if (testCase.dangling) {
        EXPECT_FALSE(std::filesystem::exists(victim));
    } else {
        EXPECT_EQ(std::filesystem::file_size(victim, error), 7u);
    }
    std::filesystem::remove(victim, error);
    EXPECT_EQ(CopyCalls(), std::vector<std::string>{});
    EXPECT_TRUE(harness.backend.Dialogs().empty());
    EXPECT_EQ(harness.backend.MessageBoxes().at(0).type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(harness.backend.Problems(), "");
}

const char kStagingIsALink[] =
    "Tarnwick will not use BOOT.TMP: it is a link to another file, and Tarnwick never reads or "
    "writes through links. Nothing was changed.";

const LinkCase kLinkCases[] = {
    {"StagingFile", kStagingPath, false, kStagingIsALink},
    {"DanglingStagingFile", kStagingPath, true, kStagingIsALink},
    {"BootIni", kBootIniPath, false,
     "Tarnwick will not use BOOT.INI: it is a link to another file, and Tarnwick never reads or "
     "writes through links. Nothing was changed."},
};

INSTANTIATE_TEST_SUITE_P(Files, StartupLinkTest, ::testing::ValuesIn(kLinkCases), CaseName());

// The whole program: another program edits BOOT.INI while the editor is open, and the commit
// asks before replacing that version, which then goes to the backup.
TEST_F(StartupGuardTest, TheCommitKnowsWhatBootIniHeldAtStart) {
    const std::string othersVersion = std::string(kThreeLineBootIni) + "C:\\X=\"Added\"\r\n";
    harness.backend.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& window) {
        window.Click(IDC_SOS);
        window.Click(IDC_APPLY);
        harness.WriteFile(kBootIniPath, othersVersion);
        window.PressOK();
    });
    harness.backend.QueueMessageBoxAnswer(IDOK, kQuestion);
    harness.backend.QueueMessageBoxAnswer(
        IDOK,
        "BOOT.INI was changed by another program after Tarnwick started.\n\nPress OK to replace "
        "it with your edits (the changed BOOT.INI is kept in BOOT.BAK), or Cancel to leave it as "
        "it is now. Your edits remain in BOOT.TMP until Tarnwick starts again.");
    EXPECT_FALSE(harness.app.InitInstance());
    EXPECT_EQ(harness.ReadFile(kBackupPath), othersVersion);
    EXPECT_EQ(harness.ReadFile(kBootIniPath), harness.ReadFile(kStagingPath));
    EXPECT_EQ(harness.backend.Problems(), "");
}

}  // namespace
