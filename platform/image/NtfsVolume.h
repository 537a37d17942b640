// An NTFS file system inside a disk image, through libntfs-3g, mounted in this process.
//
// The partition is a byte range of the raw view that libntfs-3g sees as a device of its own
// (NtfsPartitionDevice.h). Every operation closes the inodes it opened (which writes their records)
// and flushes the raw view to the disk before it returns.
//
// libntfs-3g refuses to mount for writing an NTFS that Windows left hibernated (EPERM) or with
// metadata still in its journal (EOPNOTSUPP); a volume whose dirty flag asks for a disk check is
// refused here for writing too. All three open for reading.
//
// libntfs-3g has no rename over an existing name: Rename links the new name to the file and then
// removes the old one, so a rename cut short leaves two names of one file (SameData sees that).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/image/VolumeFiles.h"

struct _ntfs_volume;

class NtfsVolume : public VolumeFiles {
public:
    // Why a volume can't be opened as asked.
    enum class Refusal { kNone, kNotNtfs, kHibernated, kUnclean, kCheckScheduled, kUnreadable };
    // Null with the refusal and a message on failure.
    static std::unique_ptr<NtfsVolume> Open(const std::string& rawPath, std::uint64_t offset,
                                            std::uint64_t length, bool readOnly, Refusal& refusal,
                                            std::string& error);
    ~NtfsVolume() override;

    std::string FileSystemName() const override { return "NTFS"; }
    std::string Label() const override;
    bool ReadOnly() const override { return m_readOnly; }
    // For a volume opened read-only: why it could not have been written, empty when it could.
    const std::string& WriteRefusal() const { return m_writeRefusal; }

    bool List(const std::string& folder, std::vector<VolumeEntry>& entries) override;
    bool Read(const std::string& path, std::string& bytes) override;
    bool Write(const std::string& path, const std::string& bytes) override;
    bool SetAttributes(const std::string& path, VolumeAttributes attributes) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;
    bool SameData(const std::string& a, const std::string& b, bool& same) override;
    bool RemoveSecondName(const std::string& path) override { return Remove(path); }

private:
    NtfsVolume() = default;
    bool Sync();

    struct _ntfs_volume* m_volume = nullptr;
    bool m_readOnly = true;
    std::string m_writeRefusal;
};
