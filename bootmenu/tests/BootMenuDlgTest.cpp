// The Boot Menu dialog from the editor: what it shows, what each control does, and the exact
// lines its OK writes into the staging file.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "editor/tests/ProgramHarness.h"

namespace {

const char kXpPath[] = "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS";

using MenuDriver = std::function<void(TestDialogWindow&)>;

// Runs the editor on staging, opens the Boot Menu with F2 and lets menu act in it; the editor is
// then cancelled. Returns the editor's m_bApplied.
int RunBootMenu(ProgramHarness& harness, const std::string& staging, const MenuDriver& menu) {
    int applied = -1;
    harness.backend.QueueDialog(IDD_BOOTMENU, menu);
    harness.RunEditor(staging, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
        EXPECT_TRUE(window.PressFunctionKey(VK_F2));
        applied = dialog.m_bApplied;
        window.PressCancel();
    });
    return applied;
}

TEST(BootMenu, OpensFromTheSystemMenuAfterTheAboutEntryAndFromF2) {
    ProgramHarness harness;
    harness.backend.QueueDialog(IDD_BOOTMENU, [](TestDialogWindow& menu) { menu.PressCancel(); });
    harness.backend.QueueDialog(IDD_BOOTMENU, [](TestDialogWindow& menu) { menu.PressCancel(); });
    harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg&) {
        const std::vector<TestMenuItem>& items = window.SystemMenu();
        ASSERT_GE(items.size(), 3u);
        EXPECT_EQ(items[items.size() - 2].commandId, static_cast<UINT>(ID_SYSMENU_ABOUT));
        EXPECT_EQ(items.back().commandId, static_cast<UINT>(ID_SYSMENU_BOOTMENU));
        EXPECT_EQ(items.back().text, "Boot &Menu...\tF2");
        EXPECT_TRUE(window.SystemCommand(ID_SYSMENU_BOOTMENU));
        EXPECT_TRUE(window.PressFunctionKey(VK_F2));
        // No other function key is bound.
        EXPECT_FALSE(window.PressFunctionKey(VK_F2 + 1));
        window.PressCancel();
    });
    ASSERT_EQ(harness.backend.Dialogs().size(), 3u);
    EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"), kThreeLineBootIni);
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(BootMenu, ShowsTheTimeoutTheDefaultAndTheOrder) {
    ProgramHarness harness;
    RunBootMenu(harness, kThreeLineBootIni, [](TestDialogWindow& menu) {
        EXPECT_EQ(menu.Title(), "Boot Menu");
        EXPECT_EQ(menu.GetText(IDC_TIMEOUT_EDIT), "30");
        EXPECT_EQ(menu.Entries(IDC_DEFAULT_LIST),
                  (std::vector<CString>{kXpEntry, kWin2000Entry, kPreviousEntry}));
        EXPECT_EQ(menu.GetCurSel(IDC_DEFAULT_LIST), 0);
        EXPECT_EQ(menu.Entries(IDC_ORDER_LIST), menu.Entries(IDC_DEFAULT_LIST));
        EXPECT_EQ(menu.GetCurSel(IDC_ORDER_LIST), 0);
        EXPECT_EQ(menu.GetText(IDC_BOOTMENU_NOTE), "");
        EXPECT_FALSE(menu.IsEnabled(IDC_MOVE_UP));
        EXPECT_TRUE(menu.IsEnabled(IDC_MOVE_DOWN));
        menu.Pick(IDC_ORDER_LIST, 2);
        EXPECT_TRUE(menu.IsEnabled(IDC_MOVE_UP));
        EXPECT_FALSE(menu.IsEnabled(IDC_MOVE_DOWN));
        menu.PressCancel();
    });
    EXPECT_EQ(harness.backend.Problems(), "");
}

// What each control writes: exactly the lines that must change, on files with and without the
// two lines and the section.
struct WriteCase {
    const char* name;
    std::string staging;
    MenuDriver actions;
    std::string expected;
};

class BootMenuWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(BootMenuWriteTest, OkWritesOnlyTheChangedLines) {
    const WriteCase& testCase = GetParam();
    ProgramHarness harness;
    const int applied = RunBootMenu(harness, testCase.staging, [&](TestDialogWindow& menu) {
        testCase.actions(menu);
        EXPECT_TRUE(menu.PressOK());
    });
    EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"), testCase.expected);
    // Counts as an Apply when it changed the file.
    EXPECT_EQ(applied, testCase.expected != testCase.staging ? 1 : 0);
    EXPECT_EQ(harness.backend.Problems(), "");
}

MenuDriver SetTimeout(const char* seconds) {
    return [seconds](TestDialogWindow& menu) {
        menu.ClearText(IDC_TIMEOUT_EDIT);
        menu.Type(IDC_TIMEOUT_EDIT, seconds);
    };
}

MenuDriver PickDefault(int position) {
    return [position](TestDialogWindow& menu) { menu.Pick(IDC_DEFAULT_LIST, position); };
}

MenuDriver Both(MenuDriver first, MenuDriver second) {
    return [first, second](TestDialogWindow& menu) {
        first(menu);
        second(menu);
    };
}

MenuDriver MoveLastToTop() {
    return [](TestDialogWindow& menu) {
        menu.Pick(IDC_ORDER_LIST, menu.GetCount(IDC_ORDER_LIST) - 1);
        while (menu.IsEnabled(IDC_MOVE_UP))
            menu.Click(IDC_MOVE_UP);
        EXPECT_EQ(menu.GetCurSel(IDC_ORDER_LIST), 0);
    };
}

const std::string kBootLines =
    CrLfLines({"[operating systems]", kXpLine, kWin2000Line, kPreviousLine});
const std::string kBootLoader = CrLfLines({"[boot loader]"});

const WriteCase kWriteCases[] = {
    {"TimeoutOnly", kThreeLineBootIni, SetTimeout("5"),
     CrLfLines({"[boot loader]", "timeout=5",
                "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS", "[operating systems]",
                kXpLine, kWin2000Line, kPreviousLine})},
    {"ZeroTimeout", kThreeLineBootIni, SetTimeout("0"),
     CrLfLines({"[boot loader]", "timeout=0",
                "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS", "[operating systems]",
                kXpLine, kWin2000Line, kPreviousLine})},
    {"SpinUp", kThreeLineBootIni,
     [](TestDialogWindow& menu) { menu.PressSpinUp(IDC_TIMEOUT_SPIN); },
     CrLfLines({"[boot loader]", "timeout=31",
                "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS", "[operating systems]",
                kXpLine, kWin2000Line, kPreviousLine})},
    {"DefaultOnly", kThreeLineBootIni, PickDefault(2),
     CrLfLines({"[boot loader]", "timeout=30", "default=C:\\", "[operating systems]", kXpLine,
                kWin2000Line, kPreviousLine})},
    {"SameDefaultWrittenOtherwiseStaysAsItIs",
     CrLfLines({"[boot loader]", " Default = MULTI(0)disk(0)rdisk(0)partition(1)\\windows",
                "[operating systems]", kXpLine}),
     PickDefault(0),
     CrLfLines({"[boot loader]", " Default = MULTI(0)disk(0)rdisk(0)partition(1)\\windows",
                "[operating systems]", kXpLine})},
    {"MoveLastToTop", kThreeLineBootIni, MoveLastToTop(),
     CrLfLines({"[boot loader]", "timeout=30",
                "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS", "[operating systems]",
                kPreviousLine, kXpLine, kWin2000Line})},
    {"FirstLineToTheBottom", kThreeLineBootIni,
     [](TestDialogWindow& menu) {
         menu.Click(IDC_MOVE_DOWN);
         menu.Click(IDC_MOVE_DOWN);
         EXPECT_FALSE(menu.IsEnabled(IDC_MOVE_DOWN));
     },
     CrLfLines({"[boot loader]", "timeout=30",
                "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS", "[operating systems]",
                kWin2000Line, kPreviousLine, kXpLine})},
    {"NothingChanged", kThreeLineBootIni, [](TestDialogWindow&) {}, kThreeLineBootIni},
    {"MissingKeysAreAddedInTheSection", kBootLoader + kBootLines,
     Both(PickDefault(1), SetTimeout("5")),
     CrLfLines({"[boot loader]", "timeout=5", "default=multi(0)disk(0)rdisk(0)partition(2)\\WINNT",
                "[operating systems]", kXpLine, kWin2000Line, kPreviousLine})},
    {"MissingSectionIsCreatedBeforeTheBootLines", kBootLines, Both(SetTimeout("5"), PickDefault(0)),
     CrLfLines({"[boot loader]", "timeout=5", std::string("default=").append(kXpPath).c_str(),
                "[operating systems]", kXpLine, kWin2000Line, kPreviousLine})},
    {"MissingTimeoutLeftMissing", kBootLoader + kBootLines, PickDefault(2),
     CrLfLines({"[boot loader]", "default=C:\\", "[operating systems]", kXpLine, kWin2000Line,
                kPreviousLine})},
    {"UntouchedInvalidTimeoutIsKept",
     CrLfLines({"[boot loader]", "timeout=soon", "[operating systems]", kXpLine, kPreviousLine}),
     PickDefault(1),
     CrLfLines({"[boot loader]", "timeout=soon", "default=C:\\", "[operating systems]", kXpLine,
                kPreviousLine})},
    {"MovesAndTheDefaultTogether", kThreeLineBootIni,
     Both(Both(PickDefault(1), SetTimeout("5")), MoveLastToTop()),
     CrLfLines({"[boot loader]", "timeout=5", "default=multi(0)disk(0)rdisk(0)partition(2)\\WINNT",
                "[operating systems]", kPreviousLine, kXpLine, kWin2000Line})},
};

INSTANTIATE_TEST_SUITE_P(Files, BootMenuWriteTest, ::testing::ValuesIn(kWriteCases), CaseName());

TEST(BootMenu, CancelChangesNothing) {
    ProgramHarness harness;
    const int applied = RunBootMenu(harness, kThreeLineBootIni, [](TestDialogWindow& menu) {
        SetTimeout("5")(menu);
        PickDefault(2)(menu);
        MoveLastToTop()(menu);
        menu.PressCancel();
    });
    EXPECT_EQ(applied, 0);
    EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"), kThreeLineBootIni);
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(BootMenu, RefusesATimeoutOver999AndStaysOpen) {
    ProgramHarness harness;
    harness.backend.QueueMessageBoxAnswer(IDOK,
                                          "Invalid Timeout. The boot menu waits 0 to 999 seconds.");
    RunBootMenu(harness, kThreeLineBootIni, [](TestDialogWindow& menu) {
        SetTimeout("1000")(menu);
        EXPECT_TRUE(menu.PressOK());
        EXPECT_TRUE(menu.IsOpen());
        menu.ClearText(IDC_TIMEOUT_EDIT);
        menu.PressOK();  // an emptied timeout is no timeout either
        EXPECT_TRUE(menu.IsOpen());
        menu.PressCancel();
    });
    EXPECT_EQ(harness.MessageTexts().size(), 2u);
    EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"), kThreeLineBootIni);
}

// Two lines share an ARC path: the loader starts the first line with it, so only that one can be
// the default line. The one after it becomes a candidate once it is moved before it.
TEST(BootMenu, TheDefaultListOffersOnlyLinesTheLoaderCanStart) {
    ProgramHarness harness;
    RunBootMenu(harness, SectionFile({kXpLine, kPreviousLine, "C:\\=\"Second\""}),
                [](TestDialogWindow& menu) {
                    EXPECT_EQ(menu.Entries(IDC_DEFAULT_LIST),
                              (std::vector<CString>{kXpEntry, kPreviousEntry}));
                    EXPECT_EQ(menu.GetCurSel(IDC_DEFAULT_LIST), -1);
                    menu.Pick(IDC_DEFAULT_LIST, 1);
                    menu.Pick(IDC_ORDER_LIST, 2);
                    menu.Click(IDC_MOVE_UP);
                    EXPECT_EQ(menu.Entries(IDC_DEFAULT_LIST),
                              (std::vector<CString>{kXpEntry, "Second - C:\\"}));
                    EXPECT_EQ(menu.GetCurSel(IDC_DEFAULT_LIST), 1);
                    menu.PressCancel();
                });
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(BootMenu, TheNoteSaysWhenTheDefaultIsMissing) {
    struct Case {
        std::string staging;
        const char* note;
    };
    const Case cases[] = {
        {SectionFile({kXpLine}),
         "BOOT.INI names no default line. Choose the line the boot loader starts when the user "
         "picks none."},
        {CrLfLines({"[boot loader]", "default=multi(9)", "[operating systems]", kXpLine}),
         "The default line, multi(9), is none of the boot lines: the boot loader cannot start "
         "it. Choose the default line."},
    };
    for (const Case& testCase : cases) {
        ProgramHarness harness;
        harness.backend.QueueMessageBoxAnswer(IDOK);  // the warning at opening, if any
        RunBootMenu(harness, testCase.staging, [&](TestDialogWindow& menu) {
            EXPECT_EQ(menu.GetText(IDC_BOOTMENU_NOTE), testCase.note);
            EXPECT_EQ(menu.GetCurSel(IDC_DEFAULT_LIST), -1);
            menu.Pick(IDC_DEFAULT_LIST, 0);
            EXPECT_EQ(menu.GetText(IDC_BOOTMENU_NOTE), "");
            menu.PressCancel();
        });
    }
}

TEST(BootMenu, IsRefusedWhileTheEditorHoldsChangesNotApplied) {
    ProgramHarness harness;
    harness.backend.QueueMessageBoxAnswer(
        IDOK,
        "Apply the changes to this boot line first, or choose the line again to drop them; then "
        "open the Boot Menu.");
    harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg&) {
        window.Click(IDC_SOS);
        window.PressFunctionKey(VK_F2);
        EXPECT_TRUE(window.IsEnabled(IDC_APPLY));
        EXPECT_EQ(window.GetCheck(IDC_SOS), 1);
        window.PressCancel();
    });
    EXPECT_EQ(harness.backend.Dialogs().size(), 1u);
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(BootMenu, TheEditorKeepsShowingItsLineWhereverItMoved) {
    ProgramHarness harness;
    harness.backend.QueueDialog(IDD_BOOTMENU, [](TestDialogWindow& menu) {
        MoveLastToTop()(menu);
        menu.PressOK();
    });
    harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg& dialog) {
        window.Pick(IDC_BOOTLINE_LIST, 1);  // Windows 2000
        window.PressFunctionKey(VK_F2);
        EXPECT_EQ(window.GetCurSel(IDC_BOOTLINE_LIST), 2);
        EXPECT_EQ(window.GetText(IDC_LABEL_EDIT), "Windows 2000");
        EXPECT_EQ(Mismatches(window, LineButtons(false)), "");
        EXPECT_EQ(dialog.m_bApplied, 1);
        window.PressCancel();
    });
    EXPECT_EQ(harness.backend.Problems(), "");
}

// Without a boot line the timeout can still be set; the editor stays without a line to edit.
TEST(BootMenu, WorksOnAFileWithoutBootLines) {
    ProgramHarness harness;
    harness.backend.QueueDialog(IDD_BOOTMENU, [](TestDialogWindow& menu) {
        EXPECT_EQ(menu.GetCount(IDC_ORDER_LIST), 0);
        EXPECT_FALSE(menu.IsEnabled(IDC_MOVE_UP));
        EXPECT_FALSE(menu.IsEnabled(IDC_MOVE_DOWN));
        SetTimeout("3")(menu);
        menu.PressOK();
    });
    harness.RunEditor(CrLfLines({"[operating systems]", "no boot line"}),
                      [](TestDialogWindow& window, CBootEditDlg& dialog) {
                          window.PressFunctionKey(VK_F2);
                          EXPECT_EQ(dialog.m_bApplied, 1);
                          EXPECT_EQ(Mismatches(window, {Enabled(IDC_COPY_LINE, false),
                                                        Enabled(IDC_DELETE_LINE, false),
                                                        Enabled(IDC_APPLY, false)}),
                                    "");
                          window.PressCancel();
                      });
    EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"),
              CrLfLines({"[boot loader]", "timeout=3", "[operating systems]", "no boot line"}));
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(BootMenu, HelpPopupsForItsControls) {
    struct Case {
        int id;
        const char* text;
    };
    const Case cases[] = {
        {IDC_TIMEOUT_EDIT,
         "Seconds the boot menu waits, 0 to 999. With 0 the default line starts at once.\n"},
        {IDC_DEFAULT_LIST,
         "The line the boot loader starts when the user picks none in its menu.\n"},
        {IDC_ORDER_LIST, "The boot lines in the order the boot menu lists them.\n"},
        {IDC_MOVE_UP, "Moves the selected line one place up in the boot menu.\n"},
        {IDC_MOVE_DOWN, "Moves the selected line one place down in the boot menu.\n"},
    };
    for (const Case& testCase : cases) {
        ProgramHarness harness;
        RunBootMenu(harness, kThreeLineBootIni, [&](TestDialogWindow& menu) {
            EXPECT_TRUE(menu.PressF1(testCase.id, CPoint{40, 12}));
            EXPECT_TRUE(menu.PressF1(IDOK, CPoint{1, 1}));  // no row: nothing shown
            menu.PressCancel();
        });
        ASSERT_EQ(harness.backend.HelpCalls().size(), 1u) << testCase.id;
        const TestBackend::HelpCall& call = harness.backend.HelpCalls()[0];
        EXPECT_EQ(call.kind, TestBackend::HelpCall::Kind::kPopup);
        EXPECT_EQ(call.popup.text, testCase.text);
        EXPECT_EQ(call.popup.position.x, 40);
        EXPECT_EQ(call.ownerTemplateId, static_cast<UINT>(IDD_BOOTMENU));
    }
}

}  // namespace
