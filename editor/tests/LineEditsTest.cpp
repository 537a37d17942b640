// Copy Line, Delete Line and Apply: what they write into the staging file and what they show.
#include <gtest/gtest.h>

#include "editor/tests/ProgramHarness.h"

namespace {

const char kXp[] =
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect";
const char kWin2000[] =
    "multi(0)disk(0)rdisk(0)partition(2)\\WINNT=\"Windows 2000\" /debugport=com2 /baudrate=115200";
const char kPrevious[] = "C:\\=\"Previous Operating System on C:\"";
const char kHead[] = "[boot loader]\r\ntimeout=30\r\n";

TEST(CopyLine, InsertsARelabelledCopyBeforeTheLineAndShowsIt) {
    ProgramHarness harness;
    harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg& dialog) {
        window.Pick(IDC_BOOTLINE_LIST, 0);
        ASSERT_TRUE(window.Click(IDC_COPY_LINE));
        EXPECT_EQ(window.GetCount(IDC_BOOTLINE_LIST), 4);
        EXPECT_EQ(window.GetCurSel(IDC_BOOTLINE_LIST), 0);
        EXPECT_EQ(window.GetText(IDC_LABEL_EDIT), "Copy Microsoft Windows XP Professional");
        EXPECT_EQ(Mismatches(window, LineButtons(false)), "");
        // A copy of the copy.
        ASSERT_TRUE(window.Click(IDC_COPY_LINE));
        EXPECT_EQ(window.GetText(IDC_LABEL_EDIT), "Copy Copy Microsoft Windows XP Professional");
        EXPECT_EQ(dialog.m_bApplied, 0);
        window.PressCancel();
    });
    EXPECT_EQ(
        harness.ReadFile("C:\\BOOT.TMP"),
        CrLfLines({"[boot loader]", "timeout=30",
                   "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS", "[operating systems]",
                   "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Copy Copy Microsoft "
                   "Windows XP Professional\" /FastDetect /noexecute=optin ",
                   "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Copy Microsoft Windows "
                   "XP Professional\" /FastDetect /noexecute=optin ",
                   kXp, kWin2000, kPrevious}));
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(CopyLine, GivesAnUnlabelledLineTheLabelCopy) {
    ProgramHarness harness;
    harness.RunEditor(SectionFile({"multi(0)=unquoted /sos"}),
                      [](TestDialogWindow& window, CBootEditDlg&) {
                          ASSERT_TRUE(window.Click(IDC_COPY_LINE));
                          EXPECT_EQ(window.GetText(IDC_LABEL_EDIT), "Copy ");
                          window.PressCancel();
                      });
    EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"),
              SectionFile({"multi(0)=\"Copy \" /SOS ", "multi(0)=unquoted /sos"}));
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(CopyLine, RefusesACopyLongerThanABootLineMayBe) {
    // With "Copy " in front, the copy would be five characters over the limit.
    const std::string label(CBootLine::kMaxLineLength - 12, 'x');
    const std::string line = "multi(0)=\"" + label + "\" ";
    ASSERT_EQ(static_cast<int>(line.size()), CBootLine::kMaxLineLength);
    const std::string staging = SectionFile({line.c_str()});
    ProgramHarness harness;
    harness.backend.QueueMessageBoxAnswer(IDOK);
    harness.RunEditor(staging, [](TestDialogWindow& window, CBootEditDlg&) {
        ASSERT_TRUE(window.Click(IDC_COPY_LINE));
        EXPECT_EQ(window.GetCount(IDC_BOOTLINE_LIST), 1);
        window.PressCancel();
    });
    EXPECT_EQ(harness.MessageTexts(),
              std::vector<std::string>{"The boot line is too long. A boot line may hold at most "
                                       "2047 characters."});
    EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"), staging);
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(DeleteLine, RemovesTheSelectedLineAndShowsTheFirst) {
    ProgramHarness harness;
    harness.RunEditor(
        std::string(kHead) + SectionFile({kXp, kPrevious}),
        [](TestDialogWindow& window, CBootEditDlg& dialog) {
            window.Pick(IDC_BOOTLINE_LIST, 1);
            ASSERT_TRUE(window.Click(IDC_DELETE_LINE));
            EXPECT_EQ(window.GetCount(IDC_BOOTLINE_LIST), 1);
            EXPECT_EQ(window.GetCurSel(IDC_BOOTLINE_LIST), 0);
            EXPECT_EQ(window.GetText(IDC_LABEL_EDIT), "Microsoft Windows XP Professional");
            EXPECT_EQ(Mismatches(window, {Enabled(IDC_APPLY, false), Enabled(IDC_COPY_LINE),
                                          Enabled(IDC_DELETE_LINE, false)}),
                      "");
            EXPECT_EQ(dialog.m_bApplied, 0);
            window.PressCancel();
        });
    EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"), std::string(kHead) + SectionFile({kXp}));
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(DeleteLine, DeletingTheFirstLineLeavesEverythingAroundTheSectionAlone) {
    ProgramHarness harness;
    const std::string tail = "[other]\r\nkeep=me\r\n";
    harness.RunEditor(std::string(kHead) + SectionFile({kXp, kPrevious}) + tail,
                      [](TestDialogWindow& window, CBootEditDlg&) {
                          ASSERT_TRUE(window.Click(IDC_DELETE_LINE));
                          window.PressCancel();
                      });
    EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"),
              std::string(kHead) + SectionFile({kPrevious}) + tail);
    EXPECT_EQ(harness.backend.Problems(), "");
}

// The count is that of listed boot lines: lines the parser rejects don't count.
TEST(DeleteLine, IsRefusedForTheOnlyListedLine) {
    ProgramHarness harness;
    const std::string staging = SectionFile({"", "no equals sign", kXp, "=no arc path"});
    harness.backend.QueueMessageBoxAnswer(
        IDOK, "Deleting the only line in the Boot.INI file will make the system unbootable");
    harness.RunEditor(staging, [](TestDialogWindow& window, CBootEditDlg&) {
        ASSERT_TRUE(window.Click(IDC_DELETE_LINE));
        EXPECT_EQ(window.GetCount(IDC_BOOTLINE_LIST), 1);
        EXPECT_EQ(Mismatches(window, LineButtons(false)), "");
        window.PressCancel();
    });
    EXPECT_EQ(harness.backend.MessageBoxes().at(0).type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"), staging);
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(Apply, RewritesOnlyTheSelectedLine) {
    // LF line ends and a last line without one: the other lines come back byte for byte, only
    // with CR-LF line ends.
    const std::string staging = std::string("[boot loader]\ntimeout=30\n[operating systems]\n") +
                                kXp + "\n" + kWin2000 + "\n" + kPrevious + " /SOS /Extra \n" +
                                "[other]\nlast line";
    ProgramHarness harness;
    harness.RunEditor(staging, [](TestDialogWindow& window, CBootEditDlg& dialog) {
        window.Pick(IDC_BOOTLINE_LIST, 2);
        window.Click(IDC_BASEVIDEO);
        ASSERT_TRUE(window.Click(IDC_APPLY));
        EXPECT_EQ(window.GetCurSel(IDC_BOOTLINE_LIST), 2);
        EXPECT_EQ(Mismatches(window, LineButtons(false)), "");
        EXPECT_EQ(Mismatches(window, {Checked(IDC_BASEVIDEO), Checked(IDC_SOS)}), "");
        EXPECT_EQ(dialog.m_bApplied, 1);
        window.PressCancel();
    });
    EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"),
              CrLfLines({"[boot loader]", "timeout=30", "[operating systems]", kXp, kWin2000,
                         "C:\\=\"Previous Operating System on C:\" /BaseVideo /SOS /Extra ",
                         "[other]", "last line"}));
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(Apply, WritesTheControlsInNormalForm) {
    ProgramHarness harness;
    harness.RunEditor(SectionFile({"multi(0)=\"L\" /hal=old.dll /zeta /debugport=com2:"}),
                      [](TestDialogWindow& window, CBootEditDlg&) {
                          window.Click(IDC_HAL);  // unticks: the option goes
                          window.Click(IDC_CHANNEL);
                          window.Click(IDC_MAXMEM);
                          window.Type(IDC_MAXMEM_EDIT, "1024");
                          window.ClearText(IDC_LABEL_EDIT);
                          window.Type(IDC_LABEL_EDIT, "New label");
                          ASSERT_TRUE(window.Click(IDC_APPLY));
                          window.PressCancel();
                      });
    EXPECT_EQ(
        harness.ReadFile("C:\\BOOT.TMP"),
        SectionFile({"multi(0)=\"New label\" /Channel=1 /DebugPort=1394 /MAXMEM=1024 /zeta "}));
    EXPECT_EQ(harness.backend.Problems(), "");
}

// A label typed on a line read without one is written; an empty one stays absent.
TEST(Apply, WritesALabelTypedOnAnUnlabelledLine) {
    struct Case {
        const char* typed;
        const char* written;
    };
    for (const Case& testCase : {Case{"Fresh", "multi(0)=\"Fresh\" /SOS /FastDetect "},
                                 Case{"", "multi(0)= /SOS /FastDetect "}}) {
        ProgramHarness harness;
        harness.RunEditor(SectionFile({"multi(0)=nolabel /sos"}),
                          [&](TestDialogWindow& window, CBootEditDlg&) {
                              window.Type(IDC_LABEL_EDIT, testCase.typed);
                              window.Click(IDC_FASTDETECT);
                              ASSERT_TRUE(window.Click(IDC_APPLY));
                              EXPECT_EQ(window.GetCount(IDC_BOOTLINE_LIST), 1);
                              window.PressCancel();
                          });
        EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"), SectionFile({testCase.written}));
        EXPECT_EQ(harness.backend.Problems(), "");
    }
}

struct RefusedApplyCase {
    const char* name;
    std::function<void(TestDialogWindow&)> edit;
    const char* message;  // null: the line is applied
};

class ApplyChecksTest : public ::testing::TestWithParam<RefusedApplyCase> {};

// A refused Apply changes nothing: the file, the record and the buttons stay, the controls keep
// what the user typed.
TEST_P(ApplyChecksTest, RefusesFieldsThatWouldChangeTheLine) {
    const RefusedApplyCase& testCase = GetParam();
    const std::string staging = SectionFile({"multi(0)=\"L\" /fastdetect"});
    ProgramHarness harness;
    if (testCase.message)
        harness.backend.QueueMessageBoxAnswer(IDOK, testCase.message);
    harness.RunEditor(staging, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
        testCase.edit(window);
        window.Click(IDC_SOS);
        ASSERT_TRUE(window.Click(IDC_APPLY));
        EXPECT_EQ(dialog.m_bApplied, testCase.message ? 0 : 1);
        EXPECT_EQ(Mismatches(window, LineButtons(testCase.message != nullptr)), "");
        if (testCase.message) {
            EXPECT_EQ(dialog.m_bootLine.m_bSos, 0);
            EXPECT_EQ(window.GetCheck(IDC_SOS), 1);
        }
        window.PressCancel();
    });
    if (testCase.message) {
        EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"), staging);
        EXPECT_EQ(harness.backend.MessageBoxes().at(0).type,
                  static_cast<UINT>(MB_OK | MB_ICONSTOP));
    } else {
        EXPECT_NE(harness.ReadFile("C:\\BOOT.TMP"), staging);
        EXPECT_TRUE(harness.backend.MessageBoxes().empty());
    }
    EXPECT_EQ(harness.backend.Problems(), "");
}

void SetHal(TestDialogWindow& window, const char* name) {
    window.Click(IDC_HAL);
    window.ClearText(IDC_HAL_EDIT);
    window.Type(IDC_HAL_EDIT, name);
}

void SetKernel(TestDialogWindow& window, const char* name) {
    window.Click(IDC_KERNEL);
    window.ClearText(IDC_KERNEL_EDIT);
    window.Type(IDC_KERNEL_EDIT, name);
}

const char kCharacterRule[] =
    " It may not contain a space, a slash, a double quote or a line break.";
const std::string kBadHalCharacters = std::string("Invalid Hal File.") + kCharacterRule;
const std::string kBadKernelCharacters = std::string("Invalid Kernel File.") + kCharacterRule;
const std::string kBadMaxMem = std::string("Invalid MaxMem.") + kCharacterRule;
const std::string kBadPort = std::string("Invalid DebugPort.") + kCharacterRule;
const std::string kBadRate = std::string("Invalid BaudRate.") + kCharacterRule;
const std::string kBadChannel = std::string("Invalid Channel.") + kCharacterRule;
const char kBadLabel[] =
    "Invalid Label. A label may not contain a double quote, a slash or a line break.";
const std::string kLongLabel(2100, 'x');

const RefusedApplyCase kApplyCases[] = {
    {"HalOf12Characters", [](TestDialogWindow& w) { SetHal(w, "abcdefgh.dll"); }, nullptr},
    {"HalOf13Characters", [](TestDialogWindow& w) { SetHal(w, "abcdefghi.dll"); },
     "Invalid Hal File."},
    {"EmptyHal", [](TestDialogWindow& w) { SetHal(w, ""); }, "Invalid Hal File."},
    {"KernelOf13Characters", [](TestDialogWindow& w) { SetKernel(w, "abcdefghi.exe"); },
     "Invalid Kernel File."},
    {"EmptyKernel", [](TestDialogWindow& w) { SetKernel(w, ""); }, "Invalid Kernel File."},
    {"BadHalIsToldBeforeBadKernel",
     [](TestDialogWindow& w) {
         SetKernel(w, "");
         SetHal(w, "");
     },
     "Invalid Hal File."},
    {"UntickedHalIsNotChecked",
     [](TestDialogWindow& w) { w.SetText(IDC_HAL_EDIT, "far too long a name.dll"); }, nullptr},
    {"LengthIsCheckedBeforeCharacters", [](TestDialogWindow& w) { SetHal(w, "a b c d e f g.dll"); },
     "Invalid Hal File."},
    {"HalWithSpace", [](TestDialogWindow& w) { SetHal(w, "my hal.dll"); },
     kBadHalCharacters.c_str()},
    {"HalWithSlash", [](TestDialogWindow& w) { SetHal(w, "a/hal.dll"); },
     kBadHalCharacters.c_str()},
    {"KernelWithQuote", [](TestDialogWindow& w) { SetKernel(w, "k\"rnl.exe"); },
     kBadKernelCharacters.c_str()},
    {"LabelWithQuote", [](TestDialogWindow& w) { w.Type(IDC_LABEL_EDIT, " \"quoted\""); },
     kBadLabel},
    {"LabelWithSlash", [](TestDialogWindow& w) { w.Type(IDC_LABEL_EDIT, " a/b"); }, kBadLabel},
    {"LabelWithLineBreak", [](TestDialogWindow& w) { w.SetText(IDC_LABEL_EDIT, "two\r\nlines"); },
     kBadLabel},
    {"LabelWithOtherPunctuation", [](TestDialogWindow& w) { w.Type(IDC_LABEL_EDIT, " = (x) 'y'"); },
     nullptr},
    // Pasted past the digits-only filter.
    {"MaxMemWithSpace",
     [](TestDialogWindow& w) {
         w.Click(IDC_MAXMEM);
         w.SetText(IDC_MAXMEM_EDIT, "5 12");
     },
     kBadMaxMem.c_str()},
    {"PortWithSpace",
     [](TestDialogWindow& w) {
         w.Click(IDC_DEBUGPORT);
         w.ClearText(IDC_DEBUGPORT_LIST);
         w.Type(IDC_DEBUGPORT_LIST, "COM 1");
     },
     kBadPort.c_str()},
    {"RateWithSlash",
     [](TestDialogWindow& w) {
         w.Click(IDC_BAUDRATE);
         w.ClearText(IDC_BAUDRATE_LIST);
         w.Type(IDC_BAUDRATE_LIST, "96/00");
     },
     kBadRate.c_str()},
    {"ChannelWithQuote",
     [](TestDialogWindow& w) {
         w.Click(IDC_CHANNEL);
         w.SetText(IDC_CHANNEL_EDIT, "1\"");
     },
     kBadChannel.c_str()},
    {"LineTooLong", [](TestDialogWindow& w) { w.SetText(IDC_LABEL_EDIT, kLongLabel.c_str()); },
     "The boot line is too long. A boot line may hold at most 2047 characters."},
};

INSTANTIATE_TEST_SUITE_P(Fields, ApplyChecksTest, ::testing::ValuesIn(kApplyCases), CaseName());

// A line whose head was taken from after a leading "/" may have an ARC path that begins with
// "[": written first on the line, it would end the section.
TEST(Apply, RefusesALineThatWouldEndTheSection) {
    const std::string staging = SectionFile({"/[odd=\"L\" /sos", kPrevious});
    ProgramHarness harness;
    harness.backend.QueueMessageBoxAnswer(
        IDOK, "Invalid boot line. A boot line may not begin with \"[\".");
    harness.RunEditor(staging, [](TestDialogWindow& window, CBootEditDlg&) {
        window.Click(IDC_FASTDETECT);
        ASSERT_TRUE(window.Click(IDC_APPLY));
        EXPECT_EQ(window.GetCount(IDC_BOOTLINE_LIST), 2);
        window.PressCancel();
    });
    EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"), staging);
    EXPECT_EQ(harness.backend.Problems(), "");
}

const char kRewriteFailed[] =
    "Unable to write BOOT.TMP. The change was not made; BOOT.TMP still holds the lines as they "
    "were before it.";
const char kRestoreFailed[] =
    "Unable to write BOOT.TMP. The change was not made, and BOOT.TMP could not be put back as it "
    "was: pressing OK will not commit it to BOOT.INI.";

struct RewriteFault {
    const char* name;
    FakeOperation operation;
    int nth;
    bool andLater;  // a full disk: every later call fails too, so the file can't be put back
};

class FailedRewriteTest : public ::testing::TestWithParam<RewriteFault> {};

// A failed rewrite loses nothing: the lines in memory stay as they were before the edit, what the
// failed write left is not read back as the file, and the file is put back when that is possible.
TEST_P(FailedRewriteTest, KeepsTheLinesAsTheyWereBeforeTheEdit) {
    const RewriteFault& fault = GetParam();
    ProgramHarness harness;
    harness.backend.QueueMessageBoxAnswer(IDOK, fault.andLater ? kRestoreFailed : kRewriteFailed);
    const std::string staging = kThreeLineBootIni;
    harness.RunEditor(staging, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
        const CStringArray linesBefore = dialog.m_arrLines;
        window.Pick(IDC_BOOTLINE_LIST, 1);
        window.Click(IDC_SOS);
        harness.platform.FailCall(fault.operation, fault.nth, fault.andLater);
        ASSERT_TRUE(window.Click(IDC_APPLY));
        EXPECT_TRUE(dialog.m_arrLines == linesBefore);
        EXPECT_EQ(dialog.m_bApplied, 0);
        EXPECT_EQ(dialog.m_bStagingDamaged, fault.andLater ? TRUE : FALSE);
        EXPECT_EQ(window.GetCount(IDC_BOOTLINE_LIST), 3);
        EXPECT_EQ(window.GetCurSel(IDC_BOOTLINE_LIST), 1);
        EXPECT_EQ(dialog.m_bootLine.m_bSos, 0);
        // The user's edit is still on screen, ready to be applied again.
        EXPECT_EQ(Mismatches(window, {Checked(IDC_SOS)}), "");
        EXPECT_EQ(Mismatches(window, LineButtons(true)), "");
        window.PressCancel();
    });
    if (!fault.andLater) {
        EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"), staging);
    }
    EXPECT_EQ(harness.backend.Problems(), "");
}

const RewriteFault kRewriteFaults[] = {
    {"RewindFails", FakeOperation::kRewind, 1, false},
    {"TruncateFails", FakeOperation::kTruncate, 1, false},
    {"ThirdLineFails", FakeOperation::kWriteLine, 3, false},
    {"LastLineFails", FakeOperation::kWriteLine, 7, false},
    {"FlushFails", FakeOperation::kFlush, 1, false},
    {"ReadingBackFails", FakeOperation::kReadLine, 2, false},
    {"DiskFullFromTheThirdLine", FakeOperation::kWriteLine, 3, true},
    {"DiskFullAtFlush", FakeOperation::kFlush, 1, true},
};

INSTANTIATE_TEST_SUITE_P(Faults, FailedRewriteTest, ::testing::ValuesIn(kRewriteFaults),
                         CaseName());

TEST(FailedRewrite, CopyAndDeleteLeaveTheLinesAsTheyWere) {
    for (int button : {IDC_COPY_LINE, IDC_DELETE_LINE}) {
        ProgramHarness harness;
        harness.backend.QueueMessageBoxAnswer(IDOK, kRewriteFailed);
        harness.RunEditor(kThreeLineBootIni, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
            window.Pick(IDC_BOOTLINE_LIST, 1);
            harness.platform.FailCall(FakeOperation::kWriteLine, 5);
            ASSERT_TRUE(window.Click(button));
            EXPECT_EQ(dialog.m_arrLines.GetSize(), 7);
            EXPECT_EQ(window.GetCount(IDC_BOOTLINE_LIST), 3);
            EXPECT_EQ(window.GetCurSel(IDC_BOOTLINE_LIST), 1);
            EXPECT_EQ(window.GetText(IDC_LABEL_EDIT), "Windows 2000");
            EXPECT_EQ(Mismatches(window, LineButtons(false)), "");
            window.PressCancel();
        });
        EXPECT_EQ(harness.ReadFile("C:\\BOOT.TMP"), kThreeLineBootIni);
        EXPECT_EQ(harness.backend.Problems(), "");
    }
}

// Once the disk has room again, a later edit writes the file whole and clears the damage.
TEST(FailedRewrite, ALaterSuccessfulRewriteMendsTheFile) {
    ProgramHarness harness;
    harness.backend.QueueMessageBoxAnswer(IDOK, kRestoreFailed);
    harness.RunEditor(kThreeLineBootIni, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
        window.Click(IDC_SOS);
        harness.platform.FailCall(FakeOperation::kWriteLine, 2, true);
        window.Click(IDC_APPLY);
        EXPECT_TRUE(dialog.m_bStagingDamaged);
        harness.platform.ClearFaults();
        window.Click(IDC_APPLY);
        EXPECT_FALSE(dialog.m_bStagingDamaged);
        EXPECT_EQ(dialog.m_bApplied, 1);
        window.PressCancel();
    });
    EXPECT_EQ(
        harness.ReadFile("C:\\BOOT.TMP"),
        CrLfLines({"[boot loader]", "timeout=30",
                   "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS", "[operating systems]",
                   "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP "
                   "Professional\" /SOS /FastDetect /noexecute=optin ",
                   kWin2000, kPrevious}));
    EXPECT_EQ(harness.backend.Problems(), "");
}

}  // namespace
