// What the Wine tests share: drive C: of the test's Wine prefix with the fixture BOOT.INI, file
// helpers on the real files, and the help request a user's F1 sends.
#pragma once

#include <string>

#include "framework/Types.h"  // <windows.h> without its min and max macros

extern const char kBootIni[];
extern const char kStaging[];
extern const char kBackup[];
// The read-only, hidden and system attributes that BOOT.INI carries.
extern const DWORD kProtected;

// Three boot lines: two share their ARC path, the second has debugging with a port and a rate.
extern const char kFixture[];

// A path of the build machine as a program under Wine sees it: its file system is drive Z:.
std::string WindowsPath(std::string path);

std::string ReadWholeFile(const char* path);
bool Exists(const char* path);
// The attribute bits the program cares about; INVALID_FILE_ATTRIBUTES for no file.
DWORD AttributesOf(const char* path);
void RemoveFile(const char* path);  // whatever its attributes
// Writes the file afresh and gives it the attributes; false when that fails.
bool WriteFixtureFile(const char* path, const std::string& content, DWORD attributes);

// A visible dialog whose title is caption, or caption followed by " - " and what the dialog adds
// to it (the editor names its default line so); null when there is none.
HWND FindDialogByTitle(const char* caption);

// WM_HELP for a control as F1 sends it, the mouse at (x, y); the dialog's answer.
LRESULT SendHelpRequest(HWND dialog, int controlId, int x, int y);
