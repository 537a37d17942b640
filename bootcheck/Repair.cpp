#include "bootcheck/Repair.h"

#include <algorithm>
#include <vector>

#include "bootcheck/ArcPath.h"
#include "bootcheck/Text.h"
#include "bootline/BootLine.h"

namespace bootcheck {
namespace {

struct Replacement {
    TextRange range;
    std::string text;
};

bool AnyUpperCase(const std::string& text, const TextRange& range) {
    for (size_t i = range.begin; i < range.end; ++i) {
        if (text[i] >= 'A' && text[i] <= 'F')
            return true;
    }
    return false;
}

std::string UpperCase(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'f')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

std::optional<std::string> RepairedLine(const std::string& line, const Installation& target,
                                        const Machine& machine) {
    if (target.where.disk >= machine.disks.size())
        return std::nullopt;
    CBootLine record;
    if (!record.ParseLine(line.c_str()))
        return std::nullopt;
    const std::string& arc = record.m_strArcPath.str();
    // The record keeps every character before the first "="; a line that starts with a switch
    // has its head elsewhere, and is left alone.
    if (line.compare(0, arc.size(), arc) != 0)
        return std::nullopt;
    std::optional<ArcPath> path = ParseArcPath(arc);
    if (!path || path->form == ArcForm::Drive)
        return std::nullopt;

    std::vector<Replacement> replacements;
    auto replaceNumber = [&](const TextRange& range, unsigned long oldValue,
                             unsigned long newValue) {
        if (oldValue != newValue)
            replacements.push_back({range, std::to_string(newValue)});
    };
    switch (path->form) {
        case ArcForm::Multi:
            replaceNumber(path->rdiskNumber, path->rdisk, target.where.disk);
            break;
        case ArcForm::Scsi:
            replaceNumber(path->diskNumber, path->disk, target.where.disk);
            break;
        case ArcForm::Signature: {
            uint32_t signature = machine.disks[target.where.disk].signature;
            if (signature != path->signature) {
                std::string digits = HexSignature(signature);
                if (AnyUpperCase(arc, path->firstNumber))
                    digits = UpperCase(digits);
                replacements.push_back({path->firstNumber, digits});
            }
            break;
        }
        case ArcForm::Drive:
            break;
    }
    replaceNumber(path->partitionNumber, path->partition, target.where.partition);
    if (!EqualsNoCase(RelativeFolder(path->systemRoot), target.folder))
        replacements.push_back({path->systemRootText, "\\" + target.folder});

    // From the end of the line backwards, so that earlier ranges stay where they were.
    std::sort(
        replacements.begin(), replacements.end(),
        [](const Replacement& a, const Replacement& b) { return a.range.begin > b.range.begin; });
    std::string repaired = line;
    for (const Replacement& replacement : replacements)
        repaired.replace(replacement.range.begin, replacement.range.end - replacement.range.begin,
                         replacement.text);
    return repaired;
}

}  // namespace bootcheck
