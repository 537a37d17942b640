#include "bootcheck/Installations.h"

#include "bootcheck/Text.h"

namespace bootcheck {

bool IsInstallation(const IPartitionFiles& files, const std::string& folder) {
    return files.Exists(JoinPath(folder, "system32\\ntoskrnl.exe")) &&
           files.Exists(JoinPath(folder, "system32\\config\\SYSTEM"));
}

std::vector<Installation> FindInstallations(const Machine& machine) {
    std::vector<Installation> found;
    for (size_t disk = 0; disk < machine.disks.size(); ++disk) {
        for (const KnownPartition& partition : machine.disks[disk].partitions) {
            if (!partition.files)
                continue;
            auto entries = partition.files->ListFolder("");
            if (!entries)
                continue;
            for (const FolderEntry& entry : *entries) {
                if (entry.isFolder && IsInstallation(*partition.files, entry.name))
                    found.push_back({{disk, partition.number}, entry.name});
            }
        }
    }
    return found;
}

std::string Location(const Installation& installation, size_t fromDisk) {
    std::string text;
    if (installation.where.disk != fromDisk)
        text = "rdisk(" + std::to_string(installation.where.disk) + ")";
    return text + "partition(" + std::to_string(installation.where.partition) + ")\\" +
           installation.folder;
}

}  // namespace bootcheck
