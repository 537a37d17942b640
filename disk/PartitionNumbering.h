// The boot loader's numbering of partitions, partition(n) of an ARC path, from the entries of a
// partition table as a reader (libfdisk) gives them.
//
// MBR: the primary partitions first, in the order of their table slots (not their order on the
// disk), leaving out empty slots (type 0) and extended entries (0x05, 0x0F); then the logical
// drives in the order of their extended chain. Windows does not treat a Linux extended entry
// (0x85) as a container: it counts as a primary partition and the logical drives inside it are
// not seen. GPT: the entries in table order (such a disk can hold data but can't be booted by
// this loader). No table: one partition, the whole disk.
#pragma once

#include <cstdint>
#include <vector>

#include "disk/DiskLayout.h"

namespace disk {

// One entry of an MBR table: a primary slot (0 to 3) or a logical drive.
struct MbrEntry {
    unsigned slot = 0;        // the primary slot; for a logical drive, the slot of its container
    bool logical = false;     // a logical drive, found in the chain of the extended slot above
    unsigned typeCode = 0;    // the type byte
    std::uint64_t start = 0;  // bytes
    std::uint64_t size = 0;   // bytes
};

constexpr unsigned kMbrEmpty = 0x00;
constexpr unsigned kMbrExtendedChs = 0x05;
constexpr unsigned kMbrExtendedLba = 0x0F;
constexpr unsigned kMbrLinuxExtended = 0x85;

// An extended entry the boot loader looks into (0x05, 0x0F; not 0x85).
bool IsWindowsExtended(unsigned typeCode);

// The numbered partitions of an MBR disk. Entries may come in any order: primaries are ordered by
// slot, logical drives keep their relative (chain) order and follow every primary. Logical drives
// whose container is not a Windows extended entry (a 0x85, or no entry at all) are left out.
std::vector<Partition> NumberMbrPartitions(const std::vector<MbrEntry>& entries);

// GPT entries as (start, size, type GUID), in table order.
struct GptEntry {
    std::uint64_t start = 0;
    std::uint64_t size = 0;
    std::string typeGuid;
};
std::vector<Partition> NumberGptPartitions(const std::vector<GptEntry>& entries);

// A disk without a partition table: partition(1) is the whole disk.
std::vector<Partition> WholeDiskPartition(std::uint64_t diskSize);

}  // namespace disk
