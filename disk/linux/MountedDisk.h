// Finding the disk behind a folder that is a mounted partition: the mount table (through
// libmount) gives the file system's device number, sysfs its parent disk and the partition's
// first sector, and a loop device's backing file the image behind it. The tracing itself reads
// only what a MountFacts gives it, so it runs on fixture text as well as on the live system.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace disk {

// What the tracing may ask of the system.
struct MountFacts {
    std::string mountinfo;  // the text of /proc/self/mountinfo
    // The content of a file under /sys (first line, without its newline); none when absent.
    std::function<std::optional<std::string>(const std::string& path)> readSysfs;
    // The target of a symbolic link under /sys, as an absolute path; none when absent.
    std::function<std::optional<std::string>(const std::string& path)> resolveSysfs;
    // The device number of a block device node (a FUSE mount's source); none when it isn't one.
    std::function<std::optional<dev_t>(const std::string& path)> blockDeviceNumber;
};

struct MountedDisk {
    std::string diskPath;  // the disk to open: a device or a loop device's backing image
    std::uint64_t partitionStart = 0;  // the mounted partition's first byte on that disk
    bool wholeDisk = false;            // the file system fills the device: no partition table
};

// The disk behind the mount point folder (an absolute path without symbolic links); none with
// a one-line reason ("it is not a mount point", ...) in error.
std::optional<MountedDisk> TraceMountedDisk(const std::string& folder, const MountFacts& facts,
                                            std::string& error);

// The same on this machine: the folder is made absolute and its links resolved first.
std::optional<MountedDisk> FindMountedDisk(const std::string& folder, std::string& error);

}  // namespace disk
