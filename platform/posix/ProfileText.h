// Private-profile (INI) text, with the Windows private-profile semantics for what the program
// uses: integer values read with a default, string values written.
//
// Format: a line "[name]" opens a section (blanks around the name ignored); a line "key=value" is
// an entry of the section above it (blanks around key and value ignored); a line starting with ';'
// and any other line is kept as it stands. Section and key names compare without regard to case;
// the first matching section and entry win. Written lines end with a line feed; the lines that are
// not changed keep their text.
#pragma once

#include <string>
#include <vector>

#include "framework/Types.h"

class ProfileText {
public:
    ProfileText() = default;
    explicit ProfileText(const std::string& text);

    // False when there is no such entry.
    bool Find(const std::string& section, const std::string& key, std::string& value) const;
    // Sets the entry, adding the section and key when missing.
    void Set(const std::string& section, const std::string& key, const std::string& value);
    void RemoveKey(const std::string& section, const std::string& key);
    void RemoveSection(const std::string& section);
    std::string Text() const;

private:
    // Index of the section's header line, or -1.
    long FindSection(const std::string& section) const;
    // One past the section's last line (the next header or the end).
    size_t SectionEnd(long header) const;
    long FindKey(long header, const std::string& key) const;

    std::vector<std::string> m_lines;
};

// The integer of a profile value as GetPrivateProfileInt reads it: an empty value gives the
// default; otherwise leading blanks, an optional sign, an optional 0x/0o/0b base prefix and then
// digits up to the first other character; no digits give 0.
UINT ProfileIntFromText(const std::string& value, int defaultValue);
