// Tracing a mount point to the disk behind it, from mount tables and sysfs facts written as
// fixtures: partitions of real disks and of loop devices, FUSE mounts of a block device, whole
// devices, and the folders that have no disk to find.
#include <gtest/gtest.h>

#include <sys/sysmacros.h>

#include <map>
#include <string>
#include <vector>

#include "disk/linux/MountedDisk.h"

namespace disk {
namespace {

// sda (8:0) with sda2 (8:2) at sector 2048; loop0 over /srv/disk.img with loop0p1 (259:0) at
// sector 63; loop1 over a partition image at an offset; sdb (8:16) without a table.
const std::map<std::string, std::string> kLinks = {
    {"/sys/dev/block/8:2", "/sys/devices/pci0000:00/ata1/block/sda/sda2"},
    {"/sys/dev/block/8:16", "/sys/devices/pci0000:00/ata2/block/sdb"},
    {"/sys/dev/block/259:0", "/sys/devices/virtual/block/loop0/loop0p1"},
    {"/sys/dev/block/7:1", "/sys/devices/virtual/block/loop1"},
    {"/sys/dev/block/8:33", "/sys/devices/pci0000:00/ata3/block/sdc/sdc1"},
};
const std::map<std::string, std::string> kFiles = {
    {"/sys/devices/pci0000:00/ata1/block/sda/sda2/partition", "2"},
    {"/sys/devices/pci0000:00/ata1/block/sda/sda2/start", "2048"},
    {"/sys/devices/virtual/block/loop0/loop0p1/partition", "1"},
    {"/sys/devices/virtual/block/loop0/loop0p1/start", "63"},
    {"/sys/devices/virtual/block/loop0/loop/backing_file", "/srv/disk.img"},
    {"/sys/devices/virtual/block/loop0/loop/offset", "0"},
    {"/sys/devices/virtual/block/loop1/loop/backing_file", "/srv/part.img"},
    {"/sys/devices/virtual/block/loop1/loop/offset", "1048576"},
    {"/sys/devices/pci0000:00/ata3/block/sdc/sdc1/partition", "1"},
};

MountFacts FactsOf(const std::string& mountinfo) {
    MountFacts facts;
    facts.mountinfo = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n" + mountinfo;
    auto lookup = [](const std::map<std::string, std::string>& table) {
        return [&table](const std::string& path) -> std::optional<std::string> {
            const auto found = table.find(path);
            return found == table.end() ? std::nullopt : std::optional<std::string>(found->second);
        };
    };
    facts.readSysfs = lookup(kFiles);
    facts.resolveSysfs = lookup(kLinks);
    facts.blockDeviceNumber = [](const std::string& path) -> std::optional<dev_t> {
        if (path == "/dev/loop0p1")
            return makedev(259, 0);
        return std::nullopt;
    };
    return facts;
}

struct FoundCase {
    const char* name;
    std::string mountinfo;
    std::string folder;
    std::string diskPath;
    std::uint64_t partitionStart;
    bool wholeDisk;
};

TEST(MountedDisk, TracesTheFolderToItsDiskAndPartition) {
    const std::vector<FoundCase> cases = {
        {"partition of a disk", "30 1 8:2 / /mnt/c rw - ntfs3 /dev/sda2 rw\n", "/mnt/c", "/dev/sda",
         2048 * 512, false},
        {"partition of a loop device: its image", "30 1 259:0 / /mnt/c rw - vfat /dev/loop0p1 rw\n",
         "/mnt/c", "/srv/disk.img", 63 * 512, false},
        {"ntfs-3g over a loop partition",
         "30 1 0:52 / /mnt/c rw - fuseblk /dev/loop0p1 rw,user_id=0\n", "/mnt/c", "/srv/disk.img",
         63 * 512, false},
        {"loop device at an offset: the device", "30 1 7:1 / /mnt/c rw - ext2 /dev/loop1 rw\n",
         "/mnt/c", "/dev/loop1", 0, true},
        {"a disk without a table", "30 1 8:16 / /mnt/c rw - vfat /dev/sdb rw\n", "/mnt/c",
         "/dev/sdb", 0, true},
        {"the last mount on the folder is seen",
         "30 1 8:16 / /mnt/c rw - vfat /dev/sdb rw\n31 1 8:2 / /mnt/c rw - ntfs3 /dev/sda2 rw\n",
         "/mnt/c", "/dev/sda", 2048 * 512, false},
        {"a mount point with a space", "30 1 8:2 / /mnt/my\\040disk rw - ntfs3 /dev/sda2 rw\n",
         "/mnt/my disk", "/dev/sda", 2048 * 512, false},
    };
    for (const FoundCase& test : cases) {
        SCOPED_TRACE(test.name);
        std::string error;
        const std::optional<MountedDisk> found =
            TraceMountedDisk(test.folder, FactsOf(test.mountinfo), error);
        ASSERT_TRUE(found) << error;
        EXPECT_EQ(found->diskPath, test.diskPath);
        EXPECT_EQ(found->partitionStart, test.partitionStart);
        EXPECT_EQ(found->wholeDisk, test.wholeDisk);
    }
}

TEST(MountedDisk, SaysWhyThereIsNoDiskToFind) {
    const std::vector<std::vector<std::string>> cases = {
        // mountinfo, folder, reason
        {"30 1 8:2 / /mnt/c rw - ntfs3 /dev/sda2 rw\n", "/mnt/d", "it is not a mount point"},
        {"30 1 8:2 / /mnt/c rw - ntfs3 /dev/sda2 rw\n", "/mnt", "it is not a mount point"},
        {"30 1 0:48 / /mnt/c rw - fuse.sshfs host:/c rw\n", "/mnt/c",
         "its fuse.sshfs file system has no block device"},
        {"30 1 0:49 / /mnt/c rw - nfs4 server:/c rw\n", "/mnt/c",
         "its nfs4 file system has no block device"},
        {"30 1 0:52 / /mnt/c rw - fuseblk /srv/c.img rw\n", "/mnt/c",
         "its fuseblk file system has no block device"},
        {"30 1 9:9 / /mnt/c rw - ext2 /dev/md9 rw\n", "/mnt/c", "block device 9:9 is not in /sys"},
        {"30 1 8:33 / /mnt/c rw - ext2 /dev/sdc1 rw\n", "/mnt/c",
         "the start of partition sdc1 is not in /sys"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test[0] + " at " + test[1]);
        std::string error;
        EXPECT_FALSE(TraceMountedDisk(test[1], FactsOf(test[0]), error));
        EXPECT_EQ(error, test[2]);
    }
}

TEST(MountedDisk, AFolderThatIsMissingIsTold) {
    std::string error;
    EXPECT_FALSE(FindMountedDisk("/nonexistent/tarnwick-folder", error));
    EXPECT_EQ(error, "No such file or directory");
}

}  // namespace
}  // namespace disk
