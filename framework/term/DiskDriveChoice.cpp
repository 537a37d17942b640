#include "framework/term/DiskDriveChoice.h"

#include <istream>
#include <ostream>

#include "framework/term/ChoicePrompt.h"

namespace {
constexpr int kCantOpen = 1;
}  // namespace

std::unique_ptr<DiskDrive> OpenDriveOnDisk(const std::string& path, std::istream& in,
                                           std::ostream& out, std::ostream& errors, int& exitCode) {
    auto drive = std::make_unique<DiskDrive>();
    const disk::DiskStatus status = drive->Open(path);
    if (!status.Ok()) {
        errors << "tarnwick: " << status.message << "\n";
        exitCode = kCantOpen;
        return nullptr;
    }
    const std::vector<std::size_t> found = drive->WithBootIni();
    if (found.empty()) {
        errors << "tarnwick: " << drive->NothingToEditMessage();
        exitCode = kCantOpen;
        return nullptr;
    }
    // Said before the editor's screen, which leaves the terminal's lines as they were.
    for (const std::string& warning : drive->Disk().Layout().warnings)
        errors << "tarnwick: " << path << ": " << warning << "\n";
    std::size_t chosen = 0;
    if (found.size() > 1) {
        out << drive->Heading() << "\n";
        for (std::size_t i = 0; i < found.size(); ++i)
            out << "  " << i + 1 << "  " << DescribeCandidate(drive->Candidates()[found[i]])
                << "\n";
        if (!AskForChoice("Edit which partition?", found.size(), in, out, chosen)) {
            exitCode = 0;
            return nullptr;
        }
    }
    std::string error;
    if (!drive->OpenDrive(found[chosen], error)) {
        errors << "tarnwick: " << path << ", "
               << DescribeCandidate(drive->Candidates()[found[chosen]]) << ": " << error << "\n";
        exitCode = kCantOpen;
        return nullptr;
    }
    if (!drive->Disk().ReadOnlyReason().empty())
        errors << "tarnwick: " << path
               << " opens for viewing only: " << drive->Disk().ReadOnlyReason() << ".\n";
    return drive;
}
