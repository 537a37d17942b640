#include "bootcheck/win32/Win32PartitionFiles.h"

#include "bootcheck/win32/NtArcNames.h"
#include "framework/Types.h"

namespace bootcheck {
namespace {

constexpr const char* kGlobalRoot = "\\\\?\\GLOBALROOT";

std::optional<std::string> ReadHandle(HANDLE file, DWORD limit) {
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr))
            return std::nullopt;
        if (got == 0)
            return bytes;
        bytes.append(buffer, got);
        if (bytes.size() >= limit) {
            bytes.resize(limit);
            return bytes;
        }
    }
}

}  // namespace

std::string Win32PartitionFiles::Full(const std::string& path) const {
    return path.empty() ? m_root + "\\" : m_root + "\\" + path;
}

bool Win32PartitionFiles::Exists(const std::string& path) const {
    return ::GetFileAttributesA(Full(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> Win32PartitionFiles::ReadFile(const std::string& path) const {
    HANDLE file =
        ::CreateFileA(Full(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::optional<std::string> bytes = ReadHandle(file, 0xFFFFFFFFul);
    ::CloseHandle(file);
    return bytes;
}

std::optional<std::vector<FolderEntry>> Win32PartitionFiles::ListFolder(
    const std::string& path) const {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((Full(path) + (path.empty() ? "*" : "\\*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::vector<FolderEntry> entries;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return entries;
}

DeviceAccess Win32DeviceAccess() {
    DeviceAccess access;
    access.openPartition = [](const std::string& device) {
        std::string root = kGlobalRoot + device;
        char fileSystem[MAX_PATH + 1] = "";
        if (!::GetVolumeInformationA((root + "\\").c_str(), nullptr, 0, nullptr, nullptr, nullptr,
                                     fileSystem, sizeof fileSystem))
            return OpenedPartition{"", nullptr};
        return OpenedPartition{fileSystem, std::make_shared<Win32PartitionFiles>(root)};
    };
    access.readFirstSector = [](const std::string& device) -> std::optional<std::string> {
        HANDLE disk =
            ::CreateFileA((kGlobalRoot + device).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (disk == INVALID_HANDLE_VALUE)
            return std::nullopt;
        char sector[512];
        DWORD got = 0;
        BOOL read = ::ReadFile(disk, sector, sizeof sector, &got, nullptr);
        ::CloseHandle(disk);
        if (!read || got != sizeof sector)
            return std::nullopt;
        return std::string(sector, sizeof sector);
    };
    return access;
}

Machine RunningWindowsMachine() {
    std::optional<std::vector<ArcNameLink>> links = NtArcNameDirectory().Links();
    return MachineFromArcNames(links.value_or(std::vector<ArcNameLink>{}), Win32DeviceAccess());
}

}  // namespace bootcheck
