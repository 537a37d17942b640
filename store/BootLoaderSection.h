// The "[boot loader]" section of BOOT.INI and the order of the boot menu.
//
// Format: the section opens at a line "[boot loader]" (letter case ignored, trailing blanks
// allowed) and ends before the next line whose first character is "["; only the first such
// section counts. Inside it, "timeout=N" is how many seconds the loader shows its menu (0 starts
// the default at once) and "default=ARC path" names the line it starts when the user picks none:
// the first boot line whose ARC path equals that value, compared without regard to case, as the
// loader compares it. Keys are read in any letter case, with blanks before the key and around
// "=". Lines that are neither are kept as they are.
//
// Every function here works on the file's lines as the editor holds them (one element a line,
// without line ends) and changes only the lines that must change: a key's line keeps its
// spelling and spacing up to the value, a value that stays the same leaves its line untouched,
// a moved boot line keeps its text.
#pragma once

#include "framework/String.h"

// The title line of the loader's section.
extern const char kBootLoaderHeader[];
// The longest menu timeout the loader takes, in seconds.
const int kMaxBootTimeout = 999;

// The value of key ("timeout", "default") in the loader's section, without the blanks around it,
// and the index of its line; FALSE (lineIndex -1) when the section or the key is missing.
BOOL FindBootLoaderValue(const CStringArray& lines, LPCSTR key, int& lineIndex, CString& value);

// A timeout value: a whole number of seconds from 0 to kMaxBootTimeout, in at most three digits.
BOOL ParseBootTimeout(const CString& text, int& seconds);
// The menu timeout in seconds; FALSE when timeout= is missing or its value is not a timeout.
BOOL ReadBootTimeout(const CStringArray& lines, int& seconds);
// The ARC path default= names; FALSE when default= is missing.
BOOL ReadBootDefault(const CStringArray& lines, CString& arcPath);

// Sets timeout=; FALSE, with the lines unchanged, when seconds is out of range. A line that
// already holds that number is left as it is. A missing timeout= goes first in the section; a
// missing section is created before "[operating systems]" (at the end when there is none).
BOOL SetBootTimeout(CStringArray& lines, int seconds);
// Sets default=. A value equal to the present one without regard to case leaves the line as it
// is. A missing default= goes after timeout= (or first in the section), a missing section as for
// the timeout.
void SetBootDefault(CStringArray& lines, const CString& arcPath);

// The index of the boot line the loader starts by default: the first listed boot line whose ARC
// path equals default='s value. -1 when default= is missing or names no listed line.
int FindDefaultBootLine(const CStringArray& lines);
// Whether removing boot line lineIndex leaves default= naming no listed line: it is the last
// listed line with the default's ARC path.
BOOL IsLastLineOfDefault(const CStringArray& lines, int lineIndex);

// Exchanges the text of listed boot line lineIndex with that of the listed boot line before it
// (step -1) or after it (step +1); lines in between, such as comments, stay where they are.
// Returns the moved text's new index, or -1, with the lines unchanged, when lineIndex is no listed
// boot line or has no neighbour that way.
int MoveBootLine(CStringArray& lines, int lineIndex, int step);

// Replaces boot line lineIndex with text. When it was the default line and its ARC path changes,
// default= follows it to the new path. TRUE when default= was changed.
BOOL ReplaceBootLineKeepingDefault(CStringArray& lines, int lineIndex, const CString& text);
