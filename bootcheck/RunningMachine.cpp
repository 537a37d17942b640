#include "bootcheck/RunningMachine.h"

#include <map>

#include "bootcheck/Text.h"

namespace bootcheck {

void ReadLabel(const std::string& sector, KnownDisk& disk) {
    auto byte = [&](size_t at) { return static_cast<unsigned char>(sector[at]); };
    if (sector.size() < 512 || byte(510) != 0x55 || byte(511) != 0xAA) {
        disk.label = LabelType::None;
        return;
    }
    disk.label = LabelType::Mbr;
    for (size_t entry = 0; entry < 4; ++entry) {
        if (byte(446 + entry * 16 + 4) == 0xEE)
            disk.label = LabelType::Gpt;
    }
    disk.signature = static_cast<uint32_t>(byte(440)) | static_cast<uint32_t>(byte(441)) << 8 |
                     static_cast<uint32_t>(byte(442)) << 16 |
                     static_cast<uint32_t>(byte(443)) << 24;
    disk.signatureKnown = true;
}

Machine MachineFromArcNames(const std::vector<ArcNameLink>& links, const DeviceAccess& access) {
    // rdisk -> partition number -> device
    std::map<unsigned long, std::map<unsigned long, std::string>> found;
    for (const ArcNameLink& link : links) {
        std::optional<ArcPath> path = ParseArcPath(link.arcName);
        if (!path || path->form != ArcForm::Multi || path->adapter != 0 ||
            !path->systemRoot.empty() || path->partition == 0)
            continue;
        found[path->rdisk][path->partition] = link.device;
    }
    Machine machine;
    if (found.empty())
        return machine;
    machine.disks.resize(found.rbegin()->first + 1);
    for (size_t index = 0; index < machine.disks.size(); ++index) {
        KnownDisk& disk = machine.disks[index];
        disk.name = "rdisk(" + std::to_string(index) + ")";
        disk.signatureKnown = false;
        auto partitions = found.find(index);
        if (partitions == found.end())
            continue;
        for (const auto& [number, device] : partitions->second) {
            OpenedPartition opened = access.openPartition(device);
            disk.partitions.push_back({number, opened.fileSystem, opened.files});
            if (!disk.signatureKnown) {
                std::optional<HarddiskPartition> harddisk = ParseHarddiskDevice(device);
                std::optional<std::string> sector;
                if (harddisk)
                    sector = access.readFirstSector(
                        "\\Device\\Harddisk" + std::to_string(harddisk->disk) + "\\Partition0");
                if (sector)
                    ReadLabel(*sector, disk);
            }
        }
    }
    for (const KnownPartition& partition : machine.disks[0].partitions) {
        if (partition.files && partition.files->Exists("BOOT.INI")) {
            machine.systemPartition = PartitionRef{0, partition.number};
            break;
        }
    }
    return machine;
}

}  // namespace bootcheck
