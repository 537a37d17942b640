// The subcommands of the command line, run on the drive that Platform() stands for: list and show
// read BOOT.INI; set, copy, delete, default, timeout and restore edit it through the file's model
// and commit it as the dialog's OK does, under the drive's lock.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Exit statuses.
const int kExitDone = 0;
const int kExitRefused = 1;  // bad input or a line out of range; nothing written
const int kExitUsage = 2;
const int kExitFileFailure = 3;  // a file or the lock failed; nothing lost

struct CliRequest {
    enum class Command { kList, kShow, kSet, kCopy, kDelete, kDefault, kTimeout, kRestore };
    Command command = Command::kList;
    std::string program = "tarnwick";  // the name messages begin with
    std::string path;                  // as the user named the drive, for messages
    int line = 0;                      // from 1, as listed
    int seconds = 0;                   // timeout
    std::vector<std::string> added;
    std::vector<std::string> removed;
    std::optional<std::string> label;
    bool json = false;
    bool dryRun = false;
    bool force = false;  // commit over a BOOT.INI that another program changed meanwhile
    std::optional<unsigned> partition;  // on a disk or an image: the partition(n) holding BOOT.INI
};

int RunCommand(const CliRequest& request, std::ostream& out, std::ostream& err);
