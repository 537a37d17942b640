// Opening a path as a disk: a block device, a raw image of any name, a fixed VHD, or a container
// image (qcow2, VDI, sparse VMDK, dynamic VHD, VHDX) through QEMU's storage daemon. One context
// per disk, in the manner of libfdisk: Open() makes every check and reads the table, the other
// calls read what it found, Close() (or the destructor) stops what it started.
//
// After Open, everything reads one raw view: a path (the image, the device, or the FUSE file the
// daemon shows a container as), a size in bytes, and whether it may be written.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "disk/DiskLayout.h"
#include "disk/DiskStatus.h"
#include "disk/ImageFormat.h"
#include "disk/linux/ImageSafety.h"
#include "disk/linux/QemuView.h"

namespace disk {

struct RawView {
    std::string path;
    std::uint64_t size = 0;
    bool readOnly = false;
};

struct DiskOpenOptions {
    // Open for reading only (to check, not to edit). Mounts, loop devices and running virtual
    // machines are then told in warnings instead of refused.
    bool readOnly = false;
    // Take the image lock that keeps a second Tarnwick off (ImageLock): exclusive for writing,
    // shared for reading only. It is held until Close. An image written directly (not through
    // QEMU) is then also locked as QEMU locks its images, so no virtual machine starts on it.
    bool lock = true;
    SystemTables tables;
    QemuPrograms programs;
};

class DiskContext {
public:
    DiskContext() = default;
    DiskContext(const DiskContext&) = delete;
    DiskContext& operator=(const DiskContext&) = delete;
    ~DiskContext() { Close(); }

    // Opens path as a disk and reads its partition table. In this order: the path is opened
    // (read-write unless asked otherwise; read-only, with ReadOnlyReason() set, when the user
    // may not write it), locked, checked against the kernel's mounts and loop devices and
    // against other processes' locks and writers, its format told by its magic bytes, a
    // container's daemon started, the table and the file systems read.
    // Fails with kCannotOpen, kNotADisk, kLockedByTarnwick, kMounted, kLoopAttached, kInUseByVm,
    // kUnsupportedFormat, kMissingProgram, kContainerFailed or kDamagedTable, and the message
    // names the path; the context is then closed (nothing locked, nothing left running).
    DiskStatus Open(const std::string& path, const DiskOpenOptions& options = DiskOpenOptions());

    // Stops a container's daemon (which flushes the image), releases the lock. False when the
    // daemon had to be killed, so its last writes may be lost. Closing a closed context is fine.
    bool Close();

    bool IsOpen() const { return open_; }
    const std::string& Path() const { return path_; }
    ImageFormat Format() const { return format_; }
    bool IsBlockDevice() const { return blockDevice_; }
    const RawView& View() const { return view_; }
    const DiskLayout& Layout() const { return layout_; }
    // Why the disk opened for reading only although writing was asked for ("you may not write
    // to it", "it is on a read-only file system"); empty otherwise.
    const std::string& ReadOnlyReason() const { return readOnlyReason_; }

private:
    DiskStatus OpenChecked(const DiskOpenOptions& options);
    DiskStatus Refuse(DiskStatus status, bool onlyWarn);

    bool open_ = false;
    std::string path_;
    ImageFormat format_ = ImageFormat::kRaw;
    bool blockDevice_ = false;
    RawView view_;
    DiskLayout layout_;
    std::string readOnlyReason_;
    std::vector<std::string> earlyWarnings_;
    ImageLock lock_;
    QemuView qemu_;
    int fd_ = -1;
};

}  // namespace disk
