// The partition table through libfdisk, the file systems through libblkid.
//
// Two places where the libraries' view differs from the boot loader's, both handled here:
// - A sector 0 that is a FAT or NTFS boot sector (an image of one partition) carries the 0x55AA
//   mark of an MBR, and libfdisk takes it for an empty DOS table. libblkid's probe, which checks
//   for that case, decides first whether the image has a table at all.
// - libfdisk treats a Linux extended entry (0x85) as a container like 0x05 and 0x0F and follows
//   only the first extended entry of the table. Windows sees no logical drives in a 0x85. When the
//   table holds more than one extended entry, the logical drives come from libblkid instead,
//   which follows every chain and tells each drive's container.
#include "disk/linux/PartitionReader.h"

#include <blkid/blkid.h>
#include <libfdisk/libfdisk.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "disk/PartitionNumbering.h"

namespace disk {

namespace {

constexpr std::uint64_t kSector = 512;

struct ProbeDeleter {
    void operator()(blkid_struct_probe* probe) const { blkid_free_probe(probe); }
};
using Probe = std::unique_ptr<blkid_struct_probe, ProbeDeleter>;

struct ContextDeleter {
    void operator()(fdisk_context* context) const { fdisk_unref_context(context); }
};
struct TableDeleter {
    void operator()(fdisk_table* table) const { fdisk_unref_table(table); }
};

// Any entry that libfdisk and libblkid follow as a chain of logical drives.
bool IsExtended(unsigned typeCode) {
    return IsWindowsExtended(typeCode) || typeCode == kMbrLinuxExtended;
}

std::string Lookup(blkid_probe probe, const char* name) {
    const char* value = nullptr;
    std::size_t length = 0;
    if (blkid_probe_lookup_value(probe, name, &value, &length) != 0 || !value)
        return std::string();
    std::string text(value, length);
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

// The file system at [offset, offset + size) of the view; false when none was found.
bool ProbeFileSystem(int fd, std::uint64_t offset, std::uint64_t size, Partition& partition) {
    Probe probe(blkid_new_probe());
    if (!probe || size == 0 ||
        blkid_probe_set_device(probe.get(), fd, static_cast<blkid_loff_t>(offset),
                               static_cast<blkid_loff_t>(size)) != 0)
        return false;
    blkid_probe_enable_superblocks(probe.get(), 1);
    blkid_probe_set_superblocks_flags(probe.get(), BLKID_SUBLKS_TYPE | BLKID_SUBLKS_LABEL |
                                                       BLKID_SUBLKS_VERSION | BLKID_SUBLKS_USAGE);
    blkid_probe_enable_partitions(probe.get(), 0);
    if (blkid_do_safeprobe(probe.get()) != 0)
        return false;
    partition.fileSystem = Lookup(probe.get(), "TYPE");
    partition.fileSystemVersion = Lookup(probe.get(), "VERSION");
    partition.label = Lookup(probe.get(), "LABEL");
    return !partition.fileSystem.empty();
}

// True when libblkid finds a partition table at the start of the view (and not a file system
// whose boot sector looks like one).
bool HasPartitionTable(int fd, std::uint64_t viewSize) {
    Probe probe(blkid_new_probe());
    if (!probe ||
        blkid_probe_set_device(probe.get(), fd, 0, static_cast<blkid_loff_t>(viewSize)) != 0)
        return true;  // let libfdisk decide
    blkid_probe_enable_superblocks(probe.get(), 1);
    blkid_probe_set_superblocks_flags(probe.get(), BLKID_SUBLKS_TYPE | BLKID_SUBLKS_USAGE);
    blkid_probe_enable_partitions(probe.get(), 1);
    if (blkid_do_safeprobe(probe.get()) != 0)
        return true;
    if (!Lookup(probe.get(), "PTTYPE").empty())
        return true;
    return Lookup(probe.get(), "USAGE") != "filesystem";
}

// The logical drives of every extended chain in chain order, as libblkid reads them, each given
// the slot of the extended entry that holds it (libblkid does not link a drive to its container).
std::vector<MbrEntry> LogicalDrivesOfEveryChain(int fd, std::uint64_t viewSize,
                                                const std::vector<MbrEntry>& primaries) {
    std::vector<MbrEntry> logicals;
    Probe probe(blkid_new_probe());
    if (!probe ||
        blkid_probe_set_device(probe.get(), fd, 0, static_cast<blkid_loff_t>(viewSize)) != 0)
        return logicals;
    blkid_probe_enable_superblocks(probe.get(), 0);
    blkid_probe_enable_partitions(probe.get(), 1);
    blkid_partlist list = blkid_probe_get_partitions(probe.get());
    const int count = list ? blkid_partlist_numof_partitions(list) : 0;
    for (int i = 0; i < count; ++i) {
        blkid_partition partition = blkid_partlist_get_partition(list, i);
        if (!partition || !blkid_partition_is_logical(partition))
            continue;
        MbrEntry entry;
        entry.logical = true;
        entry.typeCode = static_cast<unsigned>(blkid_partition_get_type(partition));
        // libblkid counts in 512-byte sectors whatever the disk's sector size.
        entry.start = static_cast<std::uint64_t>(blkid_partition_get_start(partition)) * kSector;
        entry.size = static_cast<std::uint64_t>(blkid_partition_get_size(partition)) * kSector;
        bool contained = false;
        for (const MbrEntry& primary : primaries) {
            if (IsExtended(primary.typeCode) && entry.start >= primary.start &&
                entry.start - primary.start < primary.size) {
                entry.slot = primary.slot;
                contained = true;
                break;
            }
        }
        if (contained)
            logicals.push_back(entry);
    }
    return logicals;
}

// A chain that links back to an earlier EBR repeats its drives (libfdisk stops only at its
// limit of 60): keep each chain up to its first repeat.
bool CutLoopingChains(std::vector<MbrEntry>& entries) {
    std::vector<MbrEntry> kept;
    std::vector<unsigned> loopedSlots;
    for (const MbrEntry& entry : entries) {
        if (entry.logical) {
            if (std::find(loopedSlots.begin(), loopedSlots.end(), entry.slot) != loopedSlots.end())
                continue;
            const bool repeat =
                std::any_of(kept.begin(), kept.end(), [&entry](const MbrEntry& earlier) {
                    return earlier.logical && earlier.slot == entry.slot &&
                           earlier.start == entry.start;
                });
            if (repeat) {
                loopedSlots.push_back(entry.slot);
                continue;
            }
        }
        kept.push_back(entry);
    }
    entries.swap(kept);
    return !loopedSlots.empty();
}

// libfdisk tells what it finds odd through its dialog callback: keep the warnings, answer no
// questions (the context only reads).
int CollectWarning(fdisk_context*, fdisk_ask* ask, void* data) {
    auto* warnings = static_cast<std::vector<std::string>*>(data);
    const int type = fdisk_ask_get_type(ask);
    if (type == FDISK_ASKTYPE_WARN || type == FDISK_ASKTYPE_WARNX || type == FDISK_ASKTYPE_INFO) {
        const char* text = fdisk_ask_print_get_mesg(ask);
        if (text && *text && type != FDISK_ASKTYPE_INFO)
            warnings->push_back(text);
        return 0;
    }
    return -1;
}

// Warnings of libfdisk about what this reader handles itself.
void DropWarnings(std::vector<std::string>& warnings, const char* about) {
    std::vector<std::string> kept;
    for (std::string& warning : warnings) {
        if (warning.find(about) == std::string::npos)
            kept.push_back(std::move(warning));
    }
    warnings.swap(kept);
}

std::uint32_t ParseDiskId(const char* id) {
    if (!id)
        return 0;
    return static_cast<std::uint32_t>(std::strtoul(id, nullptr, 16));
}

}  // namespace

DiskStatus ReadPartitions(int fd, std::uint64_t viewSize, DiskLayout& layout) {
    layout = DiskLayout();
    layout.size = viewSize;
    if (viewSize < kSector)
        return DiskStatus::Failure(
            DiskError::kNotADisk,
            "it is " + FormatSize(viewSize) + " long: too small to be a disk or a partition.");

    if (!HasPartitionTable(fd, viewSize)) {
        layout.partitions = WholeDiskPartition(viewSize);
        ProbeFileSystem(fd, 0, viewSize, layout.partitions.front());
        return DiskStatus::Success();
    }

    std::unique_ptr<fdisk_context, ContextDeleter> context(fdisk_new_context());
    if (!context)
        return DiskStatus::Failure(DiskError::kDamagedTable, "out of memory reading the table.");
    fdisk_set_ask(context.get(), CollectWarning, &layout.warnings);
    if (fdisk_assign_device_by_fd(context.get(), fd, "disk", 1) != 0)
        return DiskStatus::Failure(DiskError::kDamagedTable, "its partition table can't be read.");
    layout.sectorSize = static_cast<std::uint32_t>(fdisk_get_sector_size(context.get()));
    const std::uint64_t sectorSize = layout.sectorSize;

    if (!fdisk_has_label(context.get())) {
        layout.partitions = WholeDiskPartition(viewSize);
        ProbeFileSystem(fd, 0, viewSize, layout.partitions.front());
        return DiskStatus::Success();
    }

    fdisk_table* rawTable = nullptr;
    if (fdisk_get_partitions(context.get(), &rawTable) != 0 || !rawTable)
        return DiskStatus::Failure(DiskError::kDamagedTable, "its partition table can't be read.");
    std::unique_ptr<fdisk_table, TableDeleter> table(rawTable);

    fdisk_iter* iterator = fdisk_new_iter(FDISK_ITER_FORWARD);
    fdisk_partition* entry = nullptr;
    if (fdisk_is_label(context.get(), DOS)) {
        layout.labelType = LabelType::kMbr;
        char* id = nullptr;
        if (fdisk_get_disklabel_id(context.get(), &id) == 0)
            layout.signature = ParseDiskId(id);
        std::free(id);
        std::vector<MbrEntry> entries;
        unsigned extendedEntries = 0;
        while (fdisk_table_next_partition(table.get(), iterator, &entry) == 0) {
            MbrEntry mbr;
            const std::size_t number = fdisk_partition_get_partno(entry);
            mbr.logical = fdisk_partition_is_nested(entry) != 0;
            mbr.slot = static_cast<unsigned>(number);
            if (mbr.logical) {
                std::size_t parent = 0;
                if (fdisk_partition_get_parent(entry, &parent) != 0)
                    continue;
                mbr.slot = static_cast<unsigned>(parent);
            }
            const fdisk_parttype* type = fdisk_partition_get_type(entry);
            mbr.typeCode = type ? fdisk_parttype_get_code(type) : 0;
            mbr.start = static_cast<std::uint64_t>(fdisk_partition_get_start(entry)) * sectorSize;
            mbr.size = static_cast<std::uint64_t>(fdisk_partition_get_size(entry)) * sectorSize;
            if (!mbr.logical &&
                (IsWindowsExtended(mbr.typeCode) || mbr.typeCode == kMbrLinuxExtended))
                ++extendedEntries;
            entries.push_back(mbr);
        }
        if (extendedEntries > 1) {
            std::vector<MbrEntry> primaries;
            for (const MbrEntry& mbr : entries) {
                if (!mbr.logical)
                    primaries.push_back(mbr);
            }
            std::vector<MbrEntry> logicals = LogicalDrivesOfEveryChain(fd, viewSize, primaries);
            primaries.insert(primaries.end(), logicals.begin(), logicals.end());
            entries.swap(primaries);
            DropWarnings(layout.warnings, "Ignoring extra extended");
        }
        if (CutLoopingChains(entries)) {
            // libfdisk's own words on this speak of saving the table, which Tarnwick never does.
            DropWarnings(layout.warnings, "Omitting partitions");
            layout.warnings.push_back(
                "The chain of logical drives loops back on itself: the table is damaged, and only "
                "the drives before the loop are listed.");
        }
        layout.partitions = NumberMbrPartitions(entries);
    } else if (fdisk_is_label(context.get(), GPT)) {
        layout.labelType = LabelType::kGpt;
        std::vector<GptEntry> entries;
        while (fdisk_table_next_partition(table.get(), iterator, &entry) == 0) {
            GptEntry gpt;
            const fdisk_parttype* type = fdisk_partition_get_type(entry);
            if (type && fdisk_parttype_get_string(type))
                gpt.typeGuid = fdisk_parttype_get_string(type);
            gpt.start = static_cast<std::uint64_t>(fdisk_partition_get_start(entry)) * sectorSize;
            gpt.size = static_cast<std::uint64_t>(fdisk_partition_get_size(entry)) * sectorSize;
            entries.push_back(gpt);
        }
        layout.partitions = NumberGptPartitions(entries);
        layout.warnings.push_back(
            "The disk has a GPT partition table: the boot loader of BOOT.INI starts Windows from "
            "MBR disks only.");
    } else {
        const fdisk_label* label = fdisk_get_label(context.get(), nullptr);
        layout.warnings.push_back(std::string("The disk has a ") +
                                  (label ? fdisk_label_get_name(label) : "foreign") +
                                  " partition table, which Windows does not read.");
    }
    fdisk_free_iter(iterator);

    for (Partition& partition : layout.partitions) {
        if (partition.start >= viewSize || partition.size > viewSize - partition.start) {
            partition.pastEndOfDisk = true;
            layout.warnings.push_back("partition(" + std::to_string(partition.number) +
                                      ") runs past the end of the disk (" + FormatSize(viewSize) +
                                      "): the image looks truncated.");
        }
        if (partition.start < viewSize)
            ProbeFileSystem(fd, partition.start,
                            std::min(partition.size, viewSize - partition.start), partition);
    }
    return DiskStatus::Success();
}

}  // namespace disk
