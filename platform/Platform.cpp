#include "platform/Platform.h"

namespace {

// Stands in until a platform is installed: every operation fails, so a program started without
// one refuses to run instead of touching files it cannot reach.
class UnavailablePlatform : public IPlatform {
public:
    UINT GetProfileInt(LPCSTR, LPCSTR, int defaultValue, LPCSTR) override {
        return static_cast<UINT>(defaultValue);
    }
    BOOL WriteProfileString(LPCSTR, LPCSTR, LPCSTR, LPCSTR) override { return FALSE; }
    BOOL CopyFileTo(LPCSTR, LPCSTR, BOOL) override { return FALSE; }
    BOOL ReplaceFileSafely(LPCSTR, LPCSTR) override { return FALSE; }
    DWORD ReadFileAttributes(LPCSTR) override { return INVALID_FILE_ATTRIBUTES; }
    BOOL WriteFileAttributes(LPCSTR, DWORD) override { return FALSE; }
    BOOL FileExists(LPCSTR) override { return FALSE; }
    std::unique_ptr<ITextStream> OpenTextStream(LPCSTR) override { return nullptr; }
    BOOL ReadWholeFile(LPCSTR, std::string&) override { return FALSE; }
    LockOutcome LockExclusively(LPCSTR, std::unique_ptr<IExclusiveLock>&) override {
        return LockOutcome::kFailed;
    }
    BOOL ReadTokenGroups(std::vector<TokenGroup>&) override { return FALSE; }
    BOOL ReadSystemDirectory(CString&) override { return FALSE; }
    BOOL ChangeCurrentDirectory(LPCSTR) override { return FALSE; }
};

UnavailablePlatform g_unavailablePlatform;
IPlatform* g_platform = nullptr;

}  // namespace

IPlatform& Platform() {
    return g_platform ? *g_platform : g_unavailablePlatform;
}

void SetPlatform(IPlatform* platform) {
    g_platform = platform;
}
