// Drive C: on a disk or an image named on the command line: the disk is opened (disk/linux/),
// each partition is looked at for a BOOT.INI in its root, and the one the user takes is opened
// as the program's platform (platform/image/). The texts the Linux program shows for the choice
// and for a disk where no partition holds a BOOT.INI are made here, so both are tested.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "disk/linux/DiskContext.h"
#include "platform/image/ImageVolume.h"

// One partition of the disk as the choice shows it.
struct DriveCandidate {
    disk::Partition partition;
    std::string fileSystemName;  // "FAT16", "NTFS", ...; the prober's name for others; may be empty
    std::string label;           // the volume label
    bool holdsBootIni = false;
    std::string problem;  // why it can't be a drive C: ("no file system found", ...); else empty
};

class DiskDrive {
public:
    // Opens path as a disk and looks at every partition (each opened for reading only). Fails as
    // DiskContext::Open does, with its message.
    disk::DiskStatus Open(const std::string& path,
                          const disk::DiskOpenOptions& options = disk::DiskOpenOptions());

    const disk::DiskContext& Disk() const { return m_disk; }
    const std::vector<DriveCandidate>& Candidates() const { return m_candidates; }
    // The indexes in Candidates() of the partitions whose root holds a BOOT.INI.
    std::vector<std::size_t> WithBootIni() const;

    // Opens the candidate as drive C:, for writing unless the disk opened read-only. Null with a
    // message on failure; the platform lives as long as this object, the disk's lock too.
    ImagePlatform* OpenDrive(std::size_t candidate, std::string& error);
    ImagePlatform* Drive() const { return m_platform.get(); }  // after OpenDrive

    // The lines the choice lists, one a partition holding a BOOT.INI:
    // "partition(3)  NTFS  "WINXP"  4.0 GiB".
    std::string Heading() const;  // "Partitions of disk.img that hold a BOOT.INI:"
    // Said when no partition holds a BOOT.INI: what the disk holds, partition by partition.
    std::string NothingToEditMessage() const;

private:
    disk::DiskContext m_disk;
    std::vector<DriveCandidate> m_candidates;
    std::unique_ptr<ImagePlatform> m_platform;
};

// "partition(3)  NTFS  "WINXP"  4.0 GiB" (no label part when there is none).
std::string DescribeCandidate(const DriveCandidate& candidate);

// Where the partition lies in the disk's raw view, for OpenImageVolume.
VolumeLocation LocationOf(const disk::DiskContext& disk, const disk::Partition& partition,
                          bool readOnly);
