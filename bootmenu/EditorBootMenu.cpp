// The editor's side of the boot menu: the Boot Menu dialog opened from the system menu or F2,
// the default line shown in the title, the warning when default= names no listed line, and the
// question before Delete Line removes the default line.
#include <string>

#include "bootmenu/BootMenuDlg.h"
#include "bootmenu/BootMenuEntries.h"
#include "bootmenu/NewDefaultDlg.h"
#include "editor/BootEditDlg.h"
#include "framework/App.h"
#include "framework/DialogTemplate.h"
#include "framework/DialogWindow.h"
#include "res/resource.h"
#include "store/BootLoaderSection.h"

void CBootEditDlg::OnBootMenu() {
    // Like Copy Line and Delete Line, only from the unchanged state: the lines the dialog shows
    // are those of the file, and reloading them would lose the edits not yet applied.
    if (m_ctlApply.IsWindowEnabled()) {
        AfxMessageBox(
            "Apply the changes to this boot line first, or choose the line again to "
            "drop them; then open the Boot Menu.",
            MB_OK | MB_ICONSTOP);
        return;
    }
    CBootMenuDlg menu(m_arrLines, this);
    if (menu.DoModal() != IDOK || menu.GetLines() == m_arrLines)
        return;

    int position = 0;
    int lineIndex = -1;
    const BOOL selected = GetSelectedLine(position, lineIndex);
    const CString presented = selected ? m_arrLines[lineIndex] : CString();
    const CStringArray linesBefore = m_arrLines;
    m_arrLines = menu.GetLines();
    if (!RewriteStagingFile(linesBefore)) {
        if (selected)
            PresentListEntry(position);
        return;
    }
    // The line on show stays on show, wherever it moved to.
    for (int entry = 0; selected && entry < m_ctlBootLineList.GetCount(); ++entry) {
        if (m_arrLines[static_cast<int>(m_ctlBootLineList.GetItemData(entry))] == presented) {
            position = entry;
            break;
        }
    }
    if (m_ctlBootLineList.GetCount() > 0) {
        PresentListEntry(position);
        MarkUnchanged();
    } else {
        PresentNoLine();
    }
    m_bApplied = TRUE;
}

void CBootEditDlg::ShowDefaultLine() {
    IDialogWindow* window = GetWindow();
    const DialogTemplate* dialogTemplate = FindDialogTemplate(IDD_BOOTEDIT_DIALOG);
    if (!window || !dialogTemplate)
        return;
    std::string title = dialogTemplate->title;
    CString arcPath;
    if (ReadBootDefault(m_arrLines, arcPath)) {
        const int defaultLine = FindDefaultBootLine(m_arrLines);
        title += defaultLine < 0 ? " - the default line is missing"
                                 : " - default: " + BootLineName(m_arrLines[defaultLine]).str();
    }
    window->SetText(0, title.c_str());
}

void CBootEditDlg::WarnIfNoDefaultLine() {
    CString arcPath;
    if (!ReadBootDefault(m_arrLines, arcPath) || FindDefaultBootLine(m_arrLines) >= 0)
        return;
    const std::string message =
        "The default line of BOOT.INI, " + arcPath.str() +
        ", is none of its boot lines: the boot loader cannot start it. Choose the default line "
        "in the Boot Menu (system menu, or F2).";
    AfxMessageBox(message.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

BOOL CBootEditDlg::ChooseNewDefault(CStringArray& linesAfter) {
    CNewDefaultDlg question(linesAfter, this);
    if (question.DoModal() != IDOK)
        return FALSE;
    linesAfter = question.GetLines();
    return TRUE;
}
