// The "..." buttons beside the HAL and kernel fields.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "editor/tests/ProgramHarness.h"

namespace {

const DWORD kBrowseFlags = OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                           OFN_NONETWORKBUTTON | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_EXPLORER;

class FileBrowseTest : public ::testing::Test {
protected:
    FileBrowseTest() {
        // The Windows folder of the first boot line, as on a real drive.
        for (const char* folder : {"/WINDOWS", "/WINDOWS/system32"}) {
            mkdir((harness.platform.DriveFolder() + folder).c_str(), 0755);
        }
    }
    ProgramHarness harness;
};

TEST_F(FileBrowseTest, PutsTheChosenFilesNameIntoTheField) {
    harness.backend.QueueOpenFileAnswer("D:\\elsewhere\\halacpi.dll");
    harness.backend.QueueOpenFileAnswer("C:\\WINDOWS\\system32\\ntkrnlmp.exe");
    harness.RunEditor(kThreeLineBootIni, [&](TestDialogWindow& window, CBootEditDlg& dialog) {
        window.Click(IDC_HAL);
        window.Click(IDC_KERNEL);
        ASSERT_TRUE(window.Click(IDC_HAL_BROWSE));
        ASSERT_TRUE(window.Click(IDC_KERNEL_BROWSE));
        EXPECT_EQ(window.GetText(IDC_HAL_EDIT), "halacpi.dll");
        EXPECT_EQ(window.GetText(IDC_KERNEL_EDIT), "ntkrnlmp.exe");
        EXPECT_EQ(dialog.m_txtHal, "halacpi.dll");
        window.PressCancel();
    });
    const std::vector<TestBackend::OpenFileRecord>& requests = harness.backend.OpenFileRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].request.initialFile, "C:\\WINDOWS\\system32\\Hal.dll");
    EXPECT_EQ(requests[1].request.initialFile, "C:\\WINDOWS\\system32\\ntoskrnl.exe");
    for (const TestBackend::OpenFileRecord& record : requests) {
        EXPECT_TRUE(record.request.openMode);
        EXPECT_EQ(record.request.flags, kBrowseFlags);
        EXPECT_TRUE(record.request.filter.IsEmpty());
        EXPECT_TRUE(record.request.defaultExtension.IsEmpty());
    }
    // The shown line's Windows folder leads to the system directory, which becomes current.
    EXPECT_EQ(harness.platform.CallsOf({FakeOperation::kSetWindowsFolderHint}).at(0),
              "SetWindowsFolderHint(\\WINDOWS) = TRUE");
    EXPECT_EQ(harness.platform.CurrentDirectory(), "C:\\WINDOWS\\system32");
    EXPECT_EQ(harness.backend.Problems(), "");
}

// Choosing a file is not a change of the line by itself; the boxes and buttons stay as they were.
TEST_F(FileBrowseTest, ChangesNoBoxAndNoButton) {
    harness.backend.QueueOpenFileAnswer("C:\\WINDOWS\\system32\\halaacpi.dll");
    harness.RunEditor(
        SectionFile({"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"L\" /hal=a.dll"}),
        [](TestDialogWindow& window, CBootEditDlg&) {
            ASSERT_TRUE(window.Click(IDC_HAL_BROWSE));
            EXPECT_EQ(window.GetText(IDC_HAL_EDIT), "halaacpi.dll");
            EXPECT_EQ(Mismatches(window, LineButtons(false)), "");
            EXPECT_EQ(Mismatches(window, {Checked(IDC_HAL), Checked(IDC_KERNEL, false)}), "");
            window.PressCancel();
        });
    EXPECT_EQ(harness.backend.Problems(), "");
}

// A long name is taken into the field; Apply then refuses it.
TEST_F(FileBrowseTest, AcceptsALongNameThatApplyRefuses) {
    harness.backend.QueueOpenFileAnswer("C:\\WINDOWS\\system32\\averylongname.dll");
    harness.backend.QueueMessageBoxAnswer(IDOK, "Invalid Hal File.");
    harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg& dialog) {
        window.Click(IDC_HAL);
        window.Click(IDC_HAL_BROWSE);
        EXPECT_EQ(window.GetText(IDC_HAL_EDIT), "averylongname.dll");
        window.Click(IDC_APPLY);
        EXPECT_EQ(dialog.m_bApplied, 0);
        window.PressCancel();
    });
    EXPECT_EQ(harness.backend.Problems(), "");
}

// The exchange after a choice writes every member, so unread typing elsewhere is replaced.
TEST_F(FileBrowseTest, CancellingChangesNothing) {
    harness.backend.QueueOpenFileCancel();
    harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg&) {
        window.Click(IDC_HAL);
        window.ClearText(IDC_HAL_EDIT);
        window.Click(IDC_HAL_BROWSE);
        EXPECT_EQ(window.GetText(IDC_HAL_EDIT), "");
        window.PressCancel();
    });
    EXPECT_EQ(harness.backend.Problems(), "");
}

TEST_F(FileBrowseTest, WithoutASystemDirectoryNothingOpens) {
    harness.platform.FailCall(FakeOperation::kReadSystemDirectory, 1);
    harness.RunEditor(kThreeLineBootIni, [](TestDialogWindow& window, CBootEditDlg&) {
        window.Click(IDC_HAL);
        window.Click(IDC_HAL_BROWSE);
        EXPECT_EQ(window.GetText(IDC_HAL_EDIT), "hal.dll");
        window.PressCancel();
    });
    EXPECT_TRUE(harness.backend.OpenFileRequests().empty());
    EXPECT_EQ(harness.backend.Problems(), "");
}

}  // namespace
