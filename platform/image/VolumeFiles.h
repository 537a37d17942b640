// One file system's operations inside a disk image, under the program's platform (ImagePlatform).
// No framework types here: libntfs-3g's headers, included beside this one, have a BOOL of their
// own.
//
// Paths are the volume's own: "/" for the root, "/WINDOWS/system32/hal.dll" with each component
// spelled as on disk (ImagePlatform finds them without regard to case). Every operation that
// writes is on the disk when it returns: a crash after it keeps what it did.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The DOS attribute bits kept in a file system's metadata: read-only, hidden, system, archive.
using VolumeAttributes = std::uint32_t;
constexpr VolumeAttributes kVolumeAttributeBits = 0x01 | 0x02 | 0x04 | 0x20;
// A symbolic link or a junction (NTFS), which the program never reads or writes through.
constexpr VolumeAttributes kVolumeReparsePoint = 0x400;

struct VolumeEntry {
    std::string name;
    bool folder = false;
    VolumeAttributes attributes = 0;  // kVolumeAttributeBits and kVolumeReparsePoint
};

class VolumeFiles {
public:
    virtual ~VolumeFiles() = default;

    virtual std::string FileSystemName() const = 0;
    virtual std::string Label() const = 0;
    // Set when the file system is open for reading only, with the reason; writes then refuse.
    virtual bool ReadOnly() const = 0;

    // The folder's entries without "." and ".." (nor a FAT volume label); false when it can't be
    // read.
    virtual bool List(const std::string& folder, std::vector<VolumeEntry>& entries) = 0;
    virtual bool Read(const std::string& path, std::string& bytes) = 0;
    // Creates the file, or overwrites an existing one, with exactly these bytes. The attributes
    // of an overwritten file may be lost: callers set them afterwards.
    virtual bool Write(const std::string& path, const std::string& bytes) = 0;
    // Sets kVolumeAttributeBits to exactly these.
    virtual bool SetAttributes(const std::string& path, VolumeAttributes attributes) = 0;
    // Gives a file a new name in the same folder; no entry may have that name.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // Whether two names lead to the same data (a rename cut short inside the file system leaves
    // both names); false when that can't be found out.
    virtual bool SameData(const std::string& a, const std::string& b, bool& same) = 0;
    // Removes one of two names of the same data and keeps the data; false where the file system
    // can't do that.
    virtual bool RemoveSecondName(const std::string& path) = 0;
};
