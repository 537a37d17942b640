// The outcome of a call on a disk: what went wrong, as a code the caller can act on and a message
// in words a user understands, ready to show as it is. The library never prints.
#pragma once

#include <string>

namespace disk {

enum class DiskError {
    kNone,
    kCannotOpen,         // missing, or not even readable
    kNotADisk,           // a folder, a pipe, a character device, a file too small for a disk
    kUnsupportedFormat,  // a container Tarnwick does not open (a differencing VHD, ...)
    kMissingProgram,     // a container needs a program or facility the machine lacks
    kContainerFailed,    // QEMU could not open the container (damaged, or not what it seems)
    kLockedByTarnwick,   // another Tarnwick has this image or device open
    kMounted,            // the kernel has it (or one of its partitions) mounted
    kLoopAttached,       // the image is attached to a loop device
    kInUseByVm,          // a running virtual machine (or another program) holds it
    kDamagedTable,       // the partition table can't be read
};

struct DiskStatus {
    DiskError error = DiskError::kNone;
    std::string message;  // empty when error is kNone

    bool Ok() const { return error == DiskError::kNone; }
    static DiskStatus Success() { return {}; }
    static DiskStatus Failure(DiskError code, std::string text) { return {code, std::move(text)}; }
};

}  // namespace disk
