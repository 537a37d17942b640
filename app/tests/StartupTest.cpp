// Start-up: the privilege check, the warning, the staging copy, and running the editor.
#include <gtest/gtest.h>

#include <filesystem>

#include "editor/tests/ProgramHarness.h"
#include "store/StagingFile.h"

namespace {

const char kNotAdministrator[] = "Tarnwick V1.0 needs Administrator Privileges in order to run";
const char kCopyFailed[] = "Tarnwick Unable to make a copy of boot.ini";
const char kAttributesFailed[] = "Tarnwick Unable to modify attributes of boot.tmp";
const DWORD kSystemFile = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

class StartupTest : public ::testing::Test {
protected:
    StartupTest() {
        harness.WriteFile(kBootIniPath, kThreeLineBootIni);
        harness.platform.SetAttributes(kBootIniPath, kSystemFile);
    }

    // The warning, answered with the box ticked or not and the button given.
    void QueueWarning(bool tick, int button) {
        harness.backend.QueueDialog(IDD_WARNUSER, [=](TestDialogWindow& warning) {
            EXPECT_EQ(warning.GetCheck(IDC_DONT_SHOW_AGAIN), 0);
            if (tick)
                warning.Click(IDC_DONT_SHOW_AGAIN);
            warning.Click(button);
        });
    }

    // The editor, closed with Cancel; it shows the staging file's first boot line.
    void QueueEditor(const char* expectedLabel = "Microsoft Windows XP Professional") {
        harness.backend.QueueDialog(IDD_BOOTEDIT_DIALOG, [=](TestDialogWindow& editor) {
            EXPECT_EQ(editor.GetText(IDC_LABEL_EDIT), expectedLabel);
            // The editor is the application's main window while it runs.
            ASSERT_NE(harness.app.m_pMainWnd, nullptr);
            EXPECT_EQ(harness.app.m_pMainWnd->GetTemplateId(),
                      static_cast<UINT>(IDD_BOOTEDIT_DIALOG));
            editor.PressCancel();
        });
    }

    std::vector<UINT> DialogsShown() const {
        std::vector<UINT> templates;
        for (const TestBackend::DialogRecord& record : harness.backend.Dialogs()) {
            templates.push_back(record.templateId);
        }
        return templates;
    }

    std::vector<std::string> FileCalls() const {
        return harness.platform.CallsOf({FakeOperation::kCopyFileTo,
                                         FakeOperation::kWriteFileAttributes,
                                         FakeOperation::kOpenTextStream});
    }

    ProgramHarness harness;
};

struct TokenCase {
    const char* name;
    FakeToken token;
    bool administrator;
};

class PrivilegeCheckTest : public StartupTest, public ::testing::WithParamInterface<TokenCase> {};

// Membership of the Administrators group decides, whatever its attributes and however long the
// group list is.
TEST_P(PrivilegeCheckTest, AdmitsOnlyAdministrators) {
    const TokenCase& testCase = GetParam();
    harness.platform.SetToken(testCase.token);
    harness.platform.SetProfileValue("Tarnwick", "WarnUser", "1");
    if (testCase.administrator) {
        QueueEditor();
    } else {
        harness.backend.QueueMessageBoxAnswer(IDOK, kNotAdministrator);
    }
    EXPECT_EQ(harness.app.IsUserAdmin() != FALSE, testCase.administrator);
    EXPECT_FALSE(harness.app.InitInstance());
    if (!testCase.administrator) {
        // Neither the warning nor any file operation follows the refusal.
        EXPECT_TRUE(DialogsShown().empty());
        EXPECT_TRUE(FileCalls().empty());
        EXPECT_EQ(harness.backend.MessageBoxes().at(0).type,
                  static_cast<UINT>(MB_OK | MB_ICONSTOP));
        EXPECT_EQ(harness.backend.MessageBoxes().at(0).caption, "TARN");
    }
    EXPECT_EQ(harness.backend.Problems(), "");
}

const TokenCase kTokenCases[] = {
    {"Administrator", FakeToken::kAdministrator, true},
    {"DenyOnlyAdministratorsEntry", FakeToken::kAdministratorDenyOnly, true},
    {"GroupListOverAKilobyte", FakeToken::kHugeGroupList, true},
    {"NotAdministrator", FakeToken::kNotAdministrator, false},
    {"TokenCannotBeRead", FakeToken::kCannotOpen, false},
};

INSTANTIATE_TEST_SUITE_P(Tokens, PrivilegeCheckTest, ::testing::ValuesIn(kTokenCases), CaseName());

TEST_F(StartupTest, ShowsTheWarningUnlessWarnUserIsSet) {
    struct Case {
        const char* value;  // null: absent
        bool warned;
    };
    for (const Case& testCase :
         {Case{nullptr, true}, Case{"0", true}, Case{"1", false}, Case{"2", false}}) {
        ProgramHarness run;
        run.WriteFile(kBootIniPath, kThreeLineBootIni);
        if (testCase.value)
            run.platform.SetProfileValue("Tarnwick", "WarnUser", testCase.value);
        if (testCase.warned) {
            run.backend.QueueDialog(IDD_WARNUSER,
                                    [](TestDialogWindow& warning) { warning.PressOK(); });
        }
        run.backend.QueueDialog(IDD_BOOTEDIT_DIALOG,
                                [](TestDialogWindow& editor) { editor.PressCancel(); });
        EXPECT_FALSE(run.app.InitInstance());
        EXPECT_EQ(run.backend.Problems(), "") << (testCase.value ? testCase.value : "absent");
    }
}

TEST_F(StartupTest, TickedWarningAndCancelEndsWithoutWritingAnything) {
    QueueWarning(true, IDCANCEL);
    EXPECT_FALSE(harness.app.InitInstance());
    std::string value;
    EXPECT_FALSE(harness.platform.ProfileValue("Tarnwick", "WarnUser", value));
    EXPECT_TRUE(FileCalls().empty());
    EXPECT_FALSE(harness.Exists(kStagingPath));
    EXPECT_EQ(DialogsShown(), std::vector<UINT>{IDD_WARNUSER});
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST_F(StartupTest, TickedWarningAndOkSwitchesTheWarningOff) {
    QueueWarning(true, IDOK);
    QueueEditor();
    EXPECT_FALSE(harness.app.InitInstance());
    std::string value;
    ASSERT_TRUE(harness.platform.ProfileValue("Tarnwick", "WarnUser", value));
    EXPECT_EQ(value, "1");
    EXPECT_EQ(
        harness.platform.CallsOf({FakeOperation::kWriteProfileString}),
        std::vector<std::string>{"WriteProfileString(Tarnwick, WarnUser, 1, TARN.INI) = TRUE"});

    // The next start shows no warning.
    QueueEditor();
    EXPECT_FALSE(harness.app.InitInstance());
    EXPECT_EQ(DialogsShown(),
              (std::vector<UINT>{IDD_WARNUSER, IDD_BOOTEDIT_DIALOG, IDD_BOOTEDIT_DIALOG}));
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST_F(StartupTest, OkWithoutTickingWritesNothing) {
    QueueWarning(false, IDOK);
    QueueEditor();
    EXPECT_FALSE(harness.app.InitInstance());
    EXPECT_TRUE(harness.platform.CallsOf({FakeOperation::kWriteProfileString}).empty());
    EXPECT_EQ(harness.backend.Problems(), "");
}

// The staging copy replaces one left by an earlier run and gets normal attributes.
TEST_F(StartupTest, CopiesBootIniOverAnEarlierStagingFile) {
    harness.platform.SetProfileValue("Tarnwick", "WarnUser", "1");
    harness.WriteFile(kStagingPath, SectionFile({"multi(9)=\"Stale\""}));
    QueueEditor();
    EXPECT_FALSE(harness.app.InitInstance());
    EXPECT_EQ(harness.ReadFile(kStagingPath), kThreeLineBootIni);
    EXPECT_EQ(harness.platform.Attributes(kStagingPath) & kSystemFile, 0u);
    EXPECT_EQ(harness.ReadFile(kBootIniPath), kThreeLineBootIni);
    EXPECT_EQ(harness.platform.Attributes(kBootIniPath), kSystemFile);
    EXPECT_EQ(harness.app.m_pMainWnd, nullptr);
    EXPECT_EQ(harness.backend.Problems(), "");
}

// A staging file left by an earlier run is never edited as if it were the current BOOT.INI.
TEST_F(StartupTest, AFailedCopyDoesNotOpenTheEditorOnAStaleStagingFile) {
    harness.platform.SetProfileValue("Tarnwick", "WarnUser", "1");
    const std::string stale = SectionFile({"multi(9)=\"Stale\""});
    harness.WriteFile(kStagingPath, stale);
    harness.platform.FailCall(FakeOperation::kCopyFileTo, 1);
    harness.backend.QueueMessageBoxAnswer(IDOK, kCopyFailed);
    EXPECT_FALSE(harness.app.InitInstance());
    EXPECT_TRUE(DialogsShown().empty());
    EXPECT_EQ(harness.ReadFile(kStagingPath), stale);
    EXPECT_EQ(harness.ReadFile(kBootIniPath), kThreeLineBootIni);
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST_F(StartupTest, WithoutBootIniBothMessagesAreShownAndTheProgramEnds) {
    ProgramHarness bare;
    bare.platform.SetProfileValue("Tarnwick", "WarnUser", "1");
    bare.backend.QueueMessageBoxAnswer(IDOK, kCopyFailed);
    bare.backend.QueueMessageBoxAnswer(IDOK, kAttributesFailed);
    EXPECT_FALSE(bare.app.InitInstance());
    EXPECT_TRUE(bare.backend.Dialogs().empty());
    EXPECT_EQ(bare.backend.Problems(), "");
}

TEST_F(StartupTest, ADriveOfTheWindowsBootManagerIsNamedAsSuch) {
    for (const char* marker : {"C:\\BOOTMGR", "C:\\Boot\\BCD"}) {
        ProgramHarness bare;
        bare.platform.SetProfileValue("Tarnwick", "WarnUser", "1");
        std::filesystem::create_directory(bare.platform.HostPath("C:\\Boot"));
        bare.WriteFile(marker, "");
        EXPECT_FALSE(bare.app.InitInstance());
        const std::vector<std::string> texts = bare.MessageTexts();
        ASSERT_EQ(texts.size(), 1u) << marker;
        EXPECT_EQ(texts[0].rfind("This Windows starts with the Windows Boot Manager; BOOT.INI is "
                                 "not used here.\n\nTo edit the BOOT.INI of another Windows, "
                                 "start Tarnwick with the ",
                                 0),
                  0u)
            << texts[0];
        // Nothing was copied onto the drive.
        EXPECT_FALSE(bare.Exists(kStagingPath)) << marker;
        EXPECT_TRUE(bare.backend.Dialogs().empty());
    }
}

TEST_F(StartupTest, AFailedAttributeChangeIsToldAndTheEditorStillRuns) {
    harness.platform.SetProfileValue("Tarnwick", "WarnUser", "1");
    harness.platform.SetAttributes(kBootIniPath, FILE_ATTRIBUTE_HIDDEN);
    harness.platform.FailCall(FakeOperation::kWriteFileAttributes, 1);
    harness.backend.QueueMessageBoxAnswer(IDOK, kAttributesFailed);
    QueueEditor();
    EXPECT_FALSE(harness.app.InitInstance());
    EXPECT_EQ(harness.backend.Problems(), "");
}

// A staging copy that stays read-only can't be opened: the editor ends at once, saying so.
TEST_F(StartupTest, AReadOnlyStagingCopyEndsTheEditorAtOnce) {
    harness.platform.SetProfileValue("Tarnwick", "WarnUser", "1");
    harness.platform.FailCall(FakeOperation::kWriteFileAttributes, 1);
    harness.backend.QueueMessageBoxAnswer(IDOK, kAttributesFailed);
    harness.backend.QueueMessageBoxAnswer(IDOK,
                                          "Unable to open BOOT.TMP. BOOT.INI was not changed.");
    harness.backend.QueueDialog(IDD_BOOTEDIT_DIALOG, [](TestDialogWindow&) {});
    EXPECT_FALSE(harness.app.InitInstance());
    ASSERT_EQ(harness.backend.Dialogs().size(), 1u);
    EXPECT_EQ(harness.backend.Dialogs()[0].result, IDCANCEL);
    EXPECT_FALSE(harness.backend.Dialogs()[0].driverRan);
    EXPECT_EQ(harness.ReadFile(kBootIniPath), kThreeLineBootIni);
    EXPECT_EQ(harness.backend.Problems(), "");
}

}  // namespace
