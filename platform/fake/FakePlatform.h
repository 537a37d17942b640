// A platform for tests: real files in a temporary drive folder, everything else under the test's
// control.
//
// - Drive C: is a fresh temporary folder (optionally a copy of a fixture folder), removed again
//   by the destructor; the files are real, so the program's streams and copies really run.
// - Attributes live in a table in memory, so read-only, hidden and system are kept on any file
//   system; a file that the program has not given attributes has none (FILE_ATTRIBUTE_NORMAL).
//   The POSIX rules on attributes still apply: a read-only file can't be opened as a stream or
//   replaced, and a read-only or hidden file can't be overwritten by CopyFileTo.
// - The access token is one of a few kinds (FakeToken); the profile is a table in memory; the
//   current directory is only recorded (the test process's own stays where it is).
// - Faults: the Nth call of an operation, counted from the moment the fault is set, fails without
//   doing anything (optionally every later call too: a full disk); ReplaceFileSafely can fail or
//   crash (SimulatedCrash is thrown) after any of its steps (SafeReplace.h).
// - Locks are the POSIX platform's real ones (flock() on the drive's lock file, held per open
//   file), so two program instances in one test process exclude each other as two processes do.
// - Every call is recorded in order, with its arguments and its result.
//
// Streams handed out by OpenTextStream report to the platform: they must not outlive it.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/posix/PosixPlatform.h"

enum class FakeOperation {
    kCopyFileTo,
    kReplaceFileSafely,
    kReadFileAttributes,
    kWriteFileAttributes,
    kFileExists,
    kOpenTextStream,
    kReadLine,
    kRewind,
    kTruncate,
    kWriteLine,
    kFlush,
    kClose,
    kReadTokenGroups,
    kReadSystemDirectory,
    kChangeCurrentDirectory,
    kSetWindowsFolderHint,  // recorded only; it can't fail
    kGetProfileInt,
    kWriteProfileString,
    kReadWholeFile,
    kLockExclusively,  // an injected fault makes it kFailed
};

// The operation's name as in IPlatform and ITextStream ("CopyFileTo", "WriteLine", ...).
const char* FakeOperationName(FakeOperation operation);
// Case is ignored; false for an unknown name.
bool FakeOperationFromName(const std::string& name, FakeOperation& operation);

enum class FakeToken {
    kAdministrator,          // Everyone, Users, Administrators
    kAdministratorDenyOnly,  // the same, with the Administrators entry marked deny-only
    kNotAdministrator,       // Everyone, Users
    kHugeGroupList,          // 500 groups, Administrators the last of them
    kCannotOpen,             // no token can be opened or read
};

// Thrown by ReplaceFileSafely at the step chosen with CrashReplaceAt: the process "dies" there,
// leaving the files as they are at that moment.
class SimulatedCrash : public std::runtime_error {
public:
    explicit SimulatedCrash(ReplaceStep step);
    ReplaceStep step;
};

struct FakeCall {
    FakeOperation operation;
    std::string arguments;  // as the program passed them, comma separated
    bool succeeded;
    bool injected;  // failed because of an injected fault
    // "CopyFileTo(C:\BOOT.INI, C:\BOOT.TMP, FALSE) = TRUE".
    std::string Text() const;
};

class FakePlatform : public IPlatform {
public:
    FakePlatform();
    // The drive starts as a copy of fixtureFolder; throws std::runtime_error when that fails.
    explicit FakePlatform(const std::string& fixtureFolder);
    ~FakePlatform() override;
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    // The drive, for tests. None of these are recorded or subject to faults.
    const std::string& DriveFolder() const { return m_driveFolder; }
    std::string HostPath(LPCSTR programPath) const;
    // Creates or overwrites a file; a new file has no attributes.
    bool WriteFileBytes(LPCSTR programPath, const std::string& bytes);
    bool ReadFileBytes(LPCSTR programPath, std::string& bytes) const;
    bool SetAttributes(LPCSTR programPath, DWORD attributes);
    // The attribute bits (read-only, hidden, system, archive); INVALID_FILE_ATTRIBUTES when the
    // file doesn't exist.
    DWORD Attributes(LPCSTR programPath) const;
    // Leaves the drive folder on disk after the platform is gone (to look at it).
    void KeepDriveFolder(bool keep) { m_keepDriveFolder = keep; }

    void SetToken(FakeToken token) { m_token = token; }

    // The profile, whatever profile file the program names.
    void SetProfileValue(const std::string& section, const std::string& key,
                         const std::string& value);
    bool ProfileValue(const std::string& section, const std::string& key, std::string& value) const;
    const CString& CurrentDirectory() const { return m_currentDirectory; }

    // Makes the nth call of the operation from now on fail (n >= 1); with andLater, every call
    // after it too.
    void FailCall(FakeOperation operation, int nth, bool andLater = false);
    // The nth ReplaceFileSafely from now on (n >= 1) fails after the step (the temporary file
    // removed, the target untouched), or crashes there (SimulatedCrash, nothing cleaned up).
    void FailReplaceAt(ReplaceStep step, int nth = 1);
    void CrashReplaceAt(ReplaceStep step, int nth = 1);
    void ClearFaults();

    const std::vector<FakeCall>& Calls() const { return m_calls; }
    // The recorded calls of the given operations only, as Text().
    std::vector<std::string> CallsOf(std::initializer_list<FakeOperation> operations) const;
    void ClearCalls() { m_calls.clear(); }

    // IProfileStore.
    UINT GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR profileFile) override;
    BOOL WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR profileFile) override;

    // IPlatform.
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
    void SetWindowsFolderHint(LPCSTR windowsFolder) override;

    // Used by the fake's streams: true when an injected fault makes this call fail.
    bool InjectedFailure(FakeOperation operation);
    void Record(FakeOperation operation, std::string arguments, bool succeeded, bool injected);

private:
    struct FaultRule {
        FakeOperation operation;
        int nth;
        bool andLater;
        int callsSeen = 0;
    };
    class MemoryAttributeStore;
    static std::string MakeDriveFolder();

    std::string m_driveFolder;
    bool m_keepDriveFolder = false;
    PosixPlatform m_posix;
    MemoryAttributeStore* m_attributes;  // owned by m_posix's store chain
    FakeToken m_token = FakeToken::kAdministrator;
    std::map<std::pair<std::string, std::string>, std::string> m_profile;  // lower-case names
    CString m_currentDirectory;
    std::vector<FaultRule> m_faults;
    enum class ReplaceFault { kNone, kFail, kCrash } m_replaceFault = ReplaceFault::kNone;
    ReplaceStep m_replaceFaultStep = ReplaceStep::kTemporaryCreated;
    int m_replaceFaultCountdown = 0;   // ReplaceFileSafely calls until the one that faults
    bool m_replaceFaultArmed = false;  // the running ReplaceFileSafely is that one
    std::vector<FakeCall> m_calls;
};
