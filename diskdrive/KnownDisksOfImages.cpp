#include "diskdrive/KnownDisksOfImages.h"

#include "disk/linux/MountedDisk.h"

namespace {

// A read-only NTFS or FAT volume: check paths ("WINDOWS\system32") are drive C: paths there.
class VolumePartitionFiles : public bootcheck::IPartitionFiles {
public:
    explicit VolumePartitionFiles(std::unique_ptr<ImagePlatform> volume)
        : m_volume(std::move(volume)) {}

    bool Exists(const std::string& path) const override {
        std::vector<VolumeFolderEntry> entries;
        return m_volume->FileExists(ProgramPath(path).c_str()) ||
               m_volume->ListFolder(ProgramPath(path), entries);
    }

    std::optional<std::string> ReadFile(const std::string& path) const override {
        std::string bytes;
        if (!m_volume->ReadWholeFile(ProgramPath(path).c_str(), bytes))
            return std::nullopt;
        return bytes;
    }

    std::optional<std::vector<bootcheck::FolderEntry>> ListFolder(
        const std::string& path) const override {
        std::vector<VolumeFolderEntry> listed;
        if (!m_volume->ListFolder(ProgramPath(path), listed))
            return std::nullopt;
        std::vector<bootcheck::FolderEntry> entries;
        for (const VolumeFolderEntry& entry : listed)
            entries.push_back({entry.name, entry.folder});
        return entries;
    }

    std::string FileSystemName() const { return m_volume->FileSystemName(); }

private:
    static std::string ProgramPath(const std::string& path) { return "C:\\" + path; }

    std::unique_ptr<ImagePlatform> m_volume;
};

bootcheck::LabelType LabelOf(disk::LabelType type) {
    switch (type) {
        case disk::LabelType::kMbr:
            return bootcheck::LabelType::Mbr;
        case disk::LabelType::kGpt:
            return bootcheck::LabelType::Gpt;
        case disk::LabelType::kNone:
            break;
    }
    return bootcheck::LabelType::None;
}

}  // namespace

bootcheck::KnownDisk KnownDiskOf(const disk::DiskContext& disk) {
    bootcheck::KnownDisk known;
    known.name = disk.Path();
    known.label = LabelOf(disk.Layout().labelType);
    known.signature = disk.Layout().signature;
    known.signatureKnown = disk.Layout().labelType == disk::LabelType::kMbr;
    for (const disk::Partition& partition : disk.Layout().partitions) {
        bootcheck::KnownPartition entry;
        entry.number = partition.number;
        entry.fileSystem = partition.fileSystemVersion.empty() ? partition.fileSystem
                                                               : partition.fileSystemVersion;
        if (!partition.pastEndOfDisk &&
            (partition.fileSystem == "vfat" || partition.fileSystem == "ntfs")) {
            std::string error;
            std::unique_ptr<ImagePlatform> volume =
                OpenImageVolume(LocationOf(disk, partition, true), error);
            if (volume) {
                auto files = std::make_shared<VolumePartitionFiles>(std::move(volume));
                entry.fileSystem = files->FileSystemName();
                entry.files = files;
            }
        }
        known.partitions.push_back(entry);
    }
    return known;
}

bootcheck::Machine MachineOf(const std::vector<const disk::DiskContext*>& disks,
                             std::optional<unsigned long> systemPartition) {
    bootcheck::Machine machine;
    for (const disk::DiskContext* disk : disks)
        machine.disks.push_back(KnownDiskOf(*disk));
    if (systemPartition && !machine.disks.empty())
        machine.systemPartition = bootcheck::PartitionRef{0, *systemPartition};
    return machine;
}

bool CheckedDisks::Open(const std::vector<std::string>& paths, std::string& error) {
    m_opened.clear();
    m_disks.clear();
    disk::DiskOpenOptions options;
    options.readOnly = true;
    for (const std::string& path : paths) {
        auto opened = std::make_unique<disk::DiskContext>();
        const disk::DiskStatus status = opened->Open(path, options);
        if (!status.Ok()) {
            error = status.message;
            return false;
        }
        m_disks.push_back(opened.get());
        m_opened.push_back(std::move(opened));
    }
    return true;
}

bool CheckedDisks::Open(const disk::DiskContext& first, const std::vector<std::string>& others,
                        std::string& error) {
    if (!Open(others, error))
        return false;
    m_disks.insert(m_disks.begin(), &first);
    return true;
}

bool CheckedDisks::OpenMounted(const std::string& folder,
                               std::optional<unsigned long>& systemPartition, std::string& error) {
    systemPartition.reset();
    const std::optional<disk::MountedDisk> mounted = disk::FindMountedDisk(folder, error);
    if (!mounted || !Open({mounted->diskPath}, error))
        return false;
    if (mounted->wholeDisk)
        return true;
    for (const disk::Partition& partition : m_disks.front()->Layout().partitions) {
        if (partition.start == mounted->partitionStart)
            systemPartition = partition.number;
    }
    return true;
}
