// The check of a whole BOOT.INI, on the file's lines as the program holds them (store/): a
// verdict for every listed boot line with its repair where one is found, the verdict on
// default=, and the lines the rebuild proposes. The check only reads; the repair and the rebuild
// are edits of the lines, which then go through the staging file and the commit like any other.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bootcheck/Rebuild.h"
#include "bootcheck/Verdicts.h"
#include "framework/String.h"

namespace bootcheck {

struct CheckedLine {
    int number = 0;     // in the boot-line list, from 1
    int lineIndex = 0;  // among all lines of the file
    LineVerdict verdict;
    std::optional<std::string> repaired;  // the line pointed at verdict.relocation
};

struct BootIniCheck {
    std::vector<CheckedLine> lines;
    LineVerdict defaultVerdict;
    std::vector<ProposedLine> proposals;
};

BootIniCheck CheckBootIni(const CStringArray& lines, const Machine& machine,
                          const IWindowsVersionReader* reader);

// Puts the repaired text in place of the line; default= follows the line when it named it, so
// the loader still starts it. FALSE, lines unchanged, when the line has no repair.
BOOL ApplyRepair(CStringArray& lines, const CheckedLine& line);

// Adds the proposed lines after the last boot line of [operating systems] (after its header when
// it has none; a missing section is added at the end of the file).
void AddProposedLines(CStringArray& lines, const std::vector<ProposedLine>& proposals);

// The check as people read it: a paragraph a line with its repair, then default= and the lines
// the rebuild would add.
std::string CheckText(const BootIniCheck& check, const CStringArray& lines);

}  // namespace bootcheck
