// The command line writes the same BOOT.INI as the dialog for the same change.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/CommandLineInterface.h"
#include "cli/tests/CliRun.h"
#include "editor/tests/ProgramHarness.h"

namespace {

// What the dialog commits: the whole program started on the drive, the user ticking boxes on line
// 2 and choosing from the lists, then Apply, OK and the commit confirmed.
std::string CommittedByTheDialog(const std::string& bootIni,
                                 const std::function<void(TestDialogWindow&)>& ticks) {
    ProgramHarness harness;
    harness.platform.SetProfileValue("Tarnwick", "WarnUser", "1");
    harness.WriteFile("C:\\BOOT.INI", bootIni);
    harness.backend.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& window) {
        ASSERT_TRUE(window.Pick(IDC_BOOTLINE_LIST, 1));
        ticks(window);
        ASSERT_TRUE(window.Click(IDC_APPLY));
        harness.backend.QueueMessageBoxAnswer(IDOK);
        ASSERT_TRUE(window.PressOK());
    });
    harness.app.InitInstance();
    EXPECT_EQ(harness.MessageTexts(),
              std::vector<std::string>{"Do you want to commit your changes to disk?"});
    return harness.ReadFile("C:\\BOOT.INI");
}

std::string WrittenByTheCommandLine(const std::string& bootIni,
                                    std::vector<std::string> arguments) {
    FakePlatform platform;
    platform.WriteFileBytes("C:\\BOOT.INI", bootIni);
    arguments.insert(arguments.begin(), {"tarnwick"});
    CliRequest request;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(ParseRequest(arguments, request, out, err), -1) << err.str();
    SetPlatform(&platform);
    EXPECT_EQ(RunCommand(request, out, err), 0) << err.str();
    SetPlatform(nullptr);
    std::string bytes;
    platform.ReadFileBytes("C:\\BOOT.INI", bytes);
    return bytes;
}

// The machine's BOOT.INI with PAE and NoLowMem on line 2, an unknown switch, and a last line
// ending in a line feed alone.
std::string MachineWithPae() {
    std::string bytes = kMachineBootIni;
    const std::string line2 = "\\WINNT=\"Windows 2000\" /fastdetect\r\n";
    bytes.replace(bytes.find(line2), line2.size(),
                  "\\WINNT=\"Windows 2000\" /fastdetect /pae /nolowmem /NoExecute=AlwaysOff\r\n");
    bytes.erase(bytes.size() - 2, 1);
    return bytes;
}

const std::string kBootIni = MachineWithPae();

TEST(SameAsTheDialog, KernelDebuggingOnCom2) {
    const std::string dialog = CommittedByTheDialog(kBootIni, [](TestDialogWindow& window) {
        ASSERT_TRUE(window.Click(IDC_DEBUG));
        ASSERT_TRUE(window.Click(IDC_DEBUGPORT));
        ASSERT_TRUE(window.PickText(IDC_DEBUGPORT_LIST, "COM2"));
        ASSERT_TRUE(window.PickText(IDC_BAUDRATE_LIST, "115200"));
    });
    const std::string commandLine =
        WrittenByTheCommandLine(kBootIni, {"set", "C:", "2", "--add", "/debug", "--add",
                                           "/debugport=com2", "--add", "/baudrate=115200"});
    EXPECT_EQ(commandLine, dialog);
    EXPECT_NE(dialog, kBootIni);
}

TEST(SameAsTheDialog, InterlocksAndALabel) {
    const std::string dialog = CommittedByTheDialog(kBootIni, [](TestDialogWindow& window) {
        ASSERT_TRUE(window.Click(IDC_PAE));  // unticks PAE, and NoLowMem with it
        ASSERT_TRUE(window.Click(IDC_NODEBUG));
        ASSERT_TRUE(window.ClearText(IDC_LABEL_EDIT));
        ASSERT_TRUE(window.Type(IDC_LABEL_EDIT, "Checked build"));
    });
    const std::string commandLine = WrittenByTheCommandLine(
        kBootIni,
        {"set", "C:", "2", "--remove", "/PAE", "--add", "nodebug", "--label", "Checked build"});
    EXPECT_EQ(commandLine, dialog);
}

}  // namespace
