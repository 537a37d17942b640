// Repair of a boot line whose Windows folder moved: the line pointed at the installation found
// elsewhere. Only the characters of the ARC path that must change are replaced (the rdisk(),
// disk() or signature() number of another disk, the partition() number, the system root when its
// name differs); every other byte of the line, switches, label, spacing and line end, stays.
#pragma once

#include <optional>
#include <string>

#include "bootcheck/Installations.h"
#include "bootcheck/KnownDisks.h"

namespace bootcheck {

// The line's new text, or nothing when its head is not an ARC path that names a partition.
std::optional<std::string> RepairedLine(const std::string& line, const Installation& target,
                                        const Machine& machine);

}  // namespace bootcheck
