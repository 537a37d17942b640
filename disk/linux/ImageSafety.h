// The checks made before anything on an image or device may be written: a lock that keeps a
// second Tarnwick off, and refusals for an image the kernel uses (mounted, or attached to a loop
// device) or that a running virtual machine or another program holds open for writing.
#pragma once

#include <sys/stat.h>

#include <string>

#include "disk/DiskStatus.h"

namespace disk {

// Where the kernel's tables are read: tests point these at fixtures of their own.
struct SystemTables {
    std::string mountInfo = "/proc/self/mountinfo";
    std::string sysBlock = "/sys/block";         // loopN/loop/backing_file, loopN/dev
    std::string sysDevBlock = "/sys/dev/block";  // MAJ:MIN/partition and MAJ:MIN/../dev
    std::string proc = "/proc";                  // PID/fd, PID/fdinfo, PID/comm
};

// An exclusive flock() on the image file or device itself, never a file inside the partition.
// The system releases it when the process dies. flock() locks belong to one open file, so a
// second lock on the same image in the same process is refused too.
class ImageLock {
public:
    ImageLock() = default;
    ImageLock(const ImageLock&) = delete;
    ImageLock& operator=(const ImageLock&) = delete;
    ~ImageLock() { Release(); }
    // kLockedByTarnwick when another Tarnwick holds it, kCannotOpen when the path can't be
    // opened to lock it.
    DiskStatus Take(const std::string& path, const std::string& shownName);
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// kMounted when the device, one of its partitions, or a loop device over the image is mounted
// (the message names the mount point); kLoopAttached when a loop device is attached to the image
// without a mount. info is the stat() of path.
DiskStatus CheckKernelUse(const std::string& shownName, const struct stat& info,
                          const SystemTables& tables);

// kInUseByVm when another process holds a byte-range lock on the open file fd (QEMU takes OFD
// locks on every image it opens), or has the same file or device open for writing.
DiskStatus CheckOtherUsers(int fd, const std::string& shownName, const struct stat& info,
                           const SystemTables& tables);

}  // namespace disk
