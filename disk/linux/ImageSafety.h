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

// The lock that keeps a second Tarnwick off an image or device: an OFD byte-range lock on the
// image file or device itself (never a file inside the partition), on one byte far past any
// data (kTarnwickLockByte). The system releases it when the process dies. It is not a flock():
// the editor's own lock on the same image (the image platform's LockExclusively) is a flock(),
// and two flock() locks of one process on two open files exclude each other. QEMU's OFD locks
// lie on bytes 100 to 299 and never meet this one.
class ImageLock {
public:
    ImageLock() = default;
    ImageLock(const ImageLock&) = delete;
    ImageLock& operator=(const ImageLock&) = delete;
    ~ImageLock() { Release(); }
    // exclusive: for writing (a write lock, which needs the image open for writing); else a
    // shared lock that other readers may hold too. kLockedByTarnwick when another Tarnwick holds
    // a lock that excludes this one, kCannotOpen when the path can't be opened to lock it.
    DiskStatus Take(const std::string& path, const std::string& shownName, bool exclusive);
    // After an exclusive Take, on an image Tarnwick writes itself (not through QEMU): takes the
    // locks QEMU takes for a writer that lets nobody else write, so a virtual machine started on
    // the image meanwhile fails with QEMU's "Failed to get "write" lock". False when they can't
    // be taken.
    bool KeepVirtualMachinesOff();
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

constexpr long long kTarnwickLockByte = 0x7ffffffffffffffeLL;
// QEMU's lock bytes (block/file-posix.c): base + the permission's bit for a permission held,
// unshared base + the bit for one that others may not have; writing is bit 1.
constexpr long long kQemuPermissionBase = 100;
constexpr long long kQemuUnsharedBase = 200;
constexpr long long kQemuWritePermission = 1;

// kMounted when the device, one of its partitions, or a loop device over the image is mounted
// (the message names the mount point); kLoopAttached when a loop device is attached to the image
// without a mount. info is the stat() of path.
DiskStatus CheckKernelUse(const std::string& shownName, const struct stat& info,
                          const SystemTables& tables);

// kInUseByVm when another process holds a byte-range lock on the open file fd below
// kTarnwickLockByte (QEMU takes OFD locks on every image it opens), or has the same file or
// device open for writing.
DiskStatus CheckOtherUsers(int fd, const std::string& shownName, const struct stat& info,
                           const SystemTables& tables);

}  // namespace disk
