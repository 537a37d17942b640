// The test back-end behaves as a user sees the dialog: one notification per keystroke, disabled
// controls that ignore the user, digits-only edits, the up-down control writing its buddy, and a
// script that never leaves a test waiting.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/App.h"
#include "framework/Dialog.h"
#include "framework/test/TestBackend.h"
#include "res/resource.h"

namespace {

// Records each notification with the text of the notifying control at that moment.
class CProbeDlg : public CDialog {
public:
    explicit CProbeDlg(BOOL endAtInit = FALSE)
        : CDialog(IDD_BOOTEDIT_DIALOG), m_bEndAtInit(endAtInit) {}
    std::vector<std::string> m_log;

protected:
    BOOL OnInitDialog() override {
        if (m_bEndAtInit)
            EndDialog(IDCANCEL);
        return CDialog::OnInitDialog();
    }
    void Record(int id) {
        CString text;
        GetDlgItem(id)->GetWindowText(text);
        m_log.push_back(std::to_string(id) + ":" + text.GetString());
    }
    void OnLabel() { Record(IDC_LABEL_EDIT); }
    void OnMaxMem() { Record(IDC_MAXMEM_EDIT); }
    void OnChannel() { Record(IDC_CHANNEL_EDIT); }
    void OnHalBrowse() { Record(IDC_HAL_BROWSE); }
    void OnFastDetect() {
        m_log.push_back("1002 check " + std::to_string(GetWindow()->GetCheck(IDC_FASTDETECT)));
    }
    void OnContext(CWnd* window, CPoint) {
        m_log.push_back("context " + std::to_string(window->GetDlgCtrlID()));
    }

private:
    BOOL m_bEndAtInit;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeDlg)
ON_EN_UPDATE(IDC_LABEL_EDIT, OnLabel)
ON_EN_UPDATE(IDC_MAXMEM_EDIT, OnMaxMem)
ON_EN_UPDATE(IDC_CHANNEL_EDIT, OnChannel)
ON_BN_CLICKED(IDC_HAL_BROWSE, OnHalBrowse)
ON_BN_CLICKED(IDC_FASTDETECT, OnFastDetect)
ON_WM_CONTEXTMENU(OnContext)
END_MESSAGE_MAP()

class TestBackendTest : public ::testing::Test {
protected:
    // Runs the probe dialog with actions as the user's, then cancels it; returns the log.
    std::vector<std::string> Run(const std::function<void(TestDialogWindow&)>& actions) {
        CProbeDlg dialog;
        ui.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& window) {
            actions(window);
            window.PressCancel();
        });
        dialog.DoModal();
        return dialog.m_log;
    }

    CWinApp app{"Probe"};
    TestBackend ui;
};

using Log = std::vector<std::string>;

TEST_F(TestBackendTest, TypingNotifiesOncePerKeystrokeAsTheTextGrows) {
    const Log log = Run([](TestDialogWindow& window) {
        EXPECT_TRUE(window.Type(IDC_LABEL_EDIT, "XP "));
        EXPECT_TRUE(window.Backspace(IDC_LABEL_EDIT));
        EXPECT_TRUE(window.ClearText(IDC_LABEL_EDIT));
        EXPECT_TRUE(window.ClearText(IDC_LABEL_EDIT));  // already empty: nothing changes
    });
    EXPECT_EQ(log, (Log{"1026:X", "1026:XP", "1026:XP ", "1026:XP", "1026:"}));
    EXPECT_EQ(ui.Problems(), "");
}

TEST_F(TestBackendTest, DigitsOnlyEditsRefuseOtherKeys) {
    const Log log = Run([](TestDialogWindow& window) {
        window.Enable(IDC_MAXMEM_EDIT, TRUE);
        EXPECT_FALSE(window.Type(IDC_MAXMEM_EDIT, "5a1-2"));
        EXPECT_EQ(window.GetText(IDC_MAXMEM_EDIT), "512");
    });
    EXPECT_EQ(log, (Log{"1021:5", "1021:51", "1021:512"}));
}

TEST_F(TestBackendTest, DisabledControlsIgnoreTheUser) {
    const Log log = Run([](TestDialogWindow& window) {
        // Disabled by the template.
        EXPECT_FALSE(window.Click(IDC_HAL_BROWSE));
        EXPECT_FALSE(window.Type(IDC_MAXMEM_EDIT, "1"));
        EXPECT_FALSE(window.Pick(IDC_BAUDRATE_LIST, 0));
        EXPECT_FALSE(window.PressSpinUp(IDC_CHANNEL_SPIN));
        EXPECT_EQ(window.GetCurSel(IDC_BAUDRATE_LIST), -1);
        // Disabled by the program.
        window.Enable(IDC_FASTDETECT, FALSE);
        EXPECT_FALSE(window.Click(IDC_FASTDETECT));
        EXPECT_EQ(window.GetCheck(IDC_FASTDETECT), 0);
        window.Enable(IDC_FASTDETECT, TRUE);
        EXPECT_TRUE(window.Click(IDC_FASTDETECT));
        EXPECT_TRUE(window.Click(IDC_FASTDETECT));
        // A right-click over a disabled control reaches the dialog itself.
        window.RightClick(IDC_HAL_EDIT, CPoint{});
        window.RightClick(IDC_LABEL_EDIT, CPoint{});
    });
    EXPECT_EQ(log, (Log{"1002 check 1", "1002 check 0", "context 0", "context 1026"}));
    EXPECT_EQ(ui.Problems(), "");
}

TEST_F(TestBackendTest, SpinArrowsStepWithinTheRangeAndWriteTheBuddyEdit) {
    const Log log = Run([](TestDialogWindow& window) {
        window.Enable(IDC_CHANNEL_SPIN, TRUE);
        window.Enable(IDC_CHANNEL_EDIT, TRUE);
        window.SetSpinRange(IDC_CHANNEL_SPIN, 1, 62);
        window.SetSpinPos(IDC_CHANNEL_SPIN, 1);  // shown in the buddy, without a notification
        EXPECT_EQ(window.GetText(IDC_CHANNEL_EDIT), "1");
        window.PressSpinDown(IDC_CHANNEL_SPIN);  // at the lowest: no change, no notification
        window.PressSpinUp(IDC_CHANNEL_SPIN);
        window.ClearText(IDC_CHANNEL_EDIT);
        window.Type(IDC_CHANNEL_EDIT, "61");  // the arrows continue from a typed number
        window.PressSpinUp(IDC_CHANNEL_SPIN);
        window.PressSpinUp(IDC_CHANNEL_SPIN);  // at the highest: no change
        EXPECT_EQ(window.Control(IDC_CHANNEL_SPIN).spinPos, 62);
    });
    EXPECT_EQ(log, (Log{"1028:2", "1028:", "1028:6", "1028:61", "1028:62"}));
}

TEST_F(TestBackendTest, UnexpectedWindowsAreCancelledAndReported) {
    ui.QueueDialog(IDD_BOOTEDIT_DIALOG, [](TestDialogWindow&) {
        EXPECT_EQ(AfxMessageBox("Surprise"), IDOK);
        CDialog about(IDD_ABOUTBOX);
        EXPECT_EQ(about.DoModal(), IDCANCEL);
    });                                             // and the driver leaves the dialog open
    ui.QueueMessageBoxAnswer(IDOK, "Never shown");  // consumed by "Surprise": the text differs
    ui.QueueOpenFileCancel();
    CProbeDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ASSERT_EQ(ui.Failures().size(), 3u);
    EXPECT_EQ(ui.Failures()[0], "message box \"Surprise\" where \"Never shown\" was expected");
    EXPECT_EQ(ui.Failures()[1], "unexpected dialog 100 (\"About Tarn\"); ended as IDCANCEL");
    EXPECT_EQ(ui.Failures()[2],
              "dialog 102 was still open when its driver returned; ended as IDCANCEL");
    EXPECT_NE(ui.Problems().find("1 open-file answer(s) were never asked for"), std::string::npos);

    TestBackend fresh;
    EXPECT_EQ(AfxMessageBox("Nobody expects this"), IDCANCEL);
    EXPECT_EQ(fresh.Failures(),
              std::vector<std::string>{
                  "unexpected message box \"Nobody expects this\"; answered IDCANCEL"});
}

TEST_F(TestBackendTest, DialogsThatEndDuringInitOrCannotBeCreatedNeedNoDriver) {
    CProbeDlg endsAtInit(TRUE);
    EXPECT_EQ(endsAtInit.DoModal(), IDCANCEL);
    ui.FailDialogCreation(IDD_BOOTEDIT_DIALOG);
    CProbeDlg neverCreated;
    EXPECT_EQ(neverCreated.DoModal(), -1);
    EXPECT_EQ(ui.Problems(), "");
    ASSERT_EQ(ui.Dialogs().size(), 2u);
    EXPECT_FALSE(ui.Dialogs()[0].driverRan);
}

TEST_F(TestBackendTest, ActionsOnAClosedDialogAreReported) {
    CProbeDlg dialog;
    ui.QueueDialog(IDD_BOOTEDIT_DIALOG, [](TestDialogWindow& window) {
        window.PressOK();
        EXPECT_FALSE(window.Click(IDC_FASTDETECT));
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(ui.Failures(), std::vector<std::string>{"Click(1002) on dialog 102 after it closed"});
}

}  // namespace
