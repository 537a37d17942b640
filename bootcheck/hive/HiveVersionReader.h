// The version of an offline Windows installation from its SOFTWARE hive, read with hivex.
// Linux and other POSIX builds only: Debian has no hivex for mingw-w64.
#pragma once

#include "bootcheck/Rebuild.h"

namespace bootcheck {

class HiveVersionReader : public IWindowsVersionReader {
public:
    std::optional<WindowsVersion> Read(const IPartitionFiles& files,
                                       const std::string& folder) const override;
};

// The same from the bytes of a SOFTWARE hive; nothing when they are not a hive or lack the key.
std::optional<WindowsVersion> VersionFromSoftwareHive(const std::string& hive);

}  // namespace bootcheck
