#include "bootmenu/BootMenuEntries.h"

#include "bootline/BootLine.h"
#include "framework/DialogWindow.h"
#include "store/BootLoaderSection.h"
#include "store/StagingFile.h"

CString BootMenuEntryText(const CString& line) {
    CBootLine parsed;
    parsed.ParseLine(line);
    if (!parsed.m_bLabel || parsed.m_strLabel.IsEmpty())
        return parsed.m_strArcPath;
    return parsed.m_strLabel + " - " + parsed.m_strArcPath;
}

void ListBootMenuEntries(IDialogWindow& window, int id, const CStringArray& lines) {
    window.ResetContent(id);
    for (const BootLineEntry& entry : FindBootLines(lines)) {
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
