#include "cli/ImageDrive.h"

#include <sys/stat.h>

#include "cli/Commands.h"
#include "cli/PosixDrive.h"

namespace {

// Drive C: on the disk: every call goes to the partition's volume, while the disk (its lock, a
// container's daemon) stays open behind it.
class DiskDrivePlatform : public IPlatform {
public:
    explicit DiskDrivePlatform(std::unique_ptr<DiskDrive> disk)
        : m_disk(std::move(disk)), m_volume(*m_disk->Drive()) {}

    UINT GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR file) override {
        return m_volume.GetProfileInt(section, key, defaultValue, file);
    }
    BOOL WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) override {
        return m_volume.WriteProfileString(section, key, value, file);
    }
    BOOL CopyFileTo(LPCSTR existing, LPCSTR target, BOOL failIfExists) override {
        return m_volume.CopyFileTo(existing, target, failIfExists);
    }
    BOOL ReplaceFileSafely(LPCSTR source, LPCSTR target) override {
        return m_volume.ReplaceFileSafely(source, target);
    }
    DWORD ReadFileAttributes(LPCSTR path) override { return m_volume.ReadFileAttributes(path); }
    BOOL WriteFileAttributes(LPCSTR path, DWORD attributes) override {
        return m_volume.WriteFileAttributes(path, attributes);
    }
    BOOL FileExists(LPCSTR path) override { return m_volume.FileExists(path); }
    std::unique_ptr<ITextStream> OpenTextStream(LPCSTR path) override {
        return m_volume.OpenTextStream(path);
    }
    BOOL ReadWholeFile(LPCSTR path, std::string& bytes) override {
        return m_volume.ReadWholeFile(path, bytes);
    }
    LockOutcome LockExclusively(LPCSTR path, std::unique_ptr<IExclusiveLock>& lock) override {
        return m_volume.LockExclusively(path, lock);
    }
    BOOL ReadTokenGroups(std::vector<TokenGroup>& groups) override {
        return m_volume.ReadTokenGroups(groups);
    }
    BOOL ReadSystemDirectory(CString& directory) override {
        return m_volume.ReadSystemDirectory(directory);
    }
    BOOL ChangeCurrentDirectory(LPCSTR directory) override {
        return m_volume.ChangeCurrentDirectory(directory);
    }
    void SetWindowsFolderHint(LPCSTR windowsFolder) override {
        m_volume.SetWindowsFolderHint(windowsFolder);
    }

private:
    std::unique_ptr<DiskDrive> m_disk;
    ImagePlatform& m_volume;
};

std::string Listing(const DiskDrive& drive) {
    std::string text = drive.Heading();
    for (std::size_t index : drive.WithBootIni())
        text += "\n  " + DescribeCandidate(drive.Candidates()[index]);
    return text;
}

}  // namespace

std::optional<std::size_t> ChooseBootIniPartition(const DiskDrive& drive,
                                                  std::optional<unsigned> partition,
                                                  std::string& error) {
    const std::vector<std::size_t> found = drive.WithBootIni();
    if (found.empty()) {
        error = drive.NothingToEditMessage();
        while (!error.empty() && error.back() == '\n')
            error.pop_back();
        return std::nullopt;
    }
    if (partition) {
        for (std::size_t index : found) {
            if (drive.Candidates()[index].partition.number == *partition)
                return index;
        }
        error = "partition(" + std::to_string(*partition) + ") of " + drive.Disk().Path() +
                " holds no BOOT.INI. " + Listing(drive);
        return std::nullopt;
    }
    if (found.size() > 1) {
        error = "several partitions of " + drive.Disk().Path() +
                " hold a BOOT.INI: pick one with --partition N. " + Listing(drive);
        return std::nullopt;
    }
    return found.front();
}

std::unique_ptr<IPlatform> OpenImageDrive(const std::string& path,
                                          std::optional<unsigned> partition, bool readOnly,
                                          std::string& error) {
    auto drive = std::make_unique<DiskDrive>();
    disk::DiskOpenOptions options;
    options.readOnly = readOnly;
    const disk::DiskStatus status = drive->Open(path, options);
    if (!status.Ok()) {
        error = status.message;
        return nullptr;
    }
    const std::optional<std::size_t> chosen = ChooseBootIniPartition(*drive, partition, error);
    if (!chosen || !drive->OpenDrive(*chosen, error))
        return nullptr;
    return std::make_unique<DiskDrivePlatform>(std::move(drive));
}

std::unique_ptr<IPlatform> OpenFolderOrDiskDrive(const CliRequest& request, std::string& error) {
    struct stat info;
    if (stat(request.path.c_str(), &info) != 0) {
        error = request.path + ": no such folder, disk or image";
        return nullptr;
    }
    if (S_ISDIR(info.st_mode)) {
        if (request.partition) {
            error = "--partition is for a disk or an image; " + request.path + " is a folder";
            return nullptr;
        }
        return OpenPosixDrive(request.path, error);
    }
    const bool onlyReads = request.command == CliRequest::Command::kList ||
                           request.command == CliRequest::Command::kShow;
    return OpenImageDrive(request.path, request.partition, onlyReads, error);
}
