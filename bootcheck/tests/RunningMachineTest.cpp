#include "bootcheck/RunningMachine.h"

#include <gtest/gtest.h>

#include "bootcheck/Verdicts.h"
#include "bootcheck/tests/MemoryFiles.h"

namespace bootcheck {
namespace {

using namespace bootcheck::testing;

std::string FirstSector(uint32_t signature, unsigned char firstType) {
    std::string sector = BootSector();
    for (int i = 0; i < 4; ++i)
        sector[440 + i] = static_cast<char>((signature >> (8 * i)) & 0xFF);
    sector[446 + 4] = static_cast<char>(firstType);
    return sector;
}

// Two BIOS disks (the second GPT), a disk whose first sector can't be read, and links that
// are no partitions of a BIOS disk.
TEST(RunningMachine, DisksAndPartitionsFromTheArcNameLinks) {
    const std::vector<ArcNameLink> links = {
        {"multi(0)disk(0)rdisk(0)partition(2)", "\\Device\\Harddisk0\\Partition2"},
        {"multi(0)disk(0)rdisk(0)partition(1)", "\\Device\\Harddisk0\\Partition1"},
        {"multi(0)disk(0)rdisk(1)partition(1)", "\\Device\\Harddisk1\\Partition1"},
        {"multi(0)disk(0)rdisk(3)partition(1)", "\\Device\\Harddisk3\\Partition1"},
        {"multi(0)disk(0)rdisk(0)", "\\Device\\Harddisk0\\Partition0"},
        {"multi(0)disk(0)fdisk(0)", "\\Device\\Floppy0"},
        {"scsi(0)disk(0)rdisk(0)partition(1)", "\\Device\\Harddisk4\\Partition1"},
        {"multi(1)disk(0)rdisk(0)partition(1)", "\\Device\\Harddisk5\\Partition1"},
    };
    std::vector<std::string> opened;
    DeviceAccess access;
    access.openPartition = [&](const std::string& device) {
        opened.push_back(device);
        if (device == "\\Device\\Harddisk0\\Partition1")
            return OpenedPartition{"FAT32", Files({{"boot.ini", ""}})};
        if (device == "\\Device\\Harddisk0\\Partition2")
            return OpenedPartition{"NTFS", Files(WindowsFiles("WINDOWS"))};
        return OpenedPartition{"", nullptr};
    };
    access.readFirstSector = [](const std::string& device) -> std::optional<std::string> {
        if (device == "\\Device\\Harddisk0\\Partition0")
            return FirstSector(0x8b467c12, 0x0C);
        if (device == "\\Device\\Harddisk1\\Partition0")
            return FirstSector(0, 0xEE);
        return std::nullopt;
    };

    Machine machine = MachineFromArcNames(links, access);
    EXPECT_EQ(opened, (std::vector<std::string>{
                          "\\Device\\Harddisk0\\Partition1", "\\Device\\Harddisk0\\Partition2",
                          "\\Device\\Harddisk1\\Partition1", "\\Device\\Harddisk3\\Partition1"}));
    ASSERT_EQ(machine.disks.size(), 4u);
    EXPECT_EQ(machine.disks[0].label, LabelType::Mbr);
    EXPECT_EQ(machine.disks[0].signature, 0x8b467c12u);
    EXPECT_TRUE(machine.disks[0].signatureKnown);
    ASSERT_EQ(machine.disks[0].partitions.size(), 2u);
    EXPECT_EQ(machine.disks[0].partitions[0].number, 1u);
    EXPECT_EQ(machine.disks[0].partitions[1].fileSystem, "NTFS");
    EXPECT_EQ(machine.disks[1].label, LabelType::Gpt);
    EXPECT_TRUE(machine.disks[2].partitions.empty());  // rdisk(2) has no link
    EXPECT_FALSE(machine.disks[3].signatureKnown);
    ASSERT_TRUE(machine.systemPartition);
    EXPECT_EQ(machine.systemPartition->partition, 1u);

    // The verdicts over it, as the Windows program shows them.
    auto installations = FindInstallations(machine);
    struct Case {
        const char* line;
        const char* text;
    } cases[] = {
        {"multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"XP\"",
         "Boots: partition(2)\\WINDOWS on rdisk(0) holds ntoskrnl.exe and hal.dll."},
        {"signature(8b467c12)disk(0)rdisk(0)partition(2)\\WINDOWS=\"XP\"",
         "Boots: partition(2)\\WINDOWS on rdisk(0) holds ntoskrnl.exe and hal.dll."},
        {"multi(0)disk(0)rdisk(1)partition(1)\\WINDOWS=\"XP\"",
         "rdisk(1) is a GPT disk: the loader starts Windows from MBR disks only."},
        {"multi(0)disk(0)rdisk(3)partition(1)\\WINDOWS=\"XP\"",
         "partition(1) on rdisk(3) can't be checked: its file system (not one Tarnwick knows) "
         "can't be read."},
        {"signature(1234)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\"",
         "signature(1234) can't be checked: the signature of rdisk(2) could not be read, and no "
         "other disk has it."},
    };
    for (const Case& c : cases) {
        CBootLine line;
        ASSERT_TRUE(line.ParseLine(c.line));
        EXPECT_EQ(CheckBootLine(line, machine, installations).text, c.text) << c.line;
    }
}

TEST(RunningMachine, FirstSectorLabels) {
    KnownDisk disk;
    ReadLabel(std::string(512, '\0'), disk);
    EXPECT_EQ(disk.label, LabelType::None);
    ReadLabel(BootSector().substr(0, 511), disk);
    EXPECT_EQ(disk.label, LabelType::None);
    ReadLabel(FirstSector(0x01020304, 0x07), disk);
    EXPECT_EQ(disk.label, LabelType::Mbr);
    EXPECT_EQ(disk.signature, 0x01020304u);
    ReadLabel(FirstSector(0, 0xEE), disk);
    EXPECT_EQ(disk.label, LabelType::Gpt);
}

TEST(RunningMachine, NoLinksNoDisks) {
    DeviceAccess access;
    access.openPartition = [](const std::string&) { return OpenedPartition{}; };
    access.readFirstSector = [](const std::string&) { return std::nullopt; };
    Machine machine = MachineFromArcNames({}, access);
    EXPECT_TRUE(machine.disks.empty());
    EXPECT_FALSE(machine.systemPartition);
}

}  // namespace
}  // namespace bootcheck
