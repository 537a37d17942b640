// Reads the partition table of a disk's raw view with libfdisk and names the file system of each
// partition with libblkid, giving the partitions numbered as the boot loader counts them.
#pragma once

#include <cstdint>

#include "disk/DiskLayout.h"
#include "disk/DiskStatus.h"

namespace disk {

// fd: the raw view, open for reading; viewSize: its length in bytes (a fixed VHD's footer is
// past it). On success fills layout: label type, signature, numbered partitions with their file
// systems, and warnings for what looks damaged (an entry past the end, a chain cut short).
// Fails with kNotADisk for a view too small to hold a boot sector and kDamagedTable for a table
// libfdisk can't read; layout is then left empty.
DiskStatus ReadPartitions(int fd, std::uint64_t viewSize, DiskLayout& layout);

}  // namespace disk
