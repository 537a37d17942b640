// The "[boot loader]" section: reading and setting timeout= and default=, and the order of the
// boot lines. The format is described in store/BootLoaderSection.h.
#include "store/BootLoaderSection.h"

#include <string>
#include <vector>

#include "bootline/BootLine.h"
#include "store/StagingFile.h"

const char kBootLoaderHeader[] = "[boot loader]";

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Where the loader's section lies: its header's index and the index after its last line. header
// is -1 when the file has no such section.
struct SectionSpan {
    int header = -1;
    int end = -1;
};

SectionSpan FindBootLoaderSection(const CStringArray& lines) {
    SectionSpan span;
    for (int index = 0; index < lines.GetSize(); ++index) {
        if (IsHeaderLine(lines[index], kBootLoaderHeader)) {
            span.header = index;
            break;
        }
    }
    if (span.header < 0)
        return span;
    span.end = span.header + 1;
    while (span.end < lines.GetSize() &&
           (lines[span.end].IsEmpty() || lines[span.end].GetAt(0) != '['))
        ++span.end;
    return span;
}

// One "key = value" line split up: the text up to the value (key, blanks and "=" as written) and
// the value without the blanks around it. FALSE when the line is not one of key.
bool SplitKeyLine(const CString& line, LPCSTR key, std::string& prefix, std::string& value) {
    const std::string& text = line.str();
    const size_t equals = text.find('=');
    if (equals == std::string::npos)
        return false;
    size_t keyStart = 0;
    while (keyStart < equals && IsBlank(text[keyStart]))
        ++keyStart;
    size_t keyEnd = equals;
    while (keyEnd > keyStart && IsBlank(text[keyEnd - 1]))
        --keyEnd;
    if (CString(text.substr(keyStart, keyEnd - keyStart)).CompareNoCase(key) != 0 ||
        keyEnd - keyStart != std::string(key).size())
        return false;
    size_t valueStart = equals + 1;
    while (valueStart < text.size() && IsBlank(text[valueStart]))
        ++valueStart;
    size_t valueEnd = text.size();
    while (valueEnd > valueStart && IsBlank(text[valueEnd - 1]))
        --valueEnd;
    prefix = text.substr(0, valueStart);
    value = text.substr(valueStart, valueEnd - valueStart);
    return true;
}

// The index of the loader's section header, creating the section when it is missing: before the
// boot-line section, or at the end of a file without one.
int EnsureBootLoaderSection(CStringArray& lines) {
    const SectionSpan span = FindBootLoaderSection(lines);
    if (span.header >= 0)
        return span.header;
    int at = lines.GetSize();
    for (int index = 0; index < lines.GetSize(); ++index) {
        if (IsSectionHeader(lines[index])) {
            at = index;
            break;
        }
    }
    lines.InsertAt(at, kBootLoaderHeader);
    return at;
}

// Puts value into key's line, or adds "key=value" after the line at insertAfter (computed once
// the section exists) when the key is missing.
template <class InsertAfter>
void SetValue(CStringArray& lines, LPCSTR key, const std::string& value, InsertAfter insertAfter) {
    int lineIndex = -1;
    CString present;
    if (FindBootLoaderValue(lines, key, lineIndex, present)) {
        std::string prefix;
        std::string old;
        SplitKeyLine(lines[lineIndex], key, prefix, old);
        lines.SetAt(lineIndex, (prefix + value).c_str());
        return;
    }
    const int header = EnsureBootLoaderSection(lines);
    lines.InsertAt(insertAfter(lines, header) + 1, CString((std::string(key) + "=" + value)));
}

BOOL SameArcPath(const CString& a, const CString& b) {
    return a.GetLength() == b.GetLength() && a.CompareNoCase(b) == 0;
}

// The ARC path of listed boot line lineIndex; FALSE when it is not listed.
BOOL ListedArcPath(const std::vector<BootLineEntry>& entries, int lineIndex, CString& arcPath) {
    for (const BootLineEntry& entry : entries) {
        if (entry.lineIndex == lineIndex) {
            arcPath = entry.arcPath;
            return TRUE;
        }
    }
    return FALSE;
}

}  // namespace

BOOL FindBootLoaderValue(const CStringArray& lines, LPCSTR key, int& lineIndex, CString& value) {
    lineIndex = -1;
    const SectionSpan span = FindBootLoaderSection(lines);
    for (int index = span.header + 1; span.header >= 0 && index < span.end; ++index) {
        std::string prefix;
        std::string text;
        if (SplitKeyLine(lines[index], key, prefix, text)) {
            lineIndex = index;
            value = CString(text);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL ParseBootTimeout(const CString& text, int& seconds) {
    if (text.IsEmpty() || text.GetLength() > 3)
        return FALSE;
    int value = 0;
    for (char c : text.str()) {
        if (c < '0' || c > '9')
            return FALSE;
        value = value * 10 + (c - '0');
    }
    seconds = value;
    return TRUE;
}

BOOL ReadBootTimeout(const CStringArray& lines, int& seconds) {
    int lineIndex = -1;
    CString text;
    return FindBootLoaderValue(lines, "timeout", lineIndex, text) &&
           ParseBootTimeout(text, seconds);
}

BOOL ReadBootDefault(const CStringArray& lines, CString& arcPath) {
    int lineIndex = -1;
    return FindBootLoaderValue(lines, "default", lineIndex, arcPath);
}

BOOL SetBootTimeout(CStringArray& lines, int seconds) {
    if (seconds < 0 || seconds > kMaxBootTimeout)
        return FALSE;
    int present = 0;
    if (ReadBootTimeout(lines, present) && present == seconds)
        return TRUE;
    SetValue(lines, "timeout", std::to_string(seconds),
             [](const CStringArray&, int header) { return header; });
    return TRUE;
}

void SetBootDefault(CStringArray& lines, const CString& arcPath) {
    CString present;
    if (ReadBootDefault(lines, present) && SameArcPath(present, arcPath))
        return;
    SetValue(lines, "default", arcPath.str(), [](const CStringArray& all, int header) {
        int timeoutLine = -1;
        CString timeout;
        return FindBootLoaderValue(all, "timeout", timeoutLine, timeout) ? timeoutLine : header;
    });
}

int FindDefaultBootLine(const CStringArray& lines) {
    CString arcPath;
    if (!ReadBootDefault(lines, arcPath))
        return -1;
    for (const BootLineEntry& entry : FindBootLines(lines)) {
        if (SameArcPath(entry.arcPath, arcPath))
            return entry.lineIndex;
    }
    return -1;
}

BOOL IsLastLineOfDefault(const CStringArray& lines, int lineIndex) {
    CString defaultPath;
    CString arcPath;
    const std::vector<BootLineEntry> entries = FindBootLines(lines);
    if (!ReadBootDefault(lines, defaultPath) || !ListedArcPath(entries, lineIndex, arcPath) ||
        !SameArcPath(arcPath, defaultPath))
        return FALSE;
    for (const BootLineEntry& entry : entries) {
        if (entry.lineIndex != lineIndex && SameArcPath(entry.arcPath, defaultPath))
            return FALSE;
    }
    return TRUE;
}

int MoveBootLine(CStringArray& lines, int lineIndex, int step) {
    const std::vector<BootLineEntry> entries = FindBootLines(lines);
    for (size_t position = 0; position < entries.size(); ++position) {
        if (entries[position].lineIndex != lineIndex)
            continue;
        const long neighbour = static_cast<long>(position) + (step < 0 ? -1 : 1);
        if (step == 0 || neighbour < 0 || neighbour >= static_cast<long>(entries.size()))
            return -1;
        const int other = entries[static_cast<size_t>(neighbour)].lineIndex;
        const CString moved = lines[lineIndex];
        lines[lineIndex] = lines[other];
        lines[other] = moved;
        return other;
    }
    return -1;
}

BOOL ReplaceBootLineKeepingDefault(CStringArray& lines, int lineIndex, const CString& text) {
    const BOOL wasDefault = lineIndex >= 0 && FindDefaultBootLine(lines) == lineIndex;
    lines.SetAt(lineIndex, text);
    CBootLine parsed;
    if (!wasDefault || !parsed.ParseLine(text))
        return FALSE;
    CString present;
    ReadBootDefault(lines, present);
    if (SameArcPath(present, parsed.m_strArcPath))
        return FALSE;
    SetBootDefault(lines, parsed.m_strArcPath);
    return TRUE;
}
