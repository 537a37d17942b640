// A FAT12, FAT16 or FAT32 file system inside a disk image, through mtools.
//
// Why mtools: it is the long-kept user-space FAT implementation of Debian (read and write, long
// names, the attribute byte), it takes a file system at a byte offset inside an image
// ("-i IMAGE@@OFFSET"), and each operation is one short process (a few milliseconds). Each
// operation runs one mtools program through fork/exec with an argument vector, with a clean
// environment (MTOOLSRC=/dev/null, MTOOLS_SKIP_CHECK=1, no home folder) so no configuration of
// the user's changes what it does, and standard input closed so it never waits for an answer.
// After each program that wrote, the image is flushed to the disk (fsync), so the step is
// durable before the next one begins.
//
// mtools writes a rename as a new directory entry and the old one marked free: a rename cut short
// inside mtools could leave two names on one cluster chain, which SameData recognises from the
// chains themselves (mshowfat).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/image/VolumeFiles.h"

class FatVolume : public VolumeFiles {
public:
    // Null when the raw view can't be opened; fileSystemName is "FAT12", "FAT16" or "FAT32".
    static std::unique_ptr<FatVolume> Open(const std::string& rawPath, std::uint64_t offset,
                                           bool readOnly, const std::string& fileSystemName,
                                           const std::string& label, std::string& error);
    ~FatVolume() override;

    std::string FileSystemName() const override { return m_fileSystemName; }
    std::string Label() const override { return m_label; }
    bool ReadOnly() const override { return m_readOnly; }

    bool List(const std::string& folder, std::vector<VolumeEntry>& entries) override;
    bool Read(const std::string& path, std::string& bytes) override;
    bool Write(const std::string& path, const std::string& bytes) override;
    bool SetAttributes(const std::string& path, VolumeAttributes attributes) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;
    bool SameData(const std::string& a, const std::string& b, bool& same) override;
    bool RemoveSecondName(const std::string&) override {
        return false;  // mdel would free the chain that the other name still uses
    }

private:
    FatVolume() = default;
    // Runs an mtools program on the image; arguments follow "-i IMAGE@@OFFSET".
    bool Run(const std::string& program, const std::vector<std::string>& arguments,
             std::string* output = nullptr, std::string* errors = nullptr);
    bool RunWriting(const std::string& program, const std::vector<std::string>& arguments);
    bool ClusterChain(const std::string& path, std::string& chain);

    std::string m_image;  // "RAW@@OFFSET"
    int m_descriptor = -1;
    bool m_readOnly = true;
    std::string m_fileSystemName;
    std::string m_label;
};
