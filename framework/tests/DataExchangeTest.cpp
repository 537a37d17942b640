// Data exchange between dialog members and controls, on the editor template's controls.
#include <gtest/gtest.h>

#include <functional>

#include "framework/App.h"
#include "framework/Dialog.h"
#include "framework/test/TestBackend.h"
#include "res/resource.h"

namespace {

class CExchangeDlg : public CDialog {
public:
    CExchangeDlg() : CDialog(IDD_BOOTEDIT_DIALOG) {}

    int m_chkFastDetect = 0;
    CString m_txtLabel;
    CString m_txtBaudRate;                   // exchanged with DDX_CBString
    CString m_txtBootLine;                   // exchanged with DDX_CBEditText
    int m_labelUpdates = 0;                  // EN_UPDATE notifications that reached the handler
    std::function<void()> m_duringExchange;  // runs in the middle of every exchange

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Check(pDX, IDC_FASTDETECT, m_chkFastDetect);
        DDX_Text(pDX, IDC_LABEL_EDIT, m_txtLabel);
        if (m_duringExchange)
            m_duringExchange();
        DDX_CBString(pDX, IDC_BAUDRATE_LIST, m_txtBaudRate);
        DDX_CBEditText(pDX, IDC_BOOTLINE_LIST, m_txtBootLine);
    }
    void OnLabelChanged() { ++m_labelUpdates; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CExchangeDlg)
ON_EN_UPDATE(IDC_LABEL_EDIT, OnLabelChanged)
END_MESSAGE_MAP()

class DataExchangeTest : public ::testing::Test {
protected:
    // Opens the dialog, runs body with it open, then cancels it.
    void WithOpenDialog(const std::function<void(TestDialogWindow&)>& body) {
        ui.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& window) {
            body(window);
            window.PressCancel();
        });
        dialog.DoModal();
        EXPECT_EQ(ui.Problems(), "");
    }

    CWinApp app{"ExchangeTest"};
    TestBackend ui;
    CExchangeDlg dialog;
};

TEST_F(DataExchangeTest, WritingAListTextSelectsTheFirstEntryBeginningWithItOrFillsTheEditField) {
    // The baud-rate list holds 300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200.
    struct Case {
        const char* value;
        int selectedBefore;
        int selectedAfter;
        const char* shown;
    };
    const Case cases[] = {
        {"1152", -1, 8, "115200"},  // a prefix selects its entry
        {"1", 8, 1, "1200"},        // the first entry beginning with it, not the current one
        {"9600", 0, 4, "9600"},     // a whole text
        {"14400", 3, 3, "14400"},   // no entry: the text goes into the edit field, selection kept
        {"", 5, 5, "19200"},        // empty: the selection stays and shows its own text
        {"", -1, -1, ""},           // empty with nothing selected: an empty field
    };
    WithOpenDialog([&](TestDialogWindow& window) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.value);
            window.SetCurSel(IDC_BAUDRATE_LIST, c.selectedBefore);
            window.SetText(IDC_BAUDRATE_LIST, "typed");
            dialog.m_txtBaudRate = c.value;
            dialog.UpdateData(FALSE);
            EXPECT_EQ(window.GetCurSel(IDC_BAUDRATE_LIST), c.selectedAfter);
            EXPECT_EQ(window.GetText(IDC_BAUDRATE_LIST), c.shown);
        }
    });
}

TEST_F(DataExchangeTest, PrefixSearchIgnoresCase) {
    WithOpenDialog([&](TestDialogWindow& window) {
        window.ResetContent(IDC_BAUDRATE_LIST);
        for (const char* port : {"1394", "COM1", "COM2"})
            window.AddString(IDC_BAUDRATE_LIST, port);
        dialog.m_txtBaudRate = "com2";
        dialog.UpdateData(FALSE);
        EXPECT_EQ(window.GetCurSel(IDC_BAUDRATE_LIST), 2);
        EXPECT_EQ(window.GetText(IDC_BAUDRATE_LIST), "COM2");
    });
}

TEST_F(DataExchangeTest, EditFieldOnlyWriteKeepsTheSelectionWhenEntriesShareTheText) {
    WithOpenDialog([&](TestDialogWindow& window) {
        window.AddString(IDC_BOOTLINE_LIST, "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS");
        window.AddString(IDC_BOOTLINE_LIST, "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS");
        window.SetCurSel(IDC_BOOTLINE_LIST, 1);
        dialog.m_txtBootLine = "multi(0)";
        dialog.UpdateData(FALSE);
        EXPECT_EQ(window.GetCurSel(IDC_BOOTLINE_LIST), 1);
        EXPECT_EQ(window.GetText(IDC_BOOTLINE_LIST), "multi(0)");
    });
}

TEST_F(DataExchangeTest, ReadingTakesWhatTheUserEntered) {
    WithOpenDialog([&](TestDialogWindow& window) {
        window.Enable(IDC_BAUDRATE_LIST, TRUE);  // disabled by the template
        window.Click(IDC_FASTDETECT);
        window.Type(IDC_LABEL_EDIT, "XP");
        window.Pick(IDC_BAUDRATE_LIST, 2);
        window.Type(IDC_BAUDRATE_LIST, "0");  // typed after the pick: "24000", no entry of that
        window.Type(IDC_BOOTLINE_LIST, "scsi(0)");
        dialog.UpdateData(TRUE);
        EXPECT_EQ(dialog.m_chkFastDetect, 1);
        EXPECT_EQ(dialog.m_txtLabel, "XP");
        EXPECT_EQ(dialog.m_txtBaudRate, "24000");
        EXPECT_EQ(dialog.m_txtBootLine, "scsi(0)");
    });
}

TEST_F(DataExchangeTest, NotificationsRaisedWhileExchangingAreIgnored) {
    WithOpenDialog([&](TestDialogWindow& window) {
        // A back-end whose controls notify on every write behaves like this during an exchange.
        dialog.m_duringExchange = [&] { dialog.HandleCommand(IDC_LABEL_EDIT, EN_UPDATE); };
        dialog.UpdateData(FALSE);
        dialog.UpdateData(TRUE);
        EXPECT_EQ(dialog.m_labelUpdates, 0);
        EXPECT_FALSE(dialog.IsExchanging());
        dialog.m_duringExchange = nullptr;
        window.Type(IDC_LABEL_EDIT, "a");
        EXPECT_EQ(dialog.m_labelUpdates, 1);
    });
}

TEST_F(DataExchangeTest, DefaultInitWritesTheMembersAndDefaultOkReadsThemBack) {
    dialog.m_txtLabel = "Before";
    ui.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& window) {
        EXPECT_EQ(window.GetText(IDC_LABEL_EDIT), "Before");
        window.ClearText(IDC_LABEL_EDIT);
        window.Type(IDC_LABEL_EDIT, "After");
        window.PressOK();
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_txtLabel, "After");
    EXPECT_EQ(ui.Problems(), "");
}

}  // namespace
