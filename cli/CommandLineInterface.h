// The command line for scripts, on every platform:
//
//   PROGRAM list PATH [--json]
//   PROGRAM show PATH LINE [--json]
//   PROGRAM set PATH LINE [--add SWITCH]... [--remove SWITCH]... [--label TEXT] [--dry-run]
//   [--force] PROGRAM copy PATH LINE [--label TEXT] [--dry-run] [--force] PROGRAM delete PATH LINE
//   [--dry-run] [--force] PROGRAM default PATH LINE [--dry-run] [--force] PROGRAM timeout PATH
//   SECONDS [--dry-run] [--force] PROGRAM restore PATH [--force]
//
// PATH names the drive: a folder on Linux, a drive letter or a folder on Windows. The options are
// parsed by CLI11; each subcommand has its --help.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "platform/Platform.h"

// Whether a word is one of the subcommands (the Linux program starts the editor otherwise).
bool IsSubcommand(const std::string& word);

// Parses the arguments (the program's name first). -1 when the request is to run; otherwise the
// exit status, after printing the help (0) or the usage error (2).
int ParseRequest(const std::vector<std::string>& arguments, CliRequest& request, std::ostream& out,
                 std::ostream& err);

// The platform standing for the drive PATH names; null, with a message, when there is none.
using DriveOpener =
    std::function<std::unique_ptr<IPlatform>(const std::string& path, std::string& error)>;

// Parses, opens the drive, installs its platform for the time of the command and runs it.
// --partition is refused: it is for openers of disks and images.
int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   const DriveOpener& openDrive);

// The same with an opener that sees the whole request (its --partition, whether it only reads).
using RequestDriveOpener =
    std::function<std::unique_ptr<IPlatform>(const CliRequest& request, std::string& error)>;
int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   const RequestDriveOpener& openDrive);
