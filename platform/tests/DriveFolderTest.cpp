#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/posix/DriveFolder.h"
#include "platform/tests/TestFiles.h"

namespace {

class DriveFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        mkdir((drive / "Windows").c_str(), 0755);
        mkdir((drive / "Windows/System32").c_str(), 0755);
        WriteHostFile(drive / "boot.ini", "x");
        WriteHostFile(drive / "Windows/System32/HAL.DLL", "x");
    }
    TemporaryFolder drive;
};

TEST_F(DriveFolderTest, MatchesEveryComponentWithoutRegardToCase) {
    DriveFolder folder(drive.Path());
    const struct {
        const char* programPath;
        const char* hostPath;  // relative to the drive folder
    } cases[] = {
        {"C:\\BOOT.INI", "boot.ini"},
        {"c:\\Boot.Ini", "boot.ini"},
        {"\\BOOT.INI", "boot.ini"},
        {"C:/BOOT.INI", "boot.ini"},
        {"C:\\WINDOWS\\system32\\hal.dll", "Windows/System32/HAL.DLL"},
        {"C:\\windows\\.\\SYSTEM32\\..\\system32\\Hal.dll", "Windows/System32/HAL.DLL"},
        // ".." stops at the root, as on Windows: the path stays on the drive.
        {"C:\\..\\..\\BOOT.INI", "boot.ini"},
        {"C:\\\\BOOT.INI", "boot.ini"},
        // A new file takes the name as the program spells it.
        {"C:\\BOOT.TMP", "BOOT.TMP"},
        {"C:\\windows\\New Folder\\A.TXT", "Windows/New Folder/A.TXT"},
    };
    for (const auto& testCase : cases) {
        std::string hostPath;
        ASSERT_TRUE(folder.ToHostPath(testCase.programPath, hostPath)) << testCase.programPath;
        EXPECT_EQ(drive / testCase.hostPath, hostPath) << testCase.programPath;
    }
}

TEST_F(DriveFolderTest, RefusesPathsOutsideDriveC) {
    DriveFolder folder(drive.Path());
    for (const char* path : {"D:\\BOOT.INI", "BOOT.INI", "C:BOOT.INI",
                             "\\\\server\\share\\BOOT.INI", "", "..\\BOOT.INI"}) {
        std::string hostPath;
        EXPECT_FALSE(folder.ToHostPath(path, hostPath)) << path;
    }
}

TEST_F(DriveFolderTest, PrefersTheExactNameWhenSeveralDifferOnlyInCase) {
    WriteHostFile(drive / "BOOT.INI", "y");
    WriteHostFile(drive / "Boot.ini", "z");
    DriveFolder folder(drive.Path());
    std::string hostPath;
    ASSERT_TRUE(folder.ToHostPath("C:\\Boot.ini", hostPath));
    EXPECT_EQ(drive / "Boot.ini", hostPath);
    // No exact match: the first in byte order, the same on every run.
    ASSERT_TRUE(folder.ToHostPath("C:\\bOOT.INI", hostPath));
    EXPECT_EQ(drive / "BOOT.INI", hostPath);
}

TEST_F(DriveFolderTest, ResolvedProgramPathUsesTheNamesOnDisk) {
    DriveFolder folder(drive.Path());
    DriveFolder::Resolved resolved;
    ASSERT_TRUE(folder.Resolve("C:\\WINDOWS\\system32", resolved));
    EXPECT_EQ("C:\\Windows\\System32", resolved.programPath);
    ASSERT_TRUE(folder.Resolve("C:\\", resolved));
    EXPECT_EQ("C:\\", resolved.programPath);
}

TEST_F(DriveFolderTest, RelativeDriveFolderStaysPutWhenTheCurrentDirectoryChanges) {
    char* previous = getcwd(nullptr, 0);
    ASSERT_EQ(0, chdir(drive.Path().c_str()));
    DriveFolder folder("Windows");
    ASSERT_EQ(0, chdir("/"));
    std::string hostPath;
    ASSERT_TRUE(folder.ToHostPath("C:\\SYSTEM32", hostPath));
    EXPECT_EQ(drive / "Windows/System32", hostPath);
    ASSERT_EQ(0, chdir(previous));
    free(previous);
}

}  // namespace
