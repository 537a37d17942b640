#include "diskdrive/DiskDrive.h"

#include <cstdio>

namespace {

// libblkid's names of the file systems that platform/image opens.
bool OpenableFileSystem(const std::string& prober) {
    return prober == "vfat" || prober == "ntfs";
}

std::string TypeText(const disk::Partition& partition) {
    if (partition.typeCode == 0)
        return std::string();
    char text[16];
    std::snprintf(text, sizeof text, "type 0x%02X", partition.typeCode);
    return text;
}

}  // namespace

VolumeLocation LocationOf(const disk::DiskContext& disk, const disk::Partition& partition,
                          bool readOnly) {
    VolumeLocation where;
    where.rawPath = disk.View().path;
    where.offset = partition.start;
    where.length = partition.size;
    where.readOnly = readOnly || disk.View().readOnly;
    where.lockPath = disk.Path();
    return where;
}

disk::DiskStatus DiskDrive::Open(const std::string& path, const disk::DiskOpenOptions& options) {
    m_platform.reset();
    m_candidates.clear();
    disk::DiskStatus status = m_disk.Open(path, options);
    if (!status.Ok())
        return status;
    for (const disk::Partition& partition : m_disk.Layout().partitions) {
        DriveCandidate candidate;
        candidate.partition = partition;
        candidate.fileSystemName = partition.fileSystemVersion.empty()
                                       ? partition.fileSystem
                                       : partition.fileSystemVersion;
        candidate.label = partition.label;
        if (partition.pastEndOfDisk) {
            candidate.problem = "runs past the end of the image";
        } else if (partition.fileSystem.empty()) {
            candidate.problem = "no file system found";
        } else if (!OpenableFileSystem(partition.fileSystem)) {
            candidate.problem = "not NTFS or FAT";
        } else {
            std::string error;
            std::unique_ptr<ImagePlatform> volume =
                OpenImageVolume(LocationOf(m_disk, partition, true), error);
            if (!volume) {
                candidate.problem = error;
            } else {
                candidate.fileSystemName = volume->FileSystemName();
                candidate.label = volume->VolumeLabel();
                candidate.holdsBootIni = volume->HoldsBootIni();
            }
        }
        m_candidates.push_back(candidate);
    }
    return status;
}

std::vector<std::size_t> DiskDrive::WithBootIni() const {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < m_candidates.size(); ++i) {
        if (m_candidates[i].holdsBootIni)
            found.push_back(i);
    }
    return found;
}

ImagePlatform* DiskDrive::OpenDrive(std::size_t candidate, std::string& error) {
    m_platform.reset();
    if (candidate >= m_candidates.size()) {
        error = "No such partition.";
        return nullptr;
    }
    const disk::Partition& partition = m_candidates[candidate].partition;
    m_platform = OpenImageVolume(LocationOf(m_disk, partition, false), error);
    if (!m_platform && !m_disk.View().readOnly) {
        // An NTFS volume that Windows left hibernated or unclean may not be written, but its
        // BOOT.INI may be shown: opened read-only, it says why it refuses writes.
        std::string ignored;
        std::unique_ptr<ImagePlatform> viewer =
            OpenImageVolume(LocationOf(m_disk, partition, true), ignored);
        if (viewer && viewer->RefusesWrites())
            m_platform = std::move(viewer);
    }
    return m_platform.get();
}

std::string DescribeCandidate(const DriveCandidate& candidate) {
    std::string text = "partition(" + std::to_string(candidate.partition.number) + ")";
    if (!candidate.fileSystemName.empty())
        text += "  " + candidate.fileSystemName;
    else if (!TypeText(candidate.partition).empty())
        text += "  " + TypeText(candidate.partition);
    if (!candidate.label.empty())
        text += "  \"" + candidate.label + "\"";
    return text + "  " + disk::FormatSize(candidate.partition.size);
}

std::string DiskDrive::Heading() const {
    return "Partitions of " + m_disk.Path() + " that hold a BOOT.INI:";
}

std::string DiskDrive::NothingToEditMessage() const {
    const disk::DiskLayout& layout = m_disk.Layout();
    std::string text = "No partition of " + m_disk.Path() + " holds a BOOT.INI in its root.\n";
    text += m_disk.Path() + ": " + disk::ImageFormatName(m_disk.Format()) + " image, " +
            disk::FormatSize(layout.size) + ", " + disk::LabelTypeName(layout.labelType);
    if (layout.labelType == disk::LabelType::kMbr) {
        char signature[32];
        std::snprintf(signature, sizeof signature, ", disk signature %08x", layout.signature);
        text += signature;
    }
    text += m_candidates.empty() ? ", no partitions.\n" : ":\n";
    for (const DriveCandidate& candidate : m_candidates)
        text += "  " + DescribeCandidate(candidate) + ": " +
                (candidate.problem.empty() ? "no BOOT.INI" : candidate.problem) + "\n";
    for (const std::string& warning : layout.warnings)
        text += warning + "\n";
    return text;
}
