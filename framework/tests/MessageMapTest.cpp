// Dispatch of user actions through a dialog's message map, and the framework's defaults for
// what a dialog does not handle itself.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/App.h"
#include "framework/Dialog.h"
#include "framework/WindowStyles.h"
#include "framework/test/TestBackend.h"
#include "res/resource.h"

namespace {

std::vector<std::string> g_log;

// Handles one of each kind of message map entry on the editor template.
class CMappedDlg : public CDialog {
public:
    CMappedDlg() : CDialog(IDD_BOOTEDIT_DIALOG) {}

protected:
    void OnFastDetect() { g_log.push_back("clicked 1002"); }
    void OnBootLine() { g_log.push_back("selchange 1000"); }
    void OnLabel() { g_log.push_back("update 1026"); }
    void OnHelpCommand() { g_log.push_back("help command"); }
    void OnSysCommand(UINT id, std::intptr_t parameter) {
        g_log.push_back("syscommand " + std::to_string(id) + " " + std::to_string(parameter));
    }
    void OnPaintDialog() { g_log.push_back("paint"); }
    HICON OnDragIcon() {
        g_log.push_back("drag icon");
        return TestBackend::IconHandle(IDR_MAINFRAME);
    }
    BOOL OnHelpInfo(const HelpRequest& request) {
        g_log.push_back("help " + std::to_string(request.controlId) + " at " +
                        std::to_string(request.mousePos.x) + "," +
                        std::to_string(request.mousePos.y));
        return TRUE;
    }
    void OnContext(CWnd* window, CPoint position) {
        g_log.push_back("context " + std::to_string(window->GetDlgCtrlID()) + " at " +
                        std::to_string(position.x) + "," + std::to_string(position.y));
    }
    void OnDestroyDialog() { g_log.push_back("destroy"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMappedDlg)
ON_BN_CLICKED(IDC_FASTDETECT, OnFastDetect)
ON_CBN_SELCHANGE(IDC_BOOTLINE_LIST, OnBootLine)
ON_EN_UPDATE(IDC_LABEL_EDIT, OnLabel)
ON_COMMAND(ID_HELP, OnHelpCommand)
ON_WM_SYSCOMMAND(OnSysCommand)
ON_WM_PAINT(OnPaintDialog)
ON_WM_QUERYDRAGICON(OnDragIcon)
ON_WM_HELPINFO(OnHelpInfo)
ON_WM_CONTEXTMENU(OnContext)
ON_WM_DESTROY(OnDestroyDialog)
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        app.SetExecutablePath("C:\\TOOLS\\TARN.EXE");
    }

    CWinApp app;
    TestBackend ui;
};

TEST_F(MessageMapTest, EachEntryKindReachesItsHandler) {
    CMappedDlg dialog;
    app.m_pMainWnd = &dialog;  // so the Help button shows
    ui.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& window) {
        window.AddString(IDC_BOOTLINE_LIST, "multi(0)");
        window.Click(IDC_FASTDETECT);
        window.Click(IDC_ONECPU);  // not in the map: nothing
        window.Pick(IDC_BOOTLINE_LIST, 0);
        window.Type(IDC_LABEL_EDIT, "x");
        window.Pick(IDC_BAUDRATE_LIST, 0);  // disabled: ignored
        window.Click(ID_HELP);
        window.SystemCommand(ID_SYSMENU_ABOUT, 7);
        window.Paint();
        EXPECT_EQ(window.QueryDragIcon(), TestBackend::IconHandle(IDR_MAINFRAME));
        EXPECT_TRUE(window.PressF1(IDC_PAE, CPoint{300, 400}));
        window.RightClick(IDC_SOS, CPoint{-1, -1});
        window.RightClick(0, CPoint{5, 6});
        window.PressCancel();  // not in the map: the default ends the dialog
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    const std::vector<std::string> expected = {"clicked 1002",
                                               "selchange 1000",
                                               "update 1026",
                                               "help command",
                                               "syscommand 16 7",
                                               "paint",
                                               "drag icon",
                                               "help 1004 at 300,400",
                                               "context 1005 at -1,-1",
                                               "context 0 at 5,6",
                                               "destroy"};
    EXPECT_EQ(g_log, expected);
    EXPECT_EQ(ui.Problems(), "");
}

TEST_F(MessageMapTest, ADialogWithoutAMapGetsTheDefaults) {
    struct Case {
        const char* name;
        std::function<void(TestDialogWindow&)> act;
        std::intptr_t result;
    };
    const Case cases[] = {
        {"OK", [](TestDialogWindow& w) { w.PressOK(); }, IDOK},
        {"Enter", [](TestDialogWindow& w) { w.PressEnter(); }, IDOK},
        {"Cancel", [](TestDialogWindow& w) { w.PressCancel(); }, IDCANCEL},
        {"Escape", [](TestDialogWindow& w) { w.PressEscape(); }, IDCANCEL},
        {"close box", [](TestDialogWindow& w) { w.CloseBox(); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDialog dialog(IDD_WARNUSER);
        ui.QueueDialog(IDD_WARNUSER, c.act);
        EXPECT_EQ(dialog.DoModal(), c.result);
    }
    EXPECT_EQ(ui.Problems(), "");
}

TEST_F(MessageMapTest, UnhandledSystemCommandsAndPaintingGoToTheWindowsDefaults) {
    CDialog dialog(IDD_BOOTEDIT_DIALOG);
    ui.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& window) {
        window.SystemCommand(SC_MINIMIZE);
        EXPECT_TRUE(window.IsIconic());
        window.Paint();
        EXPECT_EQ(window.PaintLog().defaultPaints, 1);
        EXPECT_EQ(window.QueryDragIcon(), nullptr);
        window.SystemCommand(SC_CLOSE);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    const std::vector<UINT> expected = {SC_MINIMIZE, SC_CLOSE};
    EXPECT_EQ(ui.LastWindow(IDD_BOOTEDIT_DIALOG)->DefaultSysCommands(), expected);
    EXPECT_EQ(ui.Problems(), "");
}

TEST_F(MessageMapTest, F1WithoutAHandlerAsksTheMainWindowForHelpUnlessAModifierIsHeld) {
    CMappedDlg mainDialog;  // handles ID_HELP
    app.m_pMainWnd = &mainDialog;
    ui.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& mainWindow) {
        EXPECT_TRUE(mainWindow.IsVisible(ID_HELP));  // shown: the main window handles Help
        CDialog about(IDD_ABOUTBOX);
        ui.QueueDialog(IDD_ABOUTBOX, [&](TestDialogWindow& aboutWindow) {
            EXPECT_FALSE(mainWindow.Click(IDC_FASTDETECT));  // the about box is modal
            EXPECT_TRUE(aboutWindow.PressF1(IDOK, CPoint{1, 2}));
            EXPECT_FALSE(aboutWindow.PressF1(IDOK, CPoint{1, 2}, TRUE));
            HelpRequest menuHelp;
            menuHelp.contextType = 2;  // a menu item
            EXPECT_FALSE(aboutWindow.RequestHelp(menuHelp));
            aboutWindow.PressOK();
        });
        EXPECT_EQ(about.DoModal(), IDOK);
        mainWindow.PressCancel();
    });
    mainDialog.DoModal();
    EXPECT_EQ(g_log, (std::vector<std::string>{"help command", "destroy"}));
    EXPECT_EQ(ui.Problems(), "");
}

TEST_F(MessageMapTest, TheHelpButtonIsHiddenWhenTheMainWindowDoesNotHandleHelp) {
    CDialog dialog(IDD_BOOTEDIT_DIALOG);
    app.m_pMainWnd = &dialog;
    ui.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& window) {
        EXPECT_FALSE(window.IsVisible(ID_HELP));
        EXPECT_FALSE(window.Click(ID_HELP));
        window.PressCancel();
    });
    dialog.DoModal();
    EXPECT_EQ(ui.Problems(), "");
}

TEST_F(MessageMapTest, LegacyHelpQuitReportsARefusal) {
    for (BOOL refuses : {FALSE, TRUE}) {
        SCOPED_TRACE(refuses);
        TestBackend backend;
        backend.SetLegacyHelpRefuses(refuses);
        if (refuses)
            backend.QueueMessageBoxAnswer(IDOK, "Failed to launch help.");
        CDialog dialog(IDD_ABOUTBOX);
        dialog.WinHelp(0, HELP_QUIT);
        EXPECT_EQ(backend.LegacyHelpQuits(), std::vector<CString>{"C:\\TOOLS\\TARN.HLP"});
        ASSERT_EQ(backend.MessageBoxes().size(), refuses ? 1u : 0u);
        if (refuses) {
            EXPECT_EQ(backend.MessageBoxes()[0].caption, "TARN");
            EXPECT_EQ(backend.MessageBoxes()[0].type, UINT(MB_OK | MB_ICONSTOP));
        }
        EXPECT_EQ(backend.Problems(), "");
    }
}

}  // namespace
