// Attribute stores for the file systems of Windows drives (AttributeStore.h describes the chain).
//
// - FAT (vfat, msdos): the attribute byte of the directory entry, through the ioctls
//   FAT_IOCTL_GET_ATTRIBUTES and FAT_IOCTL_SET_ATTRIBUTES. Changing the system bit needs the
//   CAP_LINUX_IMMUTABLE capability (root); the kernel refuses it otherwise, which is a failure.
// - NTFS (the ntfs3 kernel driver, or ntfs-3g through FUSE): the file's attribute word in the
//   extended attribute "system.ntfs_attrib_be", four bytes, most significant first. Both drivers
//   compute it on request and don't list it, so it is read by name.
// Each store first asks statfs for the file system's magic number and answers kUnsupported for
// any other file system, so the chain moves on to the next store.
#pragma once

#include <memory>

#include "platform/posix/AttributeStore.h"

class FatAttributeStore : public IAttributeStore {
public:
    Result Read(const std::string& hostPath, DWORD& attributes) override;
    Result Write(const std::string& hostPath, DWORD attributes) override;
};

class NtfsAttributeStore : public IAttributeStore {
public:
    Result Read(const std::string& hostPath, DWORD& attributes) override;
    Result Write(const std::string& hostPath, DWORD attributes) override;
};

// The four bytes of "system.ntfs_attrib_be" and the attribute word they hold.
DWORD NtfsAttributesFromBytes(const unsigned char bytes[4]);
void NtfsAttributesToBytes(DWORD attributes, unsigned char bytes[4]);
// The attribute word to store: the store's bits replaced by the wanted ones, the others kept.
DWORD MergeStoredAttributes(DWORD current, DWORD wanted);
