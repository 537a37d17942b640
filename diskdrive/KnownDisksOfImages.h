// The boot path check's view of the disks the Linux program opened: each disk's label type,
// signature and partitions as partition(n) counts them, each NTFS or FAT partition opened for
// reading only so the check can look for Windows folders on it. A partition holding anything
// else is listed with its file system and no files, so its verdict says it can't be read.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bootcheck/KnownDisks.h"
#include "diskdrive/DiskDrive.h"

// The disk as the check knows it; name is the disk as the user named it.
bootcheck::KnownDisk KnownDiskOf(const disk::DiskContext& disk);

// The machine of the disks in BIOS order (rdisk(0) first); systemPartition is the partition of
// disks[0] whose BOOT.INI is edited, when one is.
bootcheck::Machine MachineOf(const std::vector<const disk::DiskContext*>& disks,
                             std::optional<unsigned long> systemPartition);

// The disks named on the command line, opened for reading only, kept open as long as the check
// may be run again (the editor's "Check Boot Paths..." asks each time).
class CheckedDisks {
public:
    // Opens every path; false with a message naming the path that failed.
    bool Open(const std::vector<std::string>& paths, std::string& error);
    // Takes a disk opened elsewhere (the editor's) as rdisk(0); the rest are opened here.
    bool Open(const disk::DiskContext& first, const std::vector<std::string>& others,
              std::string& error);
    // Opens the disk behind a folder that is a mounted partition as rdisk(0); systemPartition is
    // the partition mounted there (none when the file system fills the disk). False with why the
    // disk can't be read.
    bool OpenMounted(const std::string& folder, std::optional<unsigned long>& systemPartition,
                     std::string& error);

    const std::vector<const disk::DiskContext*>& Disks() const { return m_disks; }
    bootcheck::Machine Machine(std::optional<unsigned long> systemPartition) const {
        return MachineOf(m_disks, systemPartition);
    }

private:
    std::vector<std::unique_ptr<disk::DiskContext>> m_opened;
    std::vector<const disk::DiskContext*> m_disks;
};
