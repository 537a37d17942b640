// What Tarnwick knows about one disk: its partition table's kind, the MBR disk signature and the
// partitions as the Windows boot loader numbers them (partition(n) of an ARC path). A plain record
// with no operating-system types in it, so the boot path check and both programs can share it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace disk {

enum class LabelType {
    kNone,  // no partition table: the whole image is one file system (or nothing known)
    kMbr,
    kGpt,
};

// One partition, numbered as the boot loader counts it.
struct Partition {
    unsigned number = 0;      // n of partition(n), from 1
    unsigned typeCode = 0;    // the MBR type byte (0x07, 0x0C, ...); 0 on GPT and without table
    std::string typeGuid;     // the GPT partition type, upper-case text; empty elsewhere
    bool logical = false;     // a logical drive of an extended partition
    std::uint64_t start = 0;  // first byte in the disk's raw view
    std::uint64_t size = 0;   // length in bytes
    std::string fileSystem;   // libblkid's name ("ntfs", "vfat", ...); empty when none found
    std::string fileSystemVersion;  // "FAT16", "FAT32", ... where the prober tells; may be empty
    std::string label;              // the volume label; may be empty
    bool pastEndOfDisk = false;     // the table says it runs past the end of the image (truncated)
};

struct DiskLayout {
    LabelType labelType = LabelType::kNone;
    std::uint32_t signature = 0;  // the MBR disk signature of signature(XXXXXXXX); 0 elsewhere
    std::uint64_t size = 0;       // bytes of the raw view
    std::uint32_t sectorSize = 512;
    std::vector<Partition> partitions;  // in partition(n) order
    // Things a careful user should hear about (a table entry past the end, a chain cut short).
    std::vector<std::string> warnings;

    // The boot loader that reads BOOT.INI starts Windows from MBR disks only.
    bool BootableByLoader() const { return labelType != LabelType::kGpt; }
    // Null when partition(number) does not exist.
    const Partition* Find(unsigned number) const;
};

// "MBR", "GPT", "no partition table".
const char* LabelTypeName(LabelType type);

// A size in the units people read: "512 bytes", "16.0 MiB", "4.0 GiB".
std::string FormatSize(std::uint64_t bytes);

}  // namespace disk
