// Opening the editor and showing a boot line in its controls.
#include <gtest/gtest.h>

#include "editor/tests/ProgramHarness.h"

namespace {

std::vector<std::string> Texts(const std::vector<CString>& entries) {
    std::vector<std::string> texts;
    for (const CString& entry : entries)
        texts.push_back(entry.str());
    return texts;
}

TEST(EditorOpening, ShowsTheFirstBootLineInTheUnchangedState) {
    ProgramHarness harness;
    std::intptr_t result = harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window,
                                                                   CBootEditDlg& dialog) {
        EXPECT_EQ(window.GetCurSel(IDC_BOOTLINE_LIST), 0);
        EXPECT_EQ(window.GetCount(IDC_BOOTLINE_LIST), 3);
        EXPECT_EQ(Mismatches(
                      window,
                      {ShowsText(IDC_BOOTLINE_LIST, "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS"),
                       ShowsText(IDC_LABEL_EDIT, "Microsoft Windows XP Professional"),
                       Checked(IDC_FASTDETECT), Checked(IDC_DEBUGPORT, false),
                       Enabled(IDC_DEBUGPORT_LIST, false), Enabled(IDC_HAL_EDIT, false),
                       ShowsText(IDC_CHANNEL_EDIT, ""), Enabled(IDC_APPLY, false),
                       Enabled(IDC_COPY_LINE), Enabled(IDC_DELETE_LINE)}),
                  "");
        EXPECT_EQ(Texts(window.Entries(IDC_DEBUGPORT_LIST)),
                  (std::vector<std::string>{"1394", "COM1", "COM2", "COM3", "COM4"}));
        EXPECT_EQ(Texts(window.Entries(IDC_BAUDRATE_LIST)),
                  (std::vector<std::string>{"300", "1200", "2400", "4800", "9600", "19200", "38400",
                                            "57600", "115200"}));
        EXPECT_EQ(Texts(window.Entries(IDC_UNHANDLED_LIST)),
                  std::vector<std::string>{"noexecute=optin"});
        // Item data: each entry's line index in the file.
        EXPECT_EQ(window.GetItemData(IDC_BOOTLINE_LIST, 0), 4);
        EXPECT_EQ(window.GetItemData(IDC_BOOTLINE_LIST, 2), 6);
        EXPECT_EQ(dialog.m_arrLines.GetSize(), 7);
        EXPECT_EQ(dialog.m_bApplied, 0);
        window.PressCancel();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(EditorOpening, AddsTheAboutEntryToTheSystemMenuAndSetsBothIcons) {
    ProgramHarness harness;
    harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg&) {
        // A separator, the about entry, and then the Boot Menu's entry.
        const std::vector<TestMenuItem>& menu = window.SystemMenu();
        ASSERT_GE(menu.size(), 3u);
        EXPECT_TRUE(menu[menu.size() - 3].separator);
        const TestMenuItem& about = menu[menu.size() - 2];
        EXPECT_EQ(about.commandId, static_cast<UINT>(ID_SYSMENU_ABOUT));
        EXPECT_EQ(about.text, "&About Tarnwick...");
        EXPECT_EQ(menu.back().commandId, static_cast<UINT>(ID_SYSMENU_BOOTMENU));
        ASSERT_EQ(window.IconsSet().size(), 2u);
        EXPECT_TRUE(window.IconsSet()[0].big);
        EXPECT_FALSE(window.IconsSet()[1].big);
        EXPECT_EQ(window.IconsSet()[0].icon, TestBackend::IconHandle(IDR_MAINFRAME));
        window.PressCancel();
    });
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(EditorOpening, WithoutASystemMenuAddsNoEntry) {
    ProgramHarness harness;
    harness.WriteFile("C:\\BOOT.TMP", kThreeLineBootIni);
    CBootEditDlg dialog;
    harness.backend.QueueDialog(
        IDD_BOOTEDIT_DIALOG,
        [](TestDialogWindow& window) {
            for (const TestMenuItem& item : window.SystemMenu()) {
                EXPECT_NE(item.commandId, static_cast<UINT>(ID_SYSMENU_ABOUT));
            }
            window.PressCancel();
        },
        [](TestDialogWindow& window) { window.SetHasSystemMenu(FALSE); });
    dialog.DoModal();
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(EditorOpening, EndsAsCancelledWithAMessageWhenTheStagingFileCannotBeOpened) {
    ProgramHarness harness;
    harness.WriteFile("C:\\BOOT.INI", kThreeLineBootIni);
    harness.platform.FailCall(FakeOperation::kOpenTextStream, 1);
    harness.backend.QueueMessageBoxAnswer(IDOK,
                                          "Unable to open BOOT.TMP. BOOT.INI was not changed.");
    std::intptr_t result =
        harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow&, CBootEditDlg&) {});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(harness.backend.Dialogs().back().driverRan);
    EXPECT_EQ(harness.backend.MessageBoxes().at(0).type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(harness.ReadFile("C:\\BOOT.INI"), kThreeLineBootIni);
    EXPECT_EQ(harness.backend.Problems(), "");
}

// A section without any boot line leaves nothing to edit, but the dialog stays usable.
TEST(EditorOpening, WithoutBootLinesClearsAndDisablesTheOptionsAndStillCloses) {
    const std::string staging = CrLfLines(
        {"[boot loader]", "timeout=30", "[operating systems]", "not a boot line", "=no arc path"});
    for (int button : {IDOK, IDCANCEL}) {
        ProgramHarness harness;
        std::intptr_t result = harness.RunEditor(staging, [&](TestDialogWindow& window,
                                                              CBootEditDlg& dialog) {
            EXPECT_EQ(window.GetCount(IDC_BOOTLINE_LIST), 0);
            EXPECT_EQ(Mismatches(window,
                                 {Checked(IDC_FASTDETECT, false), Enabled(IDC_FASTDETECT, false),
                                  Enabled(IDC_DEBUGPORT, false), Enabled(IDC_CHANNEL, false),
                                  Enabled(IDC_LABEL_EDIT, false), Enabled(IDC_HAL_BROWSE, false),
                                  Enabled(IDC_APPLY, false), Enabled(IDC_COPY_LINE, false),
                                  Enabled(IDC_DELETE_LINE, false), ShowsText(IDC_LABEL_EDIT, "")}),
                      "");
            // With no line selected, the line edits do nothing at all.
            dialog.OnCopyLine();
            dialog.OnDeleteLine();
            dialog.OnApply();
            EXPECT_EQ(dialog.m_arrLines.GetSize(), 5);
            EXPECT_EQ(dialog.m_bApplied, 0);
            EXPECT_TRUE(window.Click(button));
        });
        EXPECT_EQ(result, button);
        EXPECT_TRUE(harness.backend.MessageBoxes().empty());
        EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"), staging);
        EXPECT_EQ(harness.backend.Problems(), "");
    }
}

struct PresentCase {
    const char* name;
    const char* line;
    std::vector<std::string> messages;  // shown while the line is presented, in order
    std::vector<ControlExpectation> expected;
};

class PresentLineTest : public ::testing::TestWithParam<PresentCase> {};

TEST_P(PresentLineTest, ShowsTheRecordInTheControls) {
    const PresentCase& testCase = GetParam();
    ProgramHarness harness;
    for (size_t i = 0; i < testCase.messages.size(); ++i)
        harness.backend.QueueMessageBoxAnswer(IDOK);
    harness.RunEditor(SectionFile({testCase.line}), [&](TestDialogWindow& window, CBootEditDlg&) {
        EXPECT_EQ(Mismatches(window, testCase.expected), "");
        window.PressCancel();
    });
    EXPECT_EQ(harness.MessageTexts(), testCase.messages);
    for (const TestBackend::MessageBoxRecord& record : harness.backend.MessageBoxes()) {
        // A notice: OK alone, no icon, the application's title.
        EXPECT_EQ(record.type, static_cast<UINT>(MB_OK));
        EXPECT_EQ(record.caption, "TARN");
    }
    EXPECT_EQ(harness.backend.Problems(), "");
}

const PresentCase kPresentCases[] = {
    {"ComPortAndRate",
     "multi(0)=\"L\" /debugport=com2 /baudrate=115200",
     {},
     {Checked(IDC_DEBUGPORT), Checked(IDC_BAUDRATE), ShowsText(IDC_DEBUGPORT_LIST, "COM2"),
      ShowsText(IDC_BAUDRATE_LIST, "115200"), Enabled(IDC_DEBUGPORT_LIST),
      Enabled(IDC_BAUDRATE_LIST), Checked(IDC_CHANNEL, false), Enabled(IDC_CHANNEL_EDIT, false),
      Enabled(IDC_CHANNEL_SPIN, false)}},
    {"RateNotInTheList",
     "multi(0)=\"L\" /baudrate=14400",
     {"Bad BaudRate"},
     {Checked(IDC_BAUDRATE), Enabled(IDC_BAUDRATE_LIST)}},
    {"PortNotInTheList",
     "multi(0)=\"L\" /debugport=lpt1",
     {"Bad DebugPort"},
     {Checked(IDC_DEBUGPORT), Enabled(IDC_DEBUGPORT_LIST)}},
    {"BadRateIsToldBeforeBadPort",
     "multi(0)=\"L\" /debugport=lpt1 /baudrate=14400",
     {"Bad BaudRate", "Bad DebugPort"},
     {}},
    {"ChannelOf1394",
     "multi(0)=\"L\" /debugport=1394 /channel=7",
     {},
     {ShowsText(IDC_DEBUGPORT_LIST, "1394"), Checked(IDC_CHANNEL), ShowsText(IDC_CHANNEL_EDIT, "7"),
      Enabled(IDC_CHANNEL_EDIT), Enabled(IDC_CHANNEL_SPIN), Checked(IDC_BAUDRATE, false),
      Enabled(IDC_BAUDRATE_LIST, false)}},
    {"RatePrefixFindsTheFirstEntryBeginningWithIt",
     "multi(0)=\"L\" /baudrate=1152",
     {},
     {ShowsText(IDC_BAUDRATE_LIST, "115200")}},
    {"ShortRatePrefix", "multi(0)=\"L\" /baudrate=1", {}, {ShowsText(IDC_BAUDRATE_LIST, "1200")}},
    {"MaxMem",
     "multi(0)=\"L\" /maxmem=512",
     {},
     {Checked(IDC_MAXMEM), ShowsText(IDC_MAXMEM_EDIT, "512"), Enabled(IDC_MAXMEM_EDIT)}},
    {"HalAndKernel",
     "multi(0)=\"L\" /hal=myhal.dll /kernel=mykrnl.exe",
     {},
     {Checked(IDC_HAL), ShowsText(IDC_HAL_EDIT, "myhal.dll"), Enabled(IDC_HAL_EDIT),
      Enabled(IDC_HAL_BROWSE), Checked(IDC_KERNEL), ShowsText(IDC_KERNEL_EDIT, "mykrnl.exe"),
      Enabled(IDC_KERNEL_BROWSE)}},
    {"DebugAndNoDebugAsRead",
     "multi(0)=\"L\" /Debug /NoDebug",
     {},
     {Checked(IDC_DEBUG), Checked(IDC_NODEBUG)}},
    {"NoLabel", "multi(0)= /sos", {}, {ShowsText(IDC_LABEL_EDIT, ""), Checked(IDC_SOS)}},
    {"EveryPlainSwitch",
     "multi(0)=\"L\" /fastdetect/onecpu/sos/crashdebug/basevideo/bootlog/bootlogo/3gb/pae/nopae"
     "/pcilock/nolowmem/noguiboot/intaffinity",
     {},
     {Checked(IDC_FASTDETECT), Checked(IDC_ONECPU), Checked(IDC_SOS), Checked(IDC_CRASHDEBUG),
      Checked(IDC_BASEVIDEO), Checked(IDC_BOOTLOG), Checked(IDC_BOOTLOGO), Checked(IDC_3GB),
      Checked(IDC_PAE), Checked(IDC_NOPAE), Checked(IDC_PCILOCK), Checked(IDC_NOLOWMEM),
      Checked(IDC_NOGUIBOOT), Checked(IDC_INTAFFINITY), Checked(IDC_DEBUG, false)}},
};

INSTANTIATE_TEST_SUITE_P(Lines, PresentLineTest, ::testing::ValuesIn(kPresentCases), CaseName());

TEST(PresentLine, ListsUnhandledOptionsSorted) {
    ProgramHarness harness;
    harness.RunEditor(SectionFile({"multi(0)=\"L\" /zeta /Alpha /USERVA=3030 /mid"}),
                      [](TestDialogWindow& window, CBootEditDlg&) {
                          EXPECT_EQ(
                              Texts(window.Entries(IDC_UNHANDLED_LIST)),
                              (std::vector<std::string>{"Alpha", "mid", "USERVA=3030", "zeta"}));
                          window.PressCancel();
                      });
    EXPECT_EQ(harness.backend.Problems(), "");
}

// Showing another line clears whatever the previous one showed.
TEST(PresentLine, SelectingAnotherLineShowsItAndDropsUnappliedEdits) {
    ProgramHarness harness;
    harness.RunEditor(
        SectionFile({"multi(0)=\"First\" /maxmem=512 /zeta", "multi(1)=\"Second\" /sos"}),
        [](TestDialogWindow& window, CBootEditDlg& dialog) {
            window.Click(IDC_FASTDETECT);
            window.Type(IDC_LABEL_EDIT, " edited");
            EXPECT_EQ(Mismatches(window, LineButtons(true)), "");
            window.Pick(IDC_BOOTLINE_LIST, 1);
            EXPECT_EQ(Mismatches(window,
                                 {ShowsText(IDC_LABEL_EDIT, "Second"), Checked(IDC_SOS),
                                  Checked(IDC_FASTDETECT, false), Checked(IDC_MAXMEM, false),
                                  ShowsText(IDC_MAXMEM_EDIT, ""), Enabled(IDC_MAXMEM_EDIT, false)}),
                      "");
            EXPECT_EQ(Mismatches(window, LineButtons(false)), "");
            EXPECT_TRUE(window.Entries(IDC_UNHANDLED_LIST).empty());
            EXPECT_EQ(dialog.m_bootLine.m_strLabel, "Second");
            window.PressCancel();
        });
    EXPECT_EQ(harness.backend.Problems(), "");
}

// Two boot lines often share an ARC path; the one chosen stays chosen.
TEST(PresentLine, TheSecondOfTwoEqualArcPathsStaysSelected) {
    ProgramHarness harness;
    const std::string staging = SectionFile({"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"A\"",
                                             "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"B\""});
    harness.RunEditor(staging, [](TestDialogWindow& window, CBootEditDlg&) {
        window.Pick(IDC_BOOTLINE_LIST, 1);
        EXPECT_EQ(window.GetCurSel(IDC_BOOTLINE_LIST), 1);
        EXPECT_EQ(window.GetText(IDC_LABEL_EDIT), "B");
        // An exchange after an option click keeps the selection as well.
        window.Click(IDC_SOS);
        EXPECT_EQ(window.GetCurSel(IDC_BOOTLINE_LIST), 1);
        window.Click(IDC_APPLY);
        EXPECT_EQ(window.GetCurSel(IDC_BOOTLINE_LIST), 1);
        EXPECT_EQ(window.GetText(IDC_LABEL_EDIT), "B");
        window.PressCancel();
    });
    EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"),
              SectionFile({"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"A\"",
                           "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"B\" /SOS "}));
    EXPECT_EQ(harness.backend.Problems(), "");
}

}  // namespace
