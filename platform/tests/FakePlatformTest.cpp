#include <cctype>
#include <functional>

#include <gtest/gtest.h>

#include "platform/WellKnownSids.h"
#include "platform/fake/FakePlatform.h"
#include "platform/tests/TestFiles.h"

namespace {

const char kBootIni[] = "[boot loader]\r\ntimeout=30\r\n[operating systems]\r\nmulti(0)=\"XP\"\r\n";

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(FakePlatformTest, DriveIsATemporaryCopyOfTheFixture) {
    TemporaryFolder fixture;
    WriteHostFile(fixture / "boot.ini", kBootIni);
    std::string driveFolder;
    {
        FakePlatform platform(fixture.Path());
        driveFolder = platform.DriveFolder();
        EXPECT_NE(fixture.Path(), driveFolder);
        std::string bytes;
        ASSERT_TRUE(platform.ReadFileBytes("C:\\BOOT.INI", bytes));
        EXPECT_EQ(kBootIni, bytes);
        ASSERT_TRUE(platform.WriteFileBytes("C:\\BOOT.INI", "changed"));
        EXPECT_EQ(kBootIni, ReadHostFile(fixture / "boot.ini"));
    }
    EXPECT_FALSE(std::filesystem::exists(driveFolder));
    EXPECT_THROW(FakePlatform(fixture / "missing"), std::runtime_error);
}

TEST(FakePlatformTest, KeepsEveryAttributeOnAnyFileSystem) {
    FakePlatform platform;
    ASSERT_TRUE(platform.WriteFileBytes("C:\\BOOT.INI", kBootIni));
    EXPECT_EQ(FILE_ATTRIBUTE_NORMAL, platform.ReadFileAttributes("C:\\BOOT.INI"));
    ASSERT_TRUE(platform.WriteFileAttributes("C:\\BOOT.INI", 7));
    EXPECT_EQ(7u, platform.ReadFileAttributes("C:\\BOOT.INI"));
    EXPECT_EQ(7u, platform.Attributes("C:\\boot.ini"));

    // CopyFileA carries the attributes over; the program sets the copy to normal itself.
    ASSERT_TRUE(platform.CopyFileTo("C:\\BOOT.INI", "C:\\BOOT.TMP", FALSE));
    EXPECT_EQ(7u, platform.Attributes("C:\\BOOT.TMP"));
    ASSERT_TRUE(platform.WriteFileAttributes("C:\\BOOT.TMP", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(0u, platform.Attributes("C:\\BOOT.TMP"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, platform.Attributes("C:\\MISSING"));
}

TEST(FakePlatformTest, AttributesProtectFilesAsOnWindows) {
    FakePlatform platform;
    platform.WriteFileBytes("C:\\BOOT.INI", "new");
    for (DWORD attributes : {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN}) {
        SCOPED_TRACE(attributes);
        platform.WriteFileBytes("C:\\BOOT.BAK", "old");
        platform.SetAttributes("C:\\BOOT.BAK", attributes);
        EXPECT_FALSE(platform.CopyFileTo("C:\\BOOT.INI", "C:\\BOOT.BAK", FALSE));
        std::string bytes;
        platform.ReadFileBytes("C:\\BOOT.BAK", bytes);
        EXPECT_EQ("old", bytes);
    }
    // Hidden alone doesn't stop opening or replacing; read-only does.
    platform.SetAttributes("C:\\BOOT.BAK", FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(platform.OpenTextStream("C:\\BOOT.BAK"));
    EXPECT_TRUE(platform.ReplaceFileSafely("C:\\BOOT.INI", "C:\\BOOT.BAK"));
    platform.SetAttributes("C:\\BOOT.BAK", FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(platform.OpenTextStream("C:\\BOOT.BAK"));
    EXPECT_FALSE(platform.ReplaceFileSafely("C:\\BOOT.INI", "C:\\BOOT.BAK"));
}

TEST(FakePlatformTest, ReplaceCarriesTheSourceAttributesThroughTheRename) {
    FakePlatform platform;
    platform.WriteFileBytes("C:\\BOOT.INI", "old");
    platform.WriteFileBytes("C:\\BOOT.TMP", "new");
    platform.SetAttributes("C:\\BOOT.TMP", FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(platform.ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"));
    EXPECT_EQ(FILE_ATTRIBUTE_HIDDEN, platform.Attributes("C:\\BOOT.INI"));
    ASSERT_TRUE(platform.WriteFileAttributes("C:\\BOOT.INI", 7));
    EXPECT_EQ(FILE_ATTRIBUTE_HIDDEN, platform.Attributes("C:\\BOOT.TMP"));
}

TEST(FakePlatformTest, TokenKinds) {
    const struct {
        FakeToken token;
        BOOL readable;
        size_t groupCount;
        bool administrators;
        DWORD administratorsAttributes;
    } cases[] = {
        {FakeToken::kAdministrator, TRUE, 3, true,
         kGroupMandatory | kGroupEnabledByDefault | kGroupEnabled},
        {FakeToken::kAdministratorDenyOnly, TRUE, 3, true, kGroupUseForDenyOnly},
        {FakeToken::kNotAdministrator, TRUE, 2, false, 0},
        {FakeToken::kHugeGroupList, TRUE, 500, true,
         kGroupMandatory | kGroupEnabledByDefault | kGroupEnabled},
        {FakeToken::kCannotOpen, FALSE, 0, false, 0},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(static_cast<int>(testCase.token));
        FakePlatform platform;
        platform.SetToken(testCase.token);
        std::vector<TokenGroup> groups;
        EXPECT_EQ(testCase.readable, platform.ReadTokenGroups(groups));
        EXPECT_EQ(testCase.groupCount, groups.size());
        int administrators = 0;
        for (size_t i = 0; i < groups.size(); ++i) {
            if (groups[i].sid != AdministratorsSid())
                continue;
            ++administrators;
            EXPECT_EQ(groups.size() - 1, i) << "Administrators comes last";
            EXPECT_EQ(testCase.administratorsAttributes, groups[i].attributes);
        }
        EXPECT_EQ(testCase.administrators ? 1 : 0, administrators);
    }
}

TEST(FakePlatformTest, NthWriteLineFailsLikeAFullDisk) {
    const struct {
        bool andLater;
        const char* expected;
    } cases[] = {
        {false, "1\r\n2\r\n4\r\n5\r\n"},  // one failed write
        {true, "1\r\n2\r\n"},             // the disk stays full
    };
    for (const auto& testCase : cases) {
        FakePlatform platform;
        platform.WriteFileBytes("C:\\BOOT.TMP", "old\r\n");
        auto stream = platform.OpenTextStream("C:\\BOOT.TMP");
        ASSERT_TRUE(stream);
        ASSERT_TRUE(stream->WriteLine("not counted: written before the fault was set"));
        ASSERT_TRUE(stream->Rewind());
        ASSERT_TRUE(stream->Truncate());
        platform.FailCall(FakeOperation::kWriteLine, 3, testCase.andLater);
        std::vector<BOOL> results;
        for (const char* line : {"1", "2", "3", "4", "5"})
            results.push_back(stream->WriteLine(line));
        EXPECT_EQ((std::vector<BOOL>{TRUE, TRUE, FALSE, !testCase.andLater, !testCase.andLater}),
                  results);
        ASSERT_TRUE(stream->Flush());
        std::string bytes;
        platform.ReadFileBytes("C:\\BOOT.TMP", bytes);
        EXPECT_EQ(testCase.expected, bytes);
    }
}

TEST(FakePlatformTest, EveryOperationCanBeMadeToFail) {
    FakePlatform platform;
    platform.WriteFileBytes("C:\\BOOT.INI", kBootIni);
    platform.WriteFileBytes("C:\\BOOT.TMP", kBootIni);
    auto stream = platform.OpenTextStream("C:\\BOOT.TMP");
    ASSERT_TRUE(stream);
    CString line, directory;
    std::vector<TokenGroup> groups;
    const struct {
        FakeOperation operation;
        std::function<bool()> call;  // true when the call succeeded
    } cases[] = {
        {FakeOperation::kCopyFileTo,
         [&] { return platform.CopyFileTo("C:\\BOOT.INI", "C:\\BOOT.BAK", FALSE); }},
        {FakeOperation::kReplaceFileSafely,
         [&] { return platform.ReplaceFileSafely("C:\\BOOT.INI", "C:\\BOOT.BAK"); }},
        {FakeOperation::kReadFileAttributes,
         [&] { return platform.ReadFileAttributes("C:\\BOOT.INI") != INVALID_FILE_ATTRIBUTES; }},
        {FakeOperation::kWriteFileAttributes,
         [&] { return platform.WriteFileAttributes("C:\\BOOT.INI", 0x80); }},
        {FakeOperation::kFileExists, [&] { return platform.FileExists("C:\\BOOT.INI"); }},
        {FakeOperation::kOpenTextStream,
         [&] { return platform.OpenTextStream("C:\\BOOT.INI") != nullptr; }},
        {FakeOperation::kRewind, [&] { return stream->Rewind(); }},
        {FakeOperation::kReadLine, [&] { return stream->ReadLine(line); }},
        {FakeOperation::kTruncate, [&] { return stream->Truncate(); }},
        {FakeOperation::kWriteLine, [&] { return stream->WriteLine("x"); }},
        {FakeOperation::kFlush, [&] { return stream->Flush(); }},
        {FakeOperation::kReadTokenGroups, [&] { return platform.ReadTokenGroups(groups); }},
        {FakeOperation::kWriteProfileString,
         [&] { return platform.WriteProfileString("S", "K", "1", "p.INI"); }},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(FakeOperationName(testCase.operation));
        FakeOperation parsed;
        ASSERT_TRUE(FakeOperationFromName(Lower(FakeOperationName(testCase.operation)), parsed));
        EXPECT_EQ(testCase.operation, parsed);
        platform.FailCall(testCase.operation, 2);
        EXPECT_TRUE(testCase.call());
        platform.ClearCalls();
        EXPECT_FALSE(testCase.call());
        ASSERT_EQ(1u, platform.Calls().size());
        EXPECT_TRUE(platform.Calls()[0].injected);
        EXPECT_TRUE(testCase.call());
    }
}

TEST(FakePlatformTest, ReplaceCrashingAtEveryStepLeavesTheTargetWhole) {
    for (ReplaceStep step : kAllReplaceSteps) {
        SCOPED_TRACE(ReplaceStepName(step));
        FakePlatform platform;
        platform.WriteFileBytes("C:\\BOOT.INI", "old\r\n");
        platform.SetAttributes("C:\\BOOT.INI", 0);
        platform.WriteFileBytes("C:\\BOOT.TMP", "new\r\n");
        platform.CrashReplaceAt(step);
        EXPECT_THROW(platform.ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"), SimulatedCrash);
        std::string bytes;
        ASSERT_TRUE(platform.ReadFileBytes("C:\\BOOT.INI", bytes));
        EXPECT_TRUE(bytes == "old\r\n" || bytes == "new\r\n") << bytes;
        // The crash is a one-off: the next run replaces the file and clears up.
        ASSERT_TRUE(platform.ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"));
        EXPECT_EQ((std::vector<std::string>{"BOOT.INI", "BOOT.TMP"}),
                  FolderEntries(platform.DriveFolder()));
    }
}

TEST(FakePlatformTest, ReplaceFailingAtAStepOfTheNthCallLeavesItsTargetUntouched) {
    FakePlatform platform;
    platform.WriteFileBytes("C:\\BOOT.INI", "old\r\n");
    platform.WriteFileBytes("C:\\BOOT.TMP", "new\r\n");
    platform.FailReplaceAt(ReplaceStep::kTemporaryWritten, 2);
    EXPECT_TRUE(platform.ReplaceFileSafely("C:\\BOOT.INI", "C:\\BOOT.BAK"));
    EXPECT_FALSE(platform.ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"));
    std::string bytes;
    platform.ReadFileBytes("C:\\BOOT.INI", bytes);
    EXPECT_EQ("old\r\n", bytes);
    EXPECT_EQ((std::vector<std::string>{"BOOT.BAK", "BOOT.INI", "BOOT.TMP"}),
              FolderEntries(platform.DriveFolder()));
    // The fault was a one-off.
    EXPECT_TRUE(platform.ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"));
}

TEST(FakePlatformTest, RecordsTheCallsInOrder) {
    FakePlatform platform;
    platform.WriteFileBytes("C:\\BOOT.INI", kBootIni);
    platform.WriteFileAttributes("C:\\BOOT.INI", FILE_ATTRIBUTE_NORMAL);
    platform.CopyFileTo("C:\\BOOT.INI", "C:\\BOOT.BAK", FALSE);
    platform.ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI");
    platform.WriteFileAttributes("C:\\BOOT.INI", 7);
    EXPECT_EQ((std::vector<std::string>{
                  "WriteFileAttributes(C:\\BOOT.INI, 0x80) = TRUE",
                  "CopyFileTo(C:\\BOOT.INI, C:\\BOOT.BAK, FALSE) = TRUE",
                  "ReplaceFileSafely(C:\\BOOT.TMP, C:\\BOOT.INI) = FALSE",
                  "WriteFileAttributes(C:\\BOOT.INI, 0x7) = TRUE",
              }),
              platform.CallsOf({FakeOperation::kCopyFileTo, FakeOperation::kReplaceFileSafely,
                                FakeOperation::kWriteFileAttributes}));
}

TEST(FakePlatformTest, StreamsReadAndWriteTheRealFile) {
    FakePlatform platform;
    platform.WriteFileBytes("C:\\BOOT.TMP", "a\nb");
    auto stream = platform.OpenTextStream("C:\\boot.tmp");
    ASSERT_TRUE(stream);
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), ReadAllLines(*stream));
    ASSERT_TRUE(stream->Rewind());
    ASSERT_TRUE(stream->Truncate());
    ASSERT_TRUE(stream->WriteLine("c"));
    ASSERT_TRUE(stream->Flush());
    ASSERT_TRUE(stream->Close());
    std::string bytes;
    platform.ReadFileBytes("C:\\BOOT.TMP", bytes);
    EXPECT_EQ("c\r\n", bytes);
    EXPECT_FALSE(platform.OpenTextStream("C:\\MISSING"));
}

TEST(FakePlatformTest, ProfileLivesInMemory) {
    FakePlatform platform;
    EXPECT_EQ(0u, platform.GetProfileInt("Tarnwick", "WarnUser", 0, "tarnwick.INI"));
    platform.SetProfileValue("Tarnwick", "WarnUser", "2");
    EXPECT_EQ(2u, platform.GetProfileInt("TARNWICK", "warnuser", 0, "tarnwick.INI"));
    ASSERT_TRUE(platform.WriteProfileString("Tarnwick", "WarnUser", "1", "tarnwick.INI"));
    std::string value;
    ASSERT_TRUE(platform.ProfileValue("tarnwick", "WARNUSER", value));
    EXPECT_EQ("1", value);
    ASSERT_TRUE(platform.WriteProfileString("Tarnwick", "WarnUser", nullptr, "tarnwick.INI"));
    EXPECT_FALSE(platform.ProfileValue("Tarnwick", "WarnUser", value));
}

TEST(FakePlatformTest, CurrentDirectoryIsOnlyRecorded) {
    FakePlatform platform;
    std::filesystem::create_directories(platform.DriveFolder() + "/WINDOWS/system32");
    std::string before = std::filesystem::current_path().string();
    platform.SetWindowsFolderHint("\\WINDOWS");
    CString directory;
    ASSERT_TRUE(platform.ReadSystemDirectory(directory));
    EXPECT_EQ(CString("C:\\WINDOWS\\system32"), directory);
    ASSERT_TRUE(platform.ChangeCurrentDirectory(directory));
    EXPECT_EQ(directory, platform.CurrentDirectory());
    EXPECT_EQ(before, std::filesystem::current_path().string());
    EXPECT_FALSE(platform.ChangeCurrentDirectory("C:\\NOWHERE"));
}

}  // namespace
