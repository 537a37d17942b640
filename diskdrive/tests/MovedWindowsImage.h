// The classic broken machine as disk images made at test time: a data partition was inserted
// before Windows, so the first boot line (and default=) still name partition(2) while XP is
// partition(3) now. The disk also holds a partition of a file system Tarnwick can't read, and a
// second disk carries the Windows 2000 that the last line names on rdisk(1). FAT16 throughout,
// made with sfdisk and mkfs.fat and filled with mtools; read back with mtools.
#pragma once

#include <string>

#include "disk/linux/tests/TestImages.h"

namespace disk::testing {

// The lines of the BOOT.INI on partition(1) of the first disk, CR LF after each.
extern const char kMovedWindowsBootIni[];

class MovedWindowsImage {
public:
    // Makes both disks in the folder; Problem() says what failed.
    explicit MovedWindowsImage(const ScratchFolder& folder);

    const std::string& Problem() const { return problem_; }
    // partition(1) BOOT.INI, (2) "DATA", (3) XP in \WINDOWS, (4) type 0x83 with no file system.
    const std::string& FirstDisk() const { return first_; }
    // partition(1) Windows 2000 in \WINNT.
    const std::string& SecondDisk() const { return second_; }

    // A file of a FAT partition of the first disk, through mtools ("BOOT.INI", "WINDOWS/x").
    bool ReadFile(unsigned partition, const std::string& path, std::string& bytes) const;
    bool PutFile(unsigned partition, const std::string& path, const std::string& bytes);

private:
    bool Put(const std::string& image, std::uint64_t startSector, const std::string& path,
             const std::string& bytes);

    const ScratchFolder& folder_;
    std::string first_;
    std::string second_;
    std::string problem_;
};

}  // namespace disk::testing
