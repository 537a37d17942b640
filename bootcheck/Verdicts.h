// The verdict on one boot line: it boots, it fails and why, or it can't be checked and why, in
// words a rescuer understands. A line fails for what the loader would stumble on first: a disk or
// partition that isn't there, a Windows folder that isn't, a kernel or HAL file that is missing.
// Where the line's Windows folder is missing and another one is found, the verdict says where,
// and Repair.h can point the line there.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bootcheck/Installations.h"
#include "bootcheck/KnownDisks.h"
#include "bootline/BootLine.h"

namespace bootcheck {

enum class Outcome { Boots, Fails, CannotCheck };

// How an outcome is named: the stable key scripts read ("cannot_check") and the word people read
// ("can't check").
struct OutcomeName {
    const char* key;
    const char* word;
};
const OutcomeName& NameOf(Outcome outcome);

struct LineVerdict {
    Outcome outcome = Outcome::CannotCheck;
    std::string text;
    std::optional<Installation> booted;      // the installation the line starts, when it boots
    std::optional<Installation> relocation;  // a Windows folder the line could point to instead
};

// Checks a parsed boot line. installations: FindInstallations(machine), found once for all lines.
LineVerdict CheckBootLine(const CBootLine& line, const Machine& machine,
                          const std::vector<Installation>& installations);

}  // namespace bootcheck
