// ARC names on a running Windows: the NT object namespace holds a folder \ArcName whose
// symbolic links name the exact device of every ARC path the firmware and loader know
// ("multi(0)disk(0)rdisk(0)partition(1)" -> "\Device\Harddisk0\Partition1"). The directory is an
// interface so that tests feed a table; win32/NtArcNames.h reads the real one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bootcheck/ArcPath.h"

namespace bootcheck {

struct ArcNameLink {
    std::string arcName;  // as the namespace spells it, lower case on real systems
    std::string device;   // the link's target
};

class IArcNameDirectory {
public:
    virtual ~IArcNameDirectory() = default;
    // Every link; nothing when the directory can't be read at all.
    virtual std::optional<std::vector<ArcNameLink>> Links() const = 0;
};

// The device of the disk and partition an ARC path names (its system root aside), matched by
// value (keyword case and leading zeros don't matter), or nothing when no link names it.
std::optional<std::string> DeviceOf(const ArcPath& path, const std::vector<ArcNameLink>& links);

// "\Device\Harddisk1\Partition2" -> disk 1, partition 2; nothing for any other device name.
struct HarddiskPartition {
    unsigned long disk = 0;
    unsigned long partition = 0;
};
std::optional<HarddiskPartition> ParseHarddiskDevice(const std::string& device);

}  // namespace bootcheck
