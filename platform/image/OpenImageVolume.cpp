// Which file system a location holds is asked of libblkid (util-linux), which knows the boot
// sectors of FAT12/16/32 and NTFS; the file system is then opened through its own library.
#include <blkid/blkid.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/image/FatVolume.h"
#include "platform/image/ImageVolume.h"
#include "platform/image/NtfsVolume.h"

namespace {

struct Probed {
    std::string type;     // "vfat", "ntfs", ... or empty
    std::string version;  // "FAT16", ...
    std::string label;
};

std::string Value(blkid_probe probe, const char* name) {
    const char* value = nullptr;
    size_t length = 0;
    if (blkid_probe_lookup_value(probe, name, &value, &length) != 0 || !value)
        return std::string();
    return std::string(value, strnlen(value, length));
}

bool Probe(int descriptor, const VolumeLocation& where, Probed& probed, std::string& error) {
    std::unique_ptr<struct blkid_struct_probe, void (*)(blkid_probe)> probe(blkid_new_probe(),
                                                                            blkid_free_probe);
    if (!probe ||
        blkid_probe_set_device(probe.get(), descriptor, static_cast<blkid_loff_t>(where.offset),
                               static_cast<blkid_loff_t>(where.length)) != 0) {
        error = "The partition can't be read.";
        return false;
    }
    blkid_probe_enable_superblocks(probe.get(), 1);
    blkid_probe_set_superblocks_flags(
        probe.get(), BLKID_SUBLKS_TYPE | BLKID_SUBLKS_LABEL | BLKID_SUBLKS_VERSION);
    const int result = blkid_do_safeprobe(probe.get());
    if (result < 0) {
        error = result == -2 ? "The partition looks like more than one file system at once, so "
                               "Tarnwick does not touch it."
                             : "The partition can't be read.";
        return false;
    }
    if (result == 0) {
        probed.type = Value(probe.get(), "TYPE");
        probed.version = Value(probe.get(), "VERSION");
        probed.label = Value(probe.get(), "LABEL");
    }
    return true;
}

}  // namespace

std::unique_ptr<ImagePlatform> OpenImageVolume(const VolumeLocation& where, std::string& error) {
    error.clear();
    if (where.length == 0) {
        error = "The partition is empty.";
        return nullptr;
    }
    const int descriptor = open(where.rawPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        error = where.rawPath + " can't be opened: " + strerror(errno) + ".";
        return nullptr;
    }
    struct stat info;
    Probed probed;
    bool probedWell = fstat(descriptor, &info) == 0;
    if (probedWell && S_ISREG(info.st_mode) &&
        where.offset + where.length > static_cast<std::uint64_t>(info.st_size)) {
        close(descriptor);
        error = "The image ends before the partition does: it was cut short (truncated?).";
        return nullptr;
    }
    probedWell = probedWell && Probe(descriptor, where, probed, error);
    close(descriptor);
    if (!probedWell)
        return nullptr;
    if (!where.readOnly && access(where.rawPath.c_str(), W_OK) != 0) {
        error = where.rawPath + " can't be written (" + strerror(errno) +
                "): open it read-only to view BOOT.INI.";
        return nullptr;
    }

    std::unique_ptr<VolumeFiles> files;
    std::string viewOnlyReason;
    if (probed.type == "ntfs") {
        NtfsVolume::Refusal refusal;
        std::unique_ptr<NtfsVolume> ntfs = NtfsVolume::Open(
            where.rawPath, where.offset, where.length, where.readOnly, refusal, error);
        if (!ntfs)
            return nullptr;
        viewOnlyReason = ntfs->WriteRefusal();
        files = std::move(ntfs);
    } else if (probed.type == "vfat" || probed.type == "msdos") {
        const std::string name = probed.version.empty() ? std::string("FAT") : probed.version;
        files =
            FatVolume::Open(where.rawPath, where.offset, where.readOnly, name, probed.label, error);
        if (!files)
            return nullptr;
    } else {
        error = probed.type.empty()
                    ? "The partition holds no file system Tarnwick knows: it opens NTFS and FAT."
                    : "The partition holds a " + probed.type +
                          " file system; Tarnwick opens NTFS and FAT.";
        return nullptr;
    }
    auto platform =
        std::make_unique<ImagePlatform>(where, std::move(files), std::move(viewOnlyReason));
    if (!platform->RecoverInterruptedReplaces(error))
        return nullptr;
    return platform;
}
