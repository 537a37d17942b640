// A partition inside a raw view (an image file, a device) as a libntfs-3g device of its own: its
// ntfs_device_operations add the partition's offset to every read and write and keep them inside
// its length, and flush the raw view only when something was written since the last flush.
#pragma once

#include <cstdint>
#include <string>

struct ntfs_device;

// Null when there is no memory; libntfs-3g opens it (read-only or read-write) when it mounts.
struct ntfs_device* AllocatePartitionDevice(const std::string& rawPath, std::uint64_t offset,
                                            std::uint64_t length);
// For a device that was never mounted.
void FreePartitionDevice(struct ntfs_device* device);
// For a device that ntfs_umount freed: the range it kept in d_private.
void FreePartitionRange(void* range);
