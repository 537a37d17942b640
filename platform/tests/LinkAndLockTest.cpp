// The POSIX platform never reads, writes or locks a file through a symbolic link, and its lock
// keeps a second program off the drive until the holder ends, however it ends.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>

#include "platform/fake/FakePlatform.h"
#include "platform/posix/PosixPlatform.h"
#include "platform/tests/TestFiles.h"

namespace {

const char kVictimBytes[] = "a file outside the drive\n";

// A drive folder, and beside it a file that a link on the drive points to.
class LinkTest : public ::testing::Test {
protected:
    LinkTest() {
        WriteHostFile(drive / "BOOT.INI", "[operating systems]\r\nC:\\=\"Old\"\r\n");
        WriteHostFile(outside / "victim", kVictimBytes);
        chmod((outside / "victim").c_str(), 0644);
    }
    void LinkOnDrive(const std::string& name, const std::string& target) {
        ASSERT_EQ(symlink(target.c_str(), (drive / name).c_str()), 0);
    }
    mode_t VictimMode() const {
        struct stat info;
        return stat((outside / "victim").c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }

    TemporaryFolder drive;
    TemporaryFolder outside;
    PosixPlatform platform{drive.Path()};
};

struct LinkCase {
    const char* name;
    const char* link;                               // the drive file that is a link to the victim
    std::function<bool(PosixPlatform&)> operation;  // true when the operation succeeded
};

class LinkRefusalTest : public LinkTest, public ::testing::WithParamInterface<LinkCase> {};

// Whichever end of an operation the link is at, the operation fails and the file it points to
// keeps its bytes and its permissions.
TEST_P(LinkRefusalTest, RefusesAndLeavesTheTargetAlone) {
    const LinkCase& testCase = GetParam();
    LinkOnDrive(testCase.link, outside / "victim");
    WriteHostFile(drive / "BOOT.BAK", "earlier backup");
    EXPECT_FALSE(testCase.operation(platform));
    EXPECT_EQ(ReadHostFile(outside / "victim"), kVictimBytes);
    EXPECT_EQ(VictimMode(), 0644u);
    // The link itself is not replaced either.
    const std::string linkPath = std::string("C:\\") + testCase.link;
    EXPECT_EQ(platform.ReadFileAttributes(linkPath.c_str()), DWORD{FILE_ATTRIBUTE_REPARSE_POINT});
}

const LinkCase kLinkCases[] = {
    {"CopyOntoLink", "BOOT.TMP",
     [](PosixPlatform& p) { return p.CopyFileTo("C:\\BOOT.INI", "C:\\BOOT.TMP", FALSE) != 0; }},
    {"CopyFromLink", "BOOT.TMP",
     [](PosixPlatform& p) { return p.CopyFileTo("C:\\BOOT.TMP", "C:\\NEW.TXT", FALSE) != 0; }},
    {"ReplaceLink", "BOOT.TMP",
     [](PosixPlatform& p) { return p.ReplaceFileSafely("C:\\BOOT.INI", "C:\\BOOT.TMP") != 0; }},
    {"ReplaceFromLink", "BOOT.TMP",
     [](PosixPlatform& p) { return p.ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.BAK") != 0; }},
    {"OpenLinkAsStream", "BOOT.TMP",
     [](PosixPlatform& p) { return p.OpenTextStream("C:\\BOOT.TMP") != nullptr; }},
    {"AttributesOfLink", "BOOT.TMP",
     [](PosixPlatform& p) {
         return p.WriteFileAttributes("C:\\BOOT.TMP", FILE_ATTRIBUTE_READONLY) != 0;
     }},
    {"ReadLink", "BOOT.TMP",
     [](PosixPlatform& p) {
         std::string bytes;
         return p.ReadWholeFile("C:\\BOOT.TMP", bytes) != 0;
     }},
    {"LockLink", "BOOT.LCK",
     [](PosixPlatform& p) {
         std::unique_ptr<IExclusiveLock> lock;
         return p.LockExclusively("C:\\BOOT.LCK", lock) != LockOutcome::kFailed || lock;
     }},
};

INSTANTIATE_TEST_SUITE_P(Operations, LinkRefusalTest, ::testing::ValuesIn(kLinkCases),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(LinkTest, ReportsALinkAsAReparsePoint) {
    LinkOnDrive("BOOT.TMP", outside / "victim");
    LinkOnDrive("BOOT.BAK", outside.Path());
    EXPECT_EQ(platform.ReadFileAttributes("C:\\boot.tmp"), DWORD{FILE_ATTRIBUTE_REPARSE_POINT});
    EXPECT_EQ(platform.ReadFileAttributes("C:\\BOOT.BAK"),
              DWORD{FILE_ATTRIBUTE_REPARSE_POINT | 0x10});
    EXPECT_EQ(platform.ReadFileAttributes("C:\\BOOT.INI") & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
}

// A link to a file that does not exist yet: following it would create a file anywhere.
TEST_F(LinkTest, ADanglingLinkCreatesNothing) {
    LinkOnDrive("BOOT.TMP", outside / "created");
    LinkOnDrive("BOOT.LCK", outside / "lock");
    std::unique_ptr<IExclusiveLock> lock;
    EXPECT_FALSE(platform.CopyFileTo("C:\\BOOT.INI", "C:\\BOOT.TMP", FALSE));
    EXPECT_FALSE(platform.ReplaceFileSafely("C:\\BOOT.INI", "C:\\BOOT.TMP"));
    EXPECT_EQ(platform.LockExclusively("C:\\BOOT.LCK", lock), LockOutcome::kFailed);
    EXPECT_FALSE(std::filesystem::exists(outside / "created"));
    EXPECT_FALSE(std::filesystem::exists(outside / "lock"));
}

TEST(WholeFileTest, ReadsEveryByte) {
    TemporaryFolder drive;
    PosixPlatform platform(drive.Path());
    const std::string bytes("line\r\nzero\0byte\rno end", 22);
    WriteHostFile(drive / "BOOT.INI", bytes);
    std::string read;
    ASSERT_TRUE(platform.ReadWholeFile("C:\\boot.ini", read));
    EXPECT_EQ(read, bytes);
    EXPECT_FALSE(platform.ReadWholeFile("C:\\MISSING.INI", read));
    EXPECT_EQ(read, "");
}

class LockTest : public ::testing::Test {
protected:
    LockOutcome Lock(PosixPlatform& platform, std::unique_ptr<IExclusiveLock>& lock) {
        return platform.LockExclusively("C:\\BOOT.LCK", lock);
    }
    TemporaryFolder drive;
    PosixPlatform first{drive.Path()};
    PosixPlatform second{drive.Path()};
};

TEST_F(LockTest, OneHolderAtATimeAndNothingLeftBehind) {
    std::unique_ptr<IExclusiveLock> held, refused, later;
    ASSERT_EQ(Lock(first, held), LockOutcome::kLocked);
    ASSERT_TRUE(held);
    EXPECT_EQ(Lock(second, refused), LockOutcome::kHeldElsewhere);
    EXPECT_FALSE(refused);
    held.reset();
    EXPECT_EQ(FolderEntries(drive.Path()), std::vector<std::string>{});
    EXPECT_EQ(Lock(second, later), LockOutcome::kLocked);
}

// A lock file left by a program that did not end cleanly holds nobody off.
TEST_F(LockTest, ALeftoverLockFileIsTaken) {
    WriteHostFile(drive / "boot.lck", "");
    std::unique_ptr<IExclusiveLock> lock;
    EXPECT_EQ(Lock(first, lock), LockOutcome::kLocked);
    lock.reset();
    EXPECT_EQ(FolderEntries(drive.Path()), std::vector<std::string>{});
}

// The system releases the lock of a process that is killed: the user is never locked out.
TEST_F(LockTest, AKilledHolderReleasesTheLock) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::unique_ptr<IExclusiveLock> lock;
        char outcome = Lock(first, lock) == LockOutcome::kLocked ? 'L' : 'F';
        if (write(ready[1], &outcome, 1) != 1)
            _exit(2);
        for (;;)
            pause();
    }
    close(ready[1]);
    char outcome = 0;
    ASSERT_EQ(read(ready[0], &outcome, 1), 1);
    close(ready[0]);
    EXPECT_EQ(outcome, 'L');

    std::unique_ptr<IExclusiveLock> lock;
    EXPECT_EQ(Lock(second, lock), LockOutcome::kHeldElsewhere);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(Lock(second, lock), LockOutcome::kLocked);
}

TEST(FakeReliabilityTest, FaultsOfTheNewOperations) {
    FakePlatform platform;
    platform.WriteFileBytes("C:\\BOOT.TMP", "one\r\ntwo\r\n");
    std::string bytes;
    platform.FailCall(FakeOperation::kReadWholeFile, 1);
    EXPECT_FALSE(platform.ReadWholeFile("C:\\BOOT.TMP", bytes));
    EXPECT_TRUE(platform.ReadWholeFile("C:\\BOOT.TMP", bytes));
    EXPECT_EQ(bytes, "one\r\ntwo\r\n");

    std::unique_ptr<IExclusiveLock> lock, second;
    platform.FailCall(FakeOperation::kLockExclusively, 1);
    EXPECT_EQ(platform.LockExclusively("C:\\BOOT.LCK", lock), LockOutcome::kFailed);
    EXPECT_EQ(platform.LockExclusively("C:\\BOOT.LCK", lock), LockOutcome::kLocked);
    // Two holders in one process exclude each other, as two processes do.
    EXPECT_EQ(platform.LockExclusively("C:\\BOOT.LCK", second), LockOutcome::kHeldElsewhere);

    // A failed read is not the end of the file: lines may be missing.
    std::unique_ptr<ITextStream> stream = platform.OpenTextStream("C:\\BOOT.TMP");
    ASSERT_TRUE(stream);
    CString line;
    platform.FailCall(FakeOperation::kReadLine, 2);
    EXPECT_TRUE(stream->ReadLine(line));
    EXPECT_FALSE(stream->ReadLine(line));
    EXPECT_FALSE(stream->AtEndOfFile());
    EXPECT_TRUE(stream->ReadLine(line));
    EXPECT_FALSE(stream->ReadLine(line));
    EXPECT_TRUE(stream->AtEndOfFile());
}

// Zero bytes and lone carriage returns are text: a line is written back exactly as read.
TEST(TextStreamBytesTest, WritesEveryByteOfALine) {
    TemporaryFolder drive;
    PosixPlatform platform(drive.Path());
    WriteHostFile(drive / "BOOT.TMP", "");
    std::unique_ptr<ITextStream> stream = platform.OpenTextStream("C:\\BOOT.TMP");
    ASSERT_TRUE(stream);
    const CString line(std::string("zero\0byte\rand more", 19));
    ASSERT_TRUE(stream->WriteLine(line));
    ASSERT_TRUE(stream->Flush());
    ASSERT_TRUE(stream->Rewind());
    CString read;
    ASSERT_TRUE(stream->ReadLine(read));
    EXPECT_EQ(read.str(), line.str());
    EXPECT_FALSE(stream->ReadLine(read));
    EXPECT_TRUE(stream->AtEndOfFile());
    EXPECT_EQ(ReadHostFile(drive / "BOOT.TMP"), line.str() + "\r\n");
}

}  // namespace
