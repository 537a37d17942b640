// The platform of the Linux program: drive C: is a folder (see DriveFolder.h).
//
// Stand-ins for what Windows provides:
// - Files: CopyFileTo behaves as CopyFileA (the attributes are copied too; an existing target
//   with the read-only or hidden attribute is refused, as is copying a file onto itself).
//   ReplaceFileSafely goes through a temporary file and a rename (SafeReplace.h). No file is
//   read, written or given attributes through a symbolic link: the final component of a path is
//   never followed (O_NOFOLLOW, lstat), and ReadFileAttributes reports a link as
//   FILE_ATTRIBUTE_REPARSE_POINT.
// - Lock: LockExclusively takes flock() on the lock file, which the system releases with the
//   process, so a crashed instance leaves no lock behind; the file is removed on release.
// - Attributes: a chain of attribute stores (AttributeStore.h); by default read-only is the
//   owner's write bit and hidden and system are not kept. A file with the read-only attribute
//   can't be opened as a text stream, as on Windows.
// - Token: a user who may create and replace files in the drive folder (root, or write and search
//   permission on it) is an administrator: the group list then holds the Administrators group.
// - System directory: the system32 folder of the Windows folder named by SetWindowsFolderHint,
//   found without regard to case on the drive.
// - Profile: the INI file of the given name in $XDG_CONFIG_HOME/tarnwick/ (default
//   ~/.config/tarnwick/), written through a temporary file and a rename.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/posix/AttributeStore.h"
#include "platform/posix/DriveFolder.h"
#include "platform/posix/HostProfileStore.h"
#include "platform/posix/SafeReplace.h"

class PosixPlatform : public IPlatform {
public:
    explicit PosixPlatform(const std::string& driveFolder);

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
    LockOutcome LockExclusively(LPCSTR path, std::unique_ptr<IExclusiveLock>& lock) override;
    BOOL ReadTokenGroups(std::vector<TokenGroup>& groups) override;
    BOOL ReadSystemDirectory(CString& directory) override;
    BOOL ChangeCurrentDirectory(LPCSTR directory) override;
    void SetWindowsFolderHint(LPCSTR windowsFolder) override;

    const DriveFolder& Drive() const { return m_drive; }
    // The host path of a program path; false for a path outside drive C:.
    bool ToHostPath(LPCSTR programPath, std::string& hostPath) const;

    // Adds a store to the chain: stores are asked in the order they were added, and the
    // owner-write-bit store always last.
    void AddAttributeStore(std::unique_ptr<IAttributeStore> store);

    // Where the profile files live; by default taken from the environment at each use.
    void SetProfileFolder(const std::string& folder) { m_profiles.SetProfileFolder(folder); }
    std::string ProfileFolder() const { return m_profiles.ProfileFolder(); }
    // The host path of a profile file; false for a name that isn't a plain file name.
    bool ProfilePath(LPCSTR profileFile, std::string& hostPath) const {
        return m_profiles.ProfilePath(profileFile, hostPath);
    }

    // Observes the steps of ReplaceFileSafely (tests simulate failures and crashes with it).
    void SetReplaceStepHook(ReplaceStepHook hook) { m_replaceStepHook = std::move(hook); }

    // The user's administrator stand-in: may create and replace files in the drive folder.
    bool MayChangeDriveFolder() const;

private:
    // Attribute bits of an existing file through the store chain; false on failure.
    bool ReadStoredAttributes(const std::string& hostPath, DWORD& attributes);
    bool WriteStoredAttributes(const std::string& hostPath, DWORD attributes);
    // Whether a file may be copied onto a target: the source an existing regular file, and the
    // target, when it exists, a regular file other than the source without any of the refused
    // attributes.
    struct CopyCheck {
        struct stat sourceInfo;
        DWORD sourceAttributes = 0;
        bool targetExists = false;
    };
    bool CheckCopy(const std::string& sourcePath, const std::string& targetPath,
                   DWORD refusedTargetAttributes, CopyCheck& check);

    DriveFolder m_drive;
    std::vector<std::unique_ptr<IAttributeStore>> m_attributeStores;
    OwnerWriteBitAttributeStore m_fallbackStore;
    std::string m_windowsFolderHint;
    HostProfileStore m_profiles;
    ReplaceStepHook m_replaceStepHook;
};
