// The disks as the boot path check sees them, on images made at test time: partitions numbered
// as on the disk, FAT read through the image platform, a file system it can't read listed
// without files, and the verdicts that follow on one disk and on two.
#include <gtest/gtest.h>

#include "bootcheck/BootIniCheck.h"
#include "diskdrive/KnownDisksOfImages.h"
#include "diskdrive/tests/MovedWindowsImage.h"
#include "store/BootIniDocument.h"

namespace {

using disk::testing::MovedWindowsImage;
using disk::testing::ScratchFolder;

class KnownDisksOfImages : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(images_.Problem(), ""); }

    ScratchFolder folder_;
    MovedWindowsImage images_{folder_};
};

TEST_F(KnownDisksOfImages, PartitionsFileSystemsAndFiles) {
    CheckedDisks disks;
    std::string error;
    ASSERT_TRUE(disks.Open({images_.FirstDisk()}, error)) << error;
    const bootcheck::Machine machine = disks.Machine(1ul);
    ASSERT_EQ(machine.disks.size(), 1u);
    const bootcheck::KnownDisk& disk = machine.disks[0];
    EXPECT_EQ(disk.name, images_.FirstDisk());
    EXPECT_EQ(disk.label, bootcheck::LabelType::Mbr);
    EXPECT_EQ(disk.signature, 0x8b467c12u);
    EXPECT_TRUE(disk.signatureKnown);
    ASSERT_TRUE(machine.systemPartition);
    EXPECT_EQ(*machine.systemPartition, (bootcheck::PartitionRef{0, 1}));

    ASSERT_EQ(disk.partitions.size(), 4u);
    for (unsigned long n = 1; n <= 3; ++n) {
        EXPECT_EQ(disk.partitions[n - 1].number, n);
        EXPECT_EQ(disk.partitions[n - 1].fileSystem, "FAT16") << n;
        EXPECT_TRUE(disk.partitions[n - 1].files) << n;
    }
    EXPECT_EQ(disk.partitions[3].number, 4ul);
    EXPECT_FALSE(disk.partitions[3].files);

    // Paths of the check: "\" between names, any letter case, "" the root.
    const bootcheck::IPartitionFiles& xp = *disk.partitions[2].files;
    EXPECT_TRUE(xp.Exists("windows\\SYSTEM32\\hal.dll"));
    EXPECT_TRUE(xp.Exists("WINDOWS\\system32"));
    EXPECT_FALSE(xp.Exists("WINDOWS\\system32\\ntkrnlmp.exe"));
    EXPECT_EQ(xp.ReadFile("WINDOWS\\system32\\ntoskrnl.exe"), std::optional<std::string>("MZ"));
    EXPECT_FALSE(xp.ReadFile("WINDOWS\\system32"));
    EXPECT_FALSE(xp.ListFolder("WINDOWS\\system32\\hal.dll"));
    const auto root = xp.ListFolder("");
    ASSERT_TRUE(root);
    ASSERT_EQ(root->size(), 1u);
    EXPECT_EQ((*root)[0].name, "WINDOWS");
    EXPECT_TRUE((*root)[0].isFolder);
    EXPECT_EQ(disk.partitions[0].files->ReadFile("boot.ini"),
              std::optional<std::string>(disk::testing::kMovedWindowsBootIni));
}

TEST_F(KnownDisksOfImages, VerdictsOnOneDiskAndOnTwo) {
    const struct {
        std::vector<std::string> disks;
        const char* lastLine;
    } cases[] = {
        {{images_.FirstDisk()}, "rdisk(1) can't be checked: only one disk was given."},
        {{images_.FirstDisk(), images_.SecondDisk()},
         "Boots: partition(1)\\WINNT on rdisk(1) holds ntoskrnl.exe and hal.dll."},
    };
    for (const auto& c : cases) {
        CheckedDisks disks;
        std::string error;
        ASSERT_TRUE(disks.Open(c.disks, error)) << error;
        const bootcheck::BootIniCheck check = bootcheck::CheckBootIni(
            LinesOfFile(disk::testing::kMovedWindowsBootIni), disks.Machine(1ul), nullptr);
        ASSERT_EQ(check.lines.size(), 4u);
        EXPECT_EQ(check.lines[0].verdict.text,
                  "\\WINDOWS does not exist on partition(2) of rdisk(0). A Windows folder was "
                  "found at partition(3)\\WINDOWS.");
        EXPECT_EQ(check.lines[1].verdict.text,
                  "The kernel \\WINDOWS\\system32\\ntkrnlmp.exe that /KERNEL= names is missing on "
                  "partition(3) of rdisk(0).");
        EXPECT_EQ(check.lines[2].verdict.text,
                  "partition(4) on rdisk(0) can't be checked: its file system (not one Tarnwick "
                  "knows) can't be read.");
        EXPECT_EQ(check.lines[3].verdict.text, c.lastLine);
    }
}

TEST_F(KnownDisksOfImages, DiskThatCantBeOpenedIsNamed) {
    CheckedDisks disks;
    std::string error;
    EXPECT_FALSE(disks.Open({images_.FirstDisk(), folder_.File("missing.img")}, error));
    EXPECT_NE(error.find(folder_.File("missing.img")), std::string::npos) << error;
}

}  // namespace
