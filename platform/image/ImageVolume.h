// Drive C: as an NTFS or FAT file system inside a disk image, a device or a partition image, read
// and written in user space: NTFS through libntfs-3g, FAT12/16/32 through mtools. No mount, no
// root.
//
// The program's files (BOOT.INI, BOOT.TMP, BOOT.BAK) live in the partition's root as on Windows;
// names match without regard to case and keep the case found on disk. The DOS attributes
// (read-only, hidden, system) are those of the file system's own metadata. The lock of the editor
// is flock() on the image or device the user named, so nothing of it is left in the file system.
//
// Neither file system can replace a file atomically here, so ReplaceFileSafely writes the new file
// whole under a temporary name first and each open of the volume finishes or undoes a replace
// that a crash cut short (VolumeReplace.h holds the states).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/posix/HostProfileStore.h"

struct VolumeLocation {
    std::string rawPath;   // the raw view: an image file, a device, or the FUSE view of one
    std::uint64_t offset;  // the partition's first byte in the raw view
    std::uint64_t length;  // its length in bytes
    bool readOnly;         // open for reading only
    std::string lockPath;  // the image or device the user named: the editor's lock goes there
};

// One entry of a folder of the volume, for browsing.
struct VolumeFolderEntry {
    std::string name;  // as spelled on disk
    bool folder = false;
};

// The steps of one replacement on a volume, in order (see VolumeReplace.h).
enum class VolumeReplaceStep {
    kNewWritten,     // the new content is whole and on the disk under the writing name
    kNewReady,       // it carries the ready name: the next open finishes the replace
    kTargetRemoved,  // the old target is gone
    kRenamed,        // the ready file has the target's name; the replace is complete
};
constexpr VolumeReplaceStep kAllVolumeReplaceSteps[] = {
    VolumeReplaceStep::kNewWritten, VolumeReplaceStep::kNewReady, VolumeReplaceStep::kTargetRemoved,
    VolumeReplaceStep::kRenamed};
// "new-written", "new-ready", "target-removed", "renamed".
const char* VolumeReplaceStepName(VolumeReplaceStep step);

class VolumeFiles;  // one file system's operations (VolumeFiles.h)

class ImagePlatform : public IPlatform {
public:
    // viewOnlyReason: set when the volume may not be written, saying why.
    ImagePlatform(VolumeLocation where, std::unique_ptr<VolumeFiles> files,
                  std::string viewOnlyReason = std::string());
    ~ImagePlatform() override;
    ImagePlatform(const ImagePlatform&) = delete;
    ImagePlatform& operator=(const ImagePlatform&) = delete;

    // Whether the root holds a regular file named BOOT.INI in any letter case.
    bool HoldsBootIni();
    // "NTFS", "FAT12", "FAT16" or "FAT32".
    std::string FileSystemName() const;
    // The volume label; empty when there is none.
    std::string VolumeLabel() const;
    const VolumeLocation& Location() const { return m_where; }

    // View only: every write refuses. True for a read-only location, and for an NTFS volume that
    // Windows left hibernated or unclean when it was opened read-only; ViewOnlyReason says why in
    // words a user understands.
    bool IsViewOnly() const;
    std::string ViewOnlyReason() const override;
    // Whether the file system itself refuses writes (hibernated, unclean), whatever the location.
    bool RefusesWrites() const { return !m_viewOnlyReason.empty(); }

    // What the open found of a replacement that a crash cut short, and what it did ("BOOT.INI: the
    // new file was put in place"); empty when there was none.
    const std::vector<std::string>& RecoveryNotes() const { return m_recoveryNotes; }

    // The entries of a folder on drive C: ("C:\\WINDOWS\\system32"), without "." and ".."; false
    // when it is not a folder or can't be read.
    bool ListFolder(const std::string& programPath, std::vector<VolumeFolderEntry>& entries);
    // The program path with every component as found on disk; false outside drive C:.
    bool Resolve(const std::string& programPath, std::string& found);
    // The same as a volume path ("/WINDOWS/system32/hal.dll"), for browsing; empty outside C:.
    std::string VolumePathOf(const std::string& programPath);
    // A volume path as a program path: "/" is "C:\\", "/WINDOWS/x" is "C:\\WINDOWS\\x".
    static std::string ProgramPathOf(const std::string& volumePath);

    // Observes the steps of ReplaceFileSafely: returning false fails the replace there (honoured
    // before the target is removed), throwing simulates a crash (nothing is cleaned up).
    void SetReplaceStepHook(std::function<bool(VolumeReplaceStep)> hook) {
        m_replaceStepHook = std::move(hook);
    }
    // Where the profile files live; by default taken from the environment, as for a folder.
    void SetProfileFolder(const std::string& folder) { m_profiles.SetProfileFolder(folder); }

    // IProfileStore.
    UINT GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR profileFile) override {
        return m_profiles.GetProfileInt(section, key, defaultValue, profileFile);
    }
    BOOL WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR profileFile) override {
        return m_profiles.WriteProfileString(section, key, value, profileFile);
    }

    // IPlatform.
    BOOL CopyFileTo(LPCSTR existing, LPCSTR target, BOOL failIfExists) override;
    BOOL ReplaceFileSafely(LPCSTR source, LPCSTR target) override;
    DWORD ReadFileAttributes(LPCSTR path) override;
    BOOL WriteFileAttributes(LPCSTR path, DWORD attributes) override;
    BOOL FileExists(LPCSTR path) override;
    std::unique_ptr<ITextStream> OpenTextStream(LPCSTR path) override;
    BOOL ReadWholeFile(LPCSTR path, std::string& bytes) override;
    // flock() on the location's lockPath; the path given (C:\BOOT.LCK) names no file here.
    LockOutcome LockExclusively(LPCSTR path, std::unique_ptr<IExclusiveLock>& lock) override;
    // An administrator is a user who may write the volume (not view only, the raw view writable).
    BOOL ReadTokenGroups(std::vector<TokenGroup>& groups) override;
    BOOL ReadSystemDirectory(CString& directory) override;
    // There is no host folder to change to: TRUE for an existing folder of the volume.
    BOOL ChangeCurrentDirectory(LPCSTR directory) override;
    void SetWindowsFolderHint(LPCSTR windowsFolder) override;

    // For OpenImageVolume: checks that the root can be read and finishes or undoes what a crash
    // left; false with the reason when either failed.
    bool RecoverInterruptedReplaces(std::string& error);

private:
    struct Found;
    bool Find(LPCSTR programPath, Found& found);
    bool WriteAllowed() const;
    // View only, C:\BOOT.TMP is kept in memory: the editor's staging copy works as on a
    // writable volume, and nothing reaches the image.
    bool InMemoryStaging(const Found& found) const;

    VolumeLocation m_where;
    std::unique_ptr<VolumeFiles> m_files;
    std::string m_viewOnlyReason;
    std::string m_windowsFolderHint;
    HostProfileStore m_profiles;
    std::function<bool(VolumeReplaceStep)> m_replaceStepHook;
    std::vector<std::string> m_recoveryNotes;
    bool m_stagingMade = false;
    std::string m_stagingBytes;
    DWORD m_stagingAttributes = 0;
};

// Opens the NTFS or FAT file system at the location; null with a message in words a user
// understands (not NTFS or FAT, hibernated, unclean, unreadable) on failure. A location opened
// for writing refuses an NTFS volume that Windows left hibernated or unclean; one opened
// read-only opens it for viewing, with the reason in ViewOnlyReason.
std::unique_ptr<ImagePlatform> OpenImageVolume(const VolumeLocation& where, std::string& error);
