#include "platform/image/NtfsPartitionDevice.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/image/NtfsHeaders.h"

namespace {

// The partition as a device of its own: a byte range of the raw view.
struct PartitionRange {
    std::string rawPath;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    int descriptor = -1;
    s64 position = 0;
};

PartitionRange& RangeOf(struct ntfs_device* device) {
    return *static_cast<PartitionRange*>(device->d_private);
}

int RangeOpen(struct ntfs_device* device, int flags) {
    PartitionRange& range = RangeOf(device);
    range.descriptor = open(range.rawPath.c_str(), (flags & O_ACCMODE) | O_CLOEXEC);
    if (range.descriptor < 0)
        return -1;
    if ((flags & O_ACCMODE) == O_RDONLY)
        NDevSetReadOnly(device);
    NDevSetOpen(device);
    range.position = 0;
    return 0;
}

int RangeClose(struct ntfs_device* device) {
    PartitionRange& range = RangeOf(device);
    // Nothing written since the last flush: nothing to flush.
    const bool synced = !NDevDirty(device) || fsync(range.descriptor) == 0;
    const bool closed = close(range.descriptor) == 0;
    range.descriptor = -1;
    NDevClearOpen(device);
    return synced && closed ? 0 : -1;
}

// The part of [position, position + count) inside the partition.
s64 Clamp(const PartitionRange& range, s64 count, s64 position) {
    if (position < 0 || count < 0) {
        errno = EINVAL;
        return -1;
    }
    const auto length = static_cast<s64>(range.length);
    if (position >= length)
        return 0;
    return count < length - position ? count : length - position;
}

s64 RangePread(struct ntfs_device* device, void* buffer, s64 count, s64 position) {
    PartitionRange& range = RangeOf(device);
    const s64 allowed = Clamp(range, count, position);
    if (allowed <= 0)
        return allowed;
    return pread(range.descriptor, buffer, static_cast<size_t>(allowed),
                 static_cast<off_t>(range.offset + static_cast<std::uint64_t>(position)));
}

s64 RangePwrite(struct ntfs_device* device, const void* buffer, s64 count, s64 position) {
    PartitionRange& range = RangeOf(device);
    if (NDevReadOnly(device)) {
        errno = EROFS;
        return -1;
    }
    const s64 allowed = Clamp(range, count, position);
    if (allowed <= 0)
        return allowed;
    NDevSetDirty(device);
    return pwrite(range.descriptor, buffer, static_cast<size_t>(allowed),
                  static_cast<off_t>(range.offset + static_cast<std::uint64_t>(position)));
}

s64 RangeSeek(struct ntfs_device* device, s64 offset, int whence) {
    PartitionRange& range = RangeOf(device);
    s64 base = whence == SEEK_SET   ? 0
               : whence == SEEK_CUR ? range.position
                                    : static_cast<s64>(range.length);
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) {
        errno = EINVAL;
        return -1;
    }
    range.position = base + offset;
    return range.position;
}

s64 RangeRead(struct ntfs_device* device, void* buffer, s64 count) {
    PartitionRange& range = RangeOf(device);
    const s64 got = RangePread(device, buffer, count, range.position);
    if (got > 0)
        range.position += got;
    return got;
}

s64 RangeWrite(struct ntfs_device* device, const void* buffer, s64 count) {
    PartitionRange& range = RangeOf(device);
    const s64 put = RangePwrite(device, buffer, count, range.position);
    if (put > 0)
        range.position += put;
    return put;
}

int RangeSync(struct ntfs_device* device) {
    if (!NDevDirty(device))
        return 0;
    const int result = fsync(RangeOf(device).descriptor);
    if (result == 0)
        NDevClearDirty(device);
    return result;
}

int RangeStat(struct ntfs_device* device, struct stat* info) {
    PartitionRange& range = RangeOf(device);
    if (fstat(range.descriptor, info) != 0)
        return -1;
    info->st_size = static_cast<off_t>(range.length);
    return 0;
}

int RangeIoctl(struct ntfs_device* device, unsigned long request, void* argument) {
    if (request == BLKGETSIZE64) {
        *static_cast<std::uint64_t*>(argument) = RangeOf(device).length;
        return 0;
    }
    if (request == BLKSSZGET) {
        *static_cast<int*>(argument) = 512;
        return 0;
    }
    errno = ENOTTY;
    return -1;
}

struct ntfs_device_operations g_rangeOperations = {
    RangeOpen,  RangeClose,  RangeSeek, RangeRead, RangeWrite,
    RangePread, RangePwrite, RangeSync, RangeStat, RangeIoctl,
};

}  // namespace

struct ntfs_device* AllocatePartitionDevice(const std::string& rawPath, std::uint64_t offset,
                                            std::uint64_t length) {
    auto* range = new PartitionRange;
    range->rawPath = rawPath;
    range->offset = offset;
    range->length = length;
    struct ntfs_device* device = ntfs_device_alloc(rawPath.c_str(), 0, &g_rangeOperations, range);
    if (!device)
        delete range;
    return device;
}

void FreePartitionDevice(struct ntfs_device* device) {
    void* range = device->d_private;
    ntfs_device_free(device);
    FreePartitionRange(range);
}

void FreePartitionRange(void* range) {
    delete static_cast<PartitionRange*>(range);
}
