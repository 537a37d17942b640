#include "store/BootIniDocument.h"

namespace {

const char kCopyPrefix[] = "Copy ";
// The longest HAL or kernel file name: eight characters, a dot and an extension of three.
const int kMaxFileNameLength = 12;

// Characters that end a value or the label on the line, or end the line itself.
const char kLabelBreakers[] = "\"/\r\n";
const char kValueBreakers[] = " /\"\r\n";

BOOL HoldsAnyOf(const CString& text, LPCSTR characters) {
    return text.str().find_first_of(characters) != std::string::npos;
}

// A valued option's marker, value and the start of the message naming it.
struct ValueField {
    int CBootLine::*marker;
    CString CBootLine::*value;
    LPCSTR name;
};

const ValueField kValueFields[] = {
    {&CBootLine::m_bHal, &CBootLine::m_strHal, "Invalid Hal File."},
    {&CBootLine::m_bKernel, &CBootLine::m_strKernel, "Invalid Kernel File."},
    {&CBootLine::m_bMaxMem, &CBootLine::m_strMaxMem, "Invalid MaxMem."},
    {&CBootLine::m_bDebugPort, &CBootLine::m_strDebugPort, "Invalid DebugPort."},
    {&CBootLine::m_bBaudRate, &CBootLine::m_strBaudRate, "Invalid BaudRate."},
    {&CBootLine::m_bChannel, &CBootLine::m_strChannel, "Invalid Channel."},
};

BOOL IsBadFileName(int present, const CString& name) {
    return present && (name.IsEmpty() || name.GetLength() > kMaxFileNameLength);
}

}  // namespace

CBootLine CopyOfLine(const CBootLine& original, const CString& shownLabel) {
    CBootLine copy(original);
    if (copy.m_bLabel) {
        copy.m_strLabel = CString(kCopyPrefix) + shownLabel;
    } else {
        copy.m_strLabel = kCopyPrefix;
        copy.m_bLabel = 1;
    }
    return copy;
}

BOOL CheckLabel(const CString& label, std::string& refusal) {
    if (HoldsAnyOf(label, kLabelBreakers)) {
        refusal = "Invalid Label. A label may not contain a double quote, a slash or a line break.";
        return FALSE;
    }
    return TRUE;
}

BOOL CheckRecordFields(const CBootLine& record, std::string& refusal) {
    if (IsBadFileName(record.m_bHal, record.m_strHal)) {
        refusal = "Invalid Hal File.";
        return FALSE;
    }
    if (IsBadFileName(record.m_bKernel, record.m_strKernel)) {
        refusal = "Invalid Kernel File.";
        return FALSE;
    }
    if (!CheckLabel(record.m_strLabel, refusal))
        return FALSE;
    for (const ValueField& field : kValueFields) {
        if (record.*field.marker && HoldsAnyOf(record.*field.value, kValueBreakers)) {
            refusal = field.name;
            refusal += " It may not contain a space, a slash, a double quote or a line break.";
            return FALSE;
        }
    }
    return TRUE;
}

BOOL ComposeForSection(const CBootLine& record, CString& text, std::string& refusal) {
    record.ComposeLine(text);
    if (text.GetLength() > CBootLine::kMaxLineLength) {
        refusal = "The boot line is too long. A boot line may hold at most ";
        refusal += std::to_string(CBootLine::kMaxLineLength) + " characters.";
        return FALSE;
    }
    // A line that begins with "[" would end the section, and the lines after it with it.
    CBootLine readBack;
    if (text.GetAt(0) == '[' || !readBack.ParseLine(text)) {
        refusal = "Invalid boot line. A boot line may not begin with \"[\".";
        return FALSE;
    }
    return TRUE;
}

BOOL BootIniDocument::ReplaceBootLine(int lineIndex, const CBootLine& record,
                                      std::string& refusal) {
    CString text;
    if (!CheckRecordFields(record, refusal) || !ComposeForSection(record, text, refusal))
        return FALSE;
    m_lines.SetAt(lineIndex, text);
    return TRUE;
}

BOOL BootIniDocument::InsertCopy(int lineIndex, const CBootLine& copy, std::string& refusal) {
    CString text;
    if (!ComposeForSection(copy, text, refusal))
        return FALSE;
    m_lines.InsertAt(lineIndex, text);
    return TRUE;
}

BOOL BootIniDocument::DeleteBootLine(int lineIndex, std::string& refusal) {
    // The count is of listed boot lines, not of the lines of the file or the section.
    if (BootLines().size() == 1) {
        refusal = "Deleting the only line in the Boot.INI file will make the system unbootable";
        return FALSE;
    }
    m_lines.RemoveAt(lineIndex);
    return TRUE;
}

CStringArray LinesOfFile(const std::string& bytes) {
    CStringArray lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const bool ended = end != std::string::npos;
        if (!ended)
            end = bytes.size();
        std::size_t textEnd = end;
        if (ended && textEnd > start && bytes[textEnd - 1] == '\r')
            --textEnd;
        lines.Add(CString(bytes.substr(start, textEnd - start)));
        start = end + 1;
    }
    return lines;
}
