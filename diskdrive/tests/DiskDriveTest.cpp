// Which partitions of a disk hold a BOOT.INI, what the user is shown, and opening the chosen one
// as drive C:, on FAT images made at test time.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "disk/linux/tests/TestImages.h"
#include "diskdrive/DiskDrive.h"

namespace {

using disk::testing::MakeFat;
using disk::testing::MakeImage;
using disk::testing::RunShell;
using disk::testing::ScratchFolder;

const char* const kBootIni =
    "[boot loader]\r\ntimeout=30\r\ndefault=multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS\r\n"
    "[operating systems]\r\nmulti(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"XP\" /fastdetect\r\n";

// A file put in a FAT partition's root with mtools.
bool PutFile(const std::string& image, std::uint64_t startSector, const std::string& name,
             const std::string& text, const ScratchFolder& folder) {
    const std::string source = folder.File("source.txt");
    FILE* file = std::fopen(source.c_str(), "wb");
    if (!file)
        return false;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return RunShell("MTOOLSRC=/dev/null MTOOLS_SKIP_CHECK=1 mcopy -o -i '" + image + "@@" +
                    std::to_string(startSector * 512) + "' '" + source + "' ::/" + name);
}

// partition(1) FAT16 "DATA" without BOOT.INI, an extended partition whose logical drive
// partition(3) is FAT16 "XP" holding boot.ini (lower case), and partition(2) of type 0x83 with
// no file system.
class DiskDriveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(MakeImage(image_, 64,
                              "label: dos\nlabel-id: 0x8b467c12\n"
                              "start=2048, size=8192, type=6\n"
                              "start=10240, size=40960, type=f\n"
                              "start=61440, size=8192, type=83\n"
                              "x5 : start=12288, size=8192, type=6\n") &&
                    MakeFat(image_, 2048, 8192, "DATA") && MakeFat(image_, 12288, 8192, "XP"));
    }
    ScratchFolder folder_;
    std::string image_ = folder_.File("disk.img");
};

TEST_F(DiskDriveTest, NoBootIniSaysWhatTheDiskHolds) {
    DiskDrive drive;
    ASSERT_TRUE(drive.Open(image_).Ok());
    EXPECT_TRUE(drive.WithBootIni().empty());
    EXPECT_EQ(drive.NothingToEditMessage(),
              "No partition of " + image_ + " holds a BOOT.INI in its root.\n" + image_ +
                  ": raw image, 64.0 MiB, MBR, disk signature 8b467c12:\n"
                  "  partition(1)  FAT16  \"DATA\"  4.0 MiB: no BOOT.INI\n"
                  "  partition(2)  type 0x83  4.0 MiB: no file system found\n"
                  "  partition(3)  FAT16  \"XP\"  4.0 MiB: no BOOT.INI\n");
}

TEST_F(DiskDriveTest, FindsBootIniOnALogicalDriveAndOpensIt) {
    ASSERT_TRUE(PutFile(image_, 12288, "boot.ini", kBootIni, folder_));
    DiskDrive drive;
    ASSERT_TRUE(drive.Open(image_).Ok());
    ASSERT_EQ(drive.WithBootIni(), std::vector<std::size_t>{2});
    EXPECT_EQ(DescribeCandidate(drive.Candidates()[2]), "partition(3)  FAT16  \"XP\"  4.0 MiB");
    EXPECT_EQ(drive.Heading(), "Partitions of " + image_ + " that hold a BOOT.INI:");

    std::string error;
    ImagePlatform* platform = drive.OpenDrive(2, error);
    ASSERT_NE(platform, nullptr) << error;
    EXPECT_FALSE(platform->IsViewOnly());
    std::string bytes;
    EXPECT_TRUE(platform->ReadWholeFile("C:\\BOOT.INI", bytes));
    EXPECT_EQ(bytes, kBootIni);
    EXPECT_EQ(platform->Location().lockPath, image_);

    // The editor's lock is taken while the disk is open; a second Tarnwick is kept off.
    std::unique_ptr<IExclusiveLock> lock;
    EXPECT_EQ(platform->LockExclusively("C:\\BOOT.LCK", lock), LockOutcome::kLocked);
    DiskDrive second;
    EXPECT_EQ(second.Open(image_).error, disk::DiskError::kLockedByTarnwick);
}

TEST_F(DiskDriveTest, SeveralPartitionsWithBootIniAreAllOffered) {
    ASSERT_TRUE(PutFile(image_, 2048, "BOOT.INI", kBootIni, folder_) &&
                PutFile(image_, 12288, "Boot.Ini", kBootIni, folder_));
    DiskDrive drive;
    ASSERT_TRUE(drive.Open(image_).Ok());
    EXPECT_EQ(drive.WithBootIni(), (std::vector<std::size_t>{0, 2}));
}

TEST_F(DiskDriveTest, ReadOnlyDiskOpensADriveForViewing) {
    ASSERT_TRUE(PutFile(image_, 12288, "BOOT.INI", kBootIni, folder_));
    disk::DiskOpenOptions options;
    options.readOnly = true;
    DiskDrive drive;
    ASSERT_TRUE(drive.Open(image_, options).Ok());
    std::string error;
    ImagePlatform* platform = drive.OpenDrive(2, error);
    ASSERT_NE(platform, nullptr) << error;
    EXPECT_TRUE(platform->IsViewOnly());
}

TEST(DiskDriveWithoutTable, APartitionImageIsPartitionOne) {
    ScratchFolder folder;
    const std::string image = folder.File("partition.img");
    ASSERT_TRUE(MakeImage(image, 16, "") && MakeFat(image, 0, 32768, "WHOLE") &&
                PutFile(image, 0, "BOOT.INI", kBootIni, folder));
    DiskDrive drive;
    ASSERT_TRUE(drive.Open(image).Ok());
    ASSERT_EQ(drive.WithBootIni(), std::vector<std::size_t>{0});
    EXPECT_EQ(DescribeCandidate(drive.Candidates()[0]), "partition(1)  FAT16  \"WHOLE\"  16.0 MiB");
}

TEST(DiskDriveWithoutTable, GarbageSaysNoFileSystem) {
    ScratchFolder folder;
    const std::string image = folder.File("garbage.bin");
    ASSERT_TRUE(MakeImage(image, 1, "") &&
                RunShell("printf 'not a disk' | dd of='" + image + "' conv=notrunc status=none"));
    DiskDrive drive;
    ASSERT_TRUE(drive.Open(image).Ok());
    EXPECT_EQ(drive.NothingToEditMessage(), "No partition of " + image +
                                                " holds a BOOT.INI in its root.\n" + image +
                                                ": raw image, 1.0 MiB, no partition table:\n"
                                                "  partition(1)  1.0 MiB: no file system found\n");
}

}  // namespace
