// The platform of the Windows program: the real Win32 calls, with the program's paths used as
// they are. Files that are reparse points (symbolic links, junctions) are never read, written or
// given attributes. The lock file is held open without sharing and deleted when closed, so the
// system releases it, and removes it, when the process ends in any way.
#pragma once

#include "platform/Platform.h"

class Win32Platform : public IPlatform {
public:
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
};

// The groups of a token group list as the platform reports them.
std::vector<TokenGroup> TokenGroupsFrom(const TOKEN_GROUPS& list);
