#include "bootcheck/Verdicts.h"

#include <cstdlib>

#include "bootcheck/ArcPath.h"
#include "bootcheck/Text.h"
#include "bootcheck/VerdictTexts.h"

namespace bootcheck {
namespace {

constexpr const char* kKernel = "ntoskrnl.exe";
constexpr const char* kHal = "hal.dll";

std::string DiskName(size_t index) {
    return "rdisk(" + std::to_string(index) + ")";
}

std::string Number(unsigned long value) {
    return std::to_string(value);
}

LineVerdict Verdict(Outcome outcome, std::string text) {
    LineVerdict verdict;
    verdict.outcome = outcome;
    verdict.text = std::move(text);
    return verdict;
}

std::string Trimmed(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return "";
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end + 1 - begin);
}

// The file a line starts in place of a default one: its /KERNEL= or /HAL= value, or the default.
std::string SwitchFile(int present, const CString& value, const char* fallback) {
    return present && !value.IsEmpty() ? value.str() : std::string(fallback);
}

bool HoldsStartFiles(const Machine& machine, const Installation& installation,
                     const std::string& kernel, const std::string& hal) {
    const KnownPartition* partition = machine.Find(installation.where);
    if (!partition || !partition->files)
        return false;
    std::string system32 = JoinPath(installation.folder, "system32");
    return partition->files->Exists(JoinPath(system32, kernel)) &&
           partition->files->Exists(JoinPath(system32, hal));
}

// The installation a line whose folder is missing most likely meant: one the loader can reach
// (an MBR disk) that holds the line's kernel and HAL, preferring the same folder name, then the
// same disk, then the nearest partition number.
std::optional<Installation> Relocation(const Machine& machine,
                                       const std::vector<Installation>& installations,
                                       size_t lineDisk, unsigned long linePartition,
                                       const std::string& folder, const std::string& kernel,
                                       const std::string& hal) {
    const Installation* best = nullptr;
    long bestScore = 0;
    for (const Installation& candidate : installations) {
        if (machine.disks[candidate.where.disk].label != LabelType::Mbr)
            continue;
        if (!HoldsStartFiles(machine, candidate, kernel, hal))
            continue;
        long distance = std::labs(static_cast<long>(candidate.where.partition) -
                                  static_cast<long>(linePartition));
        long score = (EqualsNoCase(candidate.folder, folder) ? 4000000L : 0) +
                     (candidate.where.disk == lineDisk ? 2000000L : 0) - distance;
        if (!best || score > bestScore) {
            best = &candidate;
            bestScore = score;
        }
    }
    if (!best)
        return std::nullopt;
    return *best;
}

LineVerdict WithRelocation(LineVerdict verdict, std::optional<Installation> relocation,
                           size_t lineDisk) {
    if (relocation) {
        verdict.text +=
            " " + Fill(TextOf(Message::WindowsFoundAt), {Location(*relocation, lineDisk)});
        verdict.relocation = std::move(relocation);
    }
    return verdict;
}

std::string CountOf(size_t count, Message none, Message one, Message many) {
    if (count == 0)
        return TextOf(none);
    if (count == 1)
        return TextOf(one);
    return Fill(TextOf(many), {std::to_string(count)});
}

// The folder as the file system spells it, for a system root of one or more levels.
std::string SpelledFolder(const IPartitionFiles& files, const std::string& folder) {
    if (folder.find('\\') != std::string::npos)
        return folder;
    auto entries = files.ListFolder("");
    if (entries) {
        for (const FolderEntry& entry : *entries) {
            if (EqualsNoCase(entry.name, folder))
                return entry.name;
        }
    }
    return folder;
}

LineVerdict CheckBootSectorLine(const ArcPath& path, const std::string& text,
                                const Machine& machine) {
    if (path.drive != 'C')
        return Verdict(Outcome::CannotCheck,
                       Fill(TextOf(Message::DriveNotKnown), {std::string(1, path.drive)}));
    const KnownPartition* partition =
        machine.systemPartition ? machine.Find(*machine.systemPartition) : nullptr;
    if (!partition || !partition->files)
        return Verdict(Outcome::CannotCheck,
                       Fill(TextOf(Message::SystemPartitionNotKnown), {text}));
    std::string file = RelativeFolder(path.systemRoot);
    bool savedBootSector = file.empty();
    if (savedBootSector)
        file = "BOOTSECT.DOS";
    std::string shown = "C:\\" + file;
    auto content = partition->files->ReadFile(file);
    if (!content) {
        if (savedBootSector)
            return Verdict(Outcome::Fails, TextOf(Message::SavedBootSectorMissing));
        return Verdict(Outcome::Fails, Fill(TextOf(Message::BootSectorFileMissing), {shown}));
    }
    if (content->size() != 512)
        return Verdict(Outcome::Fails, Fill(TextOf(Message::BootSectorTooShort),
                                            {shown, std::to_string(content->size())}));
    if (static_cast<unsigned char>((*content)[510]) != 0x55 ||
        static_cast<unsigned char>((*content)[511]) != 0xAA)
        return Verdict(Outcome::Fails, Fill(TextOf(Message::BootSectorUnsigned), {shown}));
    return Verdict(Outcome::Boots, Fill(TextOf(Message::BootSectorBoots), {shown}));
}

// Which of the known disks the line names, or the verdict that says why none.
std::optional<size_t> LineDisk(const ArcPath& path, const std::string& text, const Machine& machine,
                               LineVerdict& failure) {
    size_t index = 0;
    if (path.form == ArcForm::Signature) {
        std::string signatures;
        size_t mbrDisks = 0;
        std::optional<size_t> unread;
        for (size_t i = 0; i < machine.disks.size(); ++i) {
            const KnownDisk& disk = machine.disks[i];
            if (disk.label != LabelType::Mbr)
                continue;
            if (!disk.signatureKnown) {
                if (!unread)
                    unread = i;
                continue;
            }
            if (disk.signature == path.signature)
                return i;
            signatures += (mbrDisks++ ? ", " : "") + HexSignature(disk.signature);
        }
        if (unread) {
            failure = Verdict(Outcome::CannotCheck,
                              Fill(TextOf(Message::SignatureNotRead),
                                   {FirstComponent(path, text), DiskName(*unread)}));
            return std::nullopt;
        }
        std::string why = mbrDisks == 0   ? std::string(TextOf(Message::NoMbrDiskGiven))
                          : mbrDisks == 1 ? Fill(TextOf(Message::SignatureOfOneDisk), {signatures})
                                          : Fill(TextOf(Message::SignaturesOfDisks), {signatures});
        failure = Verdict(Outcome::Fails, Fill(TextOf(Message::SignatureMatchesNoDisk),
                                               {FirstComponent(path, text), why}));
        return std::nullopt;
    }
    const char* adapterKind = path.form == ArcForm::Multi ? "multi" : "scsi";
    if (path.adapter != 0) {
        failure = Verdict(Outcome::CannotCheck, Fill(TextOf(Message::AdapterNotKnown),
                                                     {FirstComponent(path, text), adapterKind}));
        return std::nullopt;
    }
    if (path.form == ArcForm::Multi) {
        index = path.rdisk;
    } else {
        // A SCSI line names the target id; the disks given are taken as targets 0, 1, ...
        if (path.rdisk != 0) {
            failure = Verdict(Outcome::CannotCheck,
                              Fill(TextOf(Message::ScsiLunNotKnown), {Number(path.rdisk)}));
            return std::nullopt;
        }
        index = path.disk;
    }
    if (index >= machine.disks.size()) {
        std::string named =
            path.form == ArcForm::Multi ? DiskName(index) : "disk(" + Number(index) + ")";
        failure = Verdict(Outcome::CannotCheck,
                          Fill(TextOf(Message::DiskNotGiven),
                               {named, CountOf(machine.disks.size(), Message::NoDiskGiven,
                                               Message::OneDiskGiven, Message::DisksGiven)}));
        return std::nullopt;
    }
    return index;
}

}  // namespace

const OutcomeName& NameOf(Outcome outcome) {
    static const OutcomeName kNames[] = {
        {"boots", "boots"}, {"fails", "fails"}, {"cannot_check", "can't check"}};
    return kNames[static_cast<size_t>(outcome)];
}

LineVerdict CheckBootLine(const CBootLine& line, const Machine& machine,
                          const std::vector<Installation>& installations) {
    const std::string& text = line.m_strArcPath.str();
    std::optional<ArcPath> path = ParseArcPath(text);
    if (!path)
        return Verdict(Outcome::Fails, Fill(TextOf(Message::NotAnArcPath), {Trimmed(text)}));
    if (path->form == ArcForm::Drive)
        return CheckBootSectorLine(*path, Trimmed(text), machine);

    LineVerdict failure;
    std::optional<size_t> diskIndex = LineDisk(*path, text, machine, failure);
    if (!diskIndex)
        return failure;
    const KnownDisk& disk = machine.disks[*diskIndex];
    std::string diskName = DiskName(*diskIndex);
    if (disk.label == LabelType::Gpt)
        return Verdict(Outcome::Fails, Fill(TextOf(Message::GptDisk), {diskName}));
    if (disk.label == LabelType::None)
        return Verdict(Outcome::Fails, Fill(TextOf(Message::NoPartitionTable), {diskName}));

    std::string folder = RelativeFolder(path->systemRoot);
    std::string kernel = SwitchFile(line.m_bKernel, line.m_strKernel, kKernel);
    std::string hal = SwitchFile(line.m_bHal, line.m_strHal, kHal);
    auto relocation = [&]() {
        return Relocation(machine, installations, *diskIndex, path->partition, folder, kernel, hal);
    };

    if (path->partition == 0)
        return WithRelocation(Verdict(Outcome::Fails, TextOf(Message::PartitionZero)), relocation(),
                              *diskIndex);
    std::string partitionNumber = Number(path->partition);
    const KnownPartition* partition = disk.Partition(path->partition);
    if (!partition) {
        std::string count = CountOf(disk.partitions.size(), Message::NoPartitions,
                                    Message::OnePartition, Message::Partitions);
        return WithRelocation(Verdict(Outcome::Fails, Fill(TextOf(Message::PartitionMissing),
                                                           {partitionNumber, diskName, count})),
                              relocation(), *diskIndex);
    }
    if (!partition->files) {
        std::string fileSystem = partition->fileSystem.empty()
                                     ? std::string(TextOf(Message::FileSystemNotKnown))
                                     : partition->fileSystem;
        return Verdict(Outcome::CannotCheck, Fill(TextOf(Message::FileSystemUnreadable),
                                                  {partitionNumber, diskName, fileSystem}));
    }
    const IPartitionFiles& files = *partition->files;
    if (folder.empty())
        return WithRelocation(
            Verdict(Outcome::Fails, Fill(TextOf(Message::NoSystemRoot), {partitionNumber})),
            relocation(), *diskIndex);
    if (!files.Exists(folder))
        return WithRelocation(
            Verdict(Outcome::Fails, Fill(TextOf(Message::FolderMissing),
                                         {"\\" + folder, partitionNumber, diskName})),
            relocation(), *diskIndex);

    std::string system32 = "\\" + JoinPath(folder, "system32") + "\\";
    std::string problems;
    if (!files.Exists(JoinPath(JoinPath(folder, "system32"), kernel))) {
        Message message =
            line.m_bKernel ? Message::KernelSwitchFileMissing : Message::KernelMissing;
        problems += Fill(TextOf(message), {system32 + kernel, partitionNumber, diskName});
    }
    if (!files.Exists(JoinPath(JoinPath(folder, "system32"), hal))) {
        Message message = line.m_bHal ? Message::HalSwitchFileMissing : Message::HalMissing;
        problems += (problems.empty() ? "" : " ") +
                    Fill(TextOf(message), {system32 + hal, partitionNumber, diskName});
    }
    if (!problems.empty()) {
        LineVerdict verdict = Verdict(Outcome::Fails, problems);
        // A folder that is no Windows installation at all was most likely meant to be another.
        if (IsInstallation(files, folder))
            return verdict;
        return WithRelocation(std::move(verdict), relocation(), *diskIndex);
    }
    LineVerdict verdict =
        Verdict(Outcome::Boots,
                Fill(TextOf(Message::Boots),
                     {"partition(" + partitionNumber + ")\\" + folder, diskName, kernel, hal}));
    verdict.booted = Installation{{*diskIndex, path->partition}, SpelledFolder(files, folder)};
    return verdict;
}

}  // namespace bootcheck
