// Windows installations on the known disks: a folder at the root of a partition that holds
// system32\ntoskrnl.exe and system32\config\SYSTEM (the kernel and the hive it starts with).
// Setup always puts the system root at the top level of the partition, so that is where the scan
// looks.
#pragma once

#include <string>
#include <vector>

#include "bootcheck/KnownDisks.h"

namespace bootcheck {

struct Installation {
    PartitionRef where;
    std::string folder;  // relative to the partition's root, as the file system spells it
};

bool IsInstallation(const IPartitionFiles& files, const std::string& folder);

// Every installation on every readable partition, disk by disk, partitions and folders in order.
std::vector<Installation> FindInstallations(const Machine& machine);

// Where an installation is, as a rescuer reads it: "partition(2)\WINDOWS" on the disk fromDisk,
// "rdisk(1)partition(2)\WINDOWS" on another.
std::string Location(const Installation& installation, size_t fromDisk);

}  // namespace bootcheck
