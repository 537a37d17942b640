// Where a file's Windows attributes live when drive C: is a Linux folder.
//
// Windows keeps read-only (0x1), hidden (0x2), system (0x4) and archive (0x20) with each file.
// Linux file systems keep them in different places, so the POSIX platform asks a chain of stores:
// each store either answers for the file or says that it does not support the file's file system,
// and the platform then asks the next one. The last store of every chain is the owner-write-bit
// store below, which supports every file.
//
// Adding a store (PosixPlatform::AddAttributeStore) is the seam for file-system specific ones,
// e.g. the FAT attribute byte through FAT_IOCTL_GET_ATTRIBUTES / FAT_IOCTL_SET_ATTRIBUTES, or the
// NTFS attribute word in the extended attribute "system.ntfs_attrib_be". Such a store answers
// kUnsupported when the ioctl or attribute isn't there (ENOTTY, ENOTSUP, ENODATA), so the chain
// moves on, and kFailed only for a real failure of a file system that does keep attributes.
#pragma once

#include <string>

#include "framework/Types.h"

// The attribute bits a store deals in. FILE_ATTRIBUTE_NORMAL (0x80) is not one of them: the
// platform turns "no bits" into FILE_ATTRIBUTE_NORMAL on reading and drops it on writing.
constexpr DWORD kStoredAttributeBits =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x20 /* archive */;

class IAttributeStore {
public:
    enum class Result {
        kDone,         // answered (for Write: the bits the store keeps were set)
        kUnsupported,  // this file's file system has no such attributes; ask the next store
        kFailed,       // the file system keeps attributes, but reading or writing them failed
    };
    virtual ~IAttributeStore() = default;
    // The file's attribute bits (kStoredAttributeBits); the file exists.
    virtual Result Read(const std::string& hostPath, DWORD& attributes) = 0;
    // Sets the file's attributes to exactly these bits (those the store can't keep are dropped).
    virtual Result Write(const std::string& hostPath, DWORD attributes) = 0;
};

// The store of last resort: read-only is the absence of the owner's write permission bit; hidden,
// system and archive are not kept (writing them is not an error, reading gives them cleared).
// Folders are never read-only here: on Windows that bit does not stop writes into a folder.
class OwnerWriteBitAttributeStore : public IAttributeStore {
public:
    Result Read(const std::string& hostPath, DWORD& attributes) override;
    Result Write(const std::string& hostPath, DWORD attributes) override;
};
