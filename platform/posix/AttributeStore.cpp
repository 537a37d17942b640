#include "platform/posix/AttributeStore.h"

#include <sys/stat.h>

IAttributeStore::Result OwnerWriteBitAttributeStore::Read(const std::string& hostPath,
                                                          DWORD& attributes) {
    struct stat info;
    if (stat(hostPath.c_str(), &info) != 0)
        return Result::kFailed;
    attributes = 0;
    if (S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return Result::kDone;
}

IAttributeStore::Result OwnerWriteBitAttributeStore::Write(const std::string& hostPath,
                                                           DWORD attributes) {
    struct stat info;
    if (stat(hostPath.c_str(), &info) != 0)
        return Result::kFailed;
    if (!S_ISREG(info.st_mode))
        return Result::kDone;
    mode_t mode = info.st_mode & 07777;
    mode_t wanted = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~S_IWUSR) : (mode | S_IWUSR);
    if (wanted == mode)
        return Result::kDone;
    return chmod(hostPath.c_str(), wanted) == 0 ? Result::kDone : Result::kFailed;
}
