// tarnwick check PATH... [--json] [--partition N]: the boot path check from the command line.
// The first PATH holds BOOT.INI: a disk, a device or an image (the partition whose root holds it,
// or the one --partition names), or a folder where the drive is mounted. Every disk named is
// rdisk(0), rdisk(1), ... in that order. Everything is opened for reading only; nothing is
// written. Exit status: 0 when no boot line and not default= fails, 1 when one does, 2 usage,
// 3 when a disk or BOOT.INI can't be read.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// The arguments begin with the program's name, then "check".
int RunCheckCommand(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err);
