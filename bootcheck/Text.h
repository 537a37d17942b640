// Small text helpers of the boot path check: names on FAT and NTFS match without regard to
// ASCII letter case, and messages fill numbered places ("{0}", "{1}") from their arguments.
#pragma once

#include <initializer_list>
#include <string>

namespace bootcheck {

inline char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(const std::string& a, const std::string& b);

// "{0}" ... "{9}" in pattern replaced by the arguments in order.
std::string Fill(const char* pattern, std::initializer_list<std::string> arguments);

// Joins two partition paths with one "\"; paths are relative to the partition's root.
std::string JoinPath(const std::string& folder, const std::string& name);

// A system root as the partition's file access takes it: "\WINDOWS\" -> "WINDOWS".
std::string RelativeFolder(const std::string& systemRoot);

// Eight lower-case hexadecimal digits, as signature() writes a disk signature.
std::string HexSignature(unsigned long signature);

}  // namespace bootcheck
