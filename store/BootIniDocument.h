// The one model of BOOT.INI's lines, shared by the editor dialog and the command line: every
// line of the file in order, the boot lines of its "[operating systems]" section, and the three
// edits (replace a boot line by a record, insert a copy, delete), each with its refusals. The
// model works on lines held by its owner (the dialog's m_arrLines, the command line's own array);
// reading and writing the files is the owner's part (StagingFile.h, Commit.h).
#pragma once

#include <string>
#include <vector>

#include "bootline/BootLine.h"
#include "framework/String.h"
#include "store/StagingFile.h"

class BootIniDocument {
public:
    explicit BootIniDocument(CStringArray& lines) : m_lines(lines) {}

    const CStringArray& Lines() const { return m_lines; }
    // The section's boot lines in file order (FindBootLines).
    std::vector<BootLineEntry> BootLines() const { return FindBootLines(m_lines); }

    // Each edit either changes the lines and returns TRUE, or returns FALSE with the message that
    // says why it was refused and leaves every line as it was. lineIndex names a line of the
    // section that is a boot line.
    //
    // The line becomes the record in normal form. Refused: a HAL or kernel name that is empty or
    // longer than 12 characters, a label or value that would change the line's grammar, a line
    // longer than a boot line may be.
    BOOL ReplaceBootLine(int lineIndex, const CBootLine& record, std::string& refusal);
    // The copy, composed from its record, goes directly before the line at lineIndex.
    BOOL InsertCopy(int lineIndex, const CBootLine& copy, std::string& refusal);
    // Refused when it is the section's only boot line: the machine would not start.
    BOOL DeleteBootLine(int lineIndex, std::string& refusal);

private:
    CStringArray& m_lines;
};

// The record of a copy of a line: the line's record as parsed, labelled "Copy " followed by the
// label on show (shownLabel), or "Copy " alone for a line without a label.
CBootLine CopyOfLine(const CBootLine& original, const CString& shownLabel);

// FALSE, with the message, for a label that holds a character ending the label on the line.
BOOL CheckLabel(const CString& label, std::string& refusal);
// FALSE, with the message naming the field, for a record that Apply must not write: a HAL or
// kernel name empty or over 12 characters (these two first, as the dialog's own messages), then a
// label or a value holding a character that would end it on the line.
BOOL CheckRecordFields(const CBootLine& record, std::string& refusal);
// Composes the record and checks that the text reads back as a boot line of the section.
BOOL ComposeForSection(const CBootLine& record, CString& text, std::string& refusal);

// The lines of a file's bytes as the staging file's reader splits them: each ends at a line feed,
// a carriage return directly before it belonging to the line end; a last line without a line feed
// counts when it is not empty.
CStringArray LinesOfFile(const std::string& bytes);
