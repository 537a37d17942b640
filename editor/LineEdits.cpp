// The line edits: Copy Line, Delete Line and Apply. Each changes m_arrLines through the file's
// model (store/BootIniDocument.h), which refuses an edit that would change the line's grammar,
// then rewrites the staging file from it, reloads it and shows a line.
#include <string>

#include "editor/BootEditDlg.h"
#include "framework/App.h"
#include "store/BootIniDocument.h"
#include "store/BootLoaderSection.h"

namespace {

void ShowError(const std::string& text) {
    AfxMessageBox(text.c_str(), MB_OK | MB_ICONSTOP);
}

}  // namespace

void CBootEditDlg::OnCopyLine() {
    int position = 0;
    int lineIndex = 0;
    if (!GetSelectedLine(position, lineIndex))
        return;

    // The copy is the line as parsed, with only its label changed.
    const CStringArray linesBefore = m_arrLines;
    std::string refusal;
    if (!BootIniDocument(m_arrLines)
             .InsertCopy(lineIndex, CopyOfLine(m_bootLine, m_txtLabel), refusal)) {
        ShowError(refusal);
        return;
    }
    // The copy stands before the copied line, at the copied line's list position; after a failed
    // rewrite the copied line itself is there again.
    RewriteStagingFile(linesBefore);
    PresentListEntry(position);
    MarkUnchanged();
}

void CBootEditDlg::OnDeleteLine() {
    int position = 0;
    int lineIndex = 0;
    if (!GetSelectedLine(position, lineIndex))
        return;
    const CStringArray linesBefore = m_arrLines;
    CStringArray linesAfter = m_arrLines;
    std::string refusal;
    if (!BootIniDocument(linesAfter).DeleteBootLine(lineIndex, refusal)) {
        ShowError(refusal);
        return;
    }
    // The loader would no longer find its default line: the user names the next one.
    if (IsLastLineOfDefault(m_arrLines, lineIndex) && !ChooseNewDefault(linesAfter))
        return;
    m_arrLines = linesAfter;
    if (!RewriteStagingFile(linesBefore)) {
        PresentListEntry(position);
        MarkUnchanged();
        return;
    }
    PresentListEntry(0);
    m_ctlApply.EnableWindow(FALSE);
    m_ctlCopyLine.EnableWindow(TRUE);
    m_ctlDeleteLine.EnableWindow(FALSE);
}

void CBootEditDlg::OnApply() {
    int position = 0;
    int lineIndex = 0;
    if (!GetSelectedLine(position, lineIndex))
        return;
    UpdateData(TRUE);

    const CBootLine lineBefore(m_bootLine);
    TakeLine();
    const CStringArray linesBefore = m_arrLines;
    std::string refusal;
    if (!BootIniDocument(m_arrLines).ReplaceBootLine(lineIndex, m_bootLine, refusal)) {
        // The controls keep the user's values and the dialog stays changed.
        m_bootLine = lineBefore;
        ShowError(refusal);
        return;
    }
    if (!RewriteStagingFile(linesBefore)) {
        // Nothing was applied: the record and the line are as before, the controls keep the
        // user's values and the dialog stays changed, so Apply can be tried again.
        m_bootLine = lineBefore;
        m_ctlBootLineList.SetCurSel(position);
        return;
    }
    PresentListEntry(position);
    MarkUnchanged();
    UpdateData(FALSE);
    m_bApplied = TRUE;
}
