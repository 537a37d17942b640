#include "disk/linux/tests/TestImages.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

namespace disk::testing {

ScratchFolder::ScratchFolder() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/tarnwick-disk-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()))
        path_ = name.data();
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
}

bool RunShell(const std::string& command) {
    const std::string quiet = "(" + command + ") >/tmp/tarnwick-disk-test-$$.log 2>&1";
    const std::string withLog = quiet +
                                " || { cat /tmp/tarnwick-disk-test-$$.log >&2; rm -f "
                                "/tmp/tarnwick-disk-test-$$.log; exit 1; }; rm -f "
                                "/tmp/tarnwick-disk-test-$$.log";
    if (std::system(withLog.c_str()) == 0)
        return true;
    std::cerr << "command failed: " << command << "\n";
    return false;
}

bool RunShellOutput(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = popen(("(" + command + ") 2>/dev/null").c_str(), "r");
    if (!pipe)
        return false;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    while (!output.empty() && output.back() == '\n')
        output.pop_back();
    return pclose(pipe) == 0;
}

namespace {
std::string Quote(const std::string& text) {
    return "'" + text + "'";
}
}  // namespace

bool MakeImage(const std::string& path, unsigned sizeMiB, const std::string& sfdiskScript) {
    if (!RunShell("rm -f " + Quote(path) + " && truncate -s " + std::to_string(sizeMiB) + "M " +
                  Quote(path)))
        return false;
    return sfdiskScript.empty() ||
           RunShell("printf '%s' " + Quote(sfdiskScript) + " | sfdisk -q " + Quote(path));
}

bool MakeFat(const std::string& image, std::uint64_t startSector, std::uint64_t sectors,
             const std::string& label, int fatBits) {
    // One sector a cluster, so that small test partitions hold enough clusters for FAT16.
    return RunShell("mkfs.fat -s 1 -F " + std::to_string(fatBits) + " -n " + Quote(label) +
                    " --offset " + std::to_string(startSector) + " " + Quote(image) + " " +
                    std::to_string(sectors * kSector / 1024));
}

bool WriteBytes(const std::string& path, std::uint64_t offset, const std::string& bytes) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

std::string MbrSector(const std::vector<SectorEntry>& entries, std::uint32_t signature) {
    std::string sector(kSector, '\0');
    auto put32 = [&sector](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            sector[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
    };
    put32(440, signature);
    for (std::size_t i = 0; i < entries.size() && i < 4; ++i) {
        const std::size_t at = 446 + 16 * i;
        sector[at + 4] = static_cast<char>(entries[i].type);
        put32(at + 8, entries[i].start);
        put32(at + 12, entries[i].sectors);
    }
    sector[510] = '\x55';
    sector[511] = '\xaa';
    return sector;
}

std::string Describe(const DiskLayout& layout) {
    std::string text;
    for (const Partition& partition : layout.partitions) {
        char entry[160];
        std::snprintf(entry, sizeof entry, "%s%u:%02x%s@%llu/%llu%s%s%s%s", text.empty() ? "" : " ",
                      partition.number, partition.typeCode, partition.logical ? "L" : "",
                      static_cast<unsigned long long>(partition.start / kSector),
                      static_cast<unsigned long long>(partition.size / kSector),
                      partition.fileSystem.empty() ? "" : " ", partition.fileSystem.c_str(),
                      partition.label.empty() ? "" : ":", partition.label.c_str());
        text += entry;
    }
    return text;
}

}  // namespace disk::testing
