// The option interlocks, as a table: a line shown, what the user does, what the controls show.
#include <gtest/gtest.h>

#include "editor/tests/ProgramHarness.h"

namespace {

struct UserAction {
    enum class Kind { kClick, kPick, kType, kClear };
    Kind kind;
    int id;
    int index;
    const char* text;
};

UserAction Click(int id) {
    return {UserAction::Kind::kClick, id, 0, nullptr};
}
UserAction Pick(int id, int index) {
    return {UserAction::Kind::kPick, id, index, nullptr};
}
UserAction Type(int id, const char* text) {
    return {UserAction::Kind::kType, id, 0, text};
}
UserAction Clear(int id) {
    return {UserAction::Kind::kClear, id, 0, nullptr};
}

void Perform(TestDialogWindow& window, const UserAction& action) {
    BOOL reached = FALSE;
    switch (action.kind) {
        case UserAction::Kind::kClick:
            reached = window.Click(action.id);
            break;
        case UserAction::Kind::kPick:
            reached = window.Pick(action.id, action.index);
            break;
        case UserAction::Kind::kType:
            reached = window.Type(action.id, action.text);
            break;
        case UserAction::Kind::kClear:
            reached = window.ClearText(action.id);
            break;
    }
    EXPECT_TRUE(reached) << "control " << action.id << " took no input";
}

const char kPlain[] = "multi(0)=\"L\" /fastdetect";
const char kNoDebug[] = "multi(0)=\"L\" /nodebug";
const char kDebug[] = "multi(0)=\"L\" /debug";
const char kBothDebug[] = "multi(0)=\"L\" /debug /nodebug";
const char kNoLowMemAlone[] = "multi(0)=\"L\" /nolowmem";
const char k1394[] = "multi(0)=\"L\" /debugport=1394 /channel=5";
const char kCom2[] = "multi(0)=\"L\" /debugport=com2 /baudrate=9600";

struct InterlockCase {
    const char* name;
    const char* line;
    std::vector<UserAction> actions;
    bool changed;  // whether the dialog is in its changed state afterwards
    std::vector<ControlExpectation> expected;
};

class OptionInterlocksTest : public ::testing::TestWithParam<InterlockCase> {};

TEST_P(OptionInterlocksTest, KeepsOptionsConsistent) {
    const InterlockCase& testCase = GetParam();
    ProgramHarness harness;
    harness.RunEditor(SectionFile({testCase.line}), [&](TestDialogWindow& window, CBootEditDlg&) {
        for (const UserAction& action : testCase.actions)
            Perform(window, action);
        EXPECT_EQ(Mismatches(window, testCase.expected), "");
        EXPECT_EQ(Mismatches(window, LineButtons(testCase.changed)), "");
        window.PressCancel();
    });
    EXPECT_TRUE(harness.backend.MessageBoxes().empty());
    EXPECT_EQ(harness.backend.Problems(), "");
}

const InterlockCase kInterlockCases[] = {
    {"DebugUnticksNoDebug",
     kNoDebug,
     {Click(IDC_DEBUG)},
     true,
     {Checked(IDC_DEBUG), Checked(IDC_NODEBUG, false)}},
    {"NoDebugUnticksDebug",
     kDebug,
     {Click(IDC_NODEBUG)},
     true,
     {Checked(IDC_NODEBUG), Checked(IDC_DEBUG, false)}},
    {"UntickingDebugLeavesBothClear",
     kBothDebug,
     {Click(IDC_DEBUG)},
     true,
     {Checked(IDC_DEBUG, false), Checked(IDC_NODEBUG, false)}},
    {"NoLowMemTicksPae",
     kPlain,
     {Click(IDC_NOPAE), Click(IDC_NOLOWMEM)},
     true,
     {Checked(IDC_NOLOWMEM), Checked(IDC_PAE), Checked(IDC_NOPAE, false)}},
    {"UntickingPaeUnticksNoLowMem",
     kPlain,
     {Click(IDC_NOLOWMEM), Click(IDC_PAE)},
     true,
     {Checked(IDC_PAE, false), Checked(IDC_NOLOWMEM, false)}},
    {"NoPaeUnticksPaeAndNoLowMem",
     kPlain,
     {Click(IDC_NOLOWMEM), Click(IDC_NOPAE)},
     true,
     {Checked(IDC_NOPAE), Checked(IDC_PAE, false), Checked(IDC_NOLOWMEM, false)}},
    {"PaeUnticksNoLowMemShownWithoutIt",
     kNoLowMemAlone,
     {Click(IDC_PAE)},
     true,
     {Checked(IDC_PAE), Checked(IDC_NOLOWMEM, false)}},
    {"HalOffersTheDefaultFile",
     kPlain,
     {Click(IDC_HAL)},
     true,
     {ShowsText(IDC_HAL_EDIT, "hal.dll"), Enabled(IDC_HAL_EDIT), Enabled(IDC_HAL_BROWSE)}},
    {"UntickingHalEmptiesAndDisables",
     kPlain,
     {Click(IDC_HAL), Click(IDC_HAL)},
     true,
     {ShowsText(IDC_HAL_EDIT, ""), Enabled(IDC_HAL_EDIT, false), Enabled(IDC_HAL_BROWSE, false)}},
    {"KernelOffersTheDefaultFile",
     kPlain,
     {Click(IDC_KERNEL)},
     true,
     {ShowsText(IDC_KERNEL_EDIT, "ntoskrnl.exe"), Enabled(IDC_KERNEL_EDIT),
      Enabled(IDC_KERNEL_BROWSE)}},
    {"UntickingKernelEmptiesAndDisables",
     kPlain,
     {Click(IDC_KERNEL), Click(IDC_KERNEL)},
     true,
     {ShowsText(IDC_KERNEL_EDIT, ""), Enabled(IDC_KERNEL_EDIT, false),
      Enabled(IDC_KERNEL_BROWSE, false)}},
    {"MaxMemEnablesItsEmptyField",
     kPlain,
     {Click(IDC_MAXMEM)},
     true,
     {ShowsText(IDC_MAXMEM_EDIT, ""), Enabled(IDC_MAXMEM_EDIT)}},
    {"UntickingMaxMemEmptiesItsField",
     kPlain,
     {Click(IDC_MAXMEM), Type(IDC_MAXMEM_EDIT, "512"), Click(IDC_MAXMEM)},
     true,
     {ShowsText(IDC_MAXMEM_EDIT, ""), Enabled(IDC_MAXMEM_EDIT, false)}},
    {"ChannelChooses1394WithoutRate",
     kPlain,
     {Click(IDC_CHANNEL)},
     true,
     {Checked(IDC_DEBUGPORT), ShowsText(IDC_DEBUGPORT_LIST, "1394"), Enabled(IDC_DEBUGPORT_LIST),
      Checked(IDC_BAUDRATE, false), Enabled(IDC_BAUDRATE_LIST, false),
      ShowsText(IDC_CHANNEL_EDIT, "1"), Enabled(IDC_CHANNEL_EDIT), Enabled(IDC_CHANNEL_SPIN)}},
    {"BaudRateOn1394MovesToCom1",
     k1394,
     {Click(IDC_BAUDRATE)},
     true,
     {Checked(IDC_CHANNEL, false), Enabled(IDC_CHANNEL_EDIT, false),
      Enabled(IDC_CHANNEL_SPIN, false), Checked(IDC_DEBUGPORT),
      ShowsText(IDC_DEBUGPORT_LIST, "COM1"), Enabled(IDC_BAUDRATE_LIST)}},
    {"BaudRateAloneTicksDebugPortCom1",
     kPlain,
     {Click(IDC_BAUDRATE)},
     true,
     {Checked(IDC_DEBUGPORT), ShowsText(IDC_DEBUGPORT_LIST, "COM1"), Enabled(IDC_DEBUGPORT_LIST),
      Enabled(IDC_BAUDRATE_LIST)}},
    {"BaudRateKeepsAComPortChosen",
     "multi(0)=\"L\" /debugport=com2",
     {Click(IDC_BAUDRATE)},
     true,
     {Checked(IDC_BAUDRATE), Checked(IDC_DEBUGPORT), ShowsText(IDC_DEBUGPORT_LIST, "COM2")}},
    {"BaudRateAfterUntickingItStartsAgainAtCom1",
     kCom2,
     {Click(IDC_BAUDRATE), Click(IDC_BAUDRATE)},
     true,
     {Checked(IDC_BAUDRATE), Checked(IDC_DEBUGPORT), ShowsText(IDC_DEBUGPORT_LIST, "COM1")}},
    {"DebugPortTakesTheCurrentPortAndRate",
     kPlain,
     {Click(IDC_DEBUGPORT)},
     true,
     {Checked(IDC_DEBUGPORT), ShowsText(IDC_DEBUGPORT_LIST, "COM1"), Checked(IDC_BAUDRATE),
      ShowsText(IDC_BAUDRATE_LIST, "300"), Enabled(IDC_BAUDRATE_LIST)}},
    {"UntickingDebugPortClearsRateAndChannel",
     kCom2,
     {Click(IDC_DEBUGPORT)},
     true,
     {Checked(IDC_BAUDRATE, false), Checked(IDC_CHANNEL, false), Enabled(IDC_DEBUGPORT_LIST, false),
      Enabled(IDC_BAUDRATE_LIST, false), Enabled(IDC_CHANNEL_EDIT, false)}},
    {"DebugPortAgainBringsBackPortAndRate",
     kCom2,
     {Click(IDC_DEBUGPORT), Click(IDC_DEBUGPORT)},
     true,
     {Checked(IDC_BAUDRATE), ShowsText(IDC_DEBUGPORT_LIST, "COM2"),
      ShowsText(IDC_BAUDRATE_LIST, "9600")}},
    {"DebugPortOn1394TicksChannel",
     k1394,
     {Click(IDC_DEBUGPORT), Click(IDC_DEBUGPORT)},
     true,
     {Checked(IDC_CHANNEL), Enabled(IDC_CHANNEL_EDIT), Checked(IDC_BAUDRATE, false)}},
    {"UntickingBaudRateUnticksDebugPort",
     kCom2,
     {Click(IDC_BAUDRATE)},
     true,
     {Checked(IDC_DEBUGPORT, false), Enabled(IDC_DEBUGPORT_LIST, false),
      Enabled(IDC_BAUDRATE_LIST, false)}},
    {"UntickingChannelLeavesCom1WithoutRate",
     k1394,
     {Click(IDC_CHANNEL)},
     true,
     {Checked(IDC_DEBUGPORT), ShowsText(IDC_DEBUGPORT_LIST, "COM1"), Checked(IDC_BAUDRATE, false),
      Enabled(IDC_CHANNEL_EDIT, false), Enabled(IDC_CHANNEL_SPIN, false)}},
    {"Picking1394IsNoChangeOfTheLine",
     kCom2,
     {Pick(IDC_DEBUGPORT_LIST, 0)},
     false,
     {Checked(IDC_BAUDRATE, false), Enabled(IDC_BAUDRATE_LIST, false), Checked(IDC_CHANNEL),
      Enabled(IDC_CHANNEL_EDIT)}},
    {"PickingAComPortIsNoChangeOfTheLine",
     k1394,
     {Pick(IDC_DEBUGPORT_LIST, 3)},
     false,
     {ShowsText(IDC_DEBUGPORT_LIST, "COM3"), Checked(IDC_BAUDRATE), Enabled(IDC_BAUDRATE_LIST),
      Checked(IDC_CHANNEL, false), Enabled(IDC_CHANNEL_EDIT, false)}},
    // The port handler writes the controls without reading them first.
    {"PickingAPortPutsBackUnreadEdits",
     kCom2,
     {Click(IDC_HAL), Type(IDC_HAL_EDIT, "x"), Pick(IDC_DEBUGPORT_LIST, 3)},
     true,
     {ShowsText(IDC_HAL_EDIT, "hal.dll")}},
    {"TypedPortPrefixSelectsItsEntry",
     kCom2,
     {Clear(IDC_DEBUGPORT_LIST), Type(IDC_DEBUGPORT_LIST, "COM"), Click(IDC_SOS)},
     true,
     {ShowsText(IDC_DEBUGPORT_LIST, "COM1")}},
    {"TypingTheLabelIsAChange", kPlain, {Type(IDC_LABEL_EDIT, "x")}, true, {}},
    {"PlainBoxIsAChange",
     kPlain,
     {Click(IDC_BOOTLOGO)},
     true,
     {Checked(IDC_BOOTLOGO), Checked(IDC_FASTDETECT)}},
    {"UntickingAPlainBoxIsAChange",
     kPlain,
     {Click(IDC_FASTDETECT)},
     true,
     {Checked(IDC_FASTDETECT, false)}},
    {"TypingAValueAloneIsNoChange",
     kCom2,
     {Click(IDC_MAXMEM), Click(IDC_APPLY), Type(IDC_MAXMEM_EDIT, "64")},
     false,
     {ShowsText(IDC_MAXMEM_EDIT, "64")}},
};

INSTANTIATE_TEST_SUITE_P(Cases, OptionInterlocksTest, ::testing::ValuesIn(kInterlockCases),
                         CaseName());

}  // namespace

namespace {

// With no port selected (a typed port that names no entry), DebugPort starts from COM1.
TEST(OptionInterlocks, DebugPortWithoutASelectedPortTakesCom1) {
    ProgramHarness harness;
    harness.RunEditor(SectionFile({kPlain}), [](TestDialogWindow& window, CBootEditDlg&) {
        window.SetCurSel(IDC_DEBUGPORT_LIST, -1);
        window.Click(IDC_DEBUGPORT);
        EXPECT_EQ(Mismatches(window, {Checked(IDC_DEBUGPORT), ShowsText(IDC_DEBUGPORT_LIST, "COM1"),
                                      Checked(IDC_BAUDRATE), Enabled(IDC_BAUDRATE_LIST)}),
                  "");
        EXPECT_EQ(window.GetCurSel(IDC_DEBUGPORT_LIST), 1);
        window.PressCancel();
    });
    EXPECT_EQ(harness.backend.Problems(), "");
}

}  // namespace
