// Every sentence the boot path check shows a rescuer, in one table (VerdictTexts.cpp), so that
// the words stay consistent and can be read and translated in one place. "{0}", "{1}", ... are
// filled by Fill() in Text.h.
#pragma once

namespace bootcheck {

enum class Message {
    Boots,
    BootSectorBoots,
    NotAnArcPath,
    AdapterNotKnown,
    ScsiLunNotKnown,
    DiskNotGiven,
    OneDiskGiven,
    DisksGiven,
    NoDiskGiven,
    SignatureMatchesNoDisk,
    SignatureOfOneDisk,
    SignaturesOfDisks,
    NoMbrDiskGiven,
    SignatureNotRead,
    GptDisk,
    NoPartitionTable,
    PartitionZero,
    PartitionMissing,
    NoPartitions,
    OnePartition,
    Partitions,
    FileSystemUnreadable,
    FileSystemNotKnown,
    NoSystemRoot,
    FolderMissing,
    KernelMissing,
    KernelSwitchFileMissing,
    HalMissing,
    HalSwitchFileMissing,
    WindowsFoundAt,
    DriveNotKnown,
    SystemPartitionNotKnown,
    SavedBootSectorMissing,
    BootSectorFileMissing,
    BootSectorTooShort,
    BootSectorUnsigned,
    DefaultMissing,
    DefaultNamesNoLine,
    DefaultBoots,
    DefaultFails,
    DefaultCantBeChecked,
    UnnamedInstallation,
    EveryInstallationStarted,
    InstallationsNotStarted,
    RepairWouldWrite,
    RebuildWouldAdd,
    NoBootLines,
    Count
};

const char* TextOf(Message message);

}  // namespace bootcheck
