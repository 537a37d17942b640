// The boot path check from the editor's system menu: the verdicts as the user sees them, the
// repair and the rebuild, and their way to BOOT.INI through Apply's commit.
#include <gtest/gtest.h>

#include "bootcheck/tests/MemoryFiles.h"
#include "editor/tests/ProgramHarness.h"
#include "shell/BootCheckDlg.h"
#include "store/StagingFile.h"

namespace {

using namespace bootcheck;
using namespace bootcheck::testing;

const char kQuestion[] = "Do you want to commit your changes to disk?";

// XP was partition(2) until a data partition was inserted before it.
const char kStaleBootIni[] =
    "[boot loader]\r\n"
    "timeout=30\r\n"
    "default=multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect\r\n"
    "C:\\=\"Previous Operating System on C:\"\r\n";

const char kStaleEntry[] = "1. fails: multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS";
const char kRepairedLine[] =
    "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect";

Machine InsertedPartition() {
    Machine machine;
    machine.disks.push_back(
        Disk(LabelType::Mbr, 0x8b467c12,
             {Partition(1, "FAT16", Files({{"BOOT.INI", ""}, {"BOOTSECT.DOS", BootSector()}})),
              Partition(2, "FAT32", Files({{"DATA\\photos.jpg", ""}})),
              Partition(3, "NTFS", Files(WindowsFiles("WINDOWS") + WindowsFiles("WINNT")))}));
    machine.systemPartition = PartitionRef{0, 1};
    return machine;
}

class BootCheckDialog : public ::testing::Test {
protected:
    BootCheckDialog() {
        SetBootCheckSources({InsertedPartition, nullptr});
        harness.WriteFile(kBootIniPath, kStaleBootIni);
    }
    ~BootCheckDialog() override { SetBootCheckSources({}); }

    ProgramHarness harness;
};

TEST_F(BootCheckDialog, TheSystemMenuOffersItLast) {
    harness.RunEditor(kStaleBootIni, [](TestDialogWindow& window, CBootEditDlg&) {
        const std::vector<TestMenuItem>& menu = window.SystemMenu();
        ASSERT_GE(menu.size(), 4u);
        EXPECT_TRUE(menu[menu.size() - 4].separator);
        EXPECT_EQ(menu[menu.size() - 3].commandId, static_cast<UINT>(ID_SYSMENU_ABOUT));
        EXPECT_EQ(menu.back().commandId, static_cast<UINT>(ID_SYSMENU_CHECK));
        EXPECT_EQ(menu.back().text, "Check &Boot Paths...");
        window.PressCancel();
    });
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST_F(BootCheckDialog, RepairInTheDialogThenCommitChangesOnlyThePartitionNumbers) {
    harness.backend.QueueDialog(IDD_BOOTCHECK, [](TestDialogWindow& check) {
        EXPECT_EQ(check.Title(), "Check Boot Paths");
        EXPECT_EQ(check.Entries(IDC_CHECK_LINE_LIST),
                  (std::vector<CString>{kStaleEntry, "2. boots: C:\\"}));
        EXPECT_EQ(check.GetCurSel(IDC_CHECK_LINE_LIST), 0);
        EXPECT_EQ(check.GetText(IDC_CHECK_VERDICT).str(),
                  std::string("\"Microsoft Windows XP Professional\": \\WINDOWS does not exist on "
                              "partition(2) of rdisk(0). A Windows folder was found at "
                              "partition(3)\\WINDOWS.\nRepair writes: ") +
                      kRepairedLine);
        EXPECT_EQ(check.GetText(IDC_CHECK_SUMMARY),
                  "default= names the line \"Microsoft Windows XP Professional\", which does not "
                  "boot.\nStarted by no line: Windows at rdisk(0)partition(3)\\WINDOWS, Windows at "
                  "rdisk(0)partition(3)\\WINNT. Rebuild adds a line for each.");
        EXPECT_TRUE(check.IsEnabled(IDC_CHECK_REPAIR));
        EXPECT_TRUE(check.IsEnabled(IDC_CHECK_REBUILD));

        ASSERT_TRUE(check.Pick(IDC_CHECK_LINE_LIST, 1));
        EXPECT_EQ(check.GetText(IDC_CHECK_VERDICT),
                  "\"Previous Operating System on C:\": Boots: C:\\BOOTSECT.DOS is a boot sector.");
        EXPECT_FALSE(check.IsEnabled(IDC_CHECK_REPAIR));

        ASSERT_TRUE(check.Pick(IDC_CHECK_LINE_LIST, 0));
        ASSERT_TRUE(check.Click(IDC_CHECK_REPAIR));
        EXPECT_EQ(check.GetItemText(IDC_CHECK_LINE_LIST, 0),
                  "1. boots: multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS");
        EXPECT_EQ(check.GetText(IDC_CHECK_VERDICT),
                  "\"Microsoft Windows XP Professional\": Boots: partition(3)\\WINDOWS on rdisk(0) "
                  "holds ntoskrnl.exe and hal.dll.");
        EXPECT_FALSE(check.IsEnabled(IDC_CHECK_REPAIR));
        EXPECT_EQ(check.GetText(IDC_CHECK_SUMMARY),
                  "default= names the line \"Microsoft Windows XP Professional\", which boots.\n"
                  "Started by no line: Windows at rdisk(0)partition(3)\\WINNT. Rebuild adds a line "
                  "for each.");
        check.PressOK();
    });
    harness.backend.QueueMessageBoxAnswer(IDOK, kQuestion);
    harness.RunEditor(kStaleBootIni, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
        ASSERT_TRUE(window.SystemCommand(ID_SYSMENU_CHECK));
        EXPECT_TRUE(window.IsActive());
        EXPECT_EQ(dialog.m_arrLines[4], kRepairedLine);
        EXPECT_EQ(dialog.m_bApplied, TRUE);
        EXPECT_EQ(window.Entries(IDC_BOOTLINE_LIST).at(0),
                  "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS");
        window.PressOK();
    });
    std::string expected = kStaleBootIni;
    expected[std::string(kStaleBootIni).find("partition(2)") + 10] = '3';
    expected[std::string(kStaleBootIni).rfind("partition(2)") + 10] = '3';
    EXPECT_EQ(harness.ReadFile(kBootIniPath), expected);
    EXPECT_EQ(harness.ReadFile(kBackupPath), kStaleBootIni);
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST_F(BootCheckDialog, RebuildAddsALineForEachInstallationNoLineStarts) {
    harness.backend.QueueDialog(IDD_BOOTCHECK, [](TestDialogWindow& check) {
        ASSERT_TRUE(check.Click(IDC_CHECK_REBUILD));
        EXPECT_FALSE(check.IsEnabled(IDC_CHECK_REBUILD));
        EXPECT_EQ(check.Entries(IDC_CHECK_LINE_LIST).size(), 4u);
        EXPECT_EQ(check.GetText(IDC_CHECK_SUMMARY),
                  "default= names the line \"Microsoft Windows XP Professional\", which does not "
                  "boot.\nEvery Windows installation found is started by a line.");
        check.PressOK();
    });
    harness.RunEditor(kStaleBootIni, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
        ASSERT_TRUE(window.SystemCommand(ID_SYSMENU_CHECK));
        ASSERT_EQ(dialog.m_arrLines.GetSize(), 8);
        EXPECT_EQ(dialog.m_arrLines[6],
                  "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"Windows at "
                  "rdisk(0)partition(3)\\WINDOWS\" /FastDetect ");
        EXPECT_EQ(dialog.m_arrLines[7],
                  "multi(0)disk(0)rdisk(0)partition(3)\\WINNT=\"Windows at "
                  "rdisk(0)partition(3)\\WINNT\" /FastDetect ");
        window.PressCancel();
    });
    EXPECT_EQ(harness.ReadFile(kBootIniPath), kStaleBootIni);
    EXPECT_EQ(harness.backend.Problems(), "");
}

// Cancel, or OK without a repair, leaves the editor's lines and the staging file alone; without
// a source of disks every line says what it can't check.
TEST_F(BootCheckDialog, CancelOrNothingChosenChangesNothing) {
    harness.backend.QueueDialog(IDD_BOOTCHECK, [](TestDialogWindow& check) {
        check.Click(IDC_CHECK_REPAIR);
        check.PressCancel();
    });
    harness.backend.QueueDialog(IDD_BOOTCHECK, [](TestDialogWindow& check) {
        EXPECT_EQ(check.GetText(IDC_CHECK_VERDICT),
                  "\"Microsoft Windows XP Professional\": rdisk(0) can't be checked: no disk was "
                  "given.");
        EXPECT_FALSE(check.IsEnabled(IDC_CHECK_REPAIR));
        EXPECT_FALSE(check.IsEnabled(IDC_CHECK_REBUILD));
        check.PressOK();
    });
    harness.RunEditor(kStaleBootIni, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
        ASSERT_TRUE(window.SystemCommand(ID_SYSMENU_CHECK));
        SetBootCheckSources({});
        ASSERT_TRUE(window.SystemCommand(ID_SYSMENU_CHECK));
        EXPECT_EQ(dialog.m_arrLines[4],
                  "multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"Microsoft "
                  "Windows XP Professional\" /noexecute=optin /fastdetect");
        EXPECT_EQ(dialog.m_bApplied, FALSE);
        window.PressOK();
    });
    EXPECT_EQ(harness.ReadFile(kStagingPath).empty(), false);
    EXPECT_EQ(harness.ReadFile(kBootIniPath), kStaleBootIni);
    EXPECT_TRUE(harness.backend.MessageBoxes().empty());
    EXPECT_EQ(harness.backend.Problems(), "");
}

}  // namespace
