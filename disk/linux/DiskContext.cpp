#include "disk/linux/DiskContext.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <linux/fs.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "disk/linux/PartitionReader.h"

namespace disk {

namespace {

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

bool ReadAt(int fd, std::uint64_t offset, std::size_t length, std::string& bytes) {
    bytes.assign(length, '\0');
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got =
            pread(fd, &bytes[done], length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return done == length;
}

}  // namespace

DiskStatus DiskContext::Open(const std::string& path, const DiskOpenOptions& options) {
    Close();
    path_ = path;
    DiskStatus status = OpenChecked(options);
    if (!status.Ok()) {
        Close();
        path_ = path;
        return status;
    }
    for (std::string& warning : earlyWarnings_)
        layout_.warnings.insert(layout_.warnings.begin(), std::move(warning));
    earlyWarnings_.clear();
    open_ = true;
    return status;
}

DiskStatus DiskContext::Refuse(DiskStatus status, bool onlyWarn) {
    if (status.Ok() || !onlyWarn)
        return status;
    earlyWarnings_.push_back(status.message);
    return DiskStatus::Success();
}

DiskStatus DiskContext::OpenChecked(const DiskOpenOptions& options) {
    struct stat info;
    if (stat(path_.c_str(), &info) != 0)
        return DiskStatus::Failure(DiskError::kCannotOpen, Quoted(path_) + " can't be opened: " +
                                                               std::strerror(errno) + ".");
    if (S_ISDIR(info.st_mode))
        return DiskStatus::Failure(DiskError::kNotADisk,
                                   Quoted(path_) + " is a folder, not a disk or an image.");
    blockDevice_ = S_ISBLK(info.st_mode);
    if (!blockDevice_ && !S_ISREG(info.st_mode))
        return DiskStatus::Failure(DiskError::kNotADisk,
                                   Quoted(path_) + " is neither a disk image nor a block device.");

    // Read-write when asked and allowed; a block device exclusively, so the kernel refuses it
    // while anything of its own (a mount, RAID, LVM) uses it.
    bool readOnly = options.readOnly;
    if (!readOnly) {
        const int flags = O_RDWR | O_CLOEXEC | O_NOCTTY | (blockDevice_ ? O_EXCL : 0);
        fd_ = open(path_.c_str(), flags);
        if (fd_ < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
            readOnlyReason_ =
                errno == EROFS ? "it is on a read-only file system" : "you may not write to it";
            readOnly = true;
        } else if (fd_ < 0 && errno == EBUSY) {
            // The mount table names the mount point; the kernel's refusal stands for what it
            // does not show (RAID, LVM, a swap partition).
            DiskStatus mounted = CheckKernelUse(path_, info, options.tables);
            if (!mounted.Ok())
                return mounted;
            return DiskStatus::Failure(DiskError::kMounted,
                                       Quoted(path_) +
                                           " is in use by the kernel (mounted, swap, "
                                           "RAID or LVM): it can't be written now.");
        } else if (fd_ < 0) {
            return DiskStatus::Failure(
                DiskError::kCannotOpen,
                Quoted(path_) + " can't be opened: " + std::strerror(errno) + ".");
        }
    }
    if (readOnly) {
        fd_ = open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0)
            return DiskStatus::Failure(
                DiskError::kCannotOpen,
                Quoted(path_) + " can't be opened: " + std::strerror(errno) + ".");
    }

    if (options.lock) {
        DiskStatus locked = lock_.Take(path_, path_, !readOnly);
        if (!locked.Ok())
            return locked;
    }
    const bool onlyWarn = options.readOnly;
    DiskStatus status = Refuse(CheckKernelUse(path_, info, options.tables), onlyWarn);
    if (status.Ok())
        status = Refuse(CheckOtherUsers(fd_, path_, info, options.tables), onlyWarn);
    if (!status.Ok())
        return status;

    std::uint64_t fileSize = static_cast<std::uint64_t>(info.st_size);
    if (blockDevice_ && ioctl(fd_, BLKGETSIZE64, &fileSize) != 0)
        return DiskStatus::Failure(
            DiskError::kCannotOpen,
            Quoted(path_) + ": its size can't be read: " + std::strerror(errno) + ".");
    std::string head, tail;
    ReadAt(fd_, 0, static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kImageHeadBytes)),
           head);
    if (!blockDevice_ && fileSize >= kVhdFooterBytes)
        ReadAt(fd_, fileSize - kVhdFooterBytes, kVhdFooterBytes, tail);
    format_ = blockDevice_ ? ImageFormat::kRaw : DetectImageFormat(head, tail);

    view_.readOnly = readOnly;
    int viewFd = fd_;
    if (format_ == ImageFormat::kDifferencingVhd)
        return DiskStatus::Failure(DiskError::kUnsupportedFormat,
                                   Quoted(path_) +
                                       " is a differencing VHD, which holds only the changes to "
                                       "another image: open the image it is based on, or merge "
                                       "the two first (qemu-img convert).");
    if (const char* driver = QemuDriverFor(format_)) {
        status = qemu_.Start(path_, driver, ImageFormatName(format_), readOnly, options.programs);
        if (!status.Ok()) {
            status.message = Quoted(path_) + ": " + status.message;
            return status;
        }
        view_.path = qemu_.ViewPath();
        view_.size = qemu_.Size();
        viewFd = open(view_.path.c_str(), O_RDONLY | O_CLOEXEC);
        if (viewFd < 0)
            return DiskStatus::Failure(DiskError::kContainerFailed,
                                       Quoted(path_) +
                                           ": QEMU's view of the image can't be "
                                           "read: " +
                                           std::strerror(errno) + ".");
    } else {
        view_.path = path_;
        view_.size = format_ == ImageFormat::kFixedVhd ? fileSize - kVhdFooterBytes : fileSize;
        if (lock_.Held() && !readOnly && !lock_.KeepVirtualMachinesOff())
            return DiskStatus::Failure(DiskError::kInUseByVm,
                                       Quoted(path_) +
                                           " was just opened by a virtual machine. "
                                           "Shut the machine down first.");
    }

    status = ReadPartitions(viewFd, view_.size, layout_);
    if (viewFd != fd_)
        close(viewFd);
    if (!status.Ok())
        status.message = Quoted(path_) + ": " + status.message;
    return status;
}

bool DiskContext::Close() {
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    const bool clean = qemu_.Stop();
    lock_.Release();
    open_ = false;
    path_.clear();
    format_ = ImageFormat::kRaw;
    blockDevice_ = false;
    view_ = RawView();
    layout_ = DiskLayout();
    readOnlyReason_.clear();
    earlyWarnings_.clear();
    return clean;
}

}  // namespace disk
