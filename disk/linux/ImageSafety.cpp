// What the kernel and other processes hold, read from the mount table, sysfs and /proc.
//
// A device is mounted when /proc/self/mountinfo names its MAJ:MIN, or that of one of its
// partitions (a partition's sysfs folder has a "partition" file and its parent's "dev" names the
// disk). An image file is attached to a loop device when /sys/block/loopN/loop/backing_file
// names a file with the same device and inode; that loop device may then be mounted itself.
// QEMU locks the bytes 100 and up and 200 and up of every image it opens with OFD locks, so any
// lock another process holds on the image, but Tarnwick's own byte, is taken as a running
// virtual machine's.
#include "disk/linux/ImageSafety.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <libmount/libmount.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace disk {

namespace {

std::string ReadFirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

std::string DeviceNumber(dev_t device) {
    return std::to_string(major(device)) + ":" + std::to_string(minor(device));
}

struct Mount {
    std::string device;  // MAJ:MIN
    std::string mountPoint;
};

// The mount table through libmount, which undoes the kernel's escapes (\040 for a space).
std::vector<Mount> ReadMounts(const std::string& mountInfo) {
    std::vector<Mount> mounts;
    libmnt_table* table = mnt_new_table_from_file(mountInfo.c_str());
    if (!table)
        return mounts;
    libmnt_iter* iterator = mnt_new_iter(MNT_ITER_FORWARD);
    libmnt_fs* fileSystem = nullptr;
    while (iterator && mnt_table_next_fs(table, iterator, &fileSystem) == 0) {
        const char* target = mnt_fs_get_target(fileSystem);
        mounts.push_back({DeviceNumber(mnt_fs_get_devno(fileSystem)), target ? target : ""});
    }
    mnt_free_iter(iterator);
    mnt_unref_table(table);
    return mounts;
}

// The mount point of the device MAJ:MIN or of one of its partitions; empty when none.
std::string FindMountOf(const std::string& device, const SystemTables& tables) {
    for (const Mount& mount : ReadMounts(tables.mountInfo)) {
        if (mount.device == device)
            return mount.mountPoint;
        const std::string folder = tables.sysDevBlock + "/" + mount.device;
        if (access((folder + "/partition").c_str(), F_OK) == 0 &&
            ReadFirstLine(folder + "/../dev") == device)
            return mount.mountPoint;
    }
    return std::string();
}

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

}  // namespace

DiskStatus ImageLock::Take(const std::string& path, const std::string& shownName, bool exclusive) {
    Release();
    const int fd = open(path.c_str(), (exclusive ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return DiskStatus::Failure(
            DiskError::kCannotOpen,
            Quoted(shownName) + " can't be opened: " + std::strerror(errno) + ".");
    struct flock lock;
    std::memset(&lock, 0, sizeof lock);
    lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kTarnwickLockByte;
    lock.l_len = 1;
    if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        const int error = errno;
        close(fd);
        if (error == EAGAIN || error == EACCES)
            return DiskStatus::Failure(
                DiskError::kLockedByTarnwick,
                Quoted(shownName) + " is open in another Tarnwick. Close that one first.");
        return DiskStatus::Failure(
            DiskError::kCannotOpen,
            Quoted(shownName) + " can't be locked: " + std::strerror(error) + ".");
    }
    fd_ = fd;
    return DiskStatus::Success();
}

bool ImageLock::KeepVirtualMachinesOff() {
    if (fd_ < 0)
        return false;
    for (long long byte :
         {kQemuPermissionBase + kQemuWritePermission, kQemuUnsharedBase + kQemuWritePermission}) {
        struct flock lock;
        std::memset(&lock, 0, sizeof lock);
        lock.l_type = F_RDLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = byte;
        lock.l_len = 1;
        if (fcntl(fd_, F_OFD_SETLK, &lock) != 0)
            return false;
    }
    return true;
}

void ImageLock::Release() {
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

DiskStatus CheckKernelUse(const std::string& shownName, const struct stat& info,
                          const SystemTables& tables) {
    const std::string corrupts =
        ": writing to it under a mounted file system would corrupt it. Unmount it first.";
    if (S_ISBLK(info.st_mode)) {
        const std::string mountPoint = FindMountOf(DeviceNumber(info.st_rdev), tables);
        if (!mountPoint.empty())
            return DiskStatus::Failure(
                DiskError::kMounted, Quoted(shownName) + " is mounted at " + mountPoint + corrupts);
        return DiskStatus::Success();
    }
    DIR* folder = opendir(tables.sysBlock.c_str());
    if (!folder)
        return DiskStatus::Success();
    // Every loop device over the image: one that is mounted says the most.
    DiskStatus attached;
    DiskStatus mounted;
    while (dirent* entry = readdir(folder)) {
        if (std::strncmp(entry->d_name, "loop", 4) != 0)
            continue;
        const std::string loop = tables.sysBlock + "/" + entry->d_name;
        std::string backing = ReadFirstLine(loop + "/loop/backing_file");
        struct stat backingInfo;
        if (backing.empty() || stat(backing.c_str(), &backingInfo) != 0 ||
            backingInfo.st_dev != info.st_dev || backingInfo.st_ino != info.st_ino)
            continue;
        const std::string device = std::string("/dev/") + entry->d_name;
        const std::string mountPoint = FindMountOf(ReadFirstLine(loop + "/dev"), tables);
        if (!mountPoint.empty() && mounted.Ok())
            mounted = DiskStatus::Failure(DiskError::kMounted, Quoted(shownName) +
                                                                   " is mounted at " + mountPoint +
                                                                   " through " + device + corrupts);
        else if (mountPoint.empty() && attached.Ok())
            attached = DiskStatus::Failure(
                DiskError::kLoopAttached,
                Quoted(shownName) + " is attached to the loop device " + device +
                    ": the kernel may write to it. Detach it first (losetup -d " + device + ").");
    }
    closedir(folder);
    return mounted.Ok() ? attached : mounted;
}

DiskStatus CheckOtherUsers(int fd, const std::string& shownName, const struct stat& info,
                           const SystemTables& tables) {
    struct flock query;
    std::memset(&query, 0, sizeof query);
    query.l_type = F_WRLCK;
    query.l_whence = SEEK_SET;
    query.l_len = kTarnwickLockByte;
    if (fcntl(fd, F_OFD_GETLK, &query) == 0 && query.l_type != F_UNLCK)
        return DiskStatus::Failure(DiskError::kInUseByVm,
                                   Quoted(shownName) +
                                       " is in use by a running virtual machine (it holds a lock "
                                       "on the image). Shut the machine down first.");

    // Another process with the same file or device open for writing.
    DIR* processes = opendir(tables.proc.c_str());
    if (!processes)
        return DiskStatus::Success();
    const std::string self = std::to_string(getpid());
    DiskStatus status;
    while (status.Ok()) {
        dirent* process = readdir(processes);
        if (!process)
            break;
        const std::string pid = process->d_name;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self)
            continue;
        const std::string base = tables.proc + "/" + pid;
        DIR* descriptors = opendir((base + "/fd").c_str());
        if (!descriptors)
            continue;
        while (dirent* descriptor = readdir(descriptors)) {
            if (descriptor->d_name[0] == '.')
                continue;
            struct stat target;
            if (stat((base + "/fd/" + descriptor->d_name).c_str(), &target) != 0)
                continue;
            const bool same = S_ISBLK(info.st_mode)
                                  ? S_ISBLK(target.st_mode) && target.st_rdev == info.st_rdev
                                  : target.st_dev == info.st_dev && target.st_ino == info.st_ino;
            if (!same)
                continue;
            std::ifstream fdinfo(base + "/fdinfo/" + descriptor->d_name);
            std::string key;
            unsigned long flags = 0;
            while (fdinfo >> key) {
                if (key == "flags:") {
                    fdinfo >> std::oct >> flags;
                    break;
                }
            }
            if ((flags & O_ACCMODE) == O_RDONLY)
                continue;
            status = DiskStatus::Failure(DiskError::kInUseByVm,
                                         Quoted(shownName) +
                                             " is open for writing in another "
                                             "program (" +
                                             ReadFirstLine(base + "/comm") + ", process " + pid +
                                             "), perhaps a running virtual machine. Close it "
                                             "first.");
            break;
        }
        closedir(descriptors);
    }
    closedir(processes);
    return status;
}

}  // namespace disk
