// The editor as a top-level window: the about box from the system menu, the minimised icon.
#include <gtest/gtest.h>

#include "editor/tests/ProgramHarness.h"

namespace {

TEST(SystemMenu, EveryCommandFrom0x10To0x1FOpensTheAboutBox) {
    for (UINT command = 0x10; command <= 0x1F; ++command) {
        ProgramHarness harness;
        harness.backend.QueueDialog(IDD_ABOUTBOX, [](TestDialogWindow& about) {
            EXPECT_EQ(about.Title(), "About Tarn");
            about.PressOK();
        });
        harness.RunEditor(kThreeLineBootIni, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
            window.SystemCommand(command);
            EXPECT_TRUE(window.IsActive());
            EXPECT_TRUE(window.DefaultSysCommands().empty());
            EXPECT_EQ(dialog.m_arrLines.GetSize(), 7);
            window.PressCancel();
        });
        ASSERT_EQ(harness.backend.Dialogs().size(), 2u) << command;
        EXPECT_EQ(harness.backend.Dialogs()[0].templateId, static_cast<UINT>(IDD_ABOUTBOX));
        EXPECT_EQ(harness.backend.Problems(), "") << command;
    }
}

TEST(SystemMenu, OtherCommandsKeepTheirUsualEffect) {
    const UINT kSystemMinimize = 0xF020;
    const UINT kSystemMove = 0xF010;
    for (UINT command : {0x00u, 0x0Fu, 0x20u, 0x110u, kSystemMove, kSystemMinimize}) {
        ProgramHarness harness;
        harness.RunEditor(kThreeLineBootIni, [&](TestDialogWindow& window, CBootEditDlg&) {
            window.SystemCommand(command, 7);
            EXPECT_EQ(window.DefaultSysCommands(), std::vector<UINT>{command});
            window.PressCancel();
        });
        EXPECT_EQ(harness.backend.Dialogs().size(), 1u) << command;
        EXPECT_EQ(harness.backend.Problems(), "") << command;
    }
}

TEST(Painting, DrawsTheIconCentredWhileMinimised) {
    struct Case {
        CSize client;
        CSize icon;
        int x;
        int y;
    };
    // The division truncates toward zero, also when the client is smaller than the icon.
    const Case cases[] = {
        {{160, 40}, {32, 32}, 64, 4},
        {{20, 20}, {32, 32}, -5, -5},
        {{31, 0}, {32, 32}, 0, -15},
        {{0, 0}, {16, 16}, -7, -7},
    };
    for (const Case& testCase : cases) {
        ProgramHarness harness;
        harness.RunEditor(kThreeLineBootIni, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
            window.SetIconic(TRUE);
            window.SetClientSize(testCase.client);
            window.SetIconSize(testCase.icon);
            window.Paint();
            const TestPaintLog& log = window.PaintLog();
            EXPECT_EQ(log.begun, 1);
            EXPECT_EQ(log.ended, 1);
            EXPECT_EQ(log.backgroundsErased, 1);
            EXPECT_EQ(log.defaultPaints, 0);
            ASSERT_EQ(log.icons.size(), 1u);
            EXPECT_EQ(log.icons[0].x, testCase.x);
            EXPECT_EQ(log.icons[0].y, testCase.y);
            EXPECT_EQ(log.icons[0].icon, dialog.m_hIcon);
            window.PressCancel();
        });
        EXPECT_EQ(harness.backend.Problems(), "");
    }
}

TEST(Painting, LeavesTheNormalWindowToTheDefaultPainting) {
    ProgramHarness harness;
    harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg&) {
        window.Paint();
        EXPECT_EQ(window.PaintLog().defaultPaints, 1);
        EXPECT_EQ(window.PaintLog().begun, 0);
        EXPECT_TRUE(window.PaintLog().icons.empty());
        EXPECT_EQ(window.QueryDragIcon(), TestBackend::IconHandle(IDR_MAINFRAME));
        window.PressCancel();
    });
    EXPECT_EQ(harness.backend.Problems(), "");
}

}  // namespace
