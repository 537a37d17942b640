#include "platform/posix/PosixPlatform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/DriveRules.h"
#include "platform/posix/TextFileStream.h"

namespace {

constexpr DWORD kDirectoryAttribute = 0x10;

// A regular file itself, not a symbolic link to one.
bool IsRegularFile(const std::string& hostPath, struct stat* info = nullptr) {
    struct stat local;
    struct stat* target = info ? info : &local;
    return lstat(hostPath.c_str(), target) == 0 && S_ISREG(target->st_mode);
}

// The lock file held with flock(), which the system releases when the process dies. The file is
// removed on release; a process that took the lock on a file removed meanwhile notices that the
// path no longer names its file and tries again, so two processes never both hold the lock.
class LockFile : public IExclusiveLock {
public:
    LockFile(std::string hostPath, int descriptor)
        : m_hostPath(std::move(hostPath)), m_descriptor(descriptor) {}
    ~LockFile() override {
        struct stat held, named;
        if (fstat(m_descriptor, &held) == 0 && lstat(m_hostPath.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            unlink(m_hostPath.c_str());
        }
        close(m_descriptor);
    }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

private:
    std::string m_hostPath;
    int m_descriptor;
};

LockOutcome LockHostFile(const std::string& hostPath, std::unique_ptr<IExclusiveLock>& lock) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        int descriptor =
            open(hostPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0644);
        if (descriptor < 0)
            return LockOutcome::kFailed;
        struct stat held, named;
        if (fstat(descriptor, &held) != 0 || !S_ISREG(held.st_mode)) {
            close(descriptor);
            return LockOutcome::kFailed;
        }
        if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
            const bool busy = errno == EWOULDBLOCK;
            close(descriptor);
            return busy ? LockOutcome::kHeldElsewhere : LockOutcome::kFailed;
        }
        if (lstat(hostPath.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            lock = std::make_unique<LockFile>(hostPath, descriptor);
            return LockOutcome::kLocked;
        }
        close(descriptor);  // the holder removed this file as we took it: take the new one
    }
    return LockOutcome::kFailed;
}

}  // namespace

PosixPlatform::PosixPlatform(const std::string& driveFolder) : m_drive(driveFolder) {}

bool PosixPlatform::ToHostPath(LPCSTR programPath, std::string& hostPath) const {
    return programPath && m_drive.ToHostPath(programPath, hostPath);
}

void PosixPlatform::AddAttributeStore(std::unique_ptr<IAttributeStore> store) {
    if (store)
        m_attributeStores.push_back(std::move(store));
}

bool PosixPlatform::ReadStoredAttributes(const std::string& hostPath, DWORD& attributes) {
    for (const auto& store : m_attributeStores) {
        switch (store->Read(hostPath, attributes)) {
            case IAttributeStore::Result::kDone:
                attributes &= kStoredAttributeBits;
                return true;
            case IAttributeStore::Result::kFailed:
                return false;
            case IAttributeStore::Result::kUnsupported:
                break;
        }
    }
    if (m_fallbackStore.Read(hostPath, attributes) != IAttributeStore::Result::kDone)
        return false;
    attributes &= kStoredAttributeBits;
    return true;
}

bool PosixPlatform::WriteStoredAttributes(const std::string& hostPath, DWORD attributes) {
    attributes &= kStoredAttributeBits;
    for (const auto& store : m_attributeStores) {
        switch (store->Write(hostPath, attributes)) {
            case IAttributeStore::Result::kDone:
                return true;
            case IAttributeStore::Result::kFailed:
                return false;
            case IAttributeStore::Result::kUnsupported:
                break;
        }
    }
    return m_fallbackStore.Write(hostPath, attributes) == IAttributeStore::Result::kDone;
}

bool PosixPlatform::CheckCopy(const std::string& sourcePath, const std::string& targetPath,
                              DWORD refusedTargetAttributes, CopyCheck& check) {
    if (!IsRegularFile(sourcePath, &check.sourceInfo) ||
        !ReadStoredAttributes(sourcePath, check.sourceAttributes)) {
        return false;
    }
    struct stat targetInfo;
    check.targetExists = lstat(targetPath.c_str(), &targetInfo) == 0;
    if (!check.targetExists)
        return true;
    // A symbolic link is refused by S_ISREG below: it is never written through.
    DWORD targetAttributes = 0;
    return S_ISREG(targetInfo.st_mode) &&
           !(targetInfo.st_dev == check.sourceInfo.st_dev &&
             targetInfo.st_ino == check.sourceInfo.st_ino) &&
           ReadStoredAttributes(targetPath, targetAttributes) &&
           (targetAttributes & refusedTargetAttributes) == 0;
}

BOOL PosixPlatform::CopyFileTo(LPCSTR existing, LPCSTR target, BOOL failIfExists) {
    std::string sourcePath, targetPath;
    CopyCheck check;
    // As CopyFileA: an existing target is refused when asked to, when it is the source itself,
    // and when it carries the read-only or hidden attribute.
    if (!ToHostPath(existing, sourcePath) || !ToHostPath(target, targetPath) ||
        !CheckCopy(sourcePath, targetPath, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN,
                   check) ||
        (check.targetExists && failIfExists)) {
        return FALSE;
    }
    const struct stat& sourceInfo = check.sourceInfo;
    bool targetExists = check.targetExists;

    int source = open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (source < 0)
        return FALSE;
    mode_t permissions = (sourceInfo.st_mode & 0777) | S_IWUSR;
    int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | (targetExists ? 0 : O_EXCL);
    int destination = open(targetPath.c_str(), flags, permissions);
    if (destination < 0) {
        close(source);
        return FALSE;
    }
    bool copied = CopyDescriptor(source, destination) && fsync(destination) == 0;
    close(source);
    copied = close(destination) == 0 && copied;
    if (!copied) {
        // A file this copy created is removed again; an overwritten one is what the copy left.
        if (!targetExists)
            unlink(targetPath.c_str());
        return FALSE;
    }
    return WriteStoredAttributes(targetPath, check.sourceAttributes) ? TRUE : FALSE;
}

BOOL PosixPlatform::ReplaceFileSafely(LPCSTR source, LPCSTR target) {
    std::string sourcePath, targetPath;
    CopyCheck check;
    // A read-only target can't be replaced, as on Windows; the caller clears it first.
    if (!ToHostPath(source, sourcePath) || !ToHostPath(target, targetPath) ||
        !CheckCopy(sourcePath, targetPath, FILE_ATTRIBUTE_READONLY, check)) {
        return FALSE;
    }
    int sourceDescriptor = open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (sourceDescriptor < 0)
        return FALSE;
    struct SourceCloser {
        int descriptor;
        ~SourceCloser() { close(descriptor); }
    } closer{sourceDescriptor};

    ReplaceContent content;
    content.permissions = (check.sourceInfo.st_mode & 0777) | S_IWUSR;
    content.write = [sourceDescriptor](int descriptor) {
        return CopyDescriptor(sourceDescriptor, descriptor);
    };
    DWORD attributes = check.sourceAttributes;
    content.finish = [this, attributes](const std::string& temporaryPath) {
        return WriteStoredAttributes(temporaryPath, attributes);
    };
    return ReplaceFileContents(targetPath, content, m_replaceStepHook) ? TRUE : FALSE;
}

DWORD PosixPlatform::ReadFileAttributes(LPCSTR path) {
    std::string hostPath;
    struct stat info;
    DWORD attributes = 0;
    if (!ToHostPath(path, hostPath) || lstat(hostPath.c_str(), &info) != 0)
        return INVALID_FILE_ATTRIBUTES;
    if (S_ISLNK(info.st_mode)) {
        // As Windows reports a symbolic link: the link's own attributes, not its target's.
        struct stat target;
        bool folder = stat(hostPath.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
        return FILE_ATTRIBUTE_REPARSE_POINT | (folder ? kDirectoryAttribute : 0);
    }
    if (!ReadStoredAttributes(hostPath, attributes))
        return INVALID_FILE_ATTRIBUTES;
    if (S_ISDIR(info.st_mode))
        attributes |= kDirectoryAttribute;
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

BOOL PosixPlatform::WriteFileAttributes(LPCSTR path, DWORD attributes) {
    std::string hostPath;
    struct stat info;
    // Attributes are never changed through a symbolic link: chmod would change its target.
    if (!ToHostPath(path, hostPath) || lstat(hostPath.c_str(), &info) != 0 ||
        S_ISLNK(info.st_mode)) {
        return FALSE;
    }
    return WriteStoredAttributes(hostPath, attributes) ? TRUE : FALSE;
}

BOOL PosixPlatform::FileExists(LPCSTR path) {
    std::string hostPath;
    struct stat info;
    return ToHostPath(path, hostPath) && stat(hostPath.c_str(), &info) == 0 && S_ISREG(info.st_mode)
               ? TRUE
               : FALSE;
}

std::unique_ptr<ITextStream> PosixPlatform::OpenTextStream(LPCSTR path) {
    std::string hostPath;
    DWORD attributes = 0;
    if (!ToHostPath(path, hostPath) || !IsRegularFile(hostPath) ||
        !ReadStoredAttributes(hostPath, attributes) || (attributes & FILE_ATTRIBUTE_READONLY)) {
        return nullptr;
    }
    return TextFileStream::Open(hostPath);
}

BOOL PosixPlatform::ReadWholeFile(LPCSTR path, std::string& bytes) {
    std::string hostPath;
    bool missing = false;
    bytes.clear();
    return ToHostPath(path, hostPath) && IsRegularFile(hostPath) &&
                   ReadHostFile(hostPath, bytes, missing, false)
               ? TRUE
               : FALSE;
}

LockOutcome PosixPlatform::LockExclusively(LPCSTR path, std::unique_ptr<IExclusiveLock>& lock) {
    std::string hostPath;
    lock.reset();
    if (!ToHostPath(path, hostPath))
        return LockOutcome::kFailed;
    return LockHostFile(hostPath, lock);
}

bool PosixPlatform::MayChangeDriveFolder() const {
    struct stat info;
    if (stat(m_drive.HostFolder().c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    // Effective ids, as the program's own writes will use them; a read-only mount fails here too.
    return faccessat(AT_FDCWD, m_drive.HostFolder().c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

BOOL PosixPlatform::ReadTokenGroups(std::vector<TokenGroup>& groups) {
    groups = StandInTokenGroups(MayChangeDriveFolder());
    return TRUE;
}

void PosixPlatform::SetWindowsFolderHint(LPCSTR windowsFolder) {
    m_windowsFolderHint = windowsFolder ? windowsFolder : "";
}

BOOL PosixPlatform::ReadSystemDirectory(CString& directory) {
    for (const std::string& candidate : SystemDirectoryCandidates(m_windowsFolderHint)) {
        DriveFolder::Resolved resolved;
        struct stat info;
        if (m_drive.Resolve(candidate, resolved) && stat(resolved.hostPath.c_str(), &info) == 0 &&
            S_ISDIR(info.st_mode)) {
            directory = resolved.programPath.c_str();
            return TRUE;
        }
    }
    return FALSE;
}

BOOL PosixPlatform::ChangeCurrentDirectory(LPCSTR directory) {
    std::string hostPath;
    return ToHostPath(directory, hostPath) && chdir(hostPath.c_str()) == 0 ? TRUE : FALSE;
}
