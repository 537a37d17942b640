#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/image/ImageVolume.h"
#include "platform/image/VolumeFiles.h"
#include "platform/image/VolumeReplace.h"
#include "platform/image/VolumeTextStream.h"
#include "platform/posix/DriveFolder.h"
#include "platform/posix/DriveRules.h"

namespace {

constexpr DWORD kDirectoryAttribute = 0x10;

// flock() on the image or device the user named: released with the descriptor, so by the system
// when the process dies. Nothing is created for it.
class ImageLock : public IExclusiveLock {
public:
    explicit ImageLock(int descriptor) : m_descriptor(descriptor) {}
    ~ImageLock() override { close(m_descriptor); }
    ImageLock(const ImageLock&) = delete;
    ImageLock& operator=(const ImageLock&) = delete;

private:
    int m_descriptor;
};

std::string Join(const std::string& folder, const std::string& name) {
    return (folder == "/" ? std::string() : folder) + "/" + name;
}

}  // namespace

const char* VolumeReplaceStepName(VolumeReplaceStep step) {
    switch (step) {
        case VolumeReplaceStep::kNewWritten:
            return "new-written";
        case VolumeReplaceStep::kNewReady:
            return "new-ready";
        case VolumeReplaceStep::kTargetRemoved:
            return "target-removed";
        case VolumeReplaceStep::kRenamed:
            return "renamed";
    }
    return "";
}

// A program path looked up on the volume, each component without regard to case.
struct ImagePlatform::Found {
    bool exists = false;
    bool parentExists = false;
    bool folder = false;
    DWORD attributes = 0;     // kVolumeAttributeBits and FILE_ATTRIBUTE_REPARSE_POINT
    std::string volumePath;   // as found on disk; a missing last component as given
    std::string folderPath;   // the volume path of its folder
    std::string name;         // the last component
    std::string programPath;  // "C:\\..." spelled as volumePath
    bool IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    bool IsPlainFile() const { return exists && !folder && !IsLink(); }
};

ImagePlatform::ImagePlatform(VolumeLocation where, std::unique_ptr<VolumeFiles> files,
                             std::string viewOnlyReason)
    : m_where(std::move(where)),
      m_files(std::move(files)),
      m_viewOnlyReason(std::move(viewOnlyReason)) {}

ImagePlatform::~ImagePlatform() = default;

bool ImagePlatform::Find(LPCSTR programPath, Found& found) {
    std::vector<std::string> components;
    found = Found();
    if (!programPath || !SplitProgramPath(programPath, components))
        return false;
    found.volumePath = "/";
    found.folderPath = "/";
    found.programPath = "C:";
    found.exists = found.parentExists = found.folder = true;
    for (size_t index = 0; index < components.size(); ++index) {
        const std::string& component = components[index];
        std::vector<VolumeEntry> entries;
        const VolumeEntry* match = nullptr;
        if (found.exists && found.folder && m_files->List(found.volumePath, entries)) {
            for (const VolumeEntry& entry : entries) {
                if (entry.name == component) {
                    match = &entry;
                    break;
                }
                if (EqualIgnoringCase(entry.name, component) &&
                    (!match || entry.name < match->name))
                    match = &entry;
            }
        }
        found.parentExists = found.exists && found.folder;
        found.folderPath = found.volumePath;
        found.name = match ? match->name : component;
        found.volumePath = Join(found.folderPath, found.name);
        found.programPath += "\\" + found.name;
        found.exists = match != nullptr;
        found.folder = match && match->folder;
        found.attributes = match ? match->attributes : 0;
    }
    if (components.empty())
        found.programPath += "\\";
    return true;
}

bool ImagePlatform::WriteAllowed() const {
    return !IsViewOnly();
}

bool ImagePlatform::InMemoryStaging(const Found& found) const {
    std::string upper;
    for (const char c : found.volumePath)
        upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return IsViewOnly() && upper == "/BOOT.TMP";
}

bool ImagePlatform::IsViewOnly() const {
    return m_where.readOnly || m_files->ReadOnly() || !m_viewOnlyReason.empty();
}

std::string ImagePlatform::ViewOnlyReason() const {
    if (!IsViewOnly())
        return std::string();
    std::string reason = "Tarnwick opened this " + FileSystemName() +
                         " volume for reading only: it shows BOOT.INI and changes nothing.";
    return m_viewOnlyReason.empty() ? reason : reason + " " + m_viewOnlyReason;
}

bool ImagePlatform::HoldsBootIni() {
    Found found;
    return Find("C:\\BOOT.INI", found) && found.IsPlainFile();
}

std::string ImagePlatform::FileSystemName() const {
    return m_files->FileSystemName();
}

std::string ImagePlatform::VolumeLabel() const {
    return m_files->Label();
}

bool ImagePlatform::ListFolder(const std::string& programPath,
                               std::vector<VolumeFolderEntry>& entries) {
    entries.clear();
    Found found;
    std::vector<VolumeEntry> listed;
    if (!Find(programPath.c_str(), found) || !found.exists || !found.folder ||
        !m_files->List(found.volumePath, listed)) {
        return false;
    }
    for (const VolumeEntry& entry : listed)
        entries.push_back({entry.name, entry.folder});
    return true;
}

bool ImagePlatform::Resolve(const std::string& programPath, std::string& resolved) {
    Found found;
    if (!Find(programPath.c_str(), found))
        return false;
    resolved = found.programPath;
    return true;
}

std::string ImagePlatform::VolumePathOf(const std::string& programPath) {
    Found found;
    return Find(programPath.c_str(), found) ? found.volumePath : std::string();
}

std::string ImagePlatform::ProgramPathOf(const std::string& volumePath) {
    std::string path = "C:\\";
    for (char c : volumePath.empty() || volumePath[0] != '/' ? volumePath : volumePath.substr(1))
        path += c == '/' ? '\\' : c;
    return path;
}

bool ImagePlatform::RecoverInterruptedReplaces(std::string& error) {
    std::vector<VolumeEntry> root;
    if (!m_files->List("/", root)) {
        error = "The root folder of the " + FileSystemName() +
                " volume can't be read: the file system is damaged" +
                (FileSystemName() == "NTFS" ? "." : ", or its tools (mtools) are missing.");
        return false;
    }
    // A volume that may not be written keeps what it holds, even a replace cut short.
    return !WriteAllowed() ||
           FinishInterruptedReplaces(*m_files, "/", root, m_recoveryNotes, error);
}

BOOL ImagePlatform::CopyFileTo(LPCSTR existing, LPCSTR target, BOOL failIfExists) {
    Found source, copy;
    if (Find(existing, source) && Find(target, copy) && InMemoryStaging(copy)) {
        if (!source.IsPlainFile() || (failIfExists && m_stagingMade) ||
            !m_files->Read(source.volumePath, m_stagingBytes))
            return FALSE;
        m_stagingMade = true;
        m_stagingAttributes = source.attributes & kVolumeAttributeBits;
        return TRUE;
    }
    if (!WriteAllowed() || !Find(existing, source) || !Find(target, copy) ||
        !source.IsPlainFile() || !copy.parentExists) {
        return FALSE;
    }
    // As CopyFileA: an existing target is refused when asked to, when it is the source itself,
    // and when it carries the read-only or hidden attribute.
    if (copy.exists &&
        (failIfExists || copy.folder || copy.IsLink() || copy.volumePath == source.volumePath ||
         (copy.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)))) {
        return FALSE;
    }
    std::string bytes;
    if (!m_files->Read(source.volumePath, bytes))
        return FALSE;
    if (!m_files->Write(copy.volumePath, bytes)) {
        // A file this copy created is removed again; an overwritten one is what the copy left.
        if (!copy.exists)
            m_files->Remove(copy.volumePath);
        return FALSE;
    }
    return m_files->SetAttributes(copy.volumePath, source.attributes & kVolumeAttributeBits)
               ? TRUE
               : FALSE;
}

BOOL ImagePlatform::ReplaceFileSafely(LPCSTR source, LPCSTR target) {
    Found from, to;
    if (!WriteAllowed() || !Find(source, from) || !Find(target, to) || !from.IsPlainFile() ||
        !to.parentExists) {
        return FALSE;
    }
    // A read-only target can't be replaced, as on Windows; the caller clears it first.
    if (to.exists && (to.folder || to.IsLink() || to.volumePath == from.volumePath ||
                      (to.attributes & FILE_ATTRIBUTE_READONLY))) {
        return FALSE;
    }
    std::string bytes;
    if (!m_files->Read(from.volumePath, bytes))
        return FALSE;
    return ReplaceOnVolume(*m_files, to.folderPath, to.name, to.exists, bytes,
                           from.attributes & kVolumeAttributeBits, m_replaceStepHook)
               ? TRUE
               : FALSE;
}

DWORD ImagePlatform::ReadFileAttributes(LPCSTR path) {
    Found found;
    if (Find(path, found) && InMemoryStaging(found)) {
        if (!m_stagingMade)
            return INVALID_FILE_ATTRIBUTES;
        return m_stagingAttributes == 0 ? FILE_ATTRIBUTE_NORMAL : m_stagingAttributes;
    }
    if (!Find(path, found) || !found.exists)
        return INVALID_FILE_ATTRIBUTES;
    const DWORD attributes = found.attributes | (found.folder ? kDirectoryAttribute : 0);
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

BOOL ImagePlatform::WriteFileAttributes(LPCSTR path, DWORD attributes) {
    Found found;
    if (Find(path, found) && InMemoryStaging(found) && m_stagingMade) {
        m_stagingAttributes = attributes & kVolumeAttributeBits;
        return TRUE;
    }
    if (!WriteAllowed() || !Find(path, found) || !found.exists || found.IsLink() ||
        found.volumePath == "/") {
        return FALSE;
    }
    return m_files->SetAttributes(found.volumePath, attributes & kVolumeAttributeBits) ? TRUE
                                                                                       : FALSE;
}

BOOL ImagePlatform::FileExists(LPCSTR path) {
    Found found;
    if (Find(path, found) && InMemoryStaging(found))
        return m_stagingMade ? TRUE : FALSE;
    return Find(path, found) && found.exists && !found.folder ? TRUE : FALSE;
}

std::unique_ptr<ITextStream> ImagePlatform::OpenTextStream(LPCSTR path) {
    Found found;
    std::string bytes;
    if (Find(path, found) && InMemoryStaging(found)) {
        if (!m_stagingMade || (m_stagingAttributes & FILE_ATTRIBUTE_READONLY))
            return nullptr;
        std::string* staging = &m_stagingBytes;
        return std::make_unique<VolumeTextStream>(m_stagingBytes,
                                                  [staging](const std::string& content) {
                                                      *staging = content;
                                                      return true;
                                                  });
    }
    if (!WriteAllowed() || !Find(path, found) || !found.IsPlainFile() ||
        (found.attributes & FILE_ATTRIBUTE_READONLY) || !m_files->Read(found.volumePath, bytes)) {
        return nullptr;
    }
    // Overwriting may reset a FAT file's attributes: they are given back after each flush.
    const std::string volumePath = found.volumePath;
    const DWORD attributes = found.attributes & kVolumeAttributeBits;
    VolumeFiles* files = m_files.get();
    return std::make_unique<VolumeTextStream>(std::move(bytes), [files, volumePath, attributes](
                                                                    const std::string& content) {
        return files->Write(volumePath, content) && files->SetAttributes(volumePath, attributes);
    });
}

BOOL ImagePlatform::ReadWholeFile(LPCSTR path, std::string& bytes) {
    Found found;
    bytes.clear();
    if (Find(path, found) && InMemoryStaging(found)) {
        bytes = m_stagingBytes;
        return m_stagingMade ? TRUE : FALSE;
    }
    return Find(path, found) && found.IsPlainFile() && m_files->Read(found.volumePath, bytes)
               ? TRUE
               : FALSE;
}

LockOutcome ImagePlatform::LockExclusively(LPCSTR, std::unique_ptr<IExclusiveLock>& lock) {
    lock.reset();
    const std::string& lockPath = m_where.lockPath.empty() ? m_where.rawPath : m_where.lockPath;
    const int descriptor = open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0)
        return LockOutcome::kFailed;
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        close(descriptor);
        return busy ? LockOutcome::kHeldElsewhere : LockOutcome::kFailed;
    }
    lock = std::make_unique<ImageLock>(descriptor);
    return LockOutcome::kLocked;
}

BOOL ImagePlatform::ReadTokenGroups(std::vector<TokenGroup>& groups) {
    // A volume opened for viewing only is shown to anyone who may read it; the editor then never
    // commits.
    groups = StandInTokenGroups(
        IsViewOnly() || faccessat(AT_FDCWD, m_where.rawPath.c_str(), W_OK, AT_EACCESS) == 0);
    return TRUE;
}

void ImagePlatform::SetWindowsFolderHint(LPCSTR windowsFolder) {
    m_windowsFolderHint = windowsFolder ? windowsFolder : "";
}

BOOL ImagePlatform::ReadSystemDirectory(CString& directory) {
    for (const std::string& candidate : SystemDirectoryCandidates(m_windowsFolderHint)) {
        Found found;
        if (Find(candidate.c_str(), found) && found.exists && found.folder) {
            directory = found.programPath.c_str();
            return TRUE;
        }
    }
    return FALSE;
}

BOOL ImagePlatform::ChangeCurrentDirectory(LPCSTR directory) {
    Found found;
    return Find(directory, found) && found.exists && found.folder ? TRUE : FALSE;
}
