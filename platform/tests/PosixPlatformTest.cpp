#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/WellKnownSids.h"
#include "platform/posix/PosixPlatform.h"
#include "platform/tests/TestFiles.h"

namespace {

class PosixPlatformTest : public ::testing::Test {
protected:
    TemporaryFolder drive;
    PosixPlatform platform{drive.Path()};
};

bool HasAdministrators(const std::vector<TokenGroup>& groups) {
    for (const TokenGroup& group : groups) {
        if (group.sid == AdministratorsSid())
            return true;
    }
    return false;
}

// The entries of the drive folder that are not the given data files: what a run left behind.
std::vector<std::string> Strays(const TemporaryFolder& drive, std::vector<std::string> dataFiles) {
    std::vector<std::string> strays;
    for (const std::string& name : FolderEntries(drive.Path())) {
        if (std::find(dataFiles.begin(), dataFiles.end(), name) == dataFiles.end()) {
            strays.push_back(name);
        }
    }
    return strays;
}

TEST_F(PosixPlatformTest, CopyCreatesAndOverwritesUnlessAskedNotTo) {
    WriteHostFile(drive / "boot.ini", "new content\r\n");
    ASSERT_TRUE(platform.CopyFileTo("C:\\BOOT.INI", "C:\\BOOT.TMP", FALSE));
    EXPECT_EQ("new content\r\n", ReadHostFile(drive / "BOOT.TMP"));

    WriteHostFile(drive / "BOOT.TMP", "old");
    EXPECT_FALSE(platform.CopyFileTo("C:\\BOOT.INI", "C:\\boot.tmp", TRUE));
    EXPECT_EQ("old", ReadHostFile(drive / "BOOT.TMP"));
    EXPECT_TRUE(platform.CopyFileTo("C:\\BOOT.INI", "C:\\boot.tmp", FALSE));
    EXPECT_EQ("new content\r\n", ReadHostFile(drive / "BOOT.TMP"));
    EXPECT_EQ((std::vector<std::string>{"BOOT.TMP", "boot.ini"}), FolderEntries(drive.Path()));
}

TEST_F(PosixPlatformTest, CopyRefusesWhatCopyFileRefuses) {
    WriteHostFile(drive / "boot.ini", "content");
    // No source, another drive, and the file onto itself (which would otherwise empty it).
    EXPECT_FALSE(platform.CopyFileTo("C:\\MISSING.INI", "C:\\BOOT.TMP", FALSE));
    EXPECT_FALSE(std::filesystem::exists(drive / "BOOT.TMP"));
    EXPECT_FALSE(platform.CopyFileTo("C:\\BOOT.INI", "D:\\BOOT.TMP", FALSE));
    EXPECT_FALSE(platform.CopyFileTo("C:\\BOOT.INI", "C:\\Boot.Ini", FALSE));
    EXPECT_EQ("content", ReadHostFile(drive / "boot.ini"));
    // A read-only target.
    WriteHostFile(drive / "BOOT.BAK", "backup");
    ASSERT_TRUE(platform.WriteFileAttributes("C:\\BOOT.BAK", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(platform.CopyFileTo("C:\\BOOT.INI", "C:\\BOOT.BAK", FALSE));
    EXPECT_EQ("backup", ReadHostFile(drive / "BOOT.BAK"));
}

TEST_F(PosixPlatformTest, CopyCarriesTheAttributesOver) {
    WriteHostFile(drive / "BOOT.INI", "content");
    ASSERT_TRUE(platform.WriteFileAttributes("C:\\BOOT.INI", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(platform.CopyFileTo("C:\\BOOT.INI", "C:\\BOOT.TMP", FALSE));
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, platform.ReadFileAttributes("C:\\BOOT.TMP"));
    ASSERT_TRUE(platform.WriteFileAttributes("C:\\BOOT.TMP", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(FILE_ATTRIBUTE_NORMAL, platform.ReadFileAttributes("C:\\BOOT.TMP"));
}

TEST_F(PosixPlatformTest, AttributesFallBackToTheOwnerWriteBit) {
    WriteHostFile(drive / "boot.ini", "x");
    // Hidden and system are not kept here, and that is not an error.
    ASSERT_TRUE(platform.WriteFileAttributes("C:\\BOOT.INI", 7));
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, platform.ReadFileAttributes("C:\\BOOT.INI"));
    struct stat info;
    ASSERT_EQ(0, stat((drive / "boot.ini").c_str(), &info));
    EXPECT_EQ(0u, info.st_mode & S_IWUSR);
    // A read-only file can't be opened for writing, as on Windows.
    EXPECT_FALSE(platform.OpenTextStream("C:\\BOOT.INI"));

    ASSERT_TRUE(platform.WriteFileAttributes("C:\\BOOT.INI", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(FILE_ATTRIBUTE_NORMAL, platform.ReadFileAttributes("C:\\BOOT.INI"));
    EXPECT_TRUE(platform.OpenTextStream("C:\\BOOT.INI"));

    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, platform.ReadFileAttributes("C:\\MISSING"));
    EXPECT_FALSE(platform.WriteFileAttributes("C:\\MISSING", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(0x10u, platform.ReadFileAttributes("C:\\"));
    EXPECT_TRUE(platform.FileExists("C:\\Boot.Ini"));
    EXPECT_FALSE(platform.FileExists("C:\\"));
}

// A store standing for a file system with attributes of its own: answers for files whose name
// starts with "fat", and fails for files whose name starts with "bad".
class NamePrefixStore : public IAttributeStore {
public:
    Result Read(const std::string& hostPath, DWORD& attributes) override {
        Result result = Decide(hostPath);
        if (result == Result::kDone)
            attributes = stored;
        return result;
    }
    Result Write(const std::string& hostPath, DWORD attributes) override {
        Result result = Decide(hostPath);
        if (result == Result::kDone)
            stored = attributes;
        return result;
    }
    DWORD stored = 0;

private:
    static Result Decide(const std::string& hostPath) {
        std::string name = hostPath.substr(hostPath.rfind('/') + 1);
        if (name.rfind("fat", 0) == 0)
            return Result::kDone;
        if (name.rfind("bad", 0) == 0)
            return Result::kFailed;
        return Result::kUnsupported;
    }
};

TEST_F(PosixPlatformTest, AddedAttributeStoresAreAskedBeforeTheFallback) {
    auto store = std::make_unique<NamePrefixStore>();
    NamePrefixStore* fat = store.get();
    platform.AddAttributeStore(std::move(store));
    for (const char* name : {"fat.ini", "bad.ini", "other.ini"})
        WriteHostFile(drive / name, "x");

    ASSERT_TRUE(platform.WriteFileAttributes("C:\\FAT.INI", 7 | FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(7u, fat->stored);  // FILE_ATTRIBUTE_NORMAL is not a stored bit
    EXPECT_EQ(7u, platform.ReadFileAttributes("C:\\FAT.INI"));

    EXPECT_FALSE(platform.WriteFileAttributes("C:\\BAD.INI", 1));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, platform.ReadFileAttributes("C:\\BAD.INI"));

    ASSERT_TRUE(platform.WriteFileAttributes("C:\\OTHER.INI", 7));
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, platform.ReadFileAttributes("C:\\OTHER.INI"));
    EXPECT_EQ(7u, fat->stored);
}

struct Crash {
    ReplaceStep step;
};

TEST_F(PosixPlatformTest, ReplaceSafelyReplacesAndLeavesNothingBehind) {
    WriteHostFile(drive / "boot.ini", "old\r\n");
    WriteHostFile(drive / "BOOT.TMP", "new\r\n");
    ASSERT_TRUE(platform.ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"));
    EXPECT_EQ("new\r\n", ReadHostFile(drive / "boot.ini"));
    EXPECT_EQ("new\r\n", ReadHostFile(drive / "BOOT.TMP"));
    EXPECT_EQ((std::vector<std::string>{"BOOT.TMP", "boot.ini"}), FolderEntries(drive.Path()));
}

TEST_F(PosixPlatformTest, ReplaceSafelyCrashingAtAnyStepLeavesTheTargetWhole) {
    for (ReplaceStep crashStep : kAllReplaceSteps) {
        SCOPED_TRACE(ReplaceStepName(crashStep));
        WriteHostFile(drive / "boot.ini", "old line\r\n");
        WriteHostFile(drive / "BOOT.TMP", "new line\r\nsecond\r\n");
        platform.SetReplaceStepHook([crashStep](ReplaceStep step) {
            if (step == crashStep)
                throw Crash{step};
            return true;
        });
        EXPECT_THROW(platform.ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"), Crash);

        std::string target = ReadHostFile(drive / "boot.ini");
        bool renamed =
            crashStep == ReplaceStep::kRenamed || crashStep == ReplaceStep::kFolderSynced;
        EXPECT_EQ(renamed ? "new line\r\nsecond\r\n" : "old line\r\n", target);
        EXPECT_EQ("new line\r\nsecond\r\n", ReadHostFile(drive / "BOOT.TMP"));
        // What the crash left is a dot file no program path names...
        std::vector<std::string> strays = Strays(drive, {"BOOT.TMP", "boot.ini"});
        EXPECT_EQ(renamed ? 0u : 1u, strays.size());
        for (const std::string& name : strays)
            EXPECT_EQ(0u, name.rfind(".tarnwick-boot.ini-", 0));

        // ...and the next replacement of the same file removes it.
        platform.SetReplaceStepHook(nullptr);
        ASSERT_TRUE(platform.ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"));
        EXPECT_EQ("new line\r\nsecond\r\n", ReadHostFile(drive / "boot.ini"));
        EXPECT_TRUE(Strays(drive, {"BOOT.TMP", "boot.ini"}).empty());
    }
}

TEST_F(PosixPlatformTest, ReplaceSafelyFailingBeforeTheRenameLeavesTheTargetUntouched) {
    for (ReplaceStep failStep : {ReplaceStep::kTemporaryCreated, ReplaceStep::kTemporaryWritten,
                                 ReplaceStep::kTemporarySynced}) {
        SCOPED_TRACE(ReplaceStepName(failStep));
        WriteHostFile(drive / "boot.ini", "old\r\n");
        WriteHostFile(drive / "BOOT.TMP", "new\r\n");
        platform.SetReplaceStepHook([failStep](ReplaceStep step) { return step != failStep; });
        EXPECT_FALSE(platform.ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"));
        EXPECT_EQ("old\r\n", ReadHostFile(drive / "boot.ini"));
        EXPECT_EQ((std::vector<std::string>{"BOOT.TMP", "boot.ini"}), FolderEntries(drive.Path()));
    }
}

TEST_F(PosixPlatformTest, ReplaceSafelyRefusesAReadOnlyTargetAndAMissingSource) {
    WriteHostFile(drive / "boot.ini", "old\r\n");
    WriteHostFile(drive / "BOOT.TMP", "new\r\n");
    ASSERT_TRUE(platform.WriteFileAttributes("C:\\BOOT.INI", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(platform.ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"));
    EXPECT_FALSE(platform.ReplaceFileSafely("C:\\MISSING", "C:\\BOOT.TMP"));
    EXPECT_FALSE(platform.ReplaceFileSafely("C:\\BOOT.TMP", "C:\\boot.tmp"));
    EXPECT_EQ("old\r\n", ReadHostFile(drive / "boot.ini"));
    EXPECT_EQ("new\r\n", ReadHostFile(drive / "BOOT.TMP"));
    EXPECT_EQ((std::vector<std::string>{"BOOT.TMP", "boot.ini"}), FolderEntries(drive.Path()));
}

TEST_F(PosixPlatformTest, ReplaceSafelyGivesTheTargetTheSourceAttributes) {
    WriteHostFile(drive / "boot.ini", "old\r\n");
    WriteHostFile(drive / "BOOT.TMP", "new\r\n");
    ASSERT_TRUE(platform.ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"));
    EXPECT_EQ(FILE_ATTRIBUTE_NORMAL, platform.ReadFileAttributes("C:\\BOOT.INI"));
}

TEST_F(PosixPlatformTest, AdministratorsSidHasItsBinaryForm) {
    const std::vector<unsigned char> expected = {1,  2, 0, 0, 0,    0, 0, 5,
                                                 32, 0, 0, 0, 0x20, 2, 0, 0};
    EXPECT_EQ(expected, AdministratorsSid());
}

// Whether the group list holds Administrators, asked in a child process running as the given
// user; -1 when the child could not switch to that user.
int AdministratorInChild(PosixPlatform& platform, uid_t user, gid_t group) {
    pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(group) != 0 || setuid(user) != 0)
            _exit(2);
        std::vector<TokenGroup> groups;
        _exit(platform.ReadTokenGroups(groups) && HasAdministrators(groups) ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 2)
        return -1;
    return WEXITSTATUS(status);
}

TEST_F(PosixPlatformTest, AdministratorIsWhoMayChangeTheDriveFolder) {
    std::vector<TokenGroup> groups;
    ASSERT_TRUE(platform.ReadTokenGroups(groups));
    EXPECT_TRUE(HasAdministrators(groups));  // root, or the owner of the folder
    EXPECT_EQ(EveryoneSid(), groups.front().sid);

    if (geteuid() != 0) {
        // Root can write anywhere, so this half runs only for other users.
        ASSERT_EQ(0, chmod(drive.Path().c_str(), 0555));
        ASSERT_TRUE(platform.ReadTokenGroups(groups));
        EXPECT_FALSE(HasAdministrators(groups));
        EXPECT_EQ(2u, groups.size());
        return;
    }
    // As root: ask as the unprivileged user "nobody" (65534) instead.
    TemporaryFolder parent;
    ASSERT_EQ(0, chmod(parent.Path().c_str(), 0755));
    std::string folder = parent / "drive";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0755));
    PosixPlatform shared(folder);
    EXPECT_EQ(0, AdministratorInChild(shared, 65534, 65534)) << "no write permission";
    ASSERT_EQ(0, chmod(folder.c_str(), 0777));
    EXPECT_EQ(1, AdministratorInChild(shared, 65534, 65534)) << "write and search permission";
    ASSERT_EQ(0, chmod(folder.c_str(), 0333));
    EXPECT_EQ(1, AdministratorInChild(shared, 65534, 65534)) << "no read permission needed";
    ASSERT_EQ(0, chmod(folder.c_str(), 0666));
    EXPECT_EQ(0, AdministratorInChild(shared, 65534, 65534)) << "no search permission";
}

TEST_F(PosixPlatformTest, NoDriveFolderMeansNoAdministrator) {
    PosixPlatform missing(drive / "not-there");
    std::vector<TokenGroup> groups;
    ASSERT_TRUE(missing.ReadTokenGroups(groups));
    EXPECT_FALSE(HasAdministrators(groups));
}

TEST_F(PosixPlatformTest, SystemDirectoryIsFoundWithoutRegardToCase) {
    std::filesystem::create_directories(drive / "Windows/System32");
    std::filesystem::create_directories(drive / "winnt/SYSTEM32");
    CString directory;
    platform.SetWindowsFolderHint("\\WINDOWS");
    ASSERT_TRUE(platform.ReadSystemDirectory(directory));
    EXPECT_EQ(CString("C:\\Windows\\System32"), directory);
    platform.SetWindowsFolderHint("\\WINNT");
    ASSERT_TRUE(platform.ReadSystemDirectory(directory));
    EXPECT_EQ(CString("C:\\winnt\\SYSTEM32"), directory);
    platform.SetWindowsFolderHint("\\");
    EXPECT_FALSE(platform.ReadSystemDirectory(directory));
    platform.SetWindowsFolderHint("");  // no hint: the usual folders
    ASSERT_TRUE(platform.ReadSystemDirectory(directory));
    EXPECT_EQ(CString("C:\\Windows\\System32"), directory);
}

TEST_F(PosixPlatformTest, ChangeCurrentDirectoryMapsTheProgramPath) {
    std::filesystem::create_directories(drive / "Windows/System32");
    char* previous = getcwd(nullptr, 0);
    ASSERT_TRUE(platform.ChangeCurrentDirectory("C:\\WINDOWS\\SYSTEM32"));
    EXPECT_EQ(std::filesystem::canonical(drive / "Windows/System32"),
              std::filesystem::current_path());
    EXPECT_FALSE(platform.ChangeCurrentDirectory("C:\\NOWHERE"));
    EXPECT_FALSE(platform.ChangeCurrentDirectory("D:\\"));
    ASSERT_EQ(0, chdir(previous));
    free(previous);
}

}  // namespace
