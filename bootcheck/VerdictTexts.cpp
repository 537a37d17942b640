#include "bootcheck/VerdictTexts.h"

#include <cstddef>

namespace bootcheck {
namespace {

struct Entry {
    Message message;
    const char* text;
};

// {0} in a disk's texts is always its BIOS order as the loader counts it, e.g. "rdisk(0)".
constexpr Entry kTexts[] = {
    {Message::Boots, "Boots: {0} on {1} holds {2} and {3}."},
    {Message::BootSectorBoots, "Boots: {0} is a boot sector."},
    {Message::NotAnArcPath,
     "\"{0}\" is not a boot path the loader understands: it takes "
     "multi(0)disk(0)rdisk(z)partition(n)\\FOLDER, scsi(x)disk(y)rdisk(0)partition(n)\\FOLDER, "
     "signature(XXXXXXXX)disk(y)rdisk(0)partition(n)\\FOLDER or C:\\FILE."},
    {Message::AdapterNotKnown,
     "{0} can't be checked: the disks given stand for the disks of the first adapter, {1}(0)."},
    {Message::ScsiLunNotKnown,
     "rdisk({0}) can't be checked: the disks given stand for logical unit 0 of each target."},
    {Message::DiskNotGiven, "{0} can't be checked: {1}."},
    {Message::OneDiskGiven, "only one disk was given"},
    {Message::DisksGiven, "only {0} disks were given"},
    {Message::NoDiskGiven, "no disk was given"},
    {Message::SignatureMatchesNoDisk, "{0} matches no disk: {1}."},
    {Message::SignatureOfOneDisk, "the disk given has signature {0}"},
    {Message::SignaturesOfDisks, "the disks given have signatures {0}"},
    {Message::NoMbrDiskGiven, "no MBR disk was given"},
    {Message::SignatureNotRead,
     "{0} can't be checked: the signature of {1} could not be read, and no other disk has it."},
    {Message::GptDisk, "{0} is a GPT disk: the loader starts Windows from MBR disks only."},
    {Message::NoPartitionTable,
     "{0} has no partition table: the loader starts Windows from a partition of an MBR disk."},
    {Message::PartitionZero, "partition(0) is the whole disk: partitions count from 1."},
    {Message::PartitionMissing, "partition({0}) does not exist: {1} has {2}."},
    {Message::NoPartitions, "no partitions"},
    {Message::OnePartition, "1 partition"},
    {Message::Partitions, "{0} partitions"},
    {Message::FileSystemUnreadable,
     "partition({0}) on {1} can't be checked: its file system ({2}) can't be read."},
    {Message::FileSystemNotKnown, "not one Tarnwick knows"},
    {Message::NoSystemRoot, "The line names no Windows folder after partition({0})."},
    {Message::FolderMissing, "{0} does not exist on partition({1}) of {2}."},
    {Message::KernelMissing, "The kernel {0} is missing on partition({1}) of {2}."},
    {Message::KernelSwitchFileMissing,
     "The kernel {0} that /KERNEL= names is missing on partition({1}) of {2}."},
    {Message::HalMissing, "The HAL {0} is missing on partition({1}) of {2}."},
    {Message::HalSwitchFileMissing,
     "The HAL {0} that /HAL= names is missing on partition({1}) of {2}."},
    {Message::WindowsFoundAt, "A Windows folder was found at {0}."},
    {Message::DriveNotKnown,
     "{0}: can't be checked: only C:, the partition that holds BOOT.INI, is known."},
    {Message::SystemPartitionNotKnown,
     "{0} can't be checked: the partition that holds BOOT.INI is not known."},
    {Message::SavedBootSectorMissing,
     "C:\\BOOTSECT.DOS is missing: for a C:\\ line the loader starts the boot sector saved in "
     "that file."},
    {Message::BootSectorFileMissing, "{0} is missing on the partition that holds BOOT.INI."},
    {Message::BootSectorTooShort, "{0} is not a boot sector: it holds {1} bytes, not 512."},
    {Message::BootSectorUnsigned, "{0} is not a boot sector: its bytes 511 and 512 are not 55 AA."},
    {Message::DefaultMissing, "[boot loader] has no default= naming the line to start."},
    {Message::DefaultNamesNoLine, "default={0} names no line of [operating systems]."},
    {Message::DefaultBoots, "default= names the line \"{0}\", which boots."},
    {Message::DefaultFails, "default= names the line \"{0}\", which does not boot."},
    {Message::DefaultCantBeChecked, "default= names the line \"{0}\", which can't be checked."},
    {Message::UnnamedInstallation, "Windows at {0}"},
    {Message::EveryInstallationStarted, "Every Windows installation found is started by a line."},
    {Message::InstallationsNotStarted, "Started by no line: {0}. Rebuild adds a line for each."},
    {Message::RepairWouldWrite, "Repair writes: {0}"},
    {Message::RebuildWouldAdd, "Rebuild adds: {0}"},
    {Message::NoBootLines, "[operating systems] lists no boot line."},
};

constexpr bool EveryMessageInItsPlace() {
    if (sizeof kTexts / sizeof kTexts[0] != static_cast<size_t>(Message::Count))
        return false;
    for (size_t i = 0; i < static_cast<size_t>(Message::Count); ++i) {
        if (kTexts[i].message != static_cast<Message>(i))
            return false;
    }
    return true;
}
static_assert(EveryMessageInItsPlace(), "one text for every message, in the order of Message");

}  // namespace

const char* TextOf(Message message) {
    return kTexts[static_cast<size_t>(message)].text;
}

}  // namespace bootcheck
