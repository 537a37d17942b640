// The operating-system calls the program makes, behind one interface so that the same program
// runs on Windows, on a Windows drive mounted under Linux, and in tests with injected faults.
//
// Paths are the program's Windows paths on drive C: ("C:\\BOOT.INI"). On Windows they are used as
// they are; the Linux implementation maps drive C: to a folder and matches names without regard to
// case. Every operation reports failure instead of throwing.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/App.h"
#include "framework/String.h"

#ifndef FILE_ATTRIBUTE_REPARSE_POINT
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400  // a symbolic link or a junction
#endif

// A read/write text stream on an existing file (the staging file), like C's fopen mode "r+".
class ITextStream {
public:
    virtual ~ITextStream() = default;
    // Reads the next line whole, whatever its length, without its line end: a line feed, or a
    // carriage return and line feed. FALSE at end of file or on a read error (line is then empty).
    virtual BOOL ReadLine(CString& line) = 0;
    // After ReadLine returned FALSE: TRUE when the file had no more lines, FALSE when reading
    // failed, so that lines may be missing.
    virtual BOOL AtEndOfFile() = 0;
    virtual BOOL Rewind() = 0;
    virtual BOOL Truncate() = 0;  // cuts the file to length 0
    // Every byte of the text (zero bytes too), then a carriage return and line feed.
    virtual BOOL WriteLine(const CString& text) = 0;
    virtual BOOL Flush() = 0;  // to the operating system and on to the disk
    virtual BOOL Close() = 0;
};

// A hold on a lock file that keeps a second instance of the program off the same drive. It is
// released when the object is destroyed, and by the system when the process dies, so a crash
// never leaves the drive locked.
class IExclusiveLock {
public:
    virtual ~IExclusiveLock() = default;
};

enum class LockOutcome {
    kLocked,         // this process holds the lock
    kHeldElsewhere,  // another process holds it
    kFailed,         // the lock file can't be made or locked (a link, a read-only drive, ...)
};

// One entry of an access token's group list.
struct TokenGroup {
    std::vector<unsigned char> sid;  // the SID in its binary form
    DWORD attributes = 0;            // SE_GROUP_* bits
};

class IPlatform : public IProfileStore {
public:
    // Files.
    virtual BOOL CopyFileTo(LPCSTR existing, LPCSTR target, BOOL failIfExists) = 0;
    // Replaces target with a copy of source so that a crash at any moment leaves the old or the
    // new target whole: copy to a temporary file beside the target, flush it to disk, then rename
    // it over the target (and flush the folder where that is needed).
    virtual BOOL ReplaceFileSafely(LPCSTR source, LPCSTR target) = 0;
    virtual DWORD ReadFileAttributes(LPCSTR path) = 0;  // INVALID_FILE_ATTRIBUTES on failure
    virtual BOOL WriteFileAttributes(LPCSTR path, DWORD attributes) = 0;
    virtual BOOL FileExists(LPCSTR path) = 0;
    // Null when the file can't be opened (it must exist).
    virtual std::unique_ptr<ITextStream> OpenTextStream(LPCSTR path) = 0;
    // The whole content of an existing file, every byte as it is. FALSE when it can't be read.
    virtual BOOL ReadWholeFile(LPCSTR path, std::string& bytes) = 0;
    // Takes the lock file at path, creating it when needed, without waiting: lock is set only
    // for kLocked.
    virtual LockOutcome LockExclusively(LPCSTR path, std::unique_ptr<IExclusiveLock>& lock) = 0;
    //
    // Links: none of the operations above reads, writes or locks a file through a symbolic link
    // or a junction; each refuses one. ReadFileAttributes reports such a file with
    // FILE_ATTRIBUTE_REPARSE_POINT, so the program can say why it refuses.

    // The current user's access token: its group list, read whole. FALSE when no token can be
    // opened or read.
    virtual BOOL ReadTokenGroups(std::vector<TokenGroup>& groups) = 0;
    // Why BOOT.INI may be shown but not written (a disk image the user may not write); empty
    // where it may be written. The editor then shows the lines and never commits.
    virtual std::string ViewOnlyReason() const { return std::string(); }

    // The Windows system directory (on Linux: the system32 folder of the Windows folder named by
    // the selected boot line, see SetWindowsFolderHint). FALSE when it can't be found.
    virtual BOOL ReadSystemDirectory(CString& directory) = 0;
    virtual BOOL ChangeCurrentDirectory(LPCSTR directory) = 0;
    // The Windows folder of the boot line on show (the part of its ARC path after the last ')',
    // e.g. "\\WINDOWS"); only the Linux implementation needs it.
    virtual void SetWindowsFolderHint(LPCSTR windowsFolder) { (void)windowsFolder; }
};

IPlatform& Platform();
void SetPlatform(IPlatform* platform);
