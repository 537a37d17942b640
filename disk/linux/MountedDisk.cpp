#include "disk/linux/MountedDisk.h"

#include <libmount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

namespace disk {
namespace {

constexpr std::uint64_t kSysfsSectorSize = 512;  // sysfs counts in 512-byte sectors always

std::string Basename(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

std::string Parent(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

std::optional<std::uint64_t> Number(const std::optional<std::string>& text) {
    if (!text || text->empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text->c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return std::nullopt;
    return value;
}

struct MountEntry {
    dev_t device = 0;
    std::string fileSystem;
    std::string source;
};

std::optional<MountEntry> FindMount(const std::string& folder, const std::string& mountinfo,
                                    std::string& error) {
    std::unique_ptr<libmnt_table, decltype(&mnt_unref_table)> table(mnt_new_table(),
                                                                    &mnt_unref_table);
    std::string text = mountinfo;
    FILE* stream = fmemopen(text.data(), text.size(), "r");
    if (!table || !stream) {
        if (stream)
            std::fclose(stream);
        error = "the mount table can't be read";
        return std::nullopt;
    }
    const int parsed = mnt_table_parse_stream(table.get(), stream, "mountinfo");
    std::fclose(stream);
    if (parsed != 0) {
        error = "the mount table can't be read";
        return std::nullopt;
    }
    // The last mount on a folder is the one seen there.
    libmnt_fs* fs = mnt_table_find_target(table.get(), folder.c_str(), MNT_ITER_BACKWARD);
    if (!fs) {
        error = "it is not a mount point";
        return std::nullopt;
    }
    MountEntry entry;
    entry.device = mnt_fs_get_devno(fs);
    const char* type = mnt_fs_get_fstype(fs);
    const char* source = mnt_fs_get_source(fs);
    entry.fileSystem = type ? type : "";
    entry.source = source ? source : "";
    return entry;
}

}  // namespace

std::optional<MountedDisk> TraceMountedDisk(const std::string& folder, const MountFacts& facts,
                                            std::string& error) {
    const std::optional<MountEntry> mount = FindMount(folder, facts.mountinfo, error);
    if (!mount)
        return std::nullopt;
    dev_t device = mount->device;
    // ntfs-3g and other FUSE drivers of a block device show the device as their source only.
    if (major(device) == 0 && mount->fileSystem == "fuseblk") {
        if (std::optional<dev_t> node = facts.blockDeviceNumber(mount->source))
            device = *node;
    }
    if (major(device) == 0) {
        error = "its " + mount->fileSystem + " file system has no block device";
        return std::nullopt;
    }
    const std::string number = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    const std::optional<std::string> node = facts.resolveSysfs("/sys/dev/block/" + number);
    if (!node) {
        error = "block device " + number + " is not in /sys";
        return std::nullopt;
    }
    MountedDisk found;
    std::string diskNode = *node;
    if (facts.readSysfs(*node + "/partition")) {
        const std::optional<std::uint64_t> start = Number(facts.readSysfs(*node + "/start"));
        if (!start) {
            error = "the start of partition " + Basename(*node) + " is not in /sys";
            return std::nullopt;
        }
        found.partitionStart = *start * kSysfsSectorSize;
        diskNode = Parent(*node);
    } else {
        found.wholeDisk = true;
    }
    const std::string diskName = Basename(diskNode);
    found.diskPath = "/dev/" + diskName;
    // A loop device's own image is read where the user may read it; one attached at an offset
    // is not the whole disk, so the device stays.
    const std::optional<std::string> backing = facts.readSysfs(diskNode + "/loop/backing_file");
    const std::optional<std::uint64_t> offset = Number(facts.readSysfs(diskNode + "/loop/offset"));
    if (backing && !backing->empty() && (!offset || *offset == 0))
        found.diskPath = *backing;
    return found;
}

std::optional<MountedDisk> FindMountedDisk(const std::string& folder, std::string& error) {
    char* resolved = realpath(folder.c_str(), nullptr);
    if (!resolved) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    const std::string absolute = resolved;
    std::free(resolved);
    MountFacts facts;
    std::ifstream table("/proc/self/mountinfo");
    std::ostringstream text;
    text << table.rdbuf();
    facts.mountinfo = text.str();
    facts.readSysfs = [](const std::string& path) -> std::optional<std::string> {
        std::ifstream file(path);
        std::string line;
        if (!file || !std::getline(file, line))
            return file.is_open() ? std::optional<std::string>("") : std::nullopt;
        return line;
    };
    facts.resolveSysfs = [](const std::string& path) -> std::optional<std::string> {
        char* target = realpath(path.c_str(), nullptr);
        if (!target)
            return std::nullopt;
        std::string result = target;
        std::free(target);
        return result;
    };
    facts.blockDeviceNumber = [](const std::string& path) -> std::optional<dev_t> {
        struct stat info;
        if (stat(path.c_str(), &info) != 0 || !S_ISBLK(info.st_mode))
            return std::nullopt;
        return info.st_rdev;
    };
    return TraceMountedDisk(absolute, facts, error);
}

}  // namespace disk
