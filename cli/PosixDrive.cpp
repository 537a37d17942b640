#include "cli/PosixDrive.h"

#include <sys/stat.h>

#include "platform/posix/DosAttributeStores.h"
#include "platform/posix/PosixPlatform.h"

std::unique_ptr<IPlatform> OpenPosixDrive(const std::string& path, std::string& error) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = path + ": not a folder. Name the folder where the Windows drive is mounted.";
        return nullptr;
    }
    auto platform = std::make_unique<PosixPlatform>(path);
    platform->AddAttributeStore(std::make_unique<FatAttributeStore>());
    platform->AddAttributeStore(std::make_unique<NtfsAttributeStore>());
    return platform;
}
