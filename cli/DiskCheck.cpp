#include "cli/DiskCheck.h"

#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <optional>

#include "bootcheck/CheckCommand.h"
#include "bootcheck/hive/HiveVersionReader.h"
#include "cli/Commands.h"
#include "cli/ImageDrive.h"
#include "cli/PosixDrive.h"
#include "diskdrive/KnownDisksOfImages.h"
#include "store/BootIniDocument.h"

namespace {

struct CheckRequest {
    std::vector<std::string> paths;
    std::optional<unsigned> partition;
    bool json = false;
};

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

int RunCheckCommand(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err) {
    std::string program = arguments.empty() ? "tarnwick" : arguments.front();
    program = program.substr(program.find_last_of('/') + 1);
    CheckRequest request;
    CLI::App app(
        "Check every boot line of BOOT.INI against the disks: whether it boots, and why not.\n"
        "Never writes. Exit status: 0 no boot line fails, 1 one does (or default= does),\n"
        "2 usage, 3 a disk or BOOT.INI can't be read.",
        program + " check");
    app.add_option("PATH", request.paths,
                   "The disk, device or image holding BOOT.INI (or the folder where its drive is "
                   "mounted), then the machine's other disks: rdisk(0), rdisk(1), ...")
        ->required();
    app.add_option("--partition", request.partition,
                   "The partition(n) holding BOOT.INI, where several partitions of the first disk "
                   "hold one");
    app.add_flag("--json", request.json, "Print JSON (its shape is documented)");
    std::vector<const char*> argv;
    argv.push_back(arguments.empty() ? "tarnwick" : arguments[0].c_str());
    for (std::size_t i = 2; i < arguments.size(); ++i)
        argv.push_back(arguments[i].c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help, out, err);
    } catch (const CLI::ParseError& error) {
        app.exit(error, out, err);
        return kExitUsage;
    }

    const std::string& first = request.paths.front();
    const std::vector<std::string> others(request.paths.begin() + 1, request.paths.end());
    std::string error;
    std::string bytes;
    bootcheck::Machine machine;
    CheckedDisks disks;
    DiskDrive drive;
    if (IsFolder(first)) {
        if (request.partition) {
            err << program << " check: --partition is for a disk or an image, not a folder\n";
            return kExitUsage;
        }
        if (!others.empty()) {
            err << program
                << " check: a folder is checked alone; to check several disks, name "
                   "the disk holding BOOT.INI first\n";
            return kExitUsage;
        }
        std::unique_ptr<IPlatform> folder = OpenPosixDrive(first, error);
        if (!folder || !folder->ReadWholeFile("C:\\BOOT.INI", bytes)) {
            err << program << " check: " << first << ": no BOOT.INI can be read there\n";
            return kExitFileFailure;
        }
        // Without its disk the lines are still listed, each saying it can't be checked.
        std::optional<unsigned long> systemPartition;
        if (disks.OpenMounted(first, systemPartition, error))
            machine = disks.Machine(systemPartition);
        else
            err << program << " check: the disk behind " << first << " can't be read: " << error
                << "\n";
    } else {
        disk::DiskOpenOptions options;
        options.readOnly = true;
        const disk::DiskStatus status = drive.Open(first, options);
        std::optional<std::size_t> chosen;
        if (status.Ok())
            chosen = ChooseBootIniPartition(drive, request.partition, error);
        else
            error = status.message;
        ImagePlatform* volume = chosen ? drive.OpenDrive(*chosen, error) : nullptr;
        if (!volume) {
            err << program << " check: " << error << "\n";
            return chosen || !status.Ok() ? kExitFileFailure : kExitRefused;
        }
        if (!volume->ReadWholeFile("C:\\BOOT.INI", bytes)) {
            err << program << " check: " << first << ": BOOT.INI can't be read\n";
            return kExitFileFailure;
        }
        if (!disks.Open(drive.Disk(), others, error)) {
            err << program << " check: " << error << "\n";
            return kExitFileFailure;
        }
        machine = disks.Machine(drive.Candidates()[*chosen].partition.number);
    }
    const bootcheck::HiveVersionReader versions;
    return bootcheck::PrintCheck(LinesOfFile(bytes), machine, &versions, request.json, out);
}
