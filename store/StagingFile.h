// The three files of the program and the staging file's line model.
//
// C:\BOOT.INI is the boot loader's file; it is never opened as a stream, only copied. C:\BOOT.TMP,
// the staging file, is the working copy that start-up makes and every line edit rewrites whole.
// C:\BOOT.BAK receives the previous C:\BOOT.INI at each commit.
#pragma once

#include <string>
#include <vector>

#include "framework/String.h"
#include "platform/Platform.h"

extern const char kBootIniPath[];
extern const char kStagingPath[];
extern const char kBackupPath[];
// The lock file that keeps a second instance of the program off the drive while one runs.
extern const char kLockPath[];

// The title line of the section that holds the boot lines.
extern const char kSectionHeader[];

// Whether a line is the title line header ("[name]"): in any letter case, optionally followed by
// blanks (spaces or tabs), which real files often carry. A leading blank makes it another line.
BOOL IsHeaderLine(const CString& line, LPCSTR header);
// Whether a line opens the boot-line section.
BOOL IsSectionHeader(const CString& line);

// One line of the section that parses as a boot line.
struct BootLineEntry {
    int lineIndex;    // its index among all lines of the file
    CString arcPath;  // the text that names it in the boot-line list
};

// The boot lines of the "[operating systems]" section, in file order. The section runs from the
// header to the next line that begins with "["; that line does not open it again, a later header
// does. Lines that don't parse, or are longer than a boot line may be, are not listed.
std::vector<BootLineEntry> FindBootLines(const CStringArray& lines);

// Reads every line from the stream's position to its end, each whole and without its line end.
// FALSE when reading failed before the end, so that lines may be missing.
BOOL ReadStagingLines(ITextStream& stream, CStringArray& lines);

// Rewrites the whole file: rewind, cut to length 0, write every line with a line end, flush and
// rewind. FALSE as soon as one step fails; the file's content is then unknown.
BOOL WriteStagingLines(ITextStream& stream, const CStringArray& lines);

// Reads the file from its start and compares it with lines. Leaves the stream at its end.
BOOL StagingFileHolds(ITextStream& stream, const CStringArray& lines);

// What a drive without C:\BOOT.INI holds instead, in a sentence for the user: a Windows that
// starts with the Windows Boot Manager (bootmgr or Boot\BCD at the root). Empty when the root
// shows nothing known.
std::string DescribeDriveWithoutBootIni();

// TRUE when path is a symbolic link or a junction. The program never reads or writes its files
// through one: a link could send a write to any file of the system.
BOOL IsLink(LPCSTR path);
