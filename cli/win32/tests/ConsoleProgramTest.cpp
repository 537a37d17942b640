// tarnwick-cli.exe under Wine, started as a script would start it: on drive C: of the test's Wine
// prefix and on a folder standing for a drive, with its exit status, its output and the files it
// leaves.
#include <gtest/gtest.h>

#include "framework/Types.h"  // <windows.h> without its min and max macros

#include <memory>
#include <string>

#include "framework/win32/tests/WineTestSupport.h"
#include "platform/win32/Win32Platform.h"

namespace {

const char kFolderDrive[] = "C:\\tarnwick-cli-drive";
const char kOutFile[] = "C:\\tarnwick-cli-out.txt";
const char kErrFile[] = "C:\\tarnwick-cli-err.txt";

struct Outcome {
    DWORD status;
    std::string out;
    std::string err;
};

HANDLE InheritableFile(const char* path) {
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, TRUE};
    return ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, &security, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

Outcome RunCli(const std::string& arguments) {
    std::string commandLine = "\"" + WindowsPath(TARNWICK_CLI_EXE) + "\" " + arguments;
    HANDLE out = InheritableFile(kOutFile);
    HANDLE err = InheritableFile(kErrFile);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    Outcome outcome{~0u, "", ""};
    if (::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                         &startup, &process)) {
        ::WaitForSingleObject(process.hProcess, 30000);
        ::GetExitCodeProcess(process.hProcess, &outcome.status);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(out);
    ::CloseHandle(err);
    outcome.out = ReadWholeFile(kOutFile);
    outcome.err = ReadWholeFile(kErrFile);
    return outcome;
}

std::string In(const char* folder, const char* name) {
    return std::string(folder) + "\\" + name;
}

class ConsoleProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteFixtureFile(kBootIni, kFixture, kProtected));
        RemoveFile(kBackup);
        RemoveFile(kStaging);
        ::CreateDirectoryA(kFolderDrive, nullptr);
        for (const char* name : {"BOOT.INI", "BOOT.BAK", "BOOT.TMP", "bootmgr"})
            RemoveFile(In(kFolderDrive, name).c_str());
    }
    void TearDown() override {
        RemoveFile(kOutFile);
        RemoveFile(kErrFile);
    }
};

TEST_F(ConsoleProgram, ListsAndShowsDriveC) {
    Outcome outcome = RunCli("list C:");
    EXPECT_EQ(outcome.status, 0u) << outcome.err;
    EXPECT_NE(outcome.out.find("* 1  multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft "
                               "Windows XP Professional\""),
              std::string::npos)
        << outcome.out;
    EXPECT_NE(outcome.out.find("  3  C:\\CMDCONS\\BOOTSECT.DAT="), std::string::npos);
    outcome = RunCli("show C: 2 --json");
    EXPECT_EQ(outcome.status, 0u) << outcome.err;
    EXPECT_NE(outcome.out.find("\"debugport\": \"com2\""), std::string::npos) << outcome.out;
}

TEST_F(ConsoleProgram, SetCommitsOnDriveCWithBackupAndAttributes) {
    const Outcome outcome = RunCli("set C: 1 --add /sos --remove /noexecute=optin");
    ASSERT_EQ(outcome.status, 0u) << outcome.err;
    std::string expected = kFixture;
    const std::string before = "\"Microsoft Windows XP Professional\" /noexecute=optin /fastdetect";
    expected.replace(expected.find(before), before.size(),
                     "\"Microsoft Windows XP Professional\" /SOS /FastDetect ");
    EXPECT_EQ(ReadWholeFile(kBootIni), expected);
    EXPECT_EQ(ReadWholeFile(kBackup), kFixture);
    EXPECT_EQ(AttributesOf(kBootIni), kProtected);
}

TEST_F(ConsoleProgram, AFolderStandsForADrive) {
    const std::string bootIni = In(kFolderDrive, "BOOT.INI");
    ASSERT_TRUE(WriteFixtureFile(bootIni.c_str(), kFixture, kProtected));
    const Outcome outcome = RunCli(std::string("delete ") + kFolderDrive + " 3");
    ASSERT_EQ(outcome.status, 0u) << outcome.err;
    std::string expected = kFixture;
    expected.erase(expected.find("C:\\CMDCONS"));
    EXPECT_EQ(ReadWholeFile(bootIni.c_str()), expected);
    EXPECT_EQ(ReadWholeFile(In(kFolderDrive, "BOOT.BAK").c_str()), kFixture);
    EXPECT_EQ(AttributesOf(bootIni.c_str()), kProtected);
    // Drive C: itself is not touched.
    EXPECT_EQ(ReadWholeFile(kBootIni), kFixture);
    EXPECT_FALSE(Exists(kBackup));
}

TEST_F(ConsoleProgram, ADialogHoldingTheDriveKeepsItOff) {
    // The lock the dialog takes at start-up.
    Win32Platform dialogPlatform;
    std::unique_ptr<IExclusiveLock> lock;
    ASSERT_EQ(dialogPlatform.LockExclusively("C:\\BOOT.LCK", lock), LockOutcome::kLocked);
    const Outcome outcome = RunCli("set C: 2 --add /sos");
    EXPECT_EQ(outcome.status, 3u);
    EXPECT_NE(outcome.err.find("already editing BOOT.INI on this drive"), std::string::npos)
        << outcome.err;
    EXPECT_EQ(ReadWholeFile(kBootIni), kFixture);
    EXPECT_FALSE(Exists(kBackup));
}

TEST_F(ConsoleProgram, ExitStatusesAndDryRun) {
    const struct {
        std::string arguments;
        DWORD status;
        const char* message;
    } cases[] = {
        {"show C: 9", 1, "no boot line 9"},
        {"set C: 1 --add /debugport=com7", 1, "Unknown debug port"},
        {"set C: 1 --add", 2, "--add"},
        {"lisst C:", 2, "unknown command"},
        {"list Q:\\no\\such\\folder", 3, "is not a drive or folder"},
        {std::string("list ") + kFolderDrive, 3, "holds no BOOT.INI"},
    };
    for (const auto& item : cases) {
        const Outcome outcome = RunCli(item.arguments);
        EXPECT_EQ(outcome.status, item.status) << item.arguments;
        EXPECT_NE(outcome.err.find(item.message), std::string::npos)
            << item.arguments << ": " << outcome.err;
    }
    const Outcome dryRun = RunCli("copy C: 1 --dry-run");
    EXPECT_EQ(dryRun.status, 0u) << dryRun.err;
    EXPECT_NE(dryRun.out.find("+multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Copy Microsoft"),
              std::string::npos)
        << dryRun.out;
    EXPECT_EQ(ReadWholeFile(kBootIni), kFixture);
    EXPECT_EQ(AttributesOf(kBootIni), kProtected);
    EXPECT_FALSE(Exists(kBackup));
    EXPECT_FALSE(Exists(kStaging));
}

TEST_F(ConsoleProgram, ADriveOfTheWindowsBootManagerIsNamed) {
    ASSERT_TRUE(WriteFixtureFile(In(kFolderDrive, "bootmgr").c_str(), "", kProtected));
    const Outcome outcome = RunCli(std::string("list ") + kFolderDrive);
    EXPECT_EQ(outcome.status, 3u);
    EXPECT_NE(outcome.err.find("This Windows starts with the Windows Boot Manager; BOOT.INI is "
                               "not used here."),
              std::string::npos)
        << outcome.err;
}

TEST(DriveRoot, NamesADriveOrAFolder) {
    const struct {
        const char* drive;
        const char* root;  // null: refused
    } cases[] = {
        {"C:", "C:\\"},
        {"c:\\", "c:\\"},
        {"C:/", "C:\\"},
        {"C:\\windows", "C:\\windows\\"},
        {"Q:\\no\\such\\folder", nullptr},
        {"", nullptr},
        {"C:\\BOOT.INI", nullptr},
    };
    ASSERT_TRUE(WriteFixtureFile(kBootIni, kFixture, kProtected));
    for (const auto& item : cases) {
        std::string root;
        std::string error;
        EXPECT_EQ(Win32DriveRoot(item.drive, root, error) != FALSE, item.root != nullptr)
            << item.drive;
        if (item.root)
            EXPECT_EQ(root, item.root) << item.drive;
        else
            EXPECT_FALSE(error.empty());
    }
    // Program paths on drive C: go to the chosen drive; others stay as they are.
    const Win32Platform onE("E:\\xp\\");
    EXPECT_EQ(onE.OnDrive("C:\\BOOT.INI"), "E:\\xp\\BOOT.INI");
    EXPECT_EQ(onE.OnDrive("c:\\Boot\\BCD"), "E:\\xp\\Boot\\BCD");
    EXPECT_EQ(onE.OnDrive("D:\\other"), "D:\\other");
}

}  // namespace
