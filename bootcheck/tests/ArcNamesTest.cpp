#include "bootcheck/ArcNames.h"

#include <gtest/gtest.h>

namespace bootcheck {
namespace {

// \ArcName of a machine with two BIOS disks and a SCSI adapter, as its links name them.
const std::vector<ArcNameLink> kLinks = {
    {"multi(0)disk(0)rdisk(0)partition(1)", "\\Device\\Harddisk0\\Partition1"},
    {"multi(0)disk(0)rdisk(0)partition(2)", "\\Device\\Harddisk0\\Partition2"},
    {"multi(0)disk(0)rdisk(1)partition(1)", "\\Device\\Harddisk1\\Partition1"},
    {"multi(0)disk(0)fdisk(0)", "\\Device\\Floppy0"},
    {"multi(0)disk(0)cdrom(0)", "\\Device\\CdRom0"},
    {"scsi(0)disk(1)rdisk(0)partition(1)", "\\Device\\Harddisk2\\Partition1"},
    {"signature(8b467c12)disk(0)rdisk(0)partition(1)", "\\Device\\Harddisk1\\Partition1"},
};

TEST(ArcNames, TheDeviceOfALineIsTheLinkOfItsDiskAndPartition) {
    struct Case {
        const char* arcPath;
        const char* device;  // nullptr: no link
    } cases[] = {
        {"multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS", "\\Device\\Harddisk0\\Partition1"},
        {"MULTI(0)DISK(0)RDISK(0)PARTITION(02)\\WINNT", "\\Device\\Harddisk0\\Partition2"},
        {"multi(0)disk(0)rdisk(1)partition(1)", "\\Device\\Harddisk1\\Partition1"},
        {"scsi(0)disk(1)rdisk(0)partition(1)\\WINDOWS", "\\Device\\Harddisk2\\Partition1"},
        {"signature(8B467C12)disk(0)rdisk(0)partition(1)\\WINDOWS",
         "\\Device\\Harddisk1\\Partition1"},
        {"multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS", nullptr},
        {"multi(0)disk(0)rdisk(2)partition(1)\\WINDOWS", nullptr},
        {"scsi(0)disk(0)rdisk(0)partition(1)\\WINDOWS", nullptr},
        {"C:\\CMDCONS\\BOOTSECT.DAT", nullptr},
    };
    for (const Case& c : cases) {
        auto path = ParseArcPath(c.arcPath);
        ASSERT_TRUE(path) << c.arcPath;
        auto device = DeviceOf(*path, kLinks);
        if (c.device) {
            ASSERT_TRUE(device) << c.arcPath;
            EXPECT_EQ(*device, c.device) << c.arcPath;
        } else {
            EXPECT_FALSE(device) << c.arcPath << " -> " << device.value_or("");
        }
    }
}

TEST(ArcNames, HarddiskDeviceNames) {
    auto device = ParseHarddiskDevice("\\Device\\Harddisk12\\Partition3");
    ASSERT_TRUE(device);
    EXPECT_EQ(device->disk, 12u);
    EXPECT_EQ(device->partition, 3u);
    device = ParseHarddiskDevice("\\device\\harddisk0\\partition1");
    ASSERT_TRUE(device);
    EXPECT_EQ(device->partition, 1u);
    for (const char* other :
         {"\\Device\\CdRom0", "\\Device\\Harddisk0", "\\Device\\Harddisk0\\Partition",
          "\\Device\\Harddisk0\\Partition1x", "\\Device\\HarddiskVolume1", ""}) {
        EXPECT_FALSE(ParseHarddiskDevice(other)) << other;
    }
}

}  // namespace
}  // namespace bootcheck
