// The machine a running Windows sees, built from its \ArcName links: every
// multi(0)disk(0)rdisk(z)partition(n) link is partition n of disk z, opened through the device it
// points at; each disk's first sector gives its signature and label type. The partition that
// holds BOOT.INI is the first one of rdisk(0) whose root has it, where the loader looks.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bootcheck/ArcNames.h"
#include "bootcheck/KnownDisks.h"

namespace bootcheck {

struct OpenedPartition {
    std::string fileSystem;
    std::shared_ptr<const IPartitionFiles> files;  // null when it can't be read
};

struct DeviceAccess {
    // A partition device ("\Device\Harddisk0\Partition1") opened for reading its files.
    std::function<OpenedPartition(const std::string& device)> openPartition;
    // The first sector of a whole disk device ("\Device\Harddisk0\Partition0").
    std::function<std::optional<std::string>(const std::string& device)> readFirstSector;
};

Machine MachineFromArcNames(const std::vector<ArcNameLink>& links, const DeviceAccess& access);

// What the first sector of a disk says: 55 AA at its end and a protective entry (0xEE) make a
// GPT disk, 55 AA alone an MBR disk whose signature is at byte 440; anything else has no table.
void ReadLabel(const std::string& firstSector, KnownDisk& disk);

}  // namespace bootcheck
