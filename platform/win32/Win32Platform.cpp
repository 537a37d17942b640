#include "platform/win32/Win32Platform.h"

#include <string>
#include <utility>

#include "platform/win32/Win32TextStream.h"

namespace {

// Closes a kernel handle when it goes out of scope.
class HandleCloser {
public:
    explicit HandleCloser(HANDLE handle) : m_handle(handle) {}
    ~HandleCloser() {
        if (m_handle && m_handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_handle);
    }
    HandleCloser(const HandleCloser&) = delete;
    HandleCloser& operator=(const HandleCloser&) = delete;

private:
    HANDLE m_handle;
};

// The token of the calling thread when it impersonates, else the process's.
HANDLE OpenCallerToken() {
    HANDLE token = nullptr;
    if (::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &token))
        return token;
    if (::GetLastError() != ERROR_NO_TOKEN)
        return nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return token;
    return nullptr;
}

// The folder part of a path, with its final separator ("C:\" for "C:\BOOT.INI"); "." for a
// bare file name.
std::string FolderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) {
        const std::size_t colon = path.find(':');
        return colon == std::string::npos ? std::string(".") : path.substr(0, colon + 1);
    }
    return path.substr(0, separator + 1);
}

// A symbolic link or a junction: the program never reads or writes through one.
bool IsReparsePoint(LPCSTR path) {
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool RefuseReparsePoints(LPCSTR first, LPCSTR second = nullptr) {
    if (IsReparsePoint(first) || (second && IsReparsePoint(second))) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return true;
    }
    return false;
}

class LockFileHandle : public IExclusiveLock {
public:
    explicit LockFileHandle(HANDLE handle) : m_handle(handle) {}
    ~LockFileHandle() override { ::CloseHandle(m_handle); }
    LockFileHandle(const LockFileHandle&) = delete;
    LockFileHandle& operator=(const LockFileHandle&) = delete;

private:
    HANDLE m_handle;
};

BOOL FlushFileToDisk(const char* path) {
    HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    const BOOL flushed = ::FlushFileBuffers(file);
    return ::CloseHandle(file) && flushed;
}

}  // namespace

Win32Platform::Win32Platform(std::string driveRoot) : m_driveRoot(std::move(driveRoot)) {}

std::string Win32Platform::OnDrive(LPCSTR path) const {
    const std::string text = path ? path : "";
    if (text.size() >= 3 && (text[0] == 'C' || text[0] == 'c') && text[1] == ':' && text[2] == '\\')
        return m_driveRoot + text.substr(3);
    return text;
}

BOOL Win32DriveRoot(const std::string& drive, std::string& root, std::string& error) {
    root = drive;
    for (char& c : root) {
        if (c == '/')
            c = '\\';
    }
    if (root.size() == 2 && root[1] == ':')
        root += '\\';
    if (root.empty() || root.back() != '\\')
        root += '\\';
    const DWORD attributes = ::GetFileAttributesA(root.c_str());
    if (drive.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = drive +
                " is not a drive or folder. Name the drive that holds BOOT.INI, for "
                "example E:, or a folder.";
        return FALSE;
    }
    return TRUE;
}

std::vector<TokenGroup> TokenGroupsFrom(const TOKEN_GROUPS& list) {
    std::vector<TokenGroup> groups;
    groups.reserve(list.GroupCount);
    for (DWORD i = 0; i < list.GroupCount; ++i) {
        const SID_AND_ATTRIBUTES& entry = list.Groups[i];
        if (!entry.Sid || !::IsValidSid(entry.Sid))
            continue;
        const auto* bytes = static_cast<const unsigned char*>(entry.Sid);
        TokenGroup group;
        group.sid.assign(bytes, bytes + ::GetLengthSid(entry.Sid));
        group.attributes = entry.Attributes;
        groups.push_back(group);
    }
    return groups;
}

UINT Win32Platform::GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue,
                                  LPCSTR profileFile) {
    return ::GetPrivateProfileIntA(section, key, defaultValue, profileFile);
}

BOOL Win32Platform::WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value,
                                       LPCSTR profileFile) {
    return ::WritePrivateProfileStringA(section, key, value, profileFile);
}

BOOL Win32Platform::CopyFileTo(LPCSTR existingPath, LPCSTR targetPath, BOOL failIfExists) {
    const std::string existing = OnDrive(existingPath);
    const std::string target = OnDrive(targetPath);
    if (RefuseReparsePoints(existing.c_str(), target.c_str()))
        return FALSE;
    return ::CopyFileA(existing.c_str(), target.c_str(), failIfExists);
}

BOOL Win32Platform::ReplaceFileSafely(LPCSTR sourcePath, LPCSTR targetPath) {
    const std::string sourceOnDrive = OnDrive(sourcePath);
    const std::string targetOnDrive = OnDrive(targetPath);
    LPCSTR source = sourceOnDrive.c_str();
    LPCSTR target = targetOnDrive.c_str();
    if (RefuseReparsePoints(source, target))
        return FALSE;
    // Windows refuses to rename over a read-only file, Wine doesn't: refuse here, so the
    // protection holds on both.
    const DWORD targetAttributes = ::GetFileAttributesA(target);
    if (targetAttributes != INVALID_FILE_ATTRIBUTES &&
        (targetAttributes & FILE_ATTRIBUTE_READONLY)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // A new file beside the target, so the final rename stays on one volume and is atomic.
    char temporary[MAX_PATH] = {};
    if (!::GetTempFileNameA(FolderOf(target).c_str(), "tw", 0, temporary))
        return FALSE;
    const BOOL replaced =
        ::CopyFileA(source, temporary, FALSE) &&
        ::SetFileAttributesA(temporary, FILE_ATTRIBUTE_NORMAL) && FlushFileToDisk(temporary) &&
        ::MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced) {
        const DWORD error = ::GetLastError();
        ::DeleteFileA(temporary);
        ::SetLastError(error);
    }
    return replaced;
}

DWORD Win32Platform::ReadFileAttributes(LPCSTR path) {
    return ::GetFileAttributesA(OnDrive(path).c_str());
}

BOOL Win32Platform::WriteFileAttributes(LPCSTR programPath, DWORD attributes) {
    const std::string path = OnDrive(programPath);
    if (RefuseReparsePoints(path.c_str()))
        return FALSE;
    return ::SetFileAttributesA(path.c_str(), attributes);
}

BOOL Win32Platform::FileExists(LPCSTR path) {
    return ::GetFileAttributesA(OnDrive(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::unique_ptr<ITextStream> Win32Platform::OpenTextStream(LPCSTR programPath) {
    const std::string path = OnDrive(programPath);
    if (RefuseReparsePoints(path.c_str()))
        return nullptr;
    return Win32TextStream::Open(path.c_str());
}

BOOL Win32Platform::ReadWholeFile(LPCSTR programPath, std::string& bytes) {
    bytes.clear();
    const std::string path = OnDrive(programPath);
    if (RefuseReparsePoints(path.c_str()))
        return FALSE;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    HandleCloser closer(file);
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            bytes.clear();
            return FALSE;
        }
        if (got == 0)
            return TRUE;
        bytes.append(buffer, got);
    }
}

LockOutcome Win32Platform::LockExclusively(LPCSTR programPath,
                                           std::unique_ptr<IExclusiveLock>& lock) {
    lock.reset();
    const std::string path = OnDrive(programPath);
    if (RefuseReparsePoints(path.c_str()))
        return LockOutcome::kFailed;
    // No sharing: a second opener fails with a sharing violation while this handle is open.
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return ::GetLastError() == ERROR_SHARING_VIOLATION ? LockOutcome::kHeldElsewhere
                                                           : LockOutcome::kFailed;
    }
    lock = std::make_unique<LockFileHandle>(file);
    return LockOutcome::kLocked;
}

BOOL Win32Platform::ReadTokenGroups(std::vector<TokenGroup>& groups) {
    groups.clear();
    HANDLE token = OpenCallerToken();
    if (!token)
        return FALSE;
    HandleCloser closer(token);
    // Ask for the size first: a token with many groups (domain users) needs several kilobytes.
    // The list may grow between the two calls, so ask again while it doesn't fit.
    std::vector<unsigned char> buffer;
    DWORD needed = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (!buffer.empty() && ::GetTokenInformation(token, TokenGroups, buffer.data(),
                                                     static_cast<DWORD>(buffer.size()), &needed)) {
            // The groups' SIDs point into the buffer, which is aligned as the structure needs.
            groups = TokenGroupsFrom(*reinterpret_cast<const TOKEN_GROUPS*>(buffer.data()));
            return TRUE;
        }
        if (buffer.empty()) {
            ::GetTokenInformation(token, TokenGroups, nullptr, 0, &needed);
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
            return FALSE;
        buffer.assign(needed, 0);
    }
    return FALSE;
}

BOOL Win32Platform::ReadSystemDirectory(CString& directory) {
    char buffer[1024] = {};
    const UINT length = ::GetSystemDirectoryA(buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer)
        return FALSE;
    directory = buffer;
    return TRUE;
}

BOOL Win32Platform::ChangeCurrentDirectory(LPCSTR directory) {
    return ::SetCurrentDirectoryA(directory);
}
