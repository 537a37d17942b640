// libFuzzer target for NTFS volumes that are damaged: each input is a list of patches (four bytes
// each: where, a 16-bit offset, a byte) laid over a small NTFS partition that holds BOOT.INI and
// WINDOWS\system32; "where" picks the boot sector, the first 64 KiB of the MFT, or anywhere. The
// damaged partition is opened read-only and writable as the editor opens it, and read as the editor
// reads it. For every input: nothing crashes, an open that fails says why, and a read-only open
// changes no byte.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/image/ChildProcess.h"
#include "platform/image/ImageVolume.h"

namespace {

constexpr std::uint64_t kLength = 2 * 1024 * 1024;
std::string g_folder, g_partition, g_pristine;
std::uint64_t g_mftOffset = 0;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "ntfs volume fuzz: %s\n", what.c_str());
    std::abort();
}

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    if (!file)
        Fail("can't write " + path);
}

void RemoveFolder() {
    std::error_code error;
    std::filesystem::remove_all(g_folder, error);
}

// A 2 MiB NTFS partition from mkntfs, with the editor's files put in by the tests' helper.
void MakePartition() {
    char pattern[] = "/tmp/tarnwick-ntfs-fuzz-XXXXXX";
    if (!mkdtemp(pattern))
        Fail("no temporary folder");
    g_folder = pattern;
    std::atexit(RemoveFolder);
    g_partition = g_folder + "/partition.img";
    WriteBytes(g_partition, std::string());
    if (truncate(g_partition.c_str(), static_cast<off_t>(kLength)) != 0)
        Fail("can't size the partition");
    const ChildResult made =
        RunChild({"mkntfs", "-F", "-Q", "-q", "-H", "255", "-S", "63", g_partition},
                 {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"});
    if (!made.started || made.exitCode != 0)
        Fail("mkntfs failed: " + made.errors);
    const std::string content = g_folder + "/boot.ini";
    WriteBytes(content, "[boot loader]\r\ntimeout=30\r\n[operating systems]\r\n");
    const ChildResult filled =
        RunChild({TARNWICK_NTFS_FIXTURE, g_partition, "mkdir", "/WINDOWS", "mkdir",
                  "/WINDOWS/system32", "put", "/BOOT.INI", content, "attrib", "/BOOT.INI", "7",
                  "put", "/WINDOWS/system32/hal.dll", content},
                 {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"});
    if (!filled.started || filled.exitCode != 0)
        Fail("ntfs-fixture failed: " + filled.errors);
    g_pristine = ReadBytes(g_partition);
    const auto byte = [](size_t at) {
        return static_cast<std::uint64_t>(static_cast<unsigned char>(g_pristine[at]));
    };
    std::uint64_t mftCluster = 0;
    for (int i = 7; i >= 0; --i)
        mftCluster = (mftCluster << 8) | byte(0x30 + static_cast<size_t>(i));
    g_mftOffset = mftCluster * (byte(0x0B) | (byte(0x0C) << 8)) * byte(0x0D);
    if (g_mftOffset + 65536 > g_pristine.size())
        Fail("the MFT is not where the boot sector says");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    MakePartition();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    std::string damaged = g_pristine;
    for (size_t at = 0; at + 4 <= size; at += 4) {
        const std::uint64_t within = data[at + 1] | (data[at + 2] << 8);
        std::uint64_t offset;
        switch (data[at] % 3) {
            case 0:
                offset = within % 512;
                break;
            case 1:
                offset = g_mftOffset + within;
                break;
            default:
                offset = (within * 37) % damaged.size();
                break;
        }
        damaged[offset] = static_cast<char>(data[at + 3]);
    }
    WriteBytes(g_partition, damaged);

    for (bool readOnly : {true, false}) {
        std::string error;
        std::unique_ptr<ImagePlatform> volume =
            OpenImageVolume({g_partition, 0, kLength, readOnly, g_partition}, error);
        if (!volume) {
            if (error.empty())
                Fail("an open failed without saying why");
            continue;
        }
        std::string bytes;
        std::vector<VolumeFolderEntry> entries;
        volume->HoldsBootIni();
        volume->ReadWholeFile("C:\\BOOT.INI", bytes);
        volume->ListFolder("C:\\", entries);
        volume->ListFolder("C:\\WINDOWS\\system32", entries);
        volume->ReadFileAttributes("C:\\BOOT.INI");
        volume.reset();
        if (readOnly && ReadBytes(g_partition) != damaged)
            Fail("a read-only open changed the partition");
    }
    return 0;
}
