// Context help: the help table, F1, right-clicks, the Help button and the quit at destruction.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "editor/tests/ProgramHarness.h"
#include "shell/ControlHelp.h"

namespace {

TEST(ControlHelpTable, HoldsOneLineFeedEndedTextPerControlAndAClosingRow) {
    std::set<int> ids;
    for (int row = 0; row < kControlHelpRows - 1; ++row) {
        const ControlHelpRecord& record = ControlHelpTable[row];
        EXPECT_TRUE(ids.insert(record.nControlId).second) << record.nControlId;
        const size_t length = std::strlen(record.szText);
        ASSERT_GT(length, 1u);
        EXPECT_LE(length, 79u);
        EXPECT_EQ(record.szText[length - 1], '\n');
    }
    EXPECT_EQ(ControlHelpTable[kControlHelpRows - 1].nControlId, 0);
    EXPECT_STREQ(ControlHelpTable[kControlHelpRows - 1].szText, "");
    // The longest text fills its field.
    EXPECT_EQ(std::strlen(FindControlHelp(IDC_NOGUIBOOT)->szText), 79u);
    EXPECT_STREQ(FindControlHelp(IDC_PCILOCK)->szText, FindControlHelp(IDC_NOLOWMEM)->szText);
    EXPECT_STREQ(FindControlHelp(IDC_BOOTLOG)->szText,
                 "Logs the boot in file %SYSTEMROOT%\\NTBTLOG.TXT .\n");
    for (int id : {IDC_BOOTLINE_LIST, IDC_HAL_EDIT, IDC_KERNEL_BROWSE, IDC_DEBUGPORT_LIST,
                   IDC_CHANNEL_SPIN, IDC_MAXMEM_EDIT, IDOK, IDCANCEL, static_cast<int>(ID_HELP)}) {
        EXPECT_EQ(FindControlHelp(id), nullptr) << id;
    }
}

struct HelpCase {
    const char* name;
    std::function<BOOL(TestDialogWindow&)> request;
    // What the help system was asked: a popup with this text, the context menu, or nothing.
    enum class Shown { kPopup, kContextMenu, kNothing } shown;
    const char* popupText;
    CPoint position;
    int windowId;  // of the context menu
};

class ContextHelpTest : public ::testing::TestWithParam<HelpCase> {};

TEST_P(ContextHelpTest, ShowsTheControlsTextWhereTheRequestSays) {
    const HelpCase& testCase = GetParam();
    ProgramHarness harness;
    harness.RunEditor(kThreeLineBootIni, [&](TestDialogWindow& window, CBootEditDlg&) {
        testCase.request(window);
        window.PressCancel();
    });
    const std::vector<TestBackend::HelpCall>& calls = harness.backend.HelpCalls();
    if (testCase.shown == HelpCase::Shown::kNothing) {
        EXPECT_TRUE(calls.empty());
    } else {
        ASSERT_EQ(calls.size(), 1u);
        const TestBackend::HelpCall& call = calls[0];
        EXPECT_EQ(call.ownerTemplateId, static_cast<UINT>(IDD_BOOTEDIT_DIALOG));
        if (testCase.shown == HelpCase::Shown::kPopup) {
            EXPECT_EQ(call.kind, TestBackend::HelpCall::Kind::kPopup);
            EXPECT_EQ(call.popup.text, testCase.popupText);
            EXPECT_EQ(call.popup.position.x, testCase.position.x);
            EXPECT_EQ(call.popup.position.y, testCase.position.y);
            EXPECT_EQ(call.popup.foreground, 0u);
            EXPECT_EQ(call.popup.background, 0u);
            EXPECT_EQ(call.popup.marginLeft + call.popup.marginTop + call.popup.marginRight +
                          call.popup.marginBottom,
                      20);
        } else {
            EXPECT_EQ(call.kind, TestBackend::HelpCall::Kind::kContextMenu);
            // The topic file inside the help file beside the program, not in the current folder.
            EXPECT_EQ(call.file, "C:\\TOOLS\\vexalhelp.chm::/ctrlhlp.txt");
            EXPECT_EQ(call.windowId, testCase.windowId);
            // The id map gives the clicked control its topic, and ends with a pair of zeros.
            const DWORD* idMap = static_cast<const DWORD*>(call.idMap);
            ASSERT_NE(idMap, nullptr);
            DWORD topic = 0;
            int pairs = 0;
            for (; idMap[2 * pairs] != 0 || idMap[2 * pairs + 1] != 0; ++pairs) {
                ASSERT_LT(pairs, 100) << "no closing pair";
                if (idMap[2 * pairs] == static_cast<DWORD>(testCase.windowId))
                    topic = idMap[2 * pairs + 1];
            }
            EXPECT_EQ(topic, static_cast<DWORD>(testCase.windowId));
        }
    }
    EXPECT_EQ(harness.backend.Problems(), "");
}

const HelpCase kHelpCases[] = {
    {"F1OnARowAtTheMouse",
     [](TestDialogWindow& w) {
         return w.PressF1(IDC_FASTDETECT, {300, 420});
     },
     HelpCase::Shown::kPopup,
     "Indicates that fastdetect will be done on boot.\n",
     {300, 420},
     0},
    {"F1OnAControlWithoutARow",
     [](TestDialogWindow& w) {
         return w.PressF1(IDC_HAL_EDIT, {10, 10});
     },
     HelpCase::Shown::kNothing,
     nullptr,
     {},
     0},
    {"F1ForAMenuItem",
     [](TestDialogWindow& w) {
         HelpRequest request;
         request.contextType = 2;  // a menu item
         request.controlId = IDC_FASTDETECT;
         return w.RequestHelp(request);
     },
     HelpCase::Shown::kNothing,
     nullptr,
     {},
     0},
    {"RightClickOnARow",
     [](TestDialogWindow& w) {
         return w.RightClick(IDC_UNHANDLED_LIST, {5, 6});
     },
     HelpCase::Shown::kPopup,
     "Options not handled by Tarn.\n",
     {5, 6},
     0},
    {"RightClickOnTheBackground",
     [](TestDialogWindow& w) {
         return w.RightClick(0, {70, 80});
     },
     HelpCase::Shown::kPopup,
     "",
     {70, 80},
     0},
    {"RightClickWithoutARow",
     [](TestDialogWindow& w) {
         return w.RightClick(IDOK, {1, 2});
     },
     HelpCase::Shown::kContextMenu,
     nullptr,
     {},
     IDOK},
    {"ContextMenuKey",
     [](TestDialogWindow& w) { return w.ContextMenuKey(IDC_COPY_LINE); },
     HelpCase::Shown::kPopup,
     "Makes a copy of the current BOOT.INI line being modified.\n",
     {-1, -1},
     0},
};

INSTANTIATE_TEST_SUITE_P(Requests, ContextHelpTest, ::testing::ValuesIn(kHelpCases), CaseName());

TEST(ContextHelp, TheHelpRequestIsAlwaysHandled) {
    ProgramHarness harness;
    harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg&) {
        EXPECT_TRUE(window.PressF1(IDC_HAL_EDIT, {0, 0}));
        EXPECT_TRUE(window.PressF1(IDC_SOS, {0, 0}));
        window.PressCancel();
    });
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(ContextHelp, HelpButtonOpensTheHelpFileWithoutAnOwner) {
    ProgramHarness harness;
    harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg&) {
        EXPECT_TRUE(window.IsVisible(ID_HELP));
        EXPECT_TRUE(window.Click(ID_HELP));
        window.PressCancel();
    });
    ASSERT_EQ(harness.backend.HelpCalls().size(), 1u);
    EXPECT_EQ(harness.backend.HelpCalls()[0].kind, TestBackend::HelpCall::Kind::kTopic);
    // Beside the program, whatever the current directory: the browse buttons change it.
    EXPECT_EQ(harness.backend.HelpCalls()[0].file, "C:\\TOOLS\\vexalhelp.chm");
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST(ContextHelp, DestroyingTheDialogQuitsTheLegacyHelpForTheProgramsHelpFile) {
    ProgramHarness harness;
    harness.RunEditor(kThreeLineBootIni,
                      [](TestDialogWindow& window, CBootEditDlg&) { window.PressCancel(); });
    EXPECT_EQ(harness.backend.LegacyHelpQuits(), std::vector<CString>{"C:\\TOOLS\\TARN.HLP"});
    EXPECT_TRUE(harness.backend.MessageBoxes().empty());

    // A refusal is told by the framework; the dialog closes all the same.
    ProgramHarness refusing;
    refusing.backend.SetLegacyHelpRefuses(TRUE);
    refusing.backend.QueueMessageBoxAnswer(IDOK, "Failed to launch help.");
    std::intptr_t result = refusing.RunEditor(
        kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg&) { window.PressOK(); });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(refusing.backend.Problems(), "");
}

}  // namespace
