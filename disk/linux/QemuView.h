// A container image (qcow2, VDI, VMDK, dynamic VHD, VHDX) shown as a raw disk file: Tarnwick
// starts QEMU's storage daemon with a FUSE export of the image onto an empty file in a private
// temporary folder, reads and writes that file as it would a raw image, and stops the daemon
// when it is done. No root, no kernel module beyond FUSE.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "disk/DiskStatus.h"

namespace disk {

// The programs used, by name (searched on PATH) or path; tests may point them elsewhere.
struct QemuPrograms {
    std::string storageDaemon = "qemu-storage-daemon";
    std::string fusermount = "fusermount3";
    std::string fuseDevice = "/dev/fuse";
    int startTimeoutMs = 15000;
};

class QemuView {
public:
    QemuView() = default;
    QemuView(const QemuView&) = delete;
    QemuView& operator=(const QemuView&) = delete;
    ~QemuView() { Stop(); }

    // Starts the daemon on image with the QEMU driver (qcow2, vdi, ...) and waits until the view
    // is mounted. formatName is the format as users know it, for messages. Fails with
    // kMissingProgram (the message names the program and its Debian package, or FUSE) or
    // kContainerFailed (QEMU's own words on why it could not open the image); nothing is left
    // running then.
    DiskStatus Start(const std::string& image, const char* driver, const char* formatName,
                     bool readOnly, const QemuPrograms& programs = QemuPrograms());

    // Stops the daemon (it unmounts the view and flushes the image), waits for it, and removes
    // the temporary folder. False when the daemon had to be killed. Should Tarnwick die instead,
    // its guardian process does the same.
    bool Stop();

    bool Running() const { return pid_ > 0; }
    const std::string& ViewPath() const { return viewPath_; }
    std::uint64_t Size() const { return size_; }

private:
    pid_t pid_ = -1;
    std::string folder_;
    std::string viewPath_;
    std::uint64_t size_ = 0;
    std::string fusermount_;
};

// QEMU's option syntax: a comma inside a value is written twice.
std::string EscapeQemuOptionValue(const std::string& value);

}  // namespace disk
