// The Win32 platform against the real system under Wine: files in a fresh temporary folder, the
// process's access token, the private profile in the Windows directory.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"

namespace {

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary);
    file << content;
}

std::vector<unsigned char> AdministratorsSid() {
    std::vector<unsigned char> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    EXPECT_TRUE(::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid.data(), &size));
    sid.resize(size);
    return sid;
}

class Win32PlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temporary[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temporary);
        m_folder = std::string(temporary) + "tarnwick-platform-" +
                   std::to_string(::GetCurrentProcessId()) + "\\";
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
    }
    void TearDown() override {
        for (const std::string& name : FilesInFolder()) {
            const std::string path = m_folder + name;
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(path.c_str());
        }
        ::RemoveDirectoryA(m_folder.c_str());
    }

    std::string Path(const char* name) const { return m_folder + name; }

    std::set<std::string> FilesInFolder() const {
        std::set<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA((m_folder + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..")
                names.insert(name);
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
        return names;
    }

    std::vector<std::string> ReadAllLines(const std::string& path) {
        std::unique_ptr<ITextStream> stream = platform.OpenTextStream(path.c_str());
        EXPECT_TRUE(stream);
        std::vector<std::string> lines;
        CString line;
        while (stream && stream->ReadLine(line))
            lines.push_back(line.GetString());
        return lines;
    }

    Win32Platform platform;
    std::string m_folder;
};

TEST_F(Win32PlatformTest, TextStreamReadsLinesWholeWithEitherLineEnd) {
    const std::string longLine(10000, 'x');
    struct Case {
        const char* name;
        std::string content;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"carriage return and line feed",
         "[boot loader]\r\ntimeout=30\r\n",
         {"[boot loader]", "timeout=30"}},
        {"line feed alone, last line unended", "a\nb", {"a", "b"}},
        {"empty file", "", {}},
        {"empty lines", "\r\n\n\r\n", {"", "", ""}},
        {"a carriage return inside a line stays", "a\rb\r\n", {"a\rb"}},
        {"a line longer than any buffer", longLine + "\r\nnext\r\n", {longLine, "next"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteWholeFile(Path("lines.txt"), c.content);
        EXPECT_EQ(ReadAllLines(Path("lines.txt")), c.lines);
    }
}

TEST_F(Win32PlatformTest, TextStreamRewritesTheFileInPlace) {
    const std::string path = Path("BOOT.TMP");
    WriteWholeFile(path, "first line that is fairly long\r\nsecond\r\nthird\r\n");
    std::unique_ptr<ITextStream> stream = platform.OpenTextStream(path.c_str());
    ASSERT_TRUE(stream);
    CString line;
    ASSERT_TRUE(stream->ReadLine(line));
    EXPECT_STREQ(line, "first line that is fairly long");

    // Others may read the file while the stream holds it open.
    EXPECT_TRUE(platform.CopyFileTo(path.c_str(), Path("copy.txt").c_str(), FALSE));

    EXPECT_TRUE(stream->Rewind());
    EXPECT_TRUE(stream->Truncate());
    EXPECT_TRUE(stream->WriteLine("one"));
    EXPECT_TRUE(stream->WriteLine("two"));
    EXPECT_TRUE(stream->Flush());
    // Flushed to the file: another reader sees the new text, shorter than the old.
    EXPECT_EQ(ReadWholeFile(path), "one\r\ntwo\r\n");
    EXPECT_TRUE(stream->Rewind());
    ASSERT_TRUE(stream->ReadLine(line));
    EXPECT_STREQ(line, "one");
    ASSERT_TRUE(stream->ReadLine(line));
    EXPECT_STREQ(line, "two");
    EXPECT_FALSE(stream->ReadLine(line));
    EXPECT_TRUE(stream->Close());
}

TEST_F(Win32PlatformTest, TextStreamNeedsAnExistingFile) {
    EXPECT_EQ(platform.OpenTextStream(Path("missing.txt").c_str()), nullptr);
    EXPECT_FALSE(platform.FileExists(Path("missing.txt").c_str()));
}

TEST_F(Win32PlatformTest, ReplaceFileSafelyLeavesTheOldOrTheNewFileAndNoLitter) {
    const std::string source = Path("BOOT.TMP");
    const std::string target = Path("BOOT.INI");
    WriteWholeFile(source, "new\r\n");
    WriteWholeFile(target, "old\r\n");
    EXPECT_TRUE(platform.ReplaceFileSafely(source.c_str(), target.c_str()));
    EXPECT_EQ(ReadWholeFile(target), "new\r\n");
    EXPECT_EQ(ReadWholeFile(source), "new\r\n");
    EXPECT_EQ(FilesInFolder(), (std::set<std::string>{"BOOT.INI", "BOOT.TMP"}));

    // A target that doesn't exist yet is created.
    EXPECT_TRUE(platform.ReplaceFileSafely(source.c_str(), Path("BOOT.BAK").c_str()));
    EXPECT_EQ(ReadWholeFile(Path("BOOT.BAK")), "new\r\n");

    // Failures keep the target as it was and leave no temporary file behind.
    WriteWholeFile(target, "old\r\n");
    EXPECT_FALSE(platform.ReplaceFileSafely(Path("missing.txt").c_str(), target.c_str()));
    EXPECT_EQ(ReadWholeFile(target), "old\r\n");
    // A read-only target is refused, on Windows and under Wine alike.
    ASSERT_TRUE(platform.WriteFileAttributes(target.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(platform.ReplaceFileSafely(source.c_str(), target.c_str()));
    EXPECT_EQ(ReadWholeFile(target), "old\r\n");
    EXPECT_EQ(FilesInFolder(), (std::set<std::string>{"BOOT.BAK", "BOOT.INI", "BOOT.TMP"}));
}

TEST_F(Win32PlatformTest, AttributesAndCopies) {
    const std::string path = Path("BOOT.INI");
    WriteWholeFile(path, "[boot loader]\r\n");
    const DWORD protectedFile =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(platform.WriteFileAttributes(path.c_str(), protectedFile));
    EXPECT_EQ(platform.ReadFileAttributes(path.c_str()) & protectedFile, protectedFile);

    // An existing target is overwritten unless told not to. (Windows carries the attributes
    // over to the copy, Wine doesn't: either way they can be cleared.)
    const std::string copy = Path("BOOT.TMP");
    WriteWholeFile(copy, "earlier run\r\n");
    EXPECT_FALSE(platform.CopyFileTo(path.c_str(), copy.c_str(), TRUE));
    EXPECT_TRUE(platform.CopyFileTo(path.c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(ReadWholeFile(copy), "[boot loader]\r\n");
    ASSERT_TRUE(platform.WriteFileAttributes(copy.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(platform.ReadFileAttributes(copy.c_str()) & protectedFile, 0u);

    EXPECT_EQ(platform.ReadFileAttributes(Path("missing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(platform.WriteFileAttributes(Path("missing").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(platform.CopyFileTo(Path("missing").c_str(), copy.c_str(), FALSE));
}

TEST_F(Win32PlatformTest, TokenGroupsOfTheProcessAndOfAnImpersonatingThread) {
    const std::vector<unsigned char> administrators = AdministratorsSid();
    const auto listsAdministrators = [&](const std::vector<TokenGroup>& groups) {
        for (const TokenGroup& group : groups) {
            if (group.sid == administrators)
                return true;
        }
        return false;
    };
    std::vector<TokenGroup> processGroups;
    ASSERT_TRUE(platform.ReadTokenGroups(processGroups));
    EXPECT_FALSE(processGroups.empty());
    EXPECT_TRUE(listsAdministrators(processGroups));  // Wine runs its programs as an administrator

    // An impersonating thread has a token of its own, which is the one read.
    ASSERT_TRUE(::ImpersonateSelf(SecurityImpersonation));
    std::vector<TokenGroup> threadGroups;
    EXPECT_TRUE(platform.ReadTokenGroups(threadGroups));
    ::RevertToSelf();
    EXPECT_EQ(threadGroups.size(), processGroups.size());
    EXPECT_TRUE(listsAdministrators(threadGroups));
}

TEST_F(Win32PlatformTest, TokenGroupListIsTakenWholeHoweverLong) {
    // 300 groups need far more than 1,024 bytes.
    constexpr DWORD kCount = 300;
    std::vector<PSID> sids;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    for (DWORD i = 0; i < kCount; ++i) {
        PSID sid = nullptr;
        ASSERT_TRUE(::AllocateAndInitializeSid(&nt, 5, 21, 1, 2, 3, 1000 + i, 0, 0, 0, &sid));
        sids.push_back(sid);
    }
    std::vector<unsigned char> buffer(sizeof(TOKEN_GROUPS) + kCount * sizeof(SID_AND_ATTRIBUTES));
    auto* list = reinterpret_cast<TOKEN_GROUPS*>(buffer.data());
    list->GroupCount = kCount;
    for (DWORD i = 0; i < kCount; ++i) {
        list->Groups[i].Sid = sids[i];
        list->Groups[i].Attributes =
            i == kCount - 1 ? SE_GROUP_USE_FOR_DENY_ONLY : SE_GROUP_ENABLED;
    }
    const std::vector<TokenGroup> groups = TokenGroupsFrom(*list);
    ASSERT_EQ(groups.size(), kCount);
    EXPECT_GT(kCount * groups.back().sid.size(), 1024u);
    const auto* last = static_cast<const unsigned char*>(sids.back());
    EXPECT_EQ(groups.back().sid,
              std::vector<unsigned char>(last, last + ::GetLengthSid(sids.back())));
    EXPECT_EQ(groups.back().attributes, static_cast<DWORD>(SE_GROUP_USE_FOR_DENY_ONLY));
    for (PSID sid : sids)
        ::FreeSid(sid);
}

TEST_F(Win32PlatformTest, ProfileWithoutAFolderLivesInTheWindowsDirectory) {
    const char* profile = "tarnwick-platform-test.INI";
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string inWindows = std::string(windows) + "\\" + profile;
    ::DeleteFileA(inWindows.c_str());

    EXPECT_EQ(platform.GetProfileInt("Tarnwick", "WarnUser", 0, profile), 0u);
    EXPECT_TRUE(platform.WriteProfileString("Tarnwick", "WarnUser", "1", profile));
    EXPECT_EQ(platform.GetProfileInt("Tarnwick", "WarnUser", 0, profile), 1u);
    EXPECT_NE(ReadWholeFile(inWindows).find("WarnUser=1"), std::string::npos);
    ::DeleteFileA(inWindows.c_str());
}

TEST_F(Win32PlatformTest, SystemDirectoryAndCurrentDirectory) {
    CString system;
    ASSERT_TRUE(platform.ReadSystemDirectory(system));
    char expected[MAX_PATH] = {};
    ::GetSystemDirectoryA(expected, MAX_PATH);
    EXPECT_STREQ(system, expected);
    EXPECT_TRUE(platform.ChangeCurrentDirectory(system));
    char current[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(::lstrcmpiA(current, expected), 0);
    EXPECT_FALSE(platform.ChangeCurrentDirectory(Path("missing").c_str()));
}

TEST_F(Win32PlatformTest, TextStreamKeepsEveryByteOfALine) {
    const std::string path = Path("BOOT.TMP");
    WriteWholeFile(path, std::string("a\0b\r\nlast", 9));
    std::unique_ptr<ITextStream> stream = platform.OpenTextStream(path.c_str());
    ASSERT_TRUE(stream);
    CString line;
    ASSERT_TRUE(stream->ReadLine(line));
    EXPECT_EQ(line.str(), std::string("a\0b", 3));
    ASSERT_TRUE(stream->ReadLine(line));
    EXPECT_EQ(line.str(), "last");
    EXPECT_FALSE(stream->ReadLine(line));
    EXPECT_TRUE(stream->AtEndOfFile());  // the end, not a read error

    EXPECT_TRUE(stream->Rewind());
    EXPECT_TRUE(stream->Truncate());
    EXPECT_TRUE(stream->WriteLine(CString(std::string("x\0y", 3))));
    EXPECT_TRUE(stream->Flush());
    EXPECT_TRUE(stream->Close());
    EXPECT_EQ(ReadWholeFile(path), std::string("x\0y\r\n", 5));
}

TEST_F(Win32PlatformTest, ReadWholeFileTakesEveryByte) {
    const std::string bytes("[boot loader]\r\n\0\xFF\r", 18);
    WriteWholeFile(Path("BOOT.INI"), bytes);
    std::string read;
    ASSERT_TRUE(platform.ReadWholeFile(Path("BOOT.INI").c_str(), read));
    EXPECT_EQ(read, bytes);
    EXPECT_FALSE(platform.ReadWholeFile(Path("missing").c_str(), read));
    EXPECT_TRUE(read.empty());
}

TEST_F(Win32PlatformTest, OneLockHolderAtATimeAndNothingLeftBehind) {
    const std::string path = Path("BOOT.LCK");
    std::unique_ptr<IExclusiveLock> held, refused, later;
    ASSERT_EQ(platform.LockExclusively(path.c_str(), held), LockOutcome::kLocked);
    ASSERT_TRUE(held);
    EXPECT_EQ(platform.LockExclusively(path.c_str(), refused), LockOutcome::kHeldElsewhere);
    EXPECT_FALSE(refused);
    held.reset();
    EXPECT_FALSE(platform.FileExists(path.c_str()));  // released and removed
    // A lock file left over from elsewhere is taken.
    WriteWholeFile(path, "");
    EXPECT_EQ(platform.LockExclusively(path.c_str(), later), LockOutcome::kLocked);
    later.reset();
    // A folder that doesn't exist can hold no lock.
    EXPECT_EQ(platform.LockExclusively(Path("missing\\BOOT.LCK").c_str(), later),
              LockOutcome::kFailed);
}

TEST_F(Win32PlatformTest, NothingIsReadOrWrittenThroughALink) {
    const std::string target = Path("elsewhere.ini");
    const std::string link = Path("BOOT.INI");
    WriteWholeFile(target, "[boot loader]\r\n");
    if (!::CreateSymbolicLinkA(link.c_str(), target.c_str(), 0))
        GTEST_SKIP() << "no symbolic links here (error " << ::GetLastError() << ")";
    const DWORD attributes = platform.ReadFileAttributes(link.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "no symbolic link was made (Wine only pretends to make them)";
    std::string read;
    EXPECT_FALSE(platform.ReadWholeFile(link.c_str(), read));
    EXPECT_EQ(platform.OpenTextStream(link.c_str()), nullptr);
    EXPECT_FALSE(platform.WriteFileAttributes(link.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(platform.CopyFileTo(link.c_str(), Path("BOOT.TMP").c_str(), FALSE));
    WriteWholeFile(Path("BOOT.TMP"), "new\r\n");
    EXPECT_FALSE(platform.ReplaceFileSafely(Path("BOOT.TMP").c_str(), link.c_str()));
    EXPECT_EQ(ReadWholeFile(target), "[boot loader]\r\n");
    std::unique_ptr<IExclusiveLock> lock;
    EXPECT_EQ(platform.LockExclusively(link.c_str(), lock), LockOutcome::kFailed);
    ::DeleteFileA(link.c_str());
}

}  // namespace
