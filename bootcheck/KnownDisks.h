// What the boot path check knows of the machine: its disks in BIOS order (rdisk(0) first), each
// with its label type and MBR signature, and the partitions numbered as partition(n) counts them,
// each with its file system and a way to read its files. Whoever opens images, devices or the
// running system fills this in; the check itself does no input or output of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bootcheck {

struct FolderEntry {
    std::string name;
    bool isFolder = false;
};

// The files of one partition's file system. Paths are relative to its root, separated by "\"
// ("WINDOWS\system32\hal.dll"; "" is the root), and match names without regard to letter case.
class IPartitionFiles {
public:
    virtual ~IPartitionFiles() = default;
    // A file or a folder of that name exists.
    virtual bool Exists(const std::string& path) const = 0;
    // The whole file, or nothing when it is missing, a folder, or can't be read.
    virtual std::optional<std::string> ReadFile(const std::string& path) const = 0;
    // The entries of a folder (without "." and ".."), or nothing when it is missing.
    virtual std::optional<std::vector<FolderEntry>> ListFolder(const std::string& path) const = 0;
};

struct KnownPartition {
    unsigned long number = 0;                      // partition(n)
    std::string fileSystem;                        // "NTFS", "FAT32", ...; empty when not known
    std::shared_ptr<const IPartitionFiles> files;  // null when the file system can't be read
};

enum class LabelType { Mbr, Gpt, None };

struct KnownDisk {
    std::string name;  // as the user gave it: an image file, a device
    LabelType label = LabelType::Mbr;
    uint32_t signature = 0;      // the MBR disk signature
    bool signatureKnown = true;  // false where the disk's first sector couldn't be read
    std::vector<KnownPartition> partitions;

    const KnownPartition* Partition(unsigned long number) const {
        for (const KnownPartition& partition : partitions) {
            if (partition.number == number)
                return &partition;
        }
        return nullptr;
    }
};

// A partition of the known disks: the index of its disk in the list and its number.
struct PartitionRef {
    size_t disk = 0;
    unsigned long partition = 0;
    friend bool operator==(const PartitionRef& a, const PartitionRef& b) {
        return a.disk == b.disk && a.partition == b.partition;
    }
};

struct Machine {
    std::vector<KnownDisk> disks;
    // The partition that holds BOOT.INI, which the loader calls C:; not always known.
    std::optional<PartitionRef> systemPartition;

    const KnownPartition* Find(const PartitionRef& ref) const {
        return ref.disk < disks.size() ? disks[ref.disk].Partition(ref.partition) : nullptr;
    }
};

}  // namespace bootcheck
