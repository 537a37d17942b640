#include "platform/posix/PosixPlatform.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/WellKnownSids.h"
#include "platform/posix/ProfileText.h"
#include "platform/posix/TextFileStream.h"

namespace {

constexpr DWORD kDirectoryAttribute = 0x10;

// A regular file itself, not a symbolic link to one.
bool IsRegularFile(const std::string& hostPath, struct stat* info = nullptr) {
    struct stat local;
    struct stat* target = info ? info : &local;
    return lstat(hostPath.c_str(), target) == 0 && S_ISREG(target->st_mode);
}

// Reads a whole file; missing tells a file that isn't there. Profile files may be links (kept
// with other settings elsewhere); the drive's files are not followed through one.
enum class Links { kFollow, kRefuse };
bool ReadHostFile(const std::string& hostPath, std::string& text, bool& missing, Links links) {
    text.clear();
    int descriptor =
        open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | (links == Links::kRefuse ? O_NOFOLLOW : 0));
    missing = descriptor < 0 && errno == ENOENT;
    if (descriptor < 0)
        return false;
    char buffer[4096];
    ssize_t got;
    while ((got = read(descriptor, buffer, sizeof buffer)) != 0) {
        if (got < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        text.append(buffer, static_cast<size_t>(got));
    }
    close(descriptor);
    return got == 0;
}

bool MakeFolders(const std::string& folder) {
    if (folder.empty())
        return false;
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string prefix = folder.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
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
                   ReadHostFile(hostPath, bytes, missing, Links::kRefuse)
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
    constexpr DWORD kEnabledMandatory = kGroupMandatory | kGroupEnabledByDefault | kGroupEnabled;
    groups.clear();
    groups.push_back({EveryoneSid(), kEnabledMandatory});
    groups.push_back({UsersSid(), kEnabledMandatory});
    if (MayChangeDriveFolder())
        groups.push_back({AdministratorsSid(), kEnabledMandatory});
    return TRUE;
}

void PosixPlatform::SetWindowsFolderHint(LPCSTR windowsFolder) {
    m_windowsFolderHint = windowsFolder ? windowsFolder : "";
}

BOOL PosixPlatform::ReadSystemDirectory(CString& directory) {
    std::vector<std::string> candidates;
    if (!m_windowsFolderHint.empty()) {
        candidates.push_back(m_windowsFolderHint);
    } else {
        candidates = {"\\WINDOWS", "\\WINNT"};
    }
    for (std::string folder : candidates) {
        if (folder.size() >= 2 && folder[1] == ':') {
            // Already names its drive.
        } else if (folder[0] == '\\' || folder[0] == '/') {
            folder = "C:" + folder;
        } else {
            folder = "C:\\" + folder;
        }
        DriveFolder::Resolved resolved;
        struct stat info;
        if (m_drive.Resolve(folder + "\\system32", resolved) &&
            stat(resolved.hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
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

std::string PosixPlatform::ProfileFolder() const {
    if (!m_profileFolder.empty())
        return m_profileFolder;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/')
        return std::string(configHome) + "/tarnwick";
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* entry = getpwuid(getuid());
        home = entry ? entry->pw_dir : nullptr;
    }
    if (!home || home[0] != '/')
        return std::string();
    return std::string(home) + "/.config/tarnwick";
}

bool PosixPlatform::ProfilePath(LPCSTR profileFile, std::string& hostPath) const {
    if (!profileFile)
        return false;
    std::string name = profileFile;
    size_t separator = name.find_last_of("/\\");
    if (separator != std::string::npos)
        name = name.substr(separator + 1);
    std::string folder = ProfileFolder();
    if (name.empty() || name == "." || name == ".." || folder.empty())
        return false;
    // Found without regard to case, like every other file the program names.
    std::string found = FindEntryIgnoringCase(folder, name);
    hostPath = folder + "/" + (found.empty() ? name : found);
    return true;
}

UINT PosixPlatform::GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue,
                                  LPCSTR profileFile) {
    std::string hostPath, text, value;
    bool missing = false;
    if (!section || !key || !ProfilePath(profileFile, hostPath) ||
        !ReadHostFile(hostPath, text, missing, Links::kFollow) ||
        !ProfileText(text).Find(section, key, value)) {
        return static_cast<UINT>(defaultValue);
    }
    return ProfileIntFromText(value, defaultValue);
}

BOOL PosixPlatform::WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value,
                                       LPCSTR profileFile) {
    std::string hostPath, text;
    bool missing = false;
    if (!section || !ProfilePath(profileFile, hostPath))
        return FALSE;
    if (!ReadHostFile(hostPath, text, missing, Links::kFollow) && !missing)
        return FALSE;
    if (!MakeFolders(ProfileFolder()))
        return FALSE;
    ProfileText profile(text);
    if (!key) {
        profile.RemoveSection(section);
    } else if (!value) {
        profile.RemoveKey(section, key);
    } else {
        profile.Set(section, key, value);
    }
    std::string newText = profile.Text();
    ReplaceContent content;
    content.permissions = 0600;
    content.write = [&newText](int descriptor) {
        return WriteAll(descriptor, newText.data(), newText.size());
    };
    return ReplaceFileContents(hostPath, content, nullptr) ? TRUE : FALSE;
}
