#include "platform/fake/FakePlatform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "platform/WellKnownSids.h"
#include "platform/posix/ProfileText.h"
#include "platform/posix/SafeReplace.h"

namespace {

const struct {
    FakeOperation operation;
    const char* name;
} kOperationNames[] = {
    {FakeOperation::kCopyFileTo, "CopyFileTo"},
    {FakeOperation::kReplaceFileSafely, "ReplaceFileSafely"},
    {FakeOperation::kReadFileAttributes, "ReadFileAttributes"},
    {FakeOperation::kWriteFileAttributes, "WriteFileAttributes"},
    {FakeOperation::kFileExists, "FileExists"},
    {FakeOperation::kOpenTextStream, "OpenTextStream"},
    {FakeOperation::kReadLine, "ReadLine"},
    {FakeOperation::kRewind, "Rewind"},
    {FakeOperation::kTruncate, "Truncate"},
    {FakeOperation::kWriteLine, "WriteLine"},
    {FakeOperation::kFlush, "Flush"},
    {FakeOperation::kClose, "Close"},
    {FakeOperation::kReadTokenGroups, "ReadTokenGroups"},
    {FakeOperation::kReadSystemDirectory, "ReadSystemDirectory"},
    {FakeOperation::kChangeCurrentDirectory, "ChangeCurrentDirectory"},
    {FakeOperation::kSetWindowsFolderHint, "SetWindowsFolderHint"},
    {FakeOperation::kGetProfileInt, "GetProfileInt"},
    {FakeOperation::kWriteProfileString, "WriteProfileString"},
    {FakeOperation::kReadWholeFile, "ReadWholeFile"},
    {FakeOperation::kLockExclusively, "LockExclusively"},
};

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Text(LPCSTR text) {
    return text ? text : "(null)";
}

std::string Flag(BOOL value) {
    return value ? "TRUE" : "FALSE";
}

std::string Hex(DWORD value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%lX", value);
    return buffer;
}

}  // namespace

const char* FakeOperationName(FakeOperation operation) {
    for (const auto& entry : kOperationNames) {
        if (entry.operation == operation)
            return entry.name;
    }
    return "?";
}

bool FakeOperationFromName(const std::string& name, FakeOperation& operation) {
    for (const auto& entry : kOperationNames) {
        if (Lower(name) == Lower(entry.name)) {
            operation = entry.operation;
            return true;
        }
    }
    return false;
}

SimulatedCrash::SimulatedCrash(ReplaceStep crashStep)
    : std::runtime_error(std::string("simulated crash after step ") + ReplaceStepName(crashStep)),
      step(crashStep) {}

std::string FakeCall::Text() const {
    return std::string(FakeOperationName(operation)) + "(" + arguments +
           ") = " + (succeeded ? "TRUE" : "FALSE") + (injected ? " (injected)" : "");
}

// Attributes by file identity (device and inode), so they follow a file through a rename as
// real attributes do. Files the platform creates always get their attributes written, so an
// inode number reused after a deletion can't inherit stale ones.
class FakePlatform::MemoryAttributeStore : public IAttributeStore {
public:
    Result Read(const std::string& hostPath, DWORD& attributes) override {
        struct stat info;
        if (stat(hostPath.c_str(), &info) != 0)
            return Result::kFailed;
        auto found = m_table.find({info.st_dev, info.st_ino});
        attributes = found == m_table.end() ? 0 : found->second;
        return Result::kDone;
    }
    Result Write(const std::string& hostPath, DWORD attributes) override {
        struct stat info;
        if (stat(hostPath.c_str(), &info) != 0)
            return Result::kFailed;
        m_table[{info.st_dev, info.st_ino}] = attributes & kStoredAttributeBits;
        return Result::kDone;
    }

private:
    std::map<std::pair<dev_t, ino_t>, DWORD> m_table;
};

namespace {

// A stream of the fake: each call may fail by injection, and each is recorded.
class FakeTextStream : public ITextStream {
public:
    FakeTextStream(FakePlatform& platform, std::unique_ptr<ITextStream> stream)
        : m_platform(platform), m_stream(std::move(stream)) {}

    BOOL ReadLine(CString& line) override {
        if (m_platform.InjectedFailure(FakeOperation::kReadLine)) {
            line.Empty();
            m_readFailed = true;  // a read error, not the end of the file
            return Report(FakeOperation::kReadLine, "", FALSE, true);
        }
        BOOL result = m_stream->ReadLine(line);
        m_readFailed = false;
        return Report(FakeOperation::kReadLine, "", result, false);
    }
    BOOL AtEndOfFile() override { return !m_readFailed && m_stream->AtEndOfFile(); }
    BOOL Rewind() override {
        return Call(FakeOperation::kRewind, "", [&] { return m_stream->Rewind(); });
    }
    BOOL Truncate() override {
        return Call(FakeOperation::kTruncate, "", [&] { return m_stream->Truncate(); });
    }
    BOOL WriteLine(const CString& text) override {
        return Call(FakeOperation::kWriteLine, text.str(),
                    [&] { return m_stream->WriteLine(text); });
    }
    BOOL Flush() override {
        return Call(FakeOperation::kFlush, "", [&] { return m_stream->Flush(); });
    }
    BOOL Close() override {
        return Call(FakeOperation::kClose, "", [&] { return m_stream->Close(); });
    }

private:
    template <class Operation>
    BOOL Call(FakeOperation operation, const std::string& arguments, Operation run) {
        if (m_platform.InjectedFailure(operation))
            return Report(operation, arguments, FALSE, true);
        return Report(operation, arguments, run(), false);
    }
    BOOL Report(FakeOperation operation, const std::string& arguments, BOOL result, bool injected) {
        m_platform.Record(operation, arguments, result != FALSE, injected);
        return result;
    }

    FakePlatform& m_platform;
    std::unique_ptr<ITextStream> m_stream;
    bool m_readFailed = false;
};

}  // namespace

std::string FakePlatform::MakeDriveFolder() {
    const char* temporary = std::getenv("TMPDIR");
    std::string pattern =
        std::string(temporary && temporary[0] ? temporary : "/tmp") + "/tarnwick-drive-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("cannot create a temporary drive folder");
    return buffer.data();
}

FakePlatform::FakePlatform() : m_driveFolder(MakeDriveFolder()), m_posix(m_driveFolder) {
    auto store = std::make_unique<MemoryAttributeStore>();
    m_attributes = store.get();
    m_posix.AddAttributeStore(std::move(store));
    m_posix.SetReplaceStepHook([this](ReplaceStep step) {
        if (!m_replaceFaultArmed || step != m_replaceFaultStep)
            return true;
        ReplaceFault fault = m_replaceFault;
        m_replaceFault = ReplaceFault::kNone;
        m_replaceFaultArmed = false;
        if (fault == ReplaceFault::kCrash)
            throw SimulatedCrash(step);
        return false;
    });
}

FakePlatform::FakePlatform(const std::string& fixtureFolder) : FakePlatform() {
    std::error_code error;
    std::filesystem::copy(fixtureFolder, m_driveFolder, std::filesystem::copy_options::recursive,
                          error);
    if (error) {
        std::filesystem::remove_all(m_driveFolder, error);
        throw std::runtime_error("cannot copy the fixture folder " + fixtureFolder);
    }
}

FakePlatform::~FakePlatform() {
    if (m_keepDriveFolder)
        return;
    std::error_code error;
    std::filesystem::remove_all(m_driveFolder, error);
}

std::string FakePlatform::HostPath(LPCSTR programPath) const {
    std::string hostPath;
    m_posix.ToHostPath(programPath, hostPath);
    return hostPath;
}

bool FakePlatform::WriteFileBytes(LPCSTR programPath, const std::string& bytes) {
    std::string hostPath;
    if (!m_posix.ToHostPath(programPath, hostPath))
        return false;
    bool existed = access(hostPath.c_str(), F_OK) == 0;
    int descriptor = open(hostPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0)
        return false;
    bool written = WriteAll(descriptor, bytes.data(), bytes.size());
    written = close(descriptor) == 0 && written;
    if (written && !existed)
        m_attributes->Write(hostPath, 0);
    return written;
}

bool FakePlatform::ReadFileBytes(LPCSTR programPath, std::string& bytes) const {
    std::string hostPath;
    bytes.clear();
    if (!m_posix.ToHostPath(programPath, hostPath))
        return false;
    int descriptor = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    char buffer[4096];
    ssize_t got;
    while ((got = read(descriptor, buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, static_cast<size_t>(got));
    }
    close(descriptor);
    return got == 0;
}

bool FakePlatform::SetAttributes(LPCSTR programPath, DWORD attributes) {
    std::string hostPath;
    return m_posix.ToHostPath(programPath, hostPath) &&
           m_attributes->Write(hostPath, attributes) == IAttributeStore::Result::kDone;
}

DWORD FakePlatform::Attributes(LPCSTR programPath) const {
    std::string hostPath;
    DWORD attributes = 0;
    if (!m_posix.ToHostPath(programPath, hostPath) ||
        m_attributes->Read(hostPath, attributes) != IAttributeStore::Result::kDone) {
        return INVALID_FILE_ATTRIBUTES;
    }
    return attributes;
}

void FakePlatform::SetProfileValue(const std::string& section, const std::string& key,
                                   const std::string& value) {
    m_profile[{Lower(section), Lower(key)}] = value;
}

bool FakePlatform::ProfileValue(const std::string& section, const std::string& key,
                                std::string& value) const {
    auto found = m_profile.find({Lower(section), Lower(key)});
    if (found == m_profile.end())
        return false;
    value = found->second;
    return true;
}

void FakePlatform::FailCall(FakeOperation operation, int nth, bool andLater) {
    m_faults.push_back({operation, nth, andLater});
}

void FakePlatform::FailReplaceAt(ReplaceStep step, int nth) {
    m_replaceFault = ReplaceFault::kFail;
    m_replaceFaultStep = step;
    m_replaceFaultCountdown = nth;
}

void FakePlatform::CrashReplaceAt(ReplaceStep step, int nth) {
    m_replaceFault = ReplaceFault::kCrash;
    m_replaceFaultStep = step;
    m_replaceFaultCountdown = nth;
}

void FakePlatform::ClearFaults() {
    m_faults.clear();
    m_replaceFault = ReplaceFault::kNone;
    m_replaceFaultArmed = false;
}

bool FakePlatform::InjectedFailure(FakeOperation operation) {
    bool fail = false;
    for (FaultRule& rule : m_faults) {
        if (rule.operation != operation)
            continue;
        ++rule.callsSeen;
        if (rule.callsSeen == rule.nth || (rule.andLater && rule.callsSeen > rule.nth))
            fail = true;
    }
    return fail;
}

void FakePlatform::Record(FakeOperation operation, std::string arguments, bool succeeded,
                          bool injected) {
    m_calls.push_back({operation, std::move(arguments), succeeded, injected});
}

std::vector<std::string> FakePlatform::CallsOf(
    std::initializer_list<FakeOperation> operations) const {
    std::vector<std::string> texts;
    for (const FakeCall& call : m_calls) {
        if (std::find(operations.begin(), operations.end(), call.operation) != operations.end()) {
            texts.push_back(call.Text());
        }
    }
    return texts;
}

UINT FakePlatform::GetProfileInt(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR profileFile) {
    std::string arguments = Text(section) + ", " + Text(key) + ", " + std::to_string(defaultValue) +
                            ", " + Text(profileFile);
    if (InjectedFailure(FakeOperation::kGetProfileInt)) {
        Record(FakeOperation::kGetProfileInt, arguments, false, true);
        return static_cast<UINT>(defaultValue);
    }
    std::string value;
    UINT result = static_cast<UINT>(defaultValue);
    if (section && key && ProfileValue(section, key, value)) {
        result = ProfileIntFromText(value, defaultValue);
    }
    Record(FakeOperation::kGetProfileInt, arguments + " -> " + std::to_string(result), true, false);
    return result;
}

BOOL FakePlatform::WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value,
                                      LPCSTR profileFile) {
    std::string arguments =
        Text(section) + ", " + Text(key) + ", " + Text(value) + ", " + Text(profileFile);
    bool injected = InjectedFailure(FakeOperation::kWriteProfileString);
    bool succeeded = !injected && section;
    if (succeeded) {
        std::string sectionName = Lower(section);
        if (!key) {
            for (auto entry = m_profile.begin(); entry != m_profile.end();) {
                entry =
                    entry->first.first == sectionName ? m_profile.erase(entry) : std::next(entry);
            }
        } else if (!value) {
            m_profile.erase({sectionName, Lower(key)});
        } else {
            SetProfileValue(section, key, value);
        }
    }
    Record(FakeOperation::kWriteProfileString, arguments, succeeded, injected);
    return succeeded ? TRUE : FALSE;
}

BOOL FakePlatform::CopyFileTo(LPCSTR existing, LPCSTR target, BOOL failIfExists) {
    std::string arguments = Text(existing) + ", " + Text(target) + ", " + Flag(failIfExists);
    bool injected = InjectedFailure(FakeOperation::kCopyFileTo);
    BOOL result = injected ? FALSE : m_posix.CopyFileTo(existing, target, failIfExists);
    Record(FakeOperation::kCopyFileTo, arguments, result != FALSE, injected);
    return result;
}

BOOL FakePlatform::ReplaceFileSafely(LPCSTR source, LPCSTR target) {
    std::string arguments = Text(source) + ", " + Text(target);
    bool injected = InjectedFailure(FakeOperation::kReplaceFileSafely);
    BOOL result = FALSE;
    m_replaceFaultArmed = m_replaceFault != ReplaceFault::kNone && --m_replaceFaultCountdown == 0;
    if (!injected) {
        try {
            result = m_posix.ReplaceFileSafely(source, target);
        } catch (const SimulatedCrash&) {
            Record(FakeOperation::kReplaceFileSafely, arguments + " (crashed)", false, true);
            throw;
        }
    }
    Record(FakeOperation::kReplaceFileSafely, arguments, result != FALSE, injected);
    return result;
}

DWORD FakePlatform::ReadFileAttributes(LPCSTR path) {
    bool injected = InjectedFailure(FakeOperation::kReadFileAttributes);
    DWORD result = injected ? INVALID_FILE_ATTRIBUTES : m_posix.ReadFileAttributes(path);
    Record(FakeOperation::kReadFileAttributes, Text(path) + " -> " + Hex(result),
           result != INVALID_FILE_ATTRIBUTES, injected);
    return result;
}

BOOL FakePlatform::WriteFileAttributes(LPCSTR path, DWORD attributes) {
    bool injected = InjectedFailure(FakeOperation::kWriteFileAttributes);
    BOOL result = injected ? FALSE : m_posix.WriteFileAttributes(path, attributes);
    Record(FakeOperation::kWriteFileAttributes, Text(path) + ", " + Hex(attributes),
           result != FALSE, injected);
    return result;
}

BOOL FakePlatform::FileExists(LPCSTR path) {
    bool injected = InjectedFailure(FakeOperation::kFileExists);
    BOOL result = injected ? FALSE : m_posix.FileExists(path);
    Record(FakeOperation::kFileExists, Text(path), result != FALSE, injected);
    return result;
}

std::unique_ptr<ITextStream> FakePlatform::OpenTextStream(LPCSTR path) {
    bool injected = InjectedFailure(FakeOperation::kOpenTextStream);
    std::unique_ptr<ITextStream> stream = injected ? nullptr : m_posix.OpenTextStream(path);
    Record(FakeOperation::kOpenTextStream, Text(path), stream != nullptr, injected);
    if (!stream)
        return nullptr;
    return std::make_unique<FakeTextStream>(*this, std::move(stream));
}

BOOL FakePlatform::ReadWholeFile(LPCSTR path, std::string& bytes) {
    bool injected = InjectedFailure(FakeOperation::kReadWholeFile);
    BOOL result = injected ? FALSE : m_posix.ReadWholeFile(path, bytes);
    if (!result)
        bytes.clear();
    Record(FakeOperation::kReadWholeFile, Text(path), result != FALSE, injected);
    return result;
}

LockOutcome FakePlatform::LockExclusively(LPCSTR path, std::unique_ptr<IExclusiveLock>& lock) {
    bool injected = InjectedFailure(FakeOperation::kLockExclusively);
    lock.reset();
    LockOutcome outcome = injected ? LockOutcome::kFailed : m_posix.LockExclusively(path, lock);
    const char* outcomeName = outcome == LockOutcome::kLocked          ? "locked"
                              : outcome == LockOutcome::kHeldElsewhere ? "held elsewhere"
                                                                       : "failed";
    Record(FakeOperation::kLockExclusively, Text(path) + " -> " + outcomeName,
           outcome == LockOutcome::kLocked, injected);
    return outcome;
}

BOOL FakePlatform::ReadTokenGroups(std::vector<TokenGroup>& groups) {
    constexpr DWORD kEnabledMandatory = kGroupMandatory | kGroupEnabledByDefault | kGroupEnabled;
    groups.clear();
    bool injected = InjectedFailure(FakeOperation::kReadTokenGroups);
    bool succeeded = !injected && m_token != FakeToken::kCannotOpen;
    if (succeeded) {
        groups.push_back({EveryoneSid(), kEnabledMandatory});
        groups.push_back({UsersSid(), kEnabledMandatory});
        switch (m_token) {
            case FakeToken::kAdministrator:
                groups.push_back({AdministratorsSid(), kEnabledMandatory});
                break;
            case FakeToken::kAdministratorDenyOnly:
                groups.push_back({AdministratorsSid(), kGroupUseForDenyOnly});
                break;
            case FakeToken::kHugeGroupList:
                // Domain groups S-1-5-21-1000-2000-3000-<rid>, then Administrators as the 500th.
                for (std::uint32_t rid = 1000; groups.size() < 499; ++rid) {
                    groups.push_back({MakeSid({0, 0, 0, 0, 0, 5}, {21, 1000, 2000, 3000, rid}),
                                      kEnabledMandatory});
                }
                groups.push_back({AdministratorsSid(), kEnabledMandatory});
                break;
            case FakeToken::kNotAdministrator:
            case FakeToken::kCannotOpen:
                break;
        }
    }
    Record(FakeOperation::kReadTokenGroups, std::to_string(groups.size()) + " groups", succeeded,
           injected);
    return succeeded ? TRUE : FALSE;
}

BOOL FakePlatform::ReadSystemDirectory(CString& directory) {
    bool injected = InjectedFailure(FakeOperation::kReadSystemDirectory);
    BOOL result = injected ? FALSE : m_posix.ReadSystemDirectory(directory);
    if (!result)
        directory.Empty();
    Record(FakeOperation::kReadSystemDirectory, directory.str(), result != FALSE, injected);
    return result;
}

BOOL FakePlatform::ChangeCurrentDirectory(LPCSTR directory) {
    bool injected = InjectedFailure(FakeOperation::kChangeCurrentDirectory);
    std::string hostPath;
    struct stat info;
    bool succeeded = !injected && m_posix.ToHostPath(directory, hostPath) &&
                     stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    if (succeeded)
        m_currentDirectory = directory;
    Record(FakeOperation::kChangeCurrentDirectory, Text(directory), succeeded, injected);
    return succeeded ? TRUE : FALSE;
}

void FakePlatform::SetWindowsFolderHint(LPCSTR windowsFolder) {
    m_posix.SetWindowsFolderHint(windowsFolder);
    Record(FakeOperation::kSetWindowsFolderHint, Text(windowsFolder), true, false);
}
