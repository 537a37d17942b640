#include "cli/CommandLineInterface.h"

#include <CLI/CLI.hpp>

namespace {

const struct {
    const char* name;
    CliRequest::Command command;
    const char* description;
} kSubcommands[] = {
    {"list", CliRequest::Command::kList,
     "List the boot lines, numbered from 1 as the editor lists them"},
    {"show", CliRequest::Command::kShow,
     "Show one boot line decoded: label, switches, values, unhandled options"},
    {"set", CliRequest::Command::kSet,
     "Add and remove switches of a boot line, or change its label"},
    {"copy", CliRequest::Command::kCopy,
     "Copy a boot line; the copy goes before it, labelled \"Copy \" and the old label"},
    {"delete", CliRequest::Command::kDelete, "Delete a boot line (never the only one)"},
    {"default", CliRequest::Command::kDefault,
     "Make a boot line the one the loader starts by default"},
    {"timeout", CliRequest::Command::kTimeout, "Set how many seconds the loader shows its menu"},
    {"restore", CliRequest::Command::kRestore,
     "Put BOOT.BAK back as BOOT.INI; the BOOT.INI it replaces becomes the new BOOT.BAK"},
};

const char kPathHelp[] =
    "The drive: the folder where the Windows drive is mounted, or on Windows a drive letter (E:)";

}  // namespace

bool IsSubcommand(const std::string& word) {
    for (const auto& subcommand : kSubcommands) {
        if (word == subcommand.name)
            return true;
    }
    return false;
}

int ParseRequest(const std::vector<std::string>& arguments, CliRequest& request, std::ostream& out,
                 std::ostream& err) {
    // The program's name without its folder, as users type it.
    std::string program = arguments.empty() ? "tarnwick" : arguments.front();
    program = program.substr(program.find_last_of("/\\") + 1);
    request.program = program;
    CLI::App app(
        "Edit the boot lines of BOOT.INI (Windows NT, 2000, XP, Server 2003) from scripts.\n"
        "Writing commands lock the drive, keep the previous BOOT.INI as BOOT.BAK and\n"
        "replace BOOT.INI whole. Exit status: 0 done, 1 refused (nothing written),\n"
        "2 usage, 3 file or lock failure (nothing lost).",
        program);
    app.require_subcommand(1);
    for (const auto& subcommand : kSubcommands) {
        CLI::App* command = app.add_subcommand(subcommand.name, subcommand.description);
        command->callback([&request, subcommand] { request.command = subcommand.command; });
        command->add_option("PATH", request.path, kPathHelp)->required();
        command->add_option("--partition", request.partition,
                            "On a disk or an image: the partition(n) holding BOOT.INI, where "
                            "several partitions hold one");
        switch (subcommand.command) {
            case CliRequest::Command::kList:
                command->add_flag("--json", request.json, "Print JSON (its shape is documented)");
                break;
            case CliRequest::Command::kShow:
                command->add_option("LINE", request.line, "The boot line's number, from 1")
                    ->required();
                command->add_flag("--json", request.json, "Print JSON (its shape is documented)");
                break;
            case CliRequest::Command::kRestore:
                break;
            case CliRequest::Command::kTimeout:
                command->add_option("SECONDS", request.seconds, "0 starts the default at once")
                    ->required();
                break;
            default:
                command->add_option("LINE", request.line, "The boot line's number, from 1")
                    ->required();
                break;
        }
        if (subcommand.command == CliRequest::Command::kSet) {
            command
                ->add_option("--add", request.added,
                             "A switch to add, as on a boot line: /debug, /debugport=com2, "
                             "/baudrate=115200; any letter case, slash optional")
                ->allow_extra_args(false);
            command
                ->add_option("--remove", request.removed,
                             "A switch to remove; a valued one (/maxmem) whatever its value")
                ->allow_extra_args(false);
        }
        if (subcommand.command == CliRequest::Command::kSet ||
            subcommand.command == CliRequest::Command::kCopy) {
            command->add_option("--label", request.label, "The line's new label");
        }
        if (subcommand.command != CliRequest::Command::kList &&
            subcommand.command != CliRequest::Command::kShow) {
            if (subcommand.command != CliRequest::Command::kRestore) {
                command->add_flag("--dry-run", request.dryRun,
                                  "Write nothing; print the change as a unified diff of BOOT.INI");
            }
            command->add_flag("--force", request.force,
                              "Write even when another program changed BOOT.INI meanwhile");
        }
    }
    if (arguments.size() > 1 && arguments[1].rfind("-", 0) != 0 && !IsSubcommand(arguments[1])) {
        err << program << ": unknown command '" << arguments[1] << "'. The commands are:";
        for (const auto& subcommand : kSubcommands)
            err << " " << subcommand.name;
        err << ".\nRun with --help for more information.\n";
        return kExitUsage;
    }
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help, out, err);
    } catch (const CLI::ParseError& error) {
        app.exit(error, out, err);
        return kExitUsage;
    }
    if (request.command == CliRequest::Command::kSet && request.added.empty() &&
        request.removed.empty() && !request.label) {
        err << program << " set: nothing to change: give --add, --remove or --label\n";
        return kExitUsage;
    }
    if (request.path.empty()) {
        err << program << ": PATH is empty\n";
        return kExitUsage;
    }
    return -1;
}

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   const DriveOpener& openDrive) {
    return RunCommandLine(
        arguments, out, err, [&openDrive](const CliRequest& request, std::string& error) {
            if (request.partition) {
                error = "--partition is for a disk or an image; " + request.path + " is a drive";
                return std::unique_ptr<IPlatform>();
            }
            return openDrive(request.path, error);
        });
}

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   const RequestDriveOpener& openDrive) {
    CliRequest request;
    const int parsed = ParseRequest(arguments, request, out, err);
    if (parsed >= 0)
        return parsed;
    std::string error;
    std::unique_ptr<IPlatform> drive = openDrive(request, error);
    if (!drive) {
        err << request.program << ": " << error << "\n";
        return kExitFileFailure;
    }
    IPlatform& previous = Platform();
    SetPlatform(drive.get());
    const int status = RunCommand(request, out, err);
    SetPlatform(&previous);
    return status;
}
