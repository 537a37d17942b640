// The check of a BOOT.INI for scripts, as `tarnwick check --json` prints it:
//   {"lines": [{"number", "line_index", "arc_path", "label", "verdict", "reason", "found_at",
//               "repaired"}],
//    "default": {"verdict", "reason"},
//    "proposals": [{"rdisk", "partition", "folder", "product_name", "service_pack", "line"}]}
// "verdict" is "boots", "fails" or "cannot_check"; "found_at" is {"rdisk", "partition",
// "folder"} or null; missing texts are null.
#pragma once

#include <nlohmann/json.hpp>

#include "bootcheck/BootIniCheck.h"

namespace bootcheck {

nlohmann::ordered_json CheckJson(const BootIniCheck& check, const CStringArray& lines);

}  // namespace bootcheck
