#include "bootcheck/BootIniCheck.h"

#include "bootcheck/Repair.h"
#include "bootcheck/Text.h"
#include "bootcheck/VerdictTexts.h"
#include "store/BootLoaderSection.h"
#include "store/StagingFile.h"

namespace bootcheck {
namespace {

LineVerdict Verdict(Outcome outcome, std::string text) {
    LineVerdict verdict;
    verdict.outcome = outcome;
    verdict.text = std::move(text);
    return verdict;
}

LineVerdict DefaultVerdict(const CStringArray& lines, const std::vector<CheckedLine>& checked) {
    CString value;
    if (!ReadBootDefault(lines, value))
        return Verdict(Outcome::Fails, TextOf(Message::DefaultMissing));
    int index = FindDefaultBootLine(lines);
    for (const CheckedLine& line : checked) {
        if (line.lineIndex != index)
            continue;
        CBootLine record;
        record.ParseLine(lines[index]);
        std::string label = record.m_bLabel ? record.m_strLabel.str() : value.str();
        switch (line.verdict.outcome) {
            case Outcome::Boots:
                return Verdict(Outcome::Boots, Fill(TextOf(Message::DefaultBoots), {label}));
            case Outcome::Fails:
                return Verdict(Outcome::Fails, Fill(TextOf(Message::DefaultFails), {label}));
            case Outcome::CannotCheck:
                return Verdict(Outcome::CannotCheck,
                               Fill(TextOf(Message::DefaultCantBeChecked), {label}));
        }
    }
    return Verdict(Outcome::Fails, Fill(TextOf(Message::DefaultNamesNoLine), {value.str()}));
}

}  // namespace

BootIniCheck CheckBootIni(const CStringArray& lines, const Machine& machine,
                          const IWindowsVersionReader* reader) {
    BootIniCheck check;
    std::vector<Installation> installations = FindInstallations(machine);
    std::vector<LineVerdict> verdicts;
    int number = 0;
    for (const BootLineEntry& entry : FindBootLines(lines)) {
        CBootLine record;
        record.ParseLine(lines[entry.lineIndex]);
        CheckedLine checked;
        checked.number = ++number;
        checked.lineIndex = entry.lineIndex;
        checked.verdict = CheckBootLine(record, machine, installations);
        if (checked.verdict.relocation)
            checked.repaired =
                RepairedLine(lines[entry.lineIndex].str(), *checked.verdict.relocation, machine);
        verdicts.push_back(checked.verdict);
        check.lines.push_back(std::move(checked));
    }
    check.defaultVerdict = DefaultVerdict(lines, check.lines);
    check.proposals = ProposeLines(machine, installations, verdicts, reader);
    return check;
}

BOOL ApplyRepair(CStringArray& lines, const CheckedLine& line) {
    if (!line.repaired || line.lineIndex < 0 || line.lineIndex >= lines.GetSize())
        return FALSE;
    ReplaceBootLineKeepingDefault(lines, line.lineIndex, CString(*line.repaired));
    return TRUE;
}

void AddProposedLines(CStringArray& lines, const std::vector<ProposedLine>& proposals) {
    if (proposals.empty())
        return;
    int at = -1;
    std::vector<BootLineEntry> entries = FindBootLines(lines);
    if (!entries.empty()) {
        at = entries.back().lineIndex + 1;
    } else {
        for (int i = 0; i < lines.GetSize() && at < 0; ++i) {
            if (IsSectionHeader(lines[i]))
                at = i + 1;
        }
    }
    if (at < 0) {
        lines.Add(CString(kSectionHeader));
        at = lines.GetSize();
    }
    for (const ProposedLine& proposal : proposals)
        lines.InsertAt(at++, CString(proposal.line));
}

std::string CheckText(const BootIniCheck& check, const CStringArray& lines) {
    // Each verdict says in its own words whether the line boots; the list is numbered as the
    // dialog numbers it.
    std::string text;
    for (const CheckedLine& line : check.lines) {
        text += std::to_string(line.number) + ". " + lines[line.lineIndex].str() + "\n";
        text += "   " + line.verdict.text + "\n";
        if (line.repaired)
            text += "   " + Fill(TextOf(Message::RepairWouldWrite), {*line.repaired}) + "\n";
    }
    text += check.defaultVerdict.text + "\n";
    for (const ProposedLine& proposal : check.proposals)
        text += Fill(TextOf(Message::RebuildWouldAdd), {proposal.line}) + "\n";
    return text;
}

}  // namespace bootcheck
