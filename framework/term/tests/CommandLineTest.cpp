#include "framework/term/CommandLine.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using Action = CommandLine::Action;

TEST(CommandLine, Parsing) {
    struct Case {
        std::vector<std::string> arguments;
        Action action;
        std::string folder;
        std::vector<std::string> toolkit;
    };
    const Case cases[] = {
        {{"tarnwick"}, Action::kRun, "", {}},
        {{"tarnwick", "/mnt/win"}, Action::kRun, "/mnt/win", {}},
        {{"tarnwick", "--help"}, Action::kHelp, "", {}},
        {{"tarnwick", "/mnt/win", "-h"}, Action::kHelp, "", {}},
        {{"tarnwick", "--version"}, Action::kVersion, "", {}},
        {{"tarnwick", "--no-mouse", "--encoding=vt100", "/mnt/win"},
         Action::kRun,
         "/mnt/win",
         {"--no-mouse", "--encoding=vt100"}},
        {{"tarnwick", "--", "--odd-folder"}, Action::kRun, "--odd-folder", {}},
        {{"tarnwick", "--bogus"}, Action::kError, "", {}},
        {{"tarnwick", "--encoding="}, Action::kError, "", {}},  // a value is needed
        {{"tarnwick", "/a", "/b"}, Action::kError, "", {}},
        {{"tarnwick", ""}, Action::kError, "", {}},
        {{"tarnwick", "/tmp", "/b"}, Action::kError, "", {}},  // a folder is one drive only
    };
    for (const Case& item : cases) {
        std::string joined;
        for (const std::string& argument : item.arguments)
            joined += "[" + argument + "]";
        const CommandLine line = ParseCommandLine(item.arguments);
        EXPECT_EQ(line.action, item.action) << joined;
        if (item.action == Action::kRun) {
            EXPECT_EQ(line.driveFolder, item.folder) << joined;
            EXPECT_EQ(line.toolkitOptions, item.toolkit) << joined;
        }
        if (item.action == Action::kError) {
            EXPECT_FALSE(line.error.empty()) << joined;
        }
    }
}

// Several disks are the machine's, in BIOS order; the first holds BOOT.INI.
TEST(CommandLine, SeveralDisks) {
    char image[] = "/tmp/tarnwick-disk0-XXXXXX";
    const int descriptor = mkstemp(image);
    ASSERT_GE(descriptor, 0);
    close(descriptor);
    const CommandLine line = ParseCommandLine({"tarnwick", "--no-mouse", image, "/d1", "/d2"});
    std::remove(image);
    EXPECT_EQ(line.action, Action::kRun) << line.error;
    EXPECT_EQ(line.driveFolder, image);
    EXPECT_EQ(line.otherDisks, (std::vector<std::string>{"/d1", "/d2"}));
    EXPECT_EQ(line.toolkitOptions, std::vector<std::string>{"--no-mouse"});
}

TEST(CommandLine, VersionAndUsage) {
    EXPECT_EQ(VersionText().rfind("tarnwick 1.0", 0), 0u);
    EXPECT_NE(UsageText().find("tarnwick [OPTION...] [DRIVE-FOLDER]"), std::string::npos);
}

TEST(CommandLine, MountPointsSkipKernelFileSystemsAndDecodeBlanks) {
    const std::string table =
        "proc /proc proc rw,nosuid 0 0\n"
        "sysfs /sys sysfs rw 0 0\n"
        "/dev/vda / ext4 rw 0 0\n"
        "/dev/sdb1 /mnt/windows\\040xp fuseblk rw,user_id=0 0 0\n"
        "/dev/sdc1 /media/usb vfat rw 0 0\n"
        "/dev/sdc1 /media/usb vfat rw 0 0\n"  // mounted twice: offered once
        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "broken-line\n";
    const std::vector<std::string> expected = {"/", "/mnt/windows xp", "/media/usb"};
    EXPECT_EQ(MountPointsOf(table), expected);
}

class TemporaryFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/tarnwick-command-line-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        m_folder = name;
    }
    void TearDown() override {
        const std::string command = "rm -rf '" + m_folder + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    void Create(const std::string& name) {
        std::ofstream(m_folder + "/" + name) << "[boot loader]\r\n";
    }
    std::string m_folder;
};

TEST_F(TemporaryFolder, BootIniIsFoundInAnyCase) {
    EXPECT_FALSE(HoldsBootIni(m_folder));
    Create("Boot.Ini");
    EXPECT_TRUE(HoldsBootIni(m_folder));
}

TEST_F(TemporaryFolder, AFolderNamedBootIniIsNotABootIni) {
    ASSERT_EQ(mkdir((m_folder + "/BOOT.INI").c_str(), 0755), 0);
    Create("boot.ini.bak");
    EXPECT_FALSE(HoldsBootIni(m_folder));
}

}  // namespace
