// tarnwick-attributes DRIVE-FOLDER PATH [ATTRIBUTES]: prints (or sets) the Windows attributes of a
// file on a drive folder as the Linux program sees them, in hexadecimal. The end-to-end tests use
// it to prepare a drive and to check what the program left there.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/posix/DosAttributeStores.h"
#include "platform/posix/PosixPlatform.h"

int main(int argc, char* argv[]) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: tarnwick-attributes DRIVE-FOLDER PATH [ATTRIBUTES]\n");
        return 2;
    }
    PosixPlatform platform(argv[1]);
    platform.AddAttributeStore(std::make_unique<FatAttributeStore>());
    platform.AddAttributeStore(std::make_unique<NtfsAttributeStore>());
    if (argc == 4) {
        const DWORD attributes = std::strtoul(argv[3], nullptr, 16);
        return platform.WriteFileAttributes(argv[2], attributes) ? 0 : 1;
    }
    const DWORD attributes = platform.ReadFileAttributes(argv[2]);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 1;
    std::printf("%02lx\n", static_cast<unsigned long>(attributes));
    return 0;
}
