// The platform of the Windows program: the real Win32 calls, with the program's paths used as
// they are.
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
    BOOL ReadTokenGroups(std::vector<TokenGroup>& groups) override;
    BOOL ReadSystemDirectory(CString& directory) override;
    BOOL ChangeCurrentDirectory(LPCSTR directory) override;
};

// The groups of a token group list as the platform reports them.
std::vector<TokenGroup> TokenGroupsFrom(const TOKEN_GROUPS& list);
