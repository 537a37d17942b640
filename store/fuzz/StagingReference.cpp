#include "store/fuzz/StagingReference.h"

#include <cctype>

#include "bootline/BootLine.h"

namespace staging_reference {

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : bytes) {
        if (c != '\n') {
            line += c;
            continue;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        line.clear();
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::string Rewritten(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

std::vector<std::string> FromArray(const CStringArray& lines) {
    std::vector<std::string> result;
    for (int i = 0; i < lines.GetSize(); ++i)
        result.push_back(lines[i].str());
    return result;
}

namespace {

bool OpensSection(std::string line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    const std::string header = "[operating systems]";
    if (line.size() != header.size())
        return false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) != header[i])
            return false;
    }
    return true;
}

}  // namespace

std::vector<Entry> BootLines(const std::vector<std::string>& lines) {
    std::vector<Entry> entries;
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!inside) {
            inside = OpensSection(lines[i]);
            continue;
        }
        if (!lines[i].empty() && lines[i][0] == '[') {
            inside = false;
            continue;
        }
        CBootLine record;
        if (record.ParseLine(lines[i].c_str()))
            entries.push_back({static_cast<int>(i), record.m_strArcPath.str()});
    }
    return entries;
}

std::string DescribeListDifference(const std::vector<Entry>& expected,
                                   const std::vector<Entry>& listed) {
    if (expected.size() != listed.size()) {
        return "the list shows " + std::to_string(listed.size()) + " entries, not " +
               std::to_string(expected.size());
    }
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i].lineIndex != listed[i].lineIndex ||
            expected[i].arcPath != listed[i].arcPath) {
            return "entry " + std::to_string(i) + " is line " +
                   std::to_string(listed[i].lineIndex) + " \"" + listed[i].arcPath +
                   "\", not line " + std::to_string(expected[i].lineIndex) + " \"" +
                   expected[i].arcPath + "\"";
        }
    }
    return "";
}

}  // namespace staging_reference
