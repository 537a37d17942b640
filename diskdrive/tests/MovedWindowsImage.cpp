#include "diskdrive/tests/MovedWindowsImage.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "bootcheck/tests/TestHives.h"

namespace disk::testing {

const char kMovedWindowsBootIni[] =
    "[boot loader]\r\n"
    "timeout=30\r\n"
    "default=multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect\r\n"
    "multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS=\"XP, checked kernel\" /KERNEL=ntkrnlmp.exe\r\n"
    "multi(0)disk(0)rdisk(0)partition(4)\\WINDOWS=\"Linux partition\"\r\n"
    "multi(0)disk(0)rdisk(1)partition(1)\\WINNT=\"Windows 2000\" /fastdetect\r\n";

namespace {

constexpr std::uint64_t kStarts[] = {2048, 18432, 34816, 75776};

std::string Mtools(const std::string& image, std::uint64_t startSector) {
    return "MTOOLSRC=/dev/null MTOOLS_SKIP_CHECK=1 %s -i '" + image + "@@" +
           std::to_string(startSector * kSector) + "' ";
}

std::string Tool(const std::string& drive, const char* tool) {
    std::string command = drive;
    command.replace(command.find("%s"), 2, tool);
    return command;
}

}  // namespace

MovedWindowsImage::MovedWindowsImage(const ScratchFolder& folder)
    : folder_(folder), first_(folder.File("disk0.img")), second_(folder.File("disk1.img")) {
    using bootcheck::testing::EmptyHive;
    using bootcheck::testing::SoftwareHive;
    const bool made =
        MakeImage(first_, 40,
                  "label: dos\nlabel-id: 0x8b467c12\n"
                  "start=2048, size=16384, type=6\n"
                  "start=18432, size=16384, type=6\n"
                  "start=34816, size=40960, type=6\n"
                  "start=75776, size=4096, type=83\n") &&
        MakeFat(first_, kStarts[0], 16384, "BOOT") && MakeFat(first_, kStarts[1], 16384, "DATA") &&
        MakeFat(first_, kStarts[2], 40960, "XP") &&
        Put(first_, kStarts[0], "BOOT.INI", kMovedWindowsBootIni) &&
        Put(first_, kStarts[1], "DATA/notes.txt", "photos") &&
        Put(first_, kStarts[2], "WINDOWS/system32/ntoskrnl.exe", "MZ") &&
        Put(first_, kStarts[2], "WINDOWS/system32/hal.dll", "MZ") &&
        Put(first_, kStarts[2], "WINDOWS/system32/config/SYSTEM", EmptyHive()) &&
        Put(first_, kStarts[2], "WINDOWS/system32/config/SOFTWARE",
            SoftwareHive("Microsoft Windows XP Professional", "Service Pack 3", "5.1")) &&
        MakeImage(second_, 16,
                  "label: dos\nlabel-id: 0x2000cafe\nstart=2048, size=16384, type=6\n") &&
        MakeFat(second_, 2048, 16384, "W2K") &&
        Put(second_, 2048, "WINNT/system32/ntoskrnl.exe", "MZ") &&
        Put(second_, 2048, "WINNT/system32/hal.dll", "MZ") &&
        Put(second_, 2048, "WINNT/system32/config/SYSTEM", EmptyHive());
    if (!made)
        problem_ = "the test images could not be made (sfdisk, mkfs.fat and mtools are needed)";
}

bool MovedWindowsImage::Put(const std::string& image, std::uint64_t startSector,
                            const std::string& path, const std::string& bytes) {
    const std::string drive = Mtools(image, startSector);
    for (std::size_t slash = path.find('/'); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        RunShell(Tool(drive, "mmd") + "-D s ::/" + path.substr(0, slash) + " 2>/dev/null || true");
    }
    const std::string source = folder_.File("put");
    FILE* file = std::fopen(source.c_str(), "wb");
    if (!file)
        return false;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return RunShell(Tool(drive, "mcopy") + "-o '" + source + "' ::/" + path);
}

bool MovedWindowsImage::PutFile(unsigned partition, const std::string& path,
                                const std::string& bytes) {
    return partition >= 1 && partition <= 3 && Put(first_, kStarts[partition - 1], path, bytes);
}

bool MovedWindowsImage::ReadFile(unsigned partition, const std::string& path,
                                 std::string& bytes) const {
    if (partition < 1 || partition > 3)
        return false;
    const std::string target = folder_.File("got");
    if (!RunShell(Tool(Mtools(first_, kStarts[partition - 1]), "mcopy") + "-o ::/" + path + " '" +
                  target + "'"))
        return false;
    std::ifstream file(target, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace disk::testing
