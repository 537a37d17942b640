// libFuzzer target for the boot path check: any line is parsed, checked against a small machine
// and repaired towards its Windows folder. For every input: no crash or undefined behaviour; the
// places an ARC path records lie inside it, in order; a repair changes only the ARC path, keeps
// the line a boot line, and points it at the partition it was repaired to.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bootcheck/ArcPath.h"
#include "bootcheck/Repair.h"
#include "bootcheck/Verdicts.h"
#include "bootcheck/tests/MemoryFiles.h"

namespace {

using namespace bootcheck;
using namespace bootcheck::testing;

[[noreturn]] void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "bootcheck fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

const Machine& TwoDisks() {
    static const Machine machine = [] {
        Machine m;
        m.disks.push_back(Disk(
            LabelType::Mbr, 0x8b467c12,
            {Partition(1, "FAT16", Files({{"BOOT.INI", ""}, {"BOOTSECT.DOS", BootSector()}})),
             Partition(2, "", nullptr), Partition(3, "NTFS", Files(WindowsFiles("WINDOWS")))}));
        m.disks.push_back(
            Disk(LabelType::Gpt, 0, {Partition(1, "NTFS", Files(WindowsFiles("WINNT")))}));
        m.systemPartition = PartitionRef{0, 1};
        return m;
    }();
    return machine;
}

void CheckRanges(const std::string& text, const ArcPath& path) {
    const TextRange* ranges[] = {&path.firstNumber, &path.diskNumber, &path.rdiskNumber,
                                 &path.partitionNumber, &path.systemRootText};
    size_t last = 0;
    for (const TextRange* range : ranges) {
        if (path.form == ArcForm::Drive && range != &path.systemRootText)
            continue;
        if (range->begin > range->end || range->end > text.size() || range->begin < last)
            Fail("range out of place", text);
        last = range->end;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string line = input.substr(0, std::strlen(input.c_str()));
    if (auto path = ParseArcPath(line))
        CheckRanges(line, *path);

    CBootLine record;
    if (!record.ParseLine(line.c_str()))
        return 0;
    const Machine& machine = TwoDisks();
    static const std::vector<Installation> installations = FindInstallations(machine);
    LineVerdict verdict = CheckBootLine(record, machine, installations);
    if (verdict.text.empty())
        Fail("verdict without words", line);

    const Installation target{{0, 3}, "WINDOWS"};
    auto repaired = RepairedLine(line, target, machine);
    if (!repaired)
        return 0;
    const std::string arc = record.m_strArcPath.str();
    if (repaired->size() < line.size() - arc.size() ||
        repaired->compare(repaired->size() - (line.size() - arc.size()), std::string::npos, line,
                          arc.size(), std::string::npos) != 0)
        Fail("repair changed more than the ARC path", line + " -> " + *repaired);
    CBootLine after;
    if (repaired->size() <= static_cast<size_t>(CBootLine::kMaxLineLength)) {
        if (!after.ParseLine(repaired->c_str()))
            Fail("repaired line is no boot line", *repaired);
        auto path = ParseArcPath(after.m_strArcPath.str());
        if (!path || path->partition != 3 ||
            !EqualsNoCase(RelativeFolder(path->systemRoot), "WINDOWS"))
            Fail("repaired line points elsewhere", *repaired);
    }
    return 0;
}
