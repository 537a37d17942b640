// Disk images for the tests, made at test time without root in a temporary folder: a sparse
// file, an MBR from sfdisk, one partition at 1 MiB formatted by mkfs.fat (FAT16, FAT32) or
// mkntfs (NTFS), holding BOOT.INI (read-only, hidden, system) and WINDOWS\system32 with
// ntoskrnl.exe and hal.dll. What a test finds on an image afterwards is read with the file
// system's own tools (mtools, ntfsprogs, fsck.fat), never through Tarnwick.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/image/ImageVolume.h"

enum class TestFileSystem { kFat16, kFat32, kNtfs };
const char* TestFileSystemName(TestFileSystem kind);  // "FAT16", "FAT32", "NTFS"

class TestImage {
public:
    static constexpr std::uint64_t kOffset = 1024 * 1024;

    TestImage(TestFileSystem kind, const std::string& bootIni);
    ~TestImage();
    TestImage(const TestImage&) = delete;
    TestImage& operator=(const TestImage&) = delete;

    // Empty when the image was made; else what went wrong (a tool missing or failing).
    const std::string& Problem() const { return m_problem; }
    TestFileSystem Kind() const { return m_kind; }
    const std::string& Path() const { return m_image; }
    const std::string& Folder() const { return m_folder; }
    // The partition's length: as small as its file system allows (FAT32 needs 65525 clusters).
    std::uint64_t Length() const;
    VolumeLocation Location(bool readOnly = false) const;

    // Through the file system's own tools. Names are root names ("BOOT.INI").
    bool ReadFile(const std::string& name, std::string& bytes);
    // The read-only (1), hidden (2) and system (4) bits.
    bool DosAttributes(const std::string& name, std::uint32_t& bits);
    std::vector<std::string> RootNames();  // sorted
    // The checker finds the file system clean (fsck.fat -n; ntfsfix -n and ntfsinfo -m).
    bool Clean(std::string& report);

    // Changes made with the file system's own tools, for fault cases.
    bool PutFile(const std::string& name, const std::string& bytes);
    bool SetDosAttributes(const std::string& name, std::uint32_t bits);
    bool RemoveFile(const std::string& name);
    // Gives an existing root file a second name on the same data, as a rename cut short inside
    // the file system leaves it: an NTFS hard link, or on FAT16 a second directory entry on the
    // same cluster chain (written into the root directory by hand, since no tool makes one).
    bool AddSecondName(const std::string& name, const std::string& secondName);
    bool MarkNtfsDirty();

    std::string WholeImage() const;  // every byte of the image file
    // Keeps a copy of the image as it is now, and puts it back (writing only what differs).
    bool Snapshot();
    bool RestoreSnapshot();

private:
    bool CutPartition();  // the partition into its own file, for the ntfsprogs and fsck
    bool PutPartition();  // and back into the image
    bool Ntfs(const std::vector<std::string>& commands);
    bool Tool(const std::vector<std::string>& command, std::string* output = nullptr);

    TestFileSystem m_kind;
    std::string m_folder;
    std::string m_image;
    std::string m_partition;
    std::string m_problem;
};

// Runs a tool with a plain environment (no user configuration of mtools); its exit code.
int RunTestTool(const std::vector<std::string>& command, std::string* output = nullptr,
                std::string* errors = nullptr);
