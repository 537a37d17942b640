// The staging file's format stated a second time, independently of the loader, for the fuzz
// targets to compare against: how bytes split into lines, what a rewrite must write, and which
// lines the boot-line list must show.
#pragma once

#include <string>
#include <vector>

#include "framework/String.h"

namespace staging_reference {

// The lines of a file: each ends at a line feed, with a carriage return directly before it
// belonging to the line end; a last line without a line feed counts when it is not empty.
std::vector<std::string> Lines(const std::string& bytes);

// What a rewrite of these lines must leave in the file: each line, then CR-LF.
std::string Rewritten(const std::vector<std::string>& lines);
std::vector<std::string> FromArray(const CStringArray& lines);

struct Entry {
    int lineIndex;
    std::string arcPath;
};
// The boot lines of the "[operating systems]" section: the section opens at a line that reads
// "[operating systems]" in any letter case, blanks after it allowed and nothing else, and closes
// at the next line that begins with "["; that line does not open it again.
std::vector<Entry> BootLines(const std::vector<std::string>& lines);

// Empty when the listed entries are the reference's; otherwise what differs.
std::string DescribeListDifference(const std::vector<Entry>& expected,
                                   const std::vector<Entry>& listed);

}  // namespace staging_reference
