#include "platform/posix/DosAttributeStores.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace {

// ntfs3 reports this magic number; ntfs-3g runs through FUSE.
constexpr unsigned long kNtfsMagic = 0x5346544e;
constexpr unsigned long kFuseMagic = 0x65735546;
constexpr char kNtfsAttributeName[] = "system.ntfs_attrib_be";
constexpr DWORD kNormal = FILE_ATTRIBUTE_NORMAL;

bool FileSystemIs(const std::string& hostPath, unsigned long magic, bool& failed) {
    struct statfs info;
    failed = false;
    if (statfs(hostPath.c_str(), &info) != 0) {
        failed = true;
        return false;
    }
    return static_cast<unsigned long>(info.f_type) == magic;
}

bool IsNotStoredHere(int error) {
    return error == ENOTSUP || error == EOPNOTSUPP || error == ENODATA || error == ENOTTY;
}

// An open descriptor closed on every path.
struct Descriptor {
    int value;
    ~Descriptor() {
        if (value >= 0)
            close(value);
    }
};

}  // namespace

DWORD MergeStoredAttributes(DWORD current, DWORD wanted) {
    return (current & ~(kStoredAttributeBits | kNormal)) | (wanted & kStoredAttributeBits);
}

namespace {

// Opens a file of a FAT file system and reads its attribute byte.
IAttributeStore::Result ReadFatAttributes(const std::string& hostPath, Descriptor& file,
                                          std::uint32_t& value) {
    bool failed = false;
    if (!FileSystemIs(hostPath, MSDOS_SUPER_MAGIC, failed))
        return failed ? IAttributeStore::Result::kFailed : IAttributeStore::Result::kUnsupported;
    file.value = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (file.value < 0)
        return IAttributeStore::Result::kFailed;
    if (ioctl(file.value, FAT_IOCTL_GET_ATTRIBUTES, &value) != 0) {
        return IsNotStoredHere(errno) ? IAttributeStore::Result::kUnsupported
                                      : IAttributeStore::Result::kFailed;
    }
    return IAttributeStore::Result::kDone;
}

}  // namespace

IAttributeStore::Result FatAttributeStore::Read(const std::string& hostPath, DWORD& attributes) {
    Descriptor file{-1};
    std::uint32_t value = 0;
    const Result result = ReadFatAttributes(hostPath, file, value);
    if (result == Result::kDone)
        attributes = value & kStoredAttributeBits;
    return result;
}

IAttributeStore::Result FatAttributeStore::Write(const std::string& hostPath, DWORD attributes) {
    Descriptor file{-1};
    std::uint32_t value = 0;
    const Result result = ReadFatAttributes(hostPath, file, value);
    if (result != Result::kDone)
        return result;
    // The directory and volume bits stay as they are; the kernel refuses to change them.
    std::uint32_t wanted = MergeStoredAttributes(value, attributes);
    if (wanted == value)
        return Result::kDone;
    return ioctl(file.value, FAT_IOCTL_SET_ATTRIBUTES, &wanted) == 0 ? Result::kDone
                                                                     : Result::kFailed;
}

DWORD NtfsAttributesFromBytes(const unsigned char bytes[4]) {
    return (DWORD(bytes[0]) << 24) | (DWORD(bytes[1]) << 16) | (DWORD(bytes[2]) << 8) |
           DWORD(bytes[3]);
}

void NtfsAttributesToBytes(DWORD attributes, unsigned char bytes[4]) {
    bytes[0] = static_cast<unsigned char>(attributes >> 24);
    bytes[1] = static_cast<unsigned char>(attributes >> 16);
    bytes[2] = static_cast<unsigned char>(attributes >> 8);
    bytes[3] = static_cast<unsigned char>(attributes);
}

namespace {

IAttributeStore::Result ReadNtfsWord(const std::string& hostPath, DWORD& word) {
    bool failedNtfs = false;
    bool failedFuse = false;
    const bool ntfs = FileSystemIs(hostPath, kNtfsMagic, failedNtfs);
    const bool fuse = !ntfs && FileSystemIs(hostPath, kFuseMagic, failedFuse);
    if (failedNtfs || failedFuse)
        return IAttributeStore::Result::kFailed;
    if (!ntfs && !fuse)
        return IAttributeStore::Result::kUnsupported;
    unsigned char bytes[4];
    const ssize_t size = getxattr(hostPath.c_str(), kNtfsAttributeName, bytes, sizeof bytes);
    if (size < 0) {
        // A FUSE file system other than ntfs-3g has no such attribute.
        return IsNotStoredHere(errno) ? IAttributeStore::Result::kUnsupported
                                      : IAttributeStore::Result::kFailed;
    }
    if (size != sizeof bytes)
        return IAttributeStore::Result::kFailed;
    word = NtfsAttributesFromBytes(bytes);
    return IAttributeStore::Result::kDone;
}

}  // namespace

IAttributeStore::Result NtfsAttributeStore::Read(const std::string& hostPath, DWORD& attributes) {
    DWORD word = 0;
    const Result result = ReadNtfsWord(hostPath, word);
    if (result == Result::kDone)
        attributes = word & kStoredAttributeBits;
    return result;
}

IAttributeStore::Result NtfsAttributeStore::Write(const std::string& hostPath, DWORD attributes) {
    DWORD word = 0;
    const Result result = ReadNtfsWord(hostPath, word);
    if (result != Result::kDone)
        return result;
    DWORD wanted = MergeStoredAttributes(word, attributes);
    // NTFS marks a file without any other attribute as normal.
    if (wanted == 0)
        wanted = kNormal;
    if (wanted == word)
        return Result::kDone;
    unsigned char bytes[4];
    NtfsAttributesToBytes(wanted, bytes);
    return setxattr(hostPath.c_str(), kNtfsAttributeName, bytes, sizeof bytes, 0) == 0
               ? Result::kDone
               : Result::kFailed;
}
