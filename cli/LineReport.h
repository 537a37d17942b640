// What the command line prints about boot lines: the text for people, the JSON for scripts (its
// shape is documented in cli/README.md and stays stable), and the unified diff of a change.
#pragma once

#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "framework/String.h"
#include "store/StagingFile.h"

// One boot line: its number in the list (from 1), its entry, and whether the loader starts it by
// default.
struct NumberedLine {
    int number;
    BootLineEntry entry;
    bool isDefault;
};

nlohmann::ordered_json LineJson(const NumberedLine& line, const CStringArray& lines);
// The whole file's boot lines, with the loader's timeout (null when it has none).
nlohmann::ordered_json ListJson(const std::string& path, const CStringArray& lines);

// The JSON as text, indented. BOOT.INI is written in a Windows code page, not always UTF-8: a
// byte that is not part of UTF-8 becomes U+FFFD in the JSON (the text output keeps every byte).
std::string JsonText(const nlohmann::ordered_json& json);

void PrintList(std::ostream& out, const CStringArray& lines);
void PrintLine(std::ostream& out, const NumberedLine& line, const CStringArray& lines);

// The boot lines numbered as the dialog lists them.
std::vector<NumberedLine> NumberedLines(const CStringArray& lines);

// The change from before to after as a unified diff of the file, three lines of context; nothing
// when they are the same.
void PrintUnifiedDiff(std::ostream& out, const std::string& name, const CStringArray& before,
                      const CStringArray& after);
