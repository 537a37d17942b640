// What `tarnwick check PATH [--json]` prints and returns, for the command line to call once it
// has opened the disks: the check of BOOT.INI's lines as text for people or as JSON for scripts
// (CheckJson.h). It never writes. Exit status: 0 when no boot line and not default= fails (lines
// that can't be checked don't count against it), 1 when one does.
#pragma once

#include <ostream>

#include "bootcheck/BootIniCheck.h"

namespace bootcheck {

int PrintCheck(const CStringArray& lines, const Machine& machine,
               const IWindowsVersionReader* versions, bool json, std::ostream& out);

}  // namespace bootcheck
