// The running-system parts on real Win32 calls, run under Wine: the file access over a folder
// made here, and the \ArcName walk, which must give every link it finds (Wine may have none).
#include <gtest/gtest.h>

#include "bootcheck/Verdicts.h"
#include "bootcheck/win32/NtArcNames.h"
#include "bootcheck/win32/Win32PartitionFiles.h"
#include "framework/Types.h"

namespace bootcheck {
namespace {

class Win32Files : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[MAX_PATH];
        ASSERT_TRUE(::GetTempPathA(sizeof folder, folder));
        m_root =
            std::string(folder) + "tarnwick-bootcheck-" + std::to_string(::GetCurrentProcessId());
        ASSERT_TRUE(::CreateDirectoryA(m_root.c_str(), nullptr));
        for (const char* sub : {"\\WINDOWS", "\\WINDOWS\\system32", "\\WINDOWS\\system32\\config"})
            ASSERT_TRUE(::CreateDirectoryA((m_root + sub).c_str(), nullptr));
        for (const char* file :
             {"\\WINDOWS\\system32\\ntoskrnl.exe", "\\WINDOWS\\system32\\hal.dll",
              "\\WINDOWS\\system32\\config\\SYSTEM", "\\BOOT.INI"})
            Write(file, "MZ");
    }

    void TearDown() override {
        for (const char* file :
             {"\\WINDOWS\\system32\\ntoskrnl.exe", "\\WINDOWS\\system32\\hal.dll",
              "\\WINDOWS\\system32\\config\\SYSTEM", "\\BOOT.INI"})
            ::DeleteFileA((m_root + file).c_str());
        for (const char* sub :
             {"\\WINDOWS\\system32\\config", "\\WINDOWS\\system32", "\\WINDOWS", ""})
            ::RemoveDirectoryA((m_root + sub).c_str());
    }

    void Write(const char* file, const std::string& bytes) {
        HANDLE handle = ::CreateFileA((m_root + file).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE) << file;
        DWORD written = 0;
        ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(handle);
    }

    std::string m_root;
};

TEST_F(Win32Files, ExistsReadAndListWithoutRegardToCase) {
    Win32PartitionFiles files(m_root);
    EXPECT_TRUE(files.Exists(""));
    EXPECT_TRUE(files.Exists("windows\\SYSTEM32\\NTOSKRNL.EXE"));
    EXPECT_TRUE(files.Exists("Windows"));
    EXPECT_FALSE(files.Exists("WINNT"));
    EXPECT_EQ(files.ReadFile("boot.ini").value_or("?"), "MZ");
    EXPECT_FALSE(files.ReadFile("WINDOWS"));
    EXPECT_FALSE(files.ReadFile("missing.txt"));
    auto root = files.ListFolder("");
    ASSERT_TRUE(root);
    ASSERT_EQ(root->size(), 2u);
    for (const FolderEntry& entry : *root)
        EXPECT_EQ(entry.isFolder, entry.name == "WINDOWS") << entry.name;
    EXPECT_FALSE(files.ListFolder("WINNT"));
    EXPECT_TRUE(IsInstallation(files, "windows"));
}

// Over the real namespace: whatever \ArcName holds becomes disks the verdicts can use.
TEST(Win32ArcNames, TheLinksOfTheRunningSystem) {
    auto links = NtArcNameDirectory().Links();
    if (!links) {
        std::printf("\\ArcName can't be opened on this system (Wine has none).\n");
        return;
    }
    for (const ArcNameLink& link : *links) {
        EXPECT_FALSE(link.arcName.empty());
        EXPECT_EQ(link.device.rfind("\\", 0), 0u) << link.arcName << " -> " << link.device;
    }
    Machine machine = RunningWindowsMachine();
    EXPECT_GE(links->size(), machine.disks.size());
}

// The same walk over a folder every system has: "\??" links the drive letters to their devices.
TEST(Win32ArcNames, TheWalkReadsEveryLinkOfAFolder) {
    auto links = NtArcNameDirectory(L"\\??").Links();
    ASSERT_TRUE(links);
    bool driveC = false;
    for (const ArcNameLink& link : *links) {
        if (link.arcName == "C:" || link.arcName == "c:") {
            driveC = true;
            EXPECT_EQ(link.device.rfind("\\", 0), 0u) << link.device;
        }
    }
    EXPECT_TRUE(driveC) << links->size() << " links, no C:";
    EXPECT_FALSE(NtArcNameDirectory(L"\\NoSuchFolder").Links());
}

}  // namespace
}  // namespace bootcheck
