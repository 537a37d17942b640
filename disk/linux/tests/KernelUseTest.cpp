// Images and devices the kernel has: mounted, or attached to a loop device, are refused with a
// message saying which; first from fixture tables (mount table and sysfs), then with the kernel's
// own loop devices where the machine allows them.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "disk/linux/DiskContext.h"
#include "disk/linux/MountedDisk.h"
#include "disk/linux/tests/TestImages.h"

namespace disk {
namespace {

using testing::Describe;
using testing::MakeFat;
using testing::MakeImage;
using testing::RunShell;
using testing::RunShellOutput;
using testing::ScratchFolder;

bool MakeDisk(const std::string& image) {
    return MakeImage(image, 16, "label: dos\nstart=2048, size=8192, type=7\n");
}

// The kernel's tables, written as fixtures: a disk sdb (8:16) with a partition sdb1 (8:17), and
// loop0 (7:0).
class KernelTables : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string root = folder_.Path();
        tables_.mountInfo = root + "/mountinfo";
        tables_.sysBlock = root + "/block";
        tables_.sysDevBlock = root + "/dev-block";
        std::filesystem::create_directories(root + "/devices/sdb/sdb1");
        std::filesystem::create_directories(root + "/devices/loop0/loop");
        std::filesystem::create_directories(tables_.sysBlock);
        std::filesystem::create_directories(tables_.sysDevBlock);
        Write("/devices/sdb/dev", "8:16\n");
        Write("/devices/sdb/sdb1/dev", "8:17\n");
        Write("/devices/sdb/sdb1/partition", "1\n");
        Write("/devices/loop0/dev", "7:0\n");
        std::filesystem::create_directory_symlink(root + "/devices/sdb",
                                                  tables_.sysDevBlock + "/8:16");
        std::filesystem::create_directory_symlink(root + "/devices/sdb/sdb1",
                                                  tables_.sysDevBlock + "/8:17");
        std::filesystem::create_directory_symlink(root + "/devices/loop0",
                                                  tables_.sysDevBlock + "/7:0");
        std::filesystem::create_directory_symlink(root + "/devices/loop0",
                                                  tables_.sysBlock + "/loop0");
        Write("/mountinfo", "22 1 0:21 / /proc rw - proc proc rw\n");
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(folder_.Path() + name) << text;
    }
    void Mount(const std::string& device, const std::string& mountPoint) {
        std::ofstream(tables_.mountInfo, std::ios::app)
            << "40 1 " << device << " / " << mountPoint << " rw,relatime - vfat /dev/x rw\n";
    }
    static struct stat Device(unsigned minorNumber) {
        struct stat info;
        std::memset(&info, 0, sizeof info);
        info.st_mode = S_IFBLK | 0660;
        info.st_rdev = makedev(8, minorNumber);
        return info;
    }

    ScratchFolder folder_;
    SystemTables tables_;
};

TEST_F(KernelTables, MountedDeviceOrPartitionIsRefused) {
    struct Case {
        const char* mounted;  // MAJ:MIN in the mount table, null for none
        unsigned device;      // minor number of the device opened
        DiskError expected;
    };
    const Case cases[] = {
        {nullptr, 16, DiskError::kNone},
        {"8:16", 16, DiskError::kMounted},  // the whole disk (one file system, no table)
        {"8:17", 16, DiskError::kMounted},  // a partition of the disk
        {"8:17", 17, DiskError::kMounted},  // the partition itself
        {"8:32", 16, DiskError::kNone},     // another disk
    };
    for (const Case& test : cases) {
        Write("/mountinfo", "22 1 0:21 / /proc rw - proc proc rw\n");
        if (test.mounted)
            Mount(test.mounted, "/mnt/windows\\040c");
        const DiskStatus status = CheckKernelUse("/dev/sdb", Device(test.device), tables_);
        EXPECT_EQ(status.error, test.expected) << (test.mounted ? test.mounted : "none");
        if (test.expected == DiskError::kMounted) {
            EXPECT_NE(status.message.find("is mounted at /mnt/windows c"), std::string::npos)
                << status.message;
        }
    }
}

TEST_F(KernelTables, ImageOnALoopDeviceIsRefused) {
    const std::string image = folder_.File("disk.img");
    ASSERT_TRUE(MakeDisk(image));
    struct stat info;
    ASSERT_EQ(stat(image.c_str(), &info), 0);
    EXPECT_TRUE(CheckKernelUse(image, info, tables_).Ok());

    // Attached: the backing file is the image (named through another path, same inode).
    const std::string otherName = folder_.File("same-image");
    ASSERT_EQ(link(image.c_str(), otherName.c_str()), 0);
    Write("/devices/loop0/loop/backing_file", otherName + "\n");
    DiskStatus status = CheckKernelUse(image, info, tables_);
    EXPECT_EQ(status.error, DiskError::kLoopAttached);
    EXPECT_NE(status.message.find("attached to the loop device /dev/loop0"), std::string::npos)
        << status.message;

    Mount("7:0", "/mnt/image");
    status = CheckKernelUse(image, info, tables_);
    EXPECT_EQ(status.error, DiskError::kMounted);
    EXPECT_NE(status.message.find("mounted at /mnt/image through /dev/loop0"), std::string::npos)
        << status.message;

    // Another file on a loop device is none of this image's business.
    Write("/devices/loop0/loop/backing_file", folder_.File("mountinfo") + "\n");
    EXPECT_TRUE(CheckKernelUse(image, info, tables_).Ok());
}

// Shell commands run when the test ends, however it ends: detaching loop devices, unmounting.
class Undo {
public:
    ~Undo() {
        for (auto command = commands_.rbegin(); command != commands_.rend(); ++command)
            RunShell(*command);
    }
    void Add(const std::string& command) { commands_.push_back(command); }

private:
    std::vector<std::string> commands_;
};

// The disk of the real loop device tests: partition(1) FAT16, partition(2) ext2 at sector 10240.
bool MakeFatAndExt2Disk(const std::string& image) {
    return MakeImage(image, 32,
                     "label: dos\nlabel-id: 0x8b467c12\nstart=2048, size=8192, type=6\n"
                     "start=10240, size=16384, type=83\n") &&
           MakeFat(image, 2048, 8192, "SYSTEM") &&
           RunShell("mkfs.ext2 -q -F -E offset=" + std::to_string(10240 * 512) + " '" + image +
                    "' 8M");
}

// The kernel's own loop devices and a real mount, where the machine allows them (root, loop
// devices, ext2 in the kernel); skipped elsewhere. The disk: partition(1) FAT16, partition(2)
// ext2.
TEST(RealLoopDevices, TheDeviceOpensAndTheImageIsRefusedWhileTheKernelHasIt) {
    if (geteuid() != 0 || access("/dev/loop-control", F_OK) != 0)
        GTEST_SKIP() << "needs root and loop devices";
    ScratchFolder folder;
    const std::string image = folder.File("disk.img");
    ASSERT_TRUE(MakeFatAndExt2Disk(image));
    Undo undo;
    std::string whole;
    if (!RunShellOutput("losetup -f --show '" + image + "'", whole))
        GTEST_SKIP() << "losetup can't attach the image here";
    undo.Add("losetup -d " + whole);

    DiskContext device;
    DiskStatus status = device.Open(whole);
    ASSERT_TRUE(status.Ok()) << status.message;
    EXPECT_TRUE(device.IsBlockDevice());
    EXPECT_EQ(device.View().size, 32u * 1024 * 1024);
    EXPECT_EQ(device.Layout().signature, 0x8b467c12u);
    EXPECT_EQ(Describe(device.Layout()), "1:06@2048/8192 vfat:SYSTEM 2:83@10240/16384 ext2");
    device.Close();

    status = DiskContext().Open(image);
    EXPECT_EQ(status.error, DiskError::kLoopAttached);
    EXPECT_NE(status.message.find("attached to the loop device " + whole), std::string::npos)
        << status.message;

    std::string partition;
    ASSERT_TRUE(RunShellOutput("losetup -f --show -o " + std::to_string(10240 * 512) +
                                   " --sizelimit " + std::to_string(16384 * 512) + " '" + image +
                                   "'",
                               partition));
    undo.Add("losetup -d " + partition);
    const std::string mountPoint = folder.File("mnt");
    ASSERT_EQ(mkdir(mountPoint.c_str(), 0700), 0);
    if (!RunShell("mount -t ext2 " + partition + " '" + mountPoint + "'"))
        GTEST_SKIP() << "the kernel does not mount ext2 here";
    undo.Add("umount '" + mountPoint + "'");

    status = DiskContext().Open(image);
    EXPECT_EQ(status.error, DiskError::kMounted);
    EXPECT_NE(status.message.find("is mounted at " + mountPoint + " through " + partition),
              std::string::npos)
        << status.message;
    status = DiskContext().Open(partition);
    EXPECT_EQ(status.error, DiskError::kMounted);
    EXPECT_NE(status.message.find("is mounted at " + mountPoint), std::string::npos)
        << status.message;
}

// Mounted partitions of real loop devices, where the machine allows them: one attached at its
// offset leads to that loop device (its backing file is not the disk), one of a loop device
// attached with its partitions (losetup -P) to the image and the partition's first byte.
TEST(RealLoopDevices, AMountedPartitionLeadsToItsDisk) {
    if (geteuid() != 0 || access("/dev/loop-control", F_OK) != 0)
        GTEST_SKIP() << "needs root and loop devices";
    ScratchFolder folder;
    const std::string image = folder.File("disk.img");
    ASSERT_TRUE(MakeFatAndExt2Disk(image));
    const std::string mountPoint = folder.File("mnt");
    ASSERT_EQ(mkdir(mountPoint.c_str(), 0700), 0);
    std::string error;
    EXPECT_FALSE(FindMountedDisk(mountPoint, error));
    EXPECT_EQ(error, "it is not a mount point");

    {
        Undo undo;
        std::string partition;
        if (!RunShellOutput("losetup -f --show -o " + std::to_string(10240 * 512) +
                                " --sizelimit " + std::to_string(16384 * 512) + " '" + image + "'",
                            partition))
            GTEST_SKIP() << "losetup can't attach the image here";
        undo.Add("losetup -d " + partition);
        if (!RunShell("mount -t ext2 " + partition + " '" + mountPoint + "'"))
            GTEST_SKIP() << "the kernel does not mount ext2 here";
        undo.Add("umount '" + mountPoint + "'");
        const std::optional<MountedDisk> found = FindMountedDisk(mountPoint, error);
        ASSERT_TRUE(found) << error;
        EXPECT_EQ(found->diskPath, partition);
        EXPECT_TRUE(found->wholeDisk);
    }

    Undo undo;
    std::string loop;
    ASSERT_TRUE(RunShellOutput("losetup -P -f --show '" + image + "'", loop));
    undo.Add("losetup -d " + loop);
    if (access((loop + "p2").c_str(), F_OK) != 0)
        GTEST_SKIP() << "the kernel shows no partitions of loop devices here";
    ASSERT_TRUE(RunShell("mount -t ext2 " + loop + "p2 '" + mountPoint + "'"));
    undo.Add("umount '" + mountPoint + "'");
    const std::optional<MountedDisk> found = FindMountedDisk(mountPoint, error);
    ASSERT_TRUE(found) << error;
    EXPECT_TRUE(std::filesystem::equivalent(found->diskPath, image)) << found->diskPath;
    EXPECT_EQ(found->partitionStart, 10240u * 512);
    EXPECT_FALSE(found->wholeDisk);
}

}  // namespace
}  // namespace disk
