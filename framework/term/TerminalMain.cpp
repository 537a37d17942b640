// The entry point of the Linux program: reads the command line, picks the drive folder (or the
// partition of a disk or image), installs the POSIX (or image) platform and the terminal back-end,
// and runs the application object, as the framework's entry code does on Windows.
#include <sys/stat.h>
#include <unistd.h>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <final/final.h>

#include "bootcheck/hive/HiveVersionReader.h"
#include "cli/CommandLineInterface.h"
#include "cli/DiskCheck.h"
#include "cli/ImageDrive.h"
#include "diskdrive/DiskDrive.h"
#include "diskdrive/KnownDisksOfImages.h"
#include "framework/App.h"
#include "framework/term/ChoicePrompt.h"
#include "framework/term/CommandLine.h"
#include "framework/term/DiskDriveChoice.h"
#include "framework/term/TermBackend.h"
#include "framework/term/TerminalHelp.h"
#include "framework/term/VolumeFolders.h"
#include "platform/posix/DosAttributeStores.h"
#include "platform/posix/PosixPlatform.h"
#include "res/IconPicture.h"
#include "shell/BootCheckDlg.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kFileFailure = 3;

// The partition(n) of drive C: on the disk.
unsigned long PartitionNumberOf(const DiskDrive& disk) {
    for (const DriveCandidate& candidate : disk.Candidates()) {
        if (candidate.partition.start == disk.Drive()->Location().offset)
            return candidate.partition.number;
    }
    return 0;
}

// Offers the mounted drives that hold a BOOT.INI; false when the user chose none.
bool ChooseDrive(std::string& folder, int& exitCode) {
    const std::vector<std::string> drives = FindWindowsDrives();
    if (drives.empty()) {
        std::cerr << "tarnwick: no mounted file system holds a BOOT.INI; name the drive folder.\n\n"
                  << UsageText();
        exitCode = kUsageError;
        return false;
    }
    std::cout << "Mounted drives that hold a BOOT.INI:\n";
    for (std::size_t i = 0; i < drives.size(); ++i)
        std::cout << "  " << i + 1 << "  " << drives[i] << "\n";
    std::size_t chosen = 0;
    if (!AskForChoice("Edit which drive?", drives.size(), std::cin, std::cout, chosen)) {
        exitCode = 0;
        return false;
    }
    folder = drives[chosen];
    return true;
}

std::string ToProgramPath(const std::string& driveFolder, const std::string& hostPath) {
    std::string root = driveFolder;
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    if (hostPath == root)
        return "C:\\";
    const std::string prefix = root == "/" ? root : root + "/";
    if (hostPath.compare(0, prefix.size(), prefix) != 0)
        return std::string();
    std::string path = "C:\\" + hostPath.substr(prefix.size());
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

}  // namespace

int main(int argc, char* argv[]) {
    // "tarnwick list /mnt/windows" and the other subcommands are for scripts: no editor.
    if (argc > 1 && std::string(argv[1]) == "check")
        return RunCheckCommand(std::vector<std::string>(argv, argv + argc), std::cout, std::cerr);
    if (argc > 1 && IsSubcommand(argv[1]))
        return RunCommandLine(std::vector<std::string>(argv, argv + argc), std::cout, std::cerr,
                              OpenFolderOrDiskDrive);
    const CommandLine commandLine = ParseCommandLine(std::vector<std::string>(argv, argv + argc));
    switch (commandLine.action) {
        case CommandLine::Action::kHelp:
            std::cout << UsageText();
            return 0;
        case CommandLine::Action::kVersion:
            std::cout << VersionText();
            return 0;
        case CommandLine::Action::kError:
            std::cerr << "tarnwick: " << commandLine.error << "\nTry 'tarnwick --help'.\n";
            return kUsageError;
        case CommandLine::Action::kRun:
            break;
    }

    std::string driveFolder = commandLine.driveFolder;
    if (driveFolder.empty()) {
        int exitCode = 0;
        if (!ChooseDrive(driveFolder, exitCode))
            return exitCode;
    }
    struct stat info;
    if (stat(driveFolder.c_str(), &info) != 0) {
        std::cerr << "tarnwick: " << driveFolder << ": no such folder, disk or image\n";
        return kUsageError;
    }
    // Anything but a folder is a disk or an image: drive C: is a partition on it.
    std::unique_ptr<DiskDrive> disk;
    if (!S_ISDIR(info.st_mode)) {
        int exitCode = 0;
        disk = OpenDriveOnDisk(driveFolder, std::cin, std::cout, std::cerr, exitCode);
        if (!disk)
            return exitCode;
    }

    // The boot path check knows the disks given, the one being edited as rdisk(0).
    CheckedDisks checkedDisks;
    std::function<bootcheck::Machine()> machine;
    if (disk) {
        std::string error;
        if (!checkedDisks.Open(disk->Disk(), commandLine.otherDisks, error)) {
            std::cerr << "tarnwick: " << error << "\n";
            return kFileFailure;
        }
        const unsigned long systemPartition = PartitionNumberOf(*disk);
        machine = [&checkedDisks, systemPartition] {
            return checkedDisks.Machine(systemPartition);
        };
    } else {
        // A folder that is a mounted partition is checked on the disk behind it.
        std::string error;
        std::optional<unsigned long> systemPartition;
        if (checkedDisks.OpenMounted(driveFolder, systemPartition, error)) {
            machine = [&checkedDisks, systemPartition] {
                return checkedDisks.Machine(systemPartition);
            };
        } else {
            std::cerr << "tarnwick: the disk behind " << driveFolder << " can't be read: " << error
                      << "\n";
        }
    }

    // What is wrong with the drive is told first, also without a terminal; the editor needs one.
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        std::cerr
            << "tarnwick: the editor needs a terminal; for scripts use the command line: "
               "tarnwick list PATH, tarnwick set PATH LINE --add SWITCH, ... (man tarnwick)\n";
        return kUsageError;
    }

    std::unique_ptr<PosixPlatform> folderPlatform;
    if (!disk) {
        folderPlatform = std::make_unique<PosixPlatform>(driveFolder);
        folderPlatform->AddAttributeStore(std::make_unique<FatAttributeStore>());
        folderPlatform->AddAttributeStore(std::make_unique<NtfsAttributeStore>());
    }
    IPlatform& platform = disk ? static_cast<IPlatform&>(*disk->Drive()) : *folderPlatform;
    SetPlatform(&platform);
    // The check names installations from their registry; on a folder it knows no disk.
    SetBootCheckSources({machine, std::make_shared<bootcheck::HiveVersionReader>()});

    // FINAL CUT reads its own options from the command line it is given.
    std::vector<std::string> toolkitArguments = {argv[0]};
    toolkitArguments.insert(toolkitArguments.end(), commandLine.toolkitOptions.begin(),
                            commandLine.toolkitOptions.end());
    std::vector<char*> toolkitArgv;
    for (std::string& argument : toolkitArguments)
        toolkitArgv.push_back(argument.data());
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = static_cast<int>(toolkitArguments.size());
    finalcut::FApplication application(toolkitArgc, toolkitArgv.data());

    TermBackend backend(application);
    if (disk) {
        BrowseVolume(backend, *disk->Drive());
    } else {
        PosixPlatform& folder = *folderPlatform;
        const std::string hostDrive = folder.Drive().HostFolder();
        TermBackend::PathMapping paths;
        paths.toHost = [&folder](const std::string& programPath) {
            std::string hostPath;
            return folder.ToHostPath(programPath.c_str(), hostPath) ? hostPath : std::string();
        };
        paths.toProgram = [hostDrive](const std::string& hostPath) {
            return ToProgramPath(hostDrive, hostPath);
        };
        backend.SetPathMapping(paths);
    }
    backend.SetHelpText(TerminalHelpTitle(), TerminalHelpText());
    backend.SetIconPicture(ProgramIconPicture());
    backend.SetPopupTopics(TerminalPopupTopic);
    SetBackend(&backend);

    CWinApp* app = AfxGetApp();
    if (app) {
        app->SetExecutablePath("tarnwick");
        app->SetProfileStore(&platform);
        app->InitInstance();
    }
    SetBackend(nullptr);
    SetBootCheckSources({});
    SetPlatform(nullptr);
    return 0;
}
