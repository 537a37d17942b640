// Disk images made at test time, without root: sparse files, sfdisk for tables, mkfs.fat for
// file systems libblkid can see, hand-written sectors for tables no tool writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disk/DiskLayout.h"

namespace disk::testing {

constexpr std::uint64_t kSector = 512;

// A private temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Runs a shell command; false (and the command with its output on stderr) when it fails.
bool RunShell(const std::string& command);

// Runs a shell command and gives its standard output without the last line end; false when it
// fails.
bool RunShellOutput(const std::string& command, std::string& output);

// A sparse file of sizeMiB with the sfdisk script as its table (no table when script is empty).
bool MakeImage(const std::string& path, unsigned sizeMiB, const std::string& sfdiskScript);

// A FAT file system with the label at the sector of the image.
bool MakeFat(const std::string& image, std::uint64_t startSector, std::uint64_t sectors,
             const std::string& label, int fatBits = 16);

// Bytes written at the offset of an existing file.
bool WriteBytes(const std::string& path, std::uint64_t offset, const std::string& bytes);

// One entry of a hand-written MBR or EBR: type, first sector, sector count.
struct SectorEntry {
    unsigned type;
    std::uint32_t start;
    std::uint32_t sectors;
};
// A boot sector with up to four entries, the disk signature and the 0x55AA mark.
std::string MbrSector(const std::vector<SectorEntry>& entries, std::uint32_t signature = 0);

// The partitions as "n:type@startSector/sizeSectors fs label", logical drives marked "L", so
// one string compares a whole layout.
std::string Describe(const DiskLayout& layout);

}  // namespace disk::testing
