#include "disk/PartitionNumbering.h"

#include <algorithm>

namespace disk {

bool IsWindowsExtended(unsigned typeCode) {
    return typeCode == kMbrExtendedChs || typeCode == kMbrExtendedLba;
}

std::vector<Partition> NumberMbrPartitions(const std::vector<MbrEntry>& entries) {
    std::vector<MbrEntry> primaries;
    std::vector<MbrEntry> logicals;
    for (const MbrEntry& entry : entries)
        (entry.logical ? logicals : primaries).push_back(entry);
    std::stable_sort(primaries.begin(), primaries.end(),
                     [](const MbrEntry& a, const MbrEntry& b) { return a.slot < b.slot; });

    auto containerIsWindowsExtended = [&primaries](unsigned slot) {
        for (const MbrEntry& primary : primaries) {
            if (primary.slot == slot)
                return IsWindowsExtended(primary.typeCode);
        }
        return false;
    };

    std::vector<Partition> numbered;
    auto add = [&numbered](const MbrEntry& entry) {
        Partition partition;
        partition.number = static_cast<unsigned>(numbered.size() + 1);
        partition.typeCode = entry.typeCode;
        partition.logical = entry.logical;
        partition.start = entry.start;
        partition.size = entry.size;
        numbered.push_back(partition);
    };
    for (const MbrEntry& entry : primaries) {
        if (entry.typeCode != kMbrEmpty && !IsWindowsExtended(entry.typeCode))
            add(entry);
    }
    for (const MbrEntry& entry : logicals) {
        if (entry.typeCode != kMbrEmpty && !IsWindowsExtended(entry.typeCode) &&
            containerIsWindowsExtended(entry.slot))
            add(entry);
    }
    return numbered;
}

std::vector<Partition> NumberGptPartitions(const std::vector<GptEntry>& entries) {
    std::vector<Partition> numbered;
    for (const GptEntry& entry : entries) {
        Partition partition;
        partition.number = static_cast<unsigned>(numbered.size() + 1);
        partition.typeGuid = entry.typeGuid;
        partition.start = entry.start;
        partition.size = entry.size;
        numbered.push_back(partition);
    }
    return numbered;
}

std::vector<Partition> WholeDiskPartition(std::uint64_t diskSize) {
    Partition whole;
    whole.number = 1;
    whole.size = diskSize;
    return {whole};
}

}  // namespace disk
