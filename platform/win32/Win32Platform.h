// The platform of the Windows program: the real Win32 calls on the program's paths, with drive C:
// standing for the drive chosen at start-up (E:, or a folder such as D:\images\xp) when there is
// one. That mapping is made here and nowhere else. Files that are reparse points (symbolic links,
// junctions) are never read, written or given attributes. The lock file is held open without
// sharing and deleted when closed, so the system releases it, and removes it, when the process ends
// in any way.
#pragma once

#include <string>

#include "platform/Platform.h"

class Win32Platform : public IPlatform {
public:
    // driveRoot ends with a backslash ("E:\\", "D:\\images\\xp\\"); the default is drive C:.
    explicit Win32Platform(std::string driveRoot = "C:\\");

    UINT GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR profileFile) override;
    BOOL WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR profileFile) override;
    BOOL CopyFileTo(LPCSTR existing, LPCSTR target, BOOL failIfExists) override;
    BOOL ReplaceFileSafely(LPCSTR source, LPCSTR target) override;
    DWORD ReadFileAttributes(LPCSTR path) override;
    BOOL WriteFileAttributes(LPCSTR path, DWORD attributes) override;
    BOOL FileExists(LPCSTR path) override;
    std::unique_ptr<ITextStream> OpenTextStream(LPCSTR path) override;
    BOOL ReadWholeFile(LPCSTR path, std::string& bytes) override;
    LockOutcome LockExclusively(LPCSTR path, std::unique_ptr<IExclusiveLock>& lock) override;
    BOOL ReadTokenGroups(std::vector<TokenGroup>& groups) override;
    BOOL ReadSystemDirectory(CString& directory) override;
    BOOL ChangeCurrentDirectory(LPCSTR directory) override;

    const std::string& DriveRoot() const { return m_driveRoot; }
    // The path on the chosen drive of a program path on drive C:; other paths as they are.
    std::string OnDrive(LPCSTR path) const;

private:
    std::string m_driveRoot;
};

// The root that a drive named by the user stands for: "E:", "e:\\" and "E:/" give "E:\\", a
// folder gives itself with a final backslash. FALSE, with the message, when it names no drive or
// folder that exists.
BOOL Win32DriveRoot(const std::string& drive, std::string& root, std::string& error);

// The groups of a token group list as the platform reports them.
std::vector<TokenGroup> TokenGroupsFrom(const TOKEN_GROUPS& list);
