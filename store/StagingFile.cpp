// The staging file C:\BOOT.TMP and the "[operating systems]" section.
//
// Format: text lines. A line ends at a line feed, or at a carriage return and line feed; the last
// line may have no line end. Lines are read whole whatever their length and written back exactly
// as held, each followed by a carriage return and line feed, so a rewrite never cuts, splits or
// adds a line.
//
// Section: it opens at a line equal to "[operating systems]" (letter case ignored, trailing blanks
// allowed) and ends before the next line whose first character is "[". Every line of the file is
// kept in CBootEditDlg::m_arrLines; only the section's lines that parse as boot lines are listed.
#include "store/StagingFile.h"

#include "bootline/BootLine.h"
#include "editor/BootEditDlg.h"
#include "framework/App.h"

const char kBootIniPath[] = "C:\\BOOT.INI";
const char kStagingPath[] = "C:\\BOOT.TMP";
const char kBackupPath[] = "C:\\BOOT.BAK";
const char kLockPath[] = "C:\\BOOT.LCK";
const char kSectionHeader[] = "[operating systems]";

namespace {

const char kRewriteFailed[] =
    "Unable to write BOOT.TMP. The change was not made; BOOT.TMP still holds the lines as they "
    "were before it.";
const char kRestoreFailed[] =
    "Unable to write BOOT.TMP. The change was not made, and BOOT.TMP could not be put back as it "
    "was: pressing OK will not commit it to BOOT.INI.";

}  // namespace

BOOL IsHeaderLine(const CString& line, LPCSTR header) {
    std::string text = line.str();
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    // The whole line counts: one with a zero byte in it is not the header.
    return text.size() == std::string(header).size() && CString(text).CompareNoCase(header) == 0;
}

BOOL IsSectionHeader(const CString& line) {
    return IsHeaderLine(line, kSectionHeader);
}

std::vector<BootLineEntry> FindBootLines(const CStringArray& lines) {
    std::vector<BootLineEntry> entries;
    CBootLine scratch;
    bool inside = false;
    for (int index = 0; index < lines.GetSize(); ++index) {
        const CString& line = lines[index];
        if (!inside) {
            inside = IsSectionHeader(line);
        } else if (!line.IsEmpty() && line.GetAt(0) == '[') {
            // The closing line is not tested as a header in the same step.
            inside = false;
        } else if (scratch.ParseLine(line)) {
            entries.push_back({index, scratch.m_strArcPath});
        }
    }
    return entries;
}

BOOL ReadStagingLines(ITextStream& stream, CStringArray& lines) {
    lines.RemoveAll();
    CString line;
    while (stream.ReadLine(line))
        lines.Add(line);
    return stream.AtEndOfFile();
}

BOOL WriteStagingLines(ITextStream& stream, const CStringArray& lines) {
    if (!stream.Rewind() || !stream.Truncate())
        return FALSE;
    for (int index = 0; index < lines.GetSize(); ++index) {
        if (!stream.WriteLine(lines[index]))
            return FALSE;
    }
    return stream.Flush() && stream.Rewind();
}

BOOL StagingFileHolds(ITextStream& stream, const CStringArray& lines) {
    if (!stream.Rewind())
        return FALSE;
    CStringArray readBack;
    return ReadStagingLines(stream, readBack) && readBack == lines;
}

std::string DescribeDriveWithoutBootIni() {
    IPlatform& platform = Platform();
    if (platform.FileExists("C:\\bootmgr") || platform.FileExists("C:\\Boot\\BCD"))
        return "This Windows starts with the Windows Boot Manager; BOOT.INI is not used here.";
    return std::string();
}

BOOL IsLink(LPCSTR path) {
    const DWORD attributes = Platform().ReadFileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void CBootEditDlg::ListBootLines() {
    m_ctlBootLineList.ResetContent();
    for (const BootLineEntry& entry : FindBootLines(m_arrLines)) {
        int position = m_ctlBootLineList.AddString(entry.arcPath);
        m_ctlBootLineList.SetItemData(position, entry.lineIndex);
    }
    ShowDefaultLine();
}

BOOL CBootEditDlg::LoadBootLines() {
    const BOOL readWhole = ReadStagingLines(*m_pStagingFile, m_arrLines);
    ListBootLines();
    UpdateData(FALSE);
    return readWhole;
}

BOOL CBootEditDlg::RewriteStagingFile(const CStringArray& linesBefore) {
    const CStringArray linesWritten = m_arrLines;
    if (WriteStagingLines(*m_pStagingFile, m_arrLines)) {
        // What was read back is the file; it must be what was written.
        if (LoadBootLines() && m_arrLines == linesWritten) {
            m_bStagingDamaged = FALSE;
            return TRUE;
        }
    }
    // Whatever the failed write left is not taken as the file: the lines go back to what they
    // were, and the file is written from them again.
    m_arrLines = linesBefore;
    BOOL restored = WriteStagingLines(*m_pStagingFile, m_arrLines) &&
                    StagingFileHolds(*m_pStagingFile, m_arrLines);
    if (!restored)
        m_bStagingDamaged = TRUE;
    ListBootLines();
    UpdateData(FALSE);
    AfxMessageBox(restored ? kRewriteFailed : kRestoreFailed, MB_OK | MB_ICONSTOP);
    return FALSE;
}
