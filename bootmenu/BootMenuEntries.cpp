#include "bootmenu/BootMenuEntries.h"

#include <algorithm>
#include <vector>

#include "bootline/BootLine.h"
#include "framework/DialogWindow.h"
#include "store/BootLoaderSection.h"
#include "store/StagingFile.h"

namespace {

bool HasLabel(const CBootLine& parsed) {
    return parsed.m_bLabel && !parsed.m_strLabel.IsEmpty();
}

}  // namespace

CString BootLineName(const CString& line) {
    CBootLine parsed;
    parsed.ParseLine(line);
    return HasLabel(parsed) ? parsed.m_strLabel : parsed.m_strArcPath;
}

CString BootMenuEntryText(const CString& line) {
    CBootLine parsed;
    parsed.ParseLine(line);
    if (!HasLabel(parsed))
        return parsed.m_strArcPath;
    return parsed.m_strLabel + " - " + parsed.m_strArcPath;
}

void ListBootMenuEntries(IDialogWindow& window, int id, const CStringArray& lines,
                         BOOL candidatesOnly) {
    window.ResetContent(id);
    const std::vector<BootLineEntry> entries = FindBootLines(lines);
    for (size_t at = 0; at < entries.size(); ++at) {
        const BootLineEntry& entry = entries[at];
        const auto samePath = [&entry](const BootLineEntry& earlier) {
            return earlier.arcPath.GetLength() == entry.arcPath.GetLength() &&
                   earlier.arcPath.CompareNoCase(entry.arcPath) == 0;
        };
        if (candidatesOnly && std::any_of(entries.begin(), entries.begin() + at, samePath))
            continue;
        const int position = window.AddString(id, BootMenuEntryText(lines[entry.lineIndex]));
        window.SetItemData(id, position, entry.lineIndex);
    }
}

BOOL MakeSelectedEntryTheDefault(const IDialogWindow& window, int id, CStringArray& lines) {
    const int position = window.GetCurSel(id);
    if (position < 0)
        return FALSE;
    CBootLine chosen;
    chosen.ParseLine(lines[static_cast<int>(window.GetItemData(id, position))]);
    SetBootDefault(lines, chosen.m_strArcPath);
    return TRUE;
}

int FindBootMenuEntry(const IDialogWindow& window, int id, int lineIndex) {
    for (int position = 0; position < window.GetCount(id); ++position) {
        if (window.GetItemData(id, position) == lineIndex)
            return position;
    }
    return -1;
}
