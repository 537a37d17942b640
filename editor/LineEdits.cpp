// The line edits: Copy Line, Delete Line and Apply. Each changes m_arrLines, rewrites the staging
// file from it, reloads it and shows a line. A line is written only when it reads back as the same
// boot line: fields that would change the line's grammar are refused with a message.
#include <string>

#include "editor/BootEditDlg.h"
#include "framework/App.h"
#include "store/BootLoaderSection.h"

namespace {

const char kCopyPrefix[] = "Copy ";
// The longest HAL or kernel file name: eight characters, a dot and an extension of three.
const int kMaxFileNameLength = 12;

void ShowError(LPCSTR text) {
    AfxMessageBox(text, MB_OK | MB_ICONSTOP);
}

BOOL HoldsAnyOf(const CString& text, LPCSTR characters) {
    return text.str().find_first_of(characters) != std::string::npos;
}

// Characters that end a value or the label on the line, or end the line itself.
const char kLabelBreakers[] = "\"/\r\n";
const char kValueBreakers[] = " /\"\r\n";

// A valued option's box, text and the start of the message naming it.
struct ValueField {
    int CBootEditDlg::*check;
    CString CBootEditDlg::*text;
    LPCSTR name;
};

const ValueField kValueFields[] = {
    {&CBootEditDlg::m_chkHal, &CBootEditDlg::m_txtHal, "Invalid Hal File."},
    {&CBootEditDlg::m_chkKernel, &CBootEditDlg::m_txtKernel, "Invalid Kernel File."},
    {&CBootEditDlg::m_chkMaxMem, &CBootEditDlg::m_txtMaxMem, "Invalid MaxMem."},
    {&CBootEditDlg::m_chkDebugPort, &CBootEditDlg::m_txtDebugPort, "Invalid DebugPort."},
    {&CBootEditDlg::m_chkBaudRate, &CBootEditDlg::m_txtBaudRate, "Invalid BaudRate."},
    {&CBootEditDlg::m_chkChannel, &CBootEditDlg::m_txtChannel, "Invalid Channel."},
};

BOOL IsBadFileName(int checked, const CString& name) {
    return checked && (name.IsEmpty() || name.GetLength() > kMaxFileNameLength);
}

}  // namespace

BOOL CBootEditDlg::CheckFieldsForApply() {
    if (HoldsAnyOf(m_txtLabel, kLabelBreakers)) {
        ShowError(
            "Invalid Label. A label may not contain a double quote, a slash or a line break.");
        return FALSE;
    }
    for (const ValueField& field : kValueFields) {
        if (this->*field.check && HoldsAnyOf(this->*field.text, kValueBreakers)) {
            std::string message = field.name;
            message += " It may not contain a space, a slash, a double quote or a line break.";
            ShowError(message.c_str());
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CBootEditDlg::CheckComposedLine(const CString& line) {
    if (line.GetLength() > CBootLine::kMaxLineLength) {
        std::string message = "The boot line is too long. A boot line may hold at most ";
        message += std::to_string(CBootLine::kMaxLineLength) + " characters.";
        ShowError(message.c_str());
        return FALSE;
    }
    // A line that begins with "[" would end the section, and the lines after it with it.
    CBootLine readBack;
    if (line.GetAt(0) == '[' || !readBack.ParseLine(line)) {
        ShowError("Invalid boot line. A boot line may not begin with \"[\".");
        return FALSE;
    }
    return TRUE;
}

void CBootEditDlg::OnCopyLine() {
    int position = 0;
    int lineIndex = 0;
    if (!GetSelectedLine(position, lineIndex))
        return;

    // The copy is the line as parsed, with only its label changed.
    CBootLine copy(m_bootLine);
    if (copy.m_bLabel) {
        copy.m_strLabel = CString(kCopyPrefix) + m_txtLabel;
    } else {
        copy.m_strLabel = kCopyPrefix;
        copy.m_bLabel = 1;
    }
    CString text;
    copy.ComposeLine(text);
    if (!CheckComposedLine(text))
        return;

    const CStringArray linesBefore = m_arrLines;
    m_arrLines.InsertAt(lineIndex, text);
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
    if (m_ctlBootLineList.GetCount() == 1) {
        ShowError("Deleting the only line in the Boot.INI file will make the system unbootable");
        return;
    }
    CStringArray linesAfter = m_arrLines;
    linesAfter.RemoveAt(lineIndex);
    // The loader would no longer find its default line: the user names the next one.
    if (IsLastLineOfDefault(m_arrLines, lineIndex) && !ChooseNewDefault(linesAfter))
        return;
    const CStringArray linesBefore = m_arrLines;
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
    if (IsBadFileName(m_chkHal, m_txtHal)) {
        ShowError("Invalid Hal File.");
        return;
    }
    if (IsBadFileName(m_chkKernel, m_txtKernel)) {
        ShowError("Invalid Kernel File.");
        return;
    }
    if (!CheckFieldsForApply())
        return;

    const CBootLine lineBefore(m_bootLine);
    TakeLine();
    CString text;
    m_bootLine.ComposeLine(text);
    if (!CheckComposedLine(text)) {
        m_bootLine = lineBefore;
        return;
    }
    const CStringArray linesBefore = m_arrLines;
    m_arrLines.SetAt(lineIndex, text);
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
