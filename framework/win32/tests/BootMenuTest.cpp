// The Boot Menu of the Windows program under Wine: opened with F2 through the dialog manager and
// from the system menu, each of its controls, the commit of its changes byte for byte, and the
// question before the default line is deleted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/win32/tests/ProgramDriver.h"
#include "framework/win32/tests/WineTestSupport.h"
#include "res/resource.h"

namespace {

const char kXp[] =
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect\r\n";
const char kXpDebug[] =
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Windows XP Debug\" /fastdetect /debug "
    "/debugport=com2 /baudrate=115200\r\n";
const char kConsole[] =
    "C:\\CMDCONS\\BOOTSECT.DAT=\"Microsoft Windows Recovery Console\" /cmdcons\r\n";
const char kConsoleEntry[] = "Microsoft Windows Recovery Console - C:\\CMDCONS\\BOOTSECT.DAT";

class BootMenuUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteFixtureFile(kBootIni, kFixture, kProtected));
        RemoveFile(kStaging);
        RemoveFile(kBackup);
        ::WritePrivateProfileStringA("Tarnwick", "WarnUser", "1", "tarnwick.INI");
    }
    void TearDown() override {
        ::WritePrivateProfileStringA("Tarnwick", "WarnUser", nullptr, "tarnwick.INI");
    }

    ProgramDriver driver;
};

// The done-when of the Boot Menu: a new default line, a timeout of 5, the last line moved to the
// top, and the commit. BOOT.INI differs from the old one in exactly those lines.
TEST_F(BootMenuUnderWine, F2SetsTheMenuAndOkCommitsExactlyThoseLines) {
    driver.OnDialog(IDD_BOOTEDIT_DIALOG, [&](HWND dialog) {
        driver.OnDialog(IDD_BOOTMENU, [](HWND menu) {
            EXPECT_EQ(TextOf(menu, IDC_TIMEOUT_EDIT), "30");
            EXPECT_EQ(SelectionOf(menu, IDC_DEFAULT_LIST), 0);
            EXPECT_EQ(EntriesOf(menu, IDC_ORDER_LIST).size(), 3u);
            EXPECT_FALSE(IsEnabled(menu, IDC_MOVE_UP));
            SelectEntry(menu, IDC_DEFAULT_LIST, 1);
            Type(menu, IDC_TIMEOUT_EDIT, "5");
            SelectEntry(menu, IDC_ORDER_LIST, 2);
            EXPECT_FALSE(IsEnabled(menu, IDC_MOVE_DOWN));
            Click(menu, IDC_MOVE_UP);
            Click(menu, IDC_MOVE_UP);
            EXPECT_EQ(SelectionOf(menu, IDC_ORDER_LIST), 0);
            EXPECT_EQ(EntriesOf(menu, IDC_ORDER_LIST).at(0), kConsoleEntry);
            EXPECT_EQ(SelectionOf(menu, IDC_DEFAULT_LIST), 0);
            Click(menu, IDOK);
        });
        PressKey(dialog, IDC_LABEL_EDIT, VK_F2);
        char title[256] = {};
        ::GetWindowTextA(dialog, title, sizeof title);
        EXPECT_STREQ(title, "Tarn - default: Microsoft Windows Recovery Console");
        Click(dialog, IDOK);
    });
    driver.AnswerMessageBoxes({IDOK});
    driver.Run();

    EXPECT_EQ(driver.OpenedDialogs(), (std::vector<UINT>{IDD_BOOTEDIT_DIALOG, IDD_BOOTMENU}));
    ASSERT_EQ(driver.MessageBoxes().size(), 1u);
    EXPECT_EQ(driver.MessageBoxes()[0].text, "Do you want to commit your changes to disk?");
    EXPECT_EQ(ReadWholeFile(kBootIni),
              std::string("[boot loader]\r\ntimeout=5\r\ndefault=C:\\CMDCONS\\BOOTSECT.DAT\r\n"
                          "[operating systems]\r\n") +
                  kConsole + kXp + kXpDebug);
    EXPECT_EQ(AttributesOf(kBootIni), kProtected);
    EXPECT_EQ(ReadWholeFile(kBackup), kFixture);
}

TEST_F(BootMenuUnderWine, CancelFromTheSystemMenuChangesNothing) {
    driver.OnDialog(IDD_BOOTEDIT_DIALOG, [&](HWND dialog) {
        driver.OnDialog(IDD_BOOTMENU, [](HWND menu) {
            Type(menu, IDC_TIMEOUT_EDIT, "7");
            Click(menu, IDC_MOVE_DOWN);
            Click(menu, IDCANCEL);
        });
        ::SendMessageA(dialog, WM_SYSCOMMAND, ID_SYSMENU_BOOTMENU, 0);
        // F2 on another control opens it too; Escape ends it.
        driver.OnDialog(IDD_BOOTMENU, [](HWND menu) { Click(menu, IDCANCEL); });
        PressKey(dialog, IDC_FASTDETECT, VK_F2);
        Click(dialog, IDOK);
    });
    driver.Run();
    EXPECT_EQ(driver.OpenedDialogs(),
              (std::vector<UINT>{IDD_BOOTEDIT_DIALOG, IDD_BOOTMENU, IDD_BOOTMENU}));
    EXPECT_TRUE(driver.MessageBoxes().empty());  // nothing applied: no commit question
    EXPECT_EQ(ReadWholeFile(kStaging), kFixture);
    EXPECT_EQ(ReadWholeFile(kBootIni), kFixture);
}

// The first two lines share the default's ARC path: deleting one asks nothing; deleting the last
// with it asks which line becomes the default, answered Cancel and then with a line.
TEST_F(BootMenuUnderWine, DeletingTheDefaultLineAsksForTheNewDefault) {
    driver.OnDialog(IDD_BOOTEDIT_DIALOG, [&](HWND dialog) {
        SelectEntry(dialog, IDC_BOOTLINE_LIST, 1);
        Click(dialog, IDC_DELETE_LINE);
        EXPECT_EQ(EntriesOf(dialog, IDC_BOOTLINE_LIST).size(), 2u);
        driver.OnDialog(IDD_NEWDEFAULT, [](HWND question) {
            EXPECT_EQ(EntriesOf(question, IDC_DEFAULT_LIST),
                      std::vector<std::string>{kConsoleEntry});
            Click(question, IDCANCEL);
        });
        SelectEntry(dialog, IDC_BOOTLINE_LIST, 0);
        Click(dialog, IDC_DELETE_LINE);
        EXPECT_EQ(EntriesOf(dialog, IDC_BOOTLINE_LIST).size(), 2u);
        driver.OnDialog(IDD_NEWDEFAULT, [](HWND question) {
            EXPECT_EQ(SelectionOf(question, IDC_DEFAULT_LIST), 0);
            Click(question, IDOK);
        });
        SelectEntry(dialog, IDC_BOOTLINE_LIST, 0);
        Click(dialog, IDC_DELETE_LINE);
        EXPECT_EQ(EntriesOf(dialog, IDC_BOOTLINE_LIST).size(), 1u);
        Click(dialog, IDCANCEL);
    });
    driver.Run();
    EXPECT_EQ(driver.OpenedDialogs(),
              (std::vector<UINT>{IDD_BOOTEDIT_DIALOG, IDD_NEWDEFAULT, IDD_NEWDEFAULT}));
    EXPECT_EQ(ReadWholeFile(kStaging),
              std::string("[boot loader]\r\ntimeout=30\r\ndefault=C:\\CMDCONS\\BOOTSECT.DAT\r\n"
                          "[operating systems]\r\n") +
                  kConsole);
}

}  // namespace
