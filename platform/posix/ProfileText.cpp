#include "platform/posix/ProfileText.h"

#include <cctype>
#include <cstdint>

#include "platform/posix/DriveFolder.h"

namespace {

std::string Trim(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first])))
        ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1])))
        --last;
    return text.substr(first, last - first);
}

// The section name of a header line; false for other lines.
bool HeaderName(const std::string& line, std::string& name) {
    std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[')
        return false;
    size_t close = trimmed.find(']');
    if (close == std::string::npos)
        return false;
    name = Trim(trimmed.substr(1, close - 1));
    return true;
}

// The key and value of an entry line; false for comments and lines without '='.
bool EntryParts(const std::string& line, std::string& key, std::string& value) {
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == ';')
        return false;
    size_t equals = trimmed.find('=');
    if (equals == std::string::npos)
        return false;
    key = Trim(trimmed.substr(0, equals));
    value = Trim(trimmed.substr(equals + 1));
    return true;
}

}  // namespace

ProfileText::ProfileText(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        m_lines.push_back(line);
        start = end + 1;
    }
}

long ProfileText::FindSection(const std::string& section) const {
    std::string name;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (HeaderName(m_lines[i], name) && EqualIgnoringCase(name, section)) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

size_t ProfileText::SectionEnd(long header) const {
    std::string name;
    size_t i = static_cast<size_t>(header) + 1;
    while (i < m_lines.size() && !HeaderName(m_lines[i], name))
        ++i;
    return i;
}

long ProfileText::FindKey(long header, const std::string& key) const {
    std::string entryKey, value;
    size_t end = SectionEnd(header);
    for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
        if (EntryParts(m_lines[i], entryKey, value) && EqualIgnoringCase(entryKey, key)) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

bool ProfileText::Find(const std::string& section, const std::string& key,
                       std::string& value) const {
    long header = FindSection(section);
    if (header < 0)
        return false;
    long line = FindKey(header, key);
    if (line < 0)
        return false;
    std::string entryKey;
    EntryParts(m_lines[static_cast<size_t>(line)], entryKey, value);
    // Quotes around the whole value are not part of it.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return true;
}

void ProfileText::Set(const std::string& section, const std::string& key,
                      const std::string& value) {
    std::string entry = key + "=" + value;
    long header = FindSection(section);
    if (header < 0) {
        if (!m_lines.empty() && !Trim(m_lines.back()).empty())
            m_lines.push_back("");
        m_lines.push_back("[" + section + "]");
        m_lines.push_back(entry);
        return;
    }
    long line = FindKey(header, key);
    if (line >= 0) {
        m_lines[static_cast<size_t>(line)] = entry;
        return;
    }
    // After the section's last non-blank line, so a blank line before the next section stays.
    size_t insertAt = SectionEnd(header);
    while (insertAt > static_cast<size_t>(header) + 1 && Trim(m_lines[insertAt - 1]).empty()) {
        --insertAt;
    }
    m_lines.insert(m_lines.begin() + static_cast<long>(insertAt), entry);
}

void ProfileText::RemoveKey(const std::string& section, const std::string& key) {
    long header = FindSection(section);
    if (header < 0)
        return;
    long line = FindKey(header, key);
    if (line >= 0)
        m_lines.erase(m_lines.begin() + line);
}

void ProfileText::RemoveSection(const std::string& section) {
    long header = FindSection(section);
    if (header < 0)
        return;
    m_lines.erase(m_lines.begin() + header,
                  m_lines.begin() + static_cast<long>(SectionEnd(header)));
}

std::string ProfileText::Text() const {
    std::string text;
    for (const std::string& line : m_lines)
        text += line + "\n";
    return text;
}

UINT ProfileIntFromText(const std::string& value, int defaultValue) {
    if (value.empty())
        return static_cast<UINT>(defaultValue);
    size_t i = 0;
    while (i < value.size() && static_cast<unsigned char>(value[i]) <= ' ')
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < value.size() && value[i] == '0') {
        char prefix = static_cast<char>(std::tolower(static_cast<unsigned char>(value[i + 1])));
        if (prefix == 'x')
            base = 16;
        if (prefix == 'o')
            base = 8;
        if (prefix == 'b')
            base = 2;
        if (base != 10)
            i += 2;
    }
    std::uint32_t result = 0;
    for (; i < value.size(); ++i) {
        int c = std::tolower(static_cast<unsigned char>(value[i]));
        unsigned digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else {
            break;
        }
        if (digit >= base)
            break;
        result = result * base + digit;
    }
    return static_cast<UINT>(negative ? (0u - result) : result);
}
