// The command line of the Linux program:
//
//   tarnwick [OPTION...] [DRIVE-FOLDER]
//   tarnwick [OPTION...] DISK [DISK...]
//
// DRIVE-FOLDER is the folder that stands for drive C: (a mounted Windows partition). Without it,
// the mounted file systems whose root holds a BOOT.INI (any case) are offered for choosing. A
// DISK is a disk, a device or an image; several are the machine's disks in BIOS order, the first
// holding BOOT.INI, the others known to the boot path check as rdisk(1), rdisk(2), ...
// Options: --help, --version, and the terminal options of the FINAL CUT toolkit, which are
// passed on to it (--no-mouse, --no-terminal-data-request, --encoding=MODE, ...).
#pragma once

#include <string>
#include <vector>

struct CommandLine {
    enum class Action { kRun, kHelp, kVersion, kError };
    Action action = Action::kRun;
    std::string driveFolder;                  // empty: choose among the mounted drives
    std::vector<std::string> otherDisks;      // after the first DISK: rdisk(1), rdisk(2), ...
    std::vector<std::string> toolkitOptions;  // for FINAL CUT
    std::string error;                        // for kError
};

CommandLine ParseCommandLine(const std::vector<std::string>& arguments);
std::string UsageText();
std::string VersionText();

// The mount points listed in a mount table in the format of /proc/self/mounts (octal escapes
// such as "\040" decoded), leaving out kernel file systems that never hold user files.
std::vector<std::string> MountPointsOf(const std::string& mountTable);
// True when the folder holds a regular file named BOOT.INI in any mix of case.
bool HoldsBootIni(const std::string& folder);
// The mount points of the running system whose root holds a BOOT.INI, in mount-table order.
std::vector<std::string> FindWindowsDrives();
