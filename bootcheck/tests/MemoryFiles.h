// A partition's files held in memory for the check's tests: paths relative to the root with "\",
// folders implied by the files under them, names matched without regard to case as on FAT and NTFS.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bootcheck/KnownDisks.h"
#include "bootcheck/Text.h"

namespace bootcheck::testing {

class MemoryFiles : public IPartitionFiles {
public:
    MemoryFiles(std::vector<std::pair<std::string, std::string>> files)
        : m_files(std::move(files)) {}

    bool Exists(const std::string& path) const override {
        if (path.empty())
            return true;
        for (const auto& file : m_files) {
            if (EqualsNoCase(file.first, path) || IsUnder(file.first, path))
                return true;
        }
        return false;
    }

    std::optional<std::string> ReadFile(const std::string& path) const override {
        for (const auto& file : m_files) {
            if (EqualsNoCase(file.first, path))
                return file.second;
        }
        return std::nullopt;
    }

    std::optional<std::vector<FolderEntry>> ListFolder(const std::string& path) const override {
        if (!path.empty() && !Exists(path))
            return std::nullopt;
        std::vector<FolderEntry> entries;
        for (const auto& file : m_files) {
            if (!path.empty() && !IsUnder(file.first, path))
                continue;
            std::string rest = path.empty() ? file.first : file.first.substr(path.size() + 1);
            size_t slash = rest.find('\\');
            FolderEntry entry{rest.substr(0, slash), slash != std::string::npos};
            bool seen = false;
            for (const FolderEntry& known : entries)
                seen = seen || EqualsNoCase(known.name, entry.name);
            if (!seen)
                entries.push_back(entry);
        }
        return entries;
    }

private:
    static bool IsUnder(const std::string& file, const std::string& folder) {
        return file.size() > folder.size() + 1 && file[folder.size()] == '\\' &&
               EqualsNoCase(file.substr(0, folder.size()), folder);
    }

    std::vector<std::pair<std::string, std::string>> m_files;
};

inline std::shared_ptr<const IPartitionFiles> Files(
    std::vector<std::pair<std::string, std::string>> files) {
    return std::make_shared<MemoryFiles>(std::move(files));
}

// The files that make a folder a Windows installation that boots: kernel, HAL, SYSTEM hive.
inline std::vector<std::pair<std::string, std::string>> WindowsFiles(const std::string& folder) {
    return {{folder + "\\system32\\ntoskrnl.exe", "MZ"},
            {folder + "\\system32\\hal.dll", "MZ"},
            {folder + "\\system32\\config\\SYSTEM", "regf"}};
}

inline std::vector<std::pair<std::string, std::string>> operator+(
    std::vector<std::pair<std::string, std::string>> a,
    const std::vector<std::pair<std::string, std::string>>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline KnownPartition Partition(unsigned long number, const char* fileSystem,
                                std::shared_ptr<const IPartitionFiles> files) {
    return {number, fileSystem, std::move(files)};
}

inline KnownDisk Disk(LabelType label, uint32_t signature, std::vector<KnownPartition> partitions) {
    KnownDisk disk;
    disk.name = "disk.img";
    disk.label = label;
    disk.signature = signature;
    disk.partitions = std::move(partitions);
    return disk;
}

// A boot sector: 512 bytes ending in 55 AA.
inline std::string BootSector() {
    std::string sector(512, '\0');
    sector[510] = '\x55';
    sector[511] = '\xAA';
    return sector;
}

}  // namespace bootcheck::testing
