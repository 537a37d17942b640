#include "framework/term/CommandLine.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>

#include <CLI/CLI.hpp>
#include <fstream>
#include <set>
#include <sstream>

#ifndef TARNWICK_VERSION
#define TARNWICK_VERSION "1.0.0"
#endif

namespace {

// FINAL CUT's own options, passed on to it unchanged.
const std::vector<std::string> kToolkitFlags = {
    "--no-mouse",
    "--no-optimized-cursor",
    "--no-terminal-detection",
    "--no-terminal-data-request",
    "--no-color-change",
    "--no-sgr-optimizer",
    "--vgafont",
    "--newfont",
    "--dark-theme",
};
const std::vector<std::string> kToolkitValueOptions = {"--encoding", "--log-file"};

// Kernel file systems that hold no user files; looking into them is pointless and some (autofs)
// would mount things just by being looked at.
const std::set<std::string> kPseudoFileSystems = {
    "proc",       "sysfs",    "devtmpfs",  "devpts",   "cgroup",      "cgroup2",
    "securityfs", "debugfs",  "tracefs",   "configfs", "fusectl",     "mqueue",
    "hugetlbfs",  "pstore",   "bpf",       "autofs",   "binfmt_misc", "rpc_pipefs",
    "nfsd",       "efivarfs", "selinuxfs", "nsfs",     "ramfs",
};

std::string DecodeMountField(const std::string& field) {
    std::string decoded;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3' && field[i + 2] >= '0' && field[i + 2] <= '7' &&
            field[i + 3] >= '0' && field[i + 3] <= '7') {
            decoded += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                         (field[i + 3] - '0'));
            i += 3;
        } else {
            decoded += field[i];
        }
    }
    return decoded;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    CLI::App app("tarnwick", arguments.empty() ? "tarnwick" : arguments.front());
    // The program's own usage text stands for the help; CLI11 only tells that it was asked for.
    app.set_help_flag("-h,--help");
    bool version = false;
    app.add_flag("-V,--version", version);
    std::set<const CLI::Option*> toolkitFlags;
    for (const std::string& flag : kToolkitFlags)
        toolkitFlags.insert(app.add_flag(flag));
    for (const std::string& option : kToolkitValueOptions)
        app.add_option(option);
    std::vector<std::string> folders;
    app.add_option("DRIVE-FOLDER", folders);

    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp&) {
        line.action = CommandLine::Action::kHelp;
        return line;
    } catch (const CLI::ParseError& error) {
        line.action = CommandLine::Action::kError;
        line.error = error.what();
        return line;
    }
    if (version) {
        line.action = CommandLine::Action::kVersion;
        return line;
    }
    // FINAL CUT reads its options again from the arguments it is given, in their order.
    for (const CLI::Option* option : app.parse_order()) {
        if (option->get_name() == "DRIVE-FOLDER")
            continue;
        if (toolkitFlags.count(option)) {
            line.toolkitOptions.push_back(option->get_name());
            continue;
        }
        const std::string value = option->as<std::string>();
        if (value.empty()) {
            line.action = CommandLine::Action::kError;
            line.error = "option " + option->get_name() + " needs a value";
            return line;
        }
        line.toolkitOptions.push_back(option->get_name() + "=" + value);
    }
    // Disks come together as the machine has them; a folder stands for one drive only.
    struct stat info;
    if (folders.size() > 1 &&
        (stat(folders.front().c_str(), &info) != 0 || S_ISDIR(info.st_mode))) {
        line.action = CommandLine::Action::kError;
        line.error =
            "only one drive folder can be edited at a time; several disks or images "
            "(rdisk(0), rdisk(1), ...) can be given together";
        return line;
    }
    if (folders.size() > 1)
        line.otherDisks.assign(folders.begin() + 1, folders.end());
    if (!folders.empty()) {
        line.driveFolder = folders.front();
        if (line.driveFolder.empty()) {
            line.action = CommandLine::Action::kError;
            line.error = "the drive folder is empty";
        }
    }
    return line;
}

std::string UsageText() {
    return "Usage: tarnwick [OPTION...] [DRIVE-FOLDER]\n"
           "Edit the boot lines of the BOOT.INI of a Windows drive mounted at DRIVE-FOLDER\n"
           "(Windows NT, 2000, XP and Server 2003). DRIVE-FOLDER stands for drive C:; file names\n"
           "on it are matched without regard to case. Without DRIVE-FOLDER, the mounted file\n"
           "systems whose root holds a BOOT.INI are offered.\n"
           "       tarnwick [OPTION...] DISK [DISK...]\n"
           "Edit the BOOT.INI on a disk, a device or an image. Further disks are the machine's\n"
           "rdisk(1), rdisk(2), ... for Check Boot Paths.\n"
           "\n"
           "Changes go to BOOT.TMP first; OK after Apply writes BOOT.INI, keeping the old one\n"
           "as BOOT.BAK. The setting that hides the start-up warning is kept in\n"
           "$XDG_CONFIG_HOME/tarnwick/tarnwick.INI (default ~/.config/tarnwick/).\n"
           "\n"
           "Options:\n"
           "  -h, --help       show this help and exit\n"
           "  -V, --version    show the version and exit\n"
           "Terminal options (of the FINAL CUT toolkit):\n"
           "  --no-mouse, --no-terminal-data-request, --no-terminal-detection,\n"
           "  --no-color-change, --no-optimized-cursor, --no-sgr-optimizer,\n"
           "  --encoding=utf8|vt100|pc|ascii, --log-file=FILE, --vgafont, --newfont,\n"
           "  --dark-theme\n"
           "\n"
           "Commands for scripts (each with its --help):\n"
           "  tarnwick list|show|set|copy|delete|default|timeout|restore PATH ...\n"
           "  tarnwick check PATH [DISK...] [--json]   (never writes)\n"
           "A drive folder named like a command is edited with: tarnwick -- FOLDER\n"
           "\n"
           "Keys: Tab moves between controls, Alt+letter uses a control's underlined letter,\n"
           "Space ticks a box, Enter is OK, Escape is Cancel, F1 explains the focused control,\n"
           "F2 opens the Boot Menu (timeout, default line, order of the lines).\n";
}

std::string VersionText() {
    return std::string("tarnwick ") + TARNWICK_VERSION + "\n";
}

std::vector<std::string> MountPointsOf(const std::string& mountTable) {
    std::vector<std::string> points;
    std::istringstream lines(mountTable);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, point, type;
        if (!(fields >> device >> point >> type))
            continue;
        if (kPseudoFileSystems.count(type))
            continue;
        const std::string decoded = DecodeMountField(point);
        if (std::find(points.begin(), points.end(), decoded) == points.end())
            points.push_back(decoded);
    }
    return points;
}

bool HoldsBootIni(const std::string& folder) {
    DIR* directory = opendir(folder.c_str());
    if (!directory)
        return false;
    bool found = false;
    while (const dirent* entry = readdir(directory)) {
        if (strcasecmp(entry->d_name, "BOOT.INI") != 0)
            continue;
        struct stat info;
        const std::string path = (folder == "/" ? std::string() : folder) + "/" + entry->d_name;
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            found = true;
            break;
        }
    }
    closedir(directory);
    return found;
}

std::vector<std::string> FindWindowsDrives() {
    std::ifstream table("/proc/self/mounts");
    std::stringstream text;
    text << table.rdbuf();
    std::vector<std::string> drives;
    for (const std::string& point : MountPointsOf(text.str())) {
        if (HoldsBootIni(point))
            drives.push_back(point);
    }
    return drives;
}
