// The default line in the editor: shown in the title, a warning when default= names no listed
// line, and the question before Delete Line removes the line the loader starts by default.
#include <gtest/gtest.h>

#include <string>

#include "editor/tests/ProgramHarness.h"

namespace {

const char kDefaultXp[] = "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS";
const char kMissingWarning[] =
    "The default line of BOOT.INI, multi(9)disk(0)rdisk(0)partition(1)\\WINDOWS, is none of its "
    "boot lines: the boot loader cannot start it. Choose the default line in the Boot Menu "
    "(system menu, or F2).";

TEST(DefaultLine, TheTitleNamesIt) {
    struct Case {
        const char* name;
        std::string staging;
        const char* title;
    };
    const Case cases[] = {
        {"first line", kThreeLineBootIni, "Tarn - default: Microsoft Windows XP Professional"},
        {"unlabelled line, other case",
         CrLfLines({"[boot loader]", "default=c:\\", "[operating systems]", kXpLine, "C:\\="}),
         "Tarn - default: C:\\"},
        {"no default=", SectionFile({kXpLine}), "Tarn"},
    };
    for (const Case& testCase : cases) {
        ProgramHarness harness;
        harness.RunEditor(testCase.staging, [&](TestDialogWindow& window, CBootEditDlg&) {
            EXPECT_EQ(window.Title(), testCase.title) << testCase.name;
            window.PressCancel();
        });
        EXPECT_EQ(harness.backend.Problems(), "") << testCase.name;
    }
}

TEST(DefaultLine, ANamedLineThatIsMissingIsAWarningAtOpening) {
    ProgramHarness harness;
    harness.backend.QueueMessageBoxAnswer(IDOK, kMissingWarning);
    harness.RunEditor(
        CrLfLines({"[boot loader]", "default=multi(9)disk(0)rdisk(0)partition(1)\\WINDOWS",
                   "[operating systems]", kXpLine}),
        [](TestDialogWindow& window, CBootEditDlg&) {
            EXPECT_EQ(window.Title(), "Tarn - the default line is missing");
            window.PressCancel();
        });
    ASSERT_EQ(harness.backend.MessageBoxes().size(), 1u);
    EXPECT_EQ(harness.backend.MessageBoxes()[0].type,
              static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(DefaultLine, TheTitleFollowsABootMenuChange) {
    ProgramHarness harness;
    harness.backend.QueueDialog(IDD_BOOTMENU, [](TestDialogWindow& menu) {
        menu.Pick(IDC_DEFAULT_LIST, 1);
        menu.PressOK();
    });
    harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg&) {
        window.SystemCommand(ID_SYSMENU_BOOTMENU);
        EXPECT_EQ(window.Title(), "Tarn - default: Windows 2000");
        window.PressCancel();
    });
    EXPECT_EQ(harness.backend.Problems(), "");
}

// Deleting the last line with the default's ARC path asks which line becomes the default.
TEST(DefaultLine, DeletingItAsksForTheNewDefault) {
    struct Case {
        const char* name;
        int newDefault;  // entry chosen in the question; -1: Cancel
        std::string expected;
    };
    const Case cases[] = {
        {"first remaining line", 0,
         CrLfLines({"[boot loader]", "timeout=30",
                    "default=multi(0)disk(0)rdisk(0)partition(2)\\WINNT", "[operating systems]",
                    kWin2000Line, kPreviousLine})},
        {"another line", 1,
         CrLfLines({"[boot loader]", "timeout=30", "default=C:\\", "[operating systems]",
                    kWin2000Line, kPreviousLine})},
        {"kept", -1, kThreeLineBootIni},
    };
    for (const Case& testCase : cases) {
        ProgramHarness harness;
        harness.backend.QueueDialog(IDD_NEWDEFAULT, [&](TestDialogWindow& question) {
            EXPECT_EQ(
                question.Entries(IDC_DEFAULT_LIST),
                (std::vector<CString>{"Windows 2000 - multi(0)disk(0)rdisk(0)partition(2)\\WINNT",
                                      "Previous Operating System on C: - C:\\"}));
            EXPECT_EQ(question.GetCurSel(IDC_DEFAULT_LIST), 0);
            EXPECT_TRUE(question.PressF1(IDC_DEFAULT_LIST, CPoint{}));
            if (testCase.newDefault < 0) {
                question.PressCancel();
            } else {
                question.Pick(IDC_DEFAULT_LIST, testCase.newDefault);
                question.PressOK();
            }
        });
        harness.RunEditor(kThreeLineBootIni, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
            window.Click(IDC_DELETE_LINE);
            EXPECT_EQ(window.GetCount(IDC_BOOTLINE_LIST), testCase.newDefault < 0 ? 3 : 2);
            // Deleting stays a line edit, not an Apply.
            EXPECT_EQ(dialog.m_bApplied, 0);
            EXPECT_EQ(window.IsEnabled(IDC_DELETE_LINE), testCase.newDefault < 0 ? TRUE : FALSE);
            window.PressCancel();
        });
        EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"), testCase.expected) << testCase.name;
        ASSERT_EQ(harness.backend.HelpCalls().size(), 1u);
        EXPECT_EQ(harness.backend.HelpCalls()[0].popup.text,
                  "The line the boot loader starts when the user picks none in its menu.\n");
        EXPECT_EQ(harness.backend.Problems(), "") << testCase.name;
    }
}

TEST(DefaultLine, OtherDeletionsAskNothing) {
    struct Case {
        const char* name;
        std::string staging;
        int position;
    };
    const Case cases[] = {
        {"not the default line", kThreeLineBootIni, 1},
        {"another line keeps the default's path",
         CrLfLines({"[boot loader]", kDefaultXp, "[operating systems]", kXpLine, kWin2000Line,
                    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Copy\""}),
         0},
        {"no default=", SectionFile({kXpLine, kWin2000Line}), 0},
    };
    for (const Case& testCase : cases) {
        ProgramHarness harness;
        harness.RunEditor(testCase.staging, [&](TestDialogWindow& window, CBootEditDlg&) {
            const int count = window.GetCount(IDC_BOOTLINE_LIST);
            window.Pick(IDC_BOOTLINE_LIST, testCase.position);
            window.Click(IDC_DELETE_LINE);
            EXPECT_EQ(window.GetCount(IDC_BOOTLINE_LIST), count - 1) << testCase.name;
            window.PressCancel();
        });
        EXPECT_EQ(harness.backend.Dialogs().size(), 1u) << testCase.name;
        EXPECT_EQ(harness.backend.Problems(), "") << testCase.name;
    }
}

}  // namespace
