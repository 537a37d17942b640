// Drive C: inside FAT16, FAT32 and NTFS images: names found without regard to case, attributes in
// the file system's metadata, writes that keep the case on disk and leave the volume clean, a
// read-only location that changes nothing, a replace killed at each of its steps and finished or
// undone by the next open, NTFS that Windows left hibernated or marked for a check, garbage and
// truncated images, and the lock on the image. What is on an image afterwards is read with the
// file system's own tools.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "platform/WellKnownSids.h"
#include "platform/image/ImageVolume.h"
#include "platform/image/tests/TestImages.h"

namespace {

const char kBootIni[] =
    "[boot loader]\r\ntimeout=30\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/fastdetect\r\n";
const char kNewBootIni[] = "[boot loader]\r\ntimeout=5\r\n";

std::vector<std::string> Names(const std::vector<VolumeFolderEntry>& entries) {
    std::vector<std::string> names;
    for (const VolumeFolderEntry& entry : entries)
        names.push_back(entry.name + (entry.folder ? "/" : ""));
    std::sort(names.begin(), names.end());
    return names;
}

bool HasAdministrators(ImagePlatform& platform) {
    std::vector<TokenGroup> groups;
    platform.ReadTokenGroups(groups);
    for (const TokenGroup& group : groups) {
        if (group.sid == AdministratorsSid())
            return true;
    }
    return false;
}

class ImageVolumeTest : public ::testing::TestWithParam<TestFileSystem> {
protected:
    void SetUp() override {
        image = std::make_unique<TestImage>(GetParam(), kBootIni);
        ASSERT_EQ(image->Problem(), "");
    }
    std::unique_ptr<ImagePlatform> Open(bool readOnly = false) {
        std::string error;
        auto platform = OpenImageVolume(image->Location(readOnly), error);
        EXPECT_TRUE(platform) << error;
        EXPECT_EQ(error, "");
        return platform;
    }
    void ExpectClean() {
        std::string report;
        EXPECT_TRUE(image->Clean(report)) << report;
    }
    std::unique_ptr<TestImage> image;
};

TEST_P(ImageVolumeTest, FindsTheFilesAndAttributesWithoutRegardToCase) {
    auto platform = Open();
    ASSERT_TRUE(platform);
    EXPECT_TRUE(platform->HoldsBootIni());
    EXPECT_EQ(platform->FileSystemName(), TestFileSystemName(GetParam()));
    EXPECT_EQ(platform->VolumeLabel(),
              GetParam() == TestFileSystem::kNtfs ? "TARNNTFS" : "TARNFAT");
    EXPECT_FALSE(platform->IsViewOnly());
    EXPECT_TRUE(platform->RecoveryNotes().empty());
    EXPECT_TRUE(HasAdministrators(*platform));

    std::string bytes;
    EXPECT_TRUE(platform->ReadWholeFile("c:\\boot.ini", bytes));
    EXPECT_EQ(bytes, kBootIni);
    EXPECT_EQ(platform->ReadFileAttributes("C:\\Boot.Ini") & 0x7, 0x7u);
    EXPECT_EQ(platform->ReadFileAttributes("C:\\windows") & 0x10, 0x10u);
    EXPECT_EQ(platform->ReadFileAttributes("C:\\BOOT.BAK"), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(platform->FileExists("\\WINDOWS\\SYSTEM32\\HAL.DLL"));
    EXPECT_FALSE(platform->FileExists("C:\\WINDOWS"));
    EXPECT_FALSE(platform->FileExists("D:\\BOOT.INI"));

    std::string resolved;
    EXPECT_TRUE(platform->Resolve("c:\\windows\\SYSTEM32\\NTOSKRNL.EXE", resolved));
    EXPECT_EQ(resolved, "C:\\WINDOWS\\system32\\ntoskrnl.exe");
    CString systemDirectory;
    EXPECT_TRUE(platform->ReadSystemDirectory(systemDirectory));
    EXPECT_STREQ(systemDirectory, "C:\\WINDOWS\\system32");
    platform->SetWindowsFolderHint("\\WINNT");
    EXPECT_FALSE(platform->ReadSystemDirectory(systemDirectory));

    std::vector<VolumeFolderEntry> entries;
    EXPECT_TRUE(platform->ListFolder("C:\\Windows\\System32", entries));
    EXPECT_EQ(Names(entries), (std::vector<std::string>{"hal.dll", "ntoskrnl.exe"}));
    EXPECT_TRUE(platform->ListFolder("C:\\", entries));
    EXPECT_EQ(Names(entries), (std::vector<std::string>{"BOOT.INI", "WINDOWS/"}));
    EXPECT_FALSE(platform->ListFolder("C:\\BOOT.INI", entries));
    EXPECT_FALSE(platform->ListFolder("C:\\NOWHERE", entries));
}

TEST_P(ImageVolumeTest, WritesKeepTheCaseOnDiskAndLeaveTheVolumeClean) {
    ASSERT_TRUE(image->PutFile("boot.bak", "an earlier backup\r\n"));
    {
        auto platform = Open();
        ASSERT_TRUE(platform);
        // The start of an edit: the staging copy, its attributes cleared, rewritten as a stream.
        ASSERT_TRUE(platform->CopyFileTo("C:\\BOOT.INI", "C:\\BOOT.TMP", FALSE));
        EXPECT_EQ(platform->ReadFileAttributes("C:\\BOOT.TMP") & 0x7, 0x7u);
        EXPECT_FALSE(platform->CopyFileTo("C:\\BOOT.INI", "C:\\BOOT.TMP", TRUE));
        // Hidden (and read-only) targets are refused, as CopyFileA does.
        EXPECT_FALSE(platform->CopyFileTo("C:\\BOOT.TMP", "C:\\BOOT.INI", FALSE));
        ASSERT_TRUE(platform->WriteFileAttributes("C:\\BOOT.TMP", FILE_ATTRIBUTE_NORMAL));
        std::unique_ptr<ITextStream> stream = platform->OpenTextStream("C:\\boot.tmp");
        ASSERT_TRUE(stream);
        CString line;
        ASSERT_TRUE(stream->ReadLine(line));
        EXPECT_STREQ(line, "[boot loader]");
        ASSERT_TRUE(stream->Rewind() && stream->Truncate());
        ASSERT_TRUE(stream->WriteLine("[boot loader]") && stream->WriteLine("timeout=5"));
        ASSERT_TRUE(stream->Flush());
        stream.reset();

        // The commit's two replaces; the backup keeps its lower-case name.
        ASSERT_TRUE(platform->WriteFileAttributes("C:\\BOOT.INI", FILE_ATTRIBUTE_NORMAL));
        ASSERT_TRUE(platform->ReplaceFileSafely("C:\\BOOT.INI", "C:\\BOOT.BAK"));
        ASSERT_TRUE(platform->ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"));
        ASSERT_TRUE(platform->WriteFileAttributes("C:\\BOOT.INI", 0x7));
        // A read-only target is not replaced, as on Windows.
        EXPECT_FALSE(platform->ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"));
    }
    std::string bytes;
    std::uint32_t bits = 0;
    EXPECT_EQ(image->RootNames(),
              (std::vector<std::string>{"BOOT.INI", "BOOT.TMP", "WINDOWS", "boot.bak"}));
    ASSERT_TRUE(image->ReadFile("BOOT.INI", bytes));
    EXPECT_EQ(bytes, kNewBootIni);
    ASSERT_TRUE(image->DosAttributes("BOOT.INI", bits));
    EXPECT_EQ(bits, 7u);
    ASSERT_TRUE(image->ReadFile("boot.bak", bytes));
    EXPECT_EQ(bytes, kBootIni);
    ASSERT_TRUE(image->DosAttributes("boot.bak", bits));
    EXPECT_EQ(bits, 0u);
    ExpectClean();
}

TEST_P(ImageVolumeTest, AReadOnlyLocationChangesNothing) {
    const std::string before = image->WholeImage();
    {
        auto platform = Open(true);
        ASSERT_TRUE(platform);
        EXPECT_TRUE(platform->IsViewOnly());
        EXPECT_NE(platform->ViewOnlyReason().find("reading only"), std::string::npos);
        // Anyone who may read the image may view it: the editor starts, and never commits.
        EXPECT_TRUE(HasAdministrators(*platform));
        std::string bytes;
        EXPECT_TRUE(platform->ReadWholeFile("C:\\BOOT.INI", bytes));
        EXPECT_EQ(bytes, kBootIni);

        // The staging copy lives in memory: made, edited and read back as on a writable volume.
        EXPECT_FALSE(platform->FileExists("C:\\BOOT.TMP"));
        ASSERT_TRUE(platform->CopyFileTo("C:\\BOOT.INI", "C:\\boot.tmp", FALSE));
        EXPECT_EQ(platform->ReadFileAttributes("C:\\BOOT.TMP") & 0x7, 0x7u);
        EXPECT_FALSE(platform->OpenTextStream("C:\\BOOT.TMP")) << "still read-only";
        ASSERT_TRUE(platform->WriteFileAttributes("C:\\BOOT.TMP", FILE_ATTRIBUTE_NORMAL));
        std::unique_ptr<ITextStream> stream = platform->OpenTextStream("C:\\BOOT.TMP");
        ASSERT_TRUE(stream);
        ASSERT_TRUE(stream->Rewind() && stream->Truncate());
        ASSERT_TRUE(stream->WriteLine("[boot loader]") && stream->WriteLine("timeout=5"));
        ASSERT_TRUE(stream->Flush());
        stream.reset();
        EXPECT_TRUE(platform->ReadWholeFile("C:\\BOOT.TMP", bytes));
        EXPECT_EQ(bytes, "[boot loader]\r\ntimeout=5\r\n");
        EXPECT_FALSE(platform->ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"));
        EXPECT_FALSE(platform->CopyFileTo("C:\\BOOT.TMP", "C:\\BOOT.BAK", FALSE));
        std::vector<VolumeFolderEntry> root;
        ASSERT_TRUE(platform->ListFolder("C:\\", root));
        EXPECT_EQ(Names(root), (std::vector<std::string>{"BOOT.INI", "WINDOWS/"}));

        EXPECT_FALSE(platform->WriteFileAttributes("C:\\BOOT.INI", FILE_ATTRIBUTE_NORMAL));
        EXPECT_FALSE(platform->ReplaceFileSafely("C:\\WINDOWS\\system32\\hal.dll", "C:\\X.DLL"));
        EXPECT_FALSE(platform->OpenTextStream("C:\\WINDOWS\\system32\\hal.dll"));
        std::unique_ptr<IExclusiveLock> lock;
        EXPECT_EQ(platform->LockExclusively("C:\\BOOT.LCK", lock), LockOutcome::kLocked);
    }
    EXPECT_TRUE(image->WholeImage() == before);
}

TEST_P(ImageVolumeTest, TheLockIsOnTheImageAndLeavesNothingInTheFileSystem) {
    auto first = Open();
    auto second = Open();
    ASSERT_TRUE(first && second);
    std::unique_ptr<IExclusiveLock> held, refused;
    EXPECT_EQ(first->LockExclusively("C:\\BOOT.LCK", held), LockOutcome::kLocked);
    EXPECT_EQ(second->LockExclusively("C:\\BOOT.LCK", refused), LockOutcome::kHeldElsewhere);
    EXPECT_FALSE(refused);
    held.reset();
    EXPECT_EQ(second->LockExclusively("C:\\BOOT.LCK", refused), LockOutcome::kLocked);
    first.reset();
    second.reset();
    EXPECT_EQ(image->RootNames(), (std::vector<std::string>{"BOOT.INI", "WINDOWS"}));
}

// Killed after each step of replacing BOOT.INI; the state of each step and what the next open
// makes of it.
struct KilledReplace {
    VolumeReplaceStep step;
    const char* bootIniAfterwards;  // after the next open
};

TEST_P(ImageVolumeTest, AReplaceKilledAtAnyStepIsFinishedOrUndoneByTheNextOpen) {
    const KilledReplace cases[] = {
        {VolumeReplaceStep::kNewWritten, kBootIni},
        {VolumeReplaceStep::kNewReady, kNewBootIni},
        {VolumeReplaceStep::kTargetRemoved, kNewBootIni},
        {VolumeReplaceStep::kRenamed, kNewBootIni},
    };
    for (const KilledReplace& killed : cases) {
        SCOPED_TRACE(VolumeReplaceStepName(killed.step));
        image = std::make_unique<TestImage>(GetParam(), kBootIni);
        ASSERT_EQ(image->Problem(), "");
        ASSERT_TRUE(image->PutFile("BOOT.TMP", kNewBootIni));
        ASSERT_TRUE(image->SetDosAttributes("BOOT.INI", 0));
        std::fflush(nullptr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::string error;
            auto platform = OpenImageVolume(image->Location(), error);
            if (!platform)
                _exit(3);
            platform->SetReplaceStepHook([&killed](VolumeReplaceStep step) {
                if (step == killed.step)
                    raise(SIGKILL);
                return true;
            });
            platform->ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI");
            _exit(4);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

        // What the kill left, as the file system's tools see it: the old or the new file whole,
        // or (between removing and renaming) the new one whole under its ready name.
        std::string bytes;
        if (image->ReadFile("BOOT.INI", bytes))
            EXPECT_TRUE(bytes == kBootIni || bytes == kNewBootIni) << bytes;
        else
            EXPECT_EQ(killed.step, VolumeReplaceStep::kTargetRemoved);

        auto platform = Open();
        ASSERT_TRUE(platform);
        EXPECT_EQ(platform->RecoveryNotes().empty(), killed.step == VolumeReplaceStep::kRenamed);
        platform.reset();
        EXPECT_EQ(image->RootNames(),
                  (std::vector<std::string>{"BOOT.INI", "BOOT.TMP", "WINDOWS"}));
        ASSERT_TRUE(image->ReadFile("BOOT.INI", bytes));
        EXPECT_EQ(bytes, killed.bootIniAfterwards);
        ExpectClean();
    }
}

TEST_P(ImageVolumeTest, AReplaceThatFailsBeforeTheOldFileGoesLeavesItUntouched) {
    ASSERT_TRUE(image->PutFile("BOOT.TMP", kNewBootIni));
    ASSERT_TRUE(image->SetDosAttributes("BOOT.INI", 0));
    for (VolumeReplaceStep failing :
         {VolumeReplaceStep::kNewWritten, VolumeReplaceStep::kNewReady}) {
        SCOPED_TRACE(VolumeReplaceStepName(failing));
        {
            auto platform = Open();
            ASSERT_TRUE(platform);
            platform->SetReplaceStepHook(
                [failing](VolumeReplaceStep step) { return step != failing; });
            EXPECT_FALSE(platform->ReplaceFileSafely("C:\\BOOT.TMP", "C:\\BOOT.INI"));
        }
        std::string bytes;
        ASSERT_TRUE(image->ReadFile("BOOT.INI", bytes));
        EXPECT_EQ(bytes, kBootIni);
        EXPECT_EQ(image->RootNames(),
                  (std::vector<std::string>{"BOOT.INI", "BOOT.TMP", "WINDOWS"}));
    }
    ExpectClean();
}

INSTANTIATE_TEST_SUITE_P(FileSystems, ImageVolumeTest,
                         ::testing::Values(TestFileSystem::kFat16, TestFileSystem::kFat32,
                                           TestFileSystem::kNtfs),
                         [](const ::testing::TestParamInfo<TestFileSystem>& kind) {
                             return std::string(TestFileSystemName(kind.param));
                         });

// A rename cut short inside the file system leaves two names on the new file (the ready name and
// BOOT.INI). NTFS drops the extra name; FAT's tools can't drop a name without freeing the data
// the other name still uses, so that volume is left as it is, for a disk check.
TEST(TwoNamesOnOneFileTest, NtfsKeepsTheFileAndFatIsLeftForADiskCheck) {
    for (TestFileSystem kind : {TestFileSystem::kFat16, TestFileSystem::kNtfs}) {
        SCOPED_TRACE(TestFileSystemName(kind));
        TestImage image(kind, kBootIni);
        ASSERT_EQ(image.Problem(), "");
        ASSERT_TRUE(image.RemoveFile("BOOT.INI"));
        ASSERT_TRUE(image.PutFile("~TRBOOT.INI", kNewBootIni));
        ASSERT_TRUE(image.AddSecondName("~TRBOOT.INI", "BOOT.INI"));
        const std::string before = image.WholeImage();
        std::string error;
        std::unique_ptr<ImagePlatform> platform = OpenImageVolume(image.Location(), error);
        if (kind == TestFileSystem::kNtfs) {
            ASSERT_TRUE(platform) << error;
            EXPECT_EQ(platform->RecoveryNotes().size(), 1u);
            platform.reset();
            std::string bytes, report;
            EXPECT_TRUE(image.ReadFile("BOOT.INI", bytes));
            EXPECT_EQ(bytes, kNewBootIni);
            EXPECT_EQ(image.RootNames(), (std::vector<std::string>{"BOOT.INI", "WINDOWS"}));
            EXPECT_TRUE(image.Clean(report)) << report;
        } else {
            EXPECT_FALSE(platform);
            EXPECT_NE(error.find("disk check"), std::string::npos) << error;
            EXPECT_TRUE(image.WholeImage() == before);
        }
    }
}

// NTFS that Windows left hibernated, or marked for a disk check: not written, with the reason;
// read-only it opens for viewing, and says why it can't be written.
struct WindowsLeftIt {
    const char* name;
    bool hibernated;  // else the dirty flag
    const char* said;
};

TEST(NtfsWindowsLeftTest, AHibernatedOrDirtyVolumeIsNotWritten) {
    const WindowsLeftIt cases[] = {{"hibernated", true, "hibernated"},
                                   {"dirty", false, "disk check"}};
    for (const WindowsLeftIt& left : cases) {
        SCOPED_TRACE(left.name);
        TestImage image(TestFileSystem::kNtfs, kBootIni);
        ASSERT_EQ(image.Problem(), "");
        if (left.hibernated) {
            std::string header(4096, '\0');
            header.replace(0, 4, "HIBR");
            ASSERT_TRUE(image.PutFile("hiberfil.sys", header));
        } else {
            ASSERT_TRUE(image.MarkNtfsDirty());
        }
        const std::string before = image.WholeImage();
        std::string error;
        EXPECT_FALSE(OpenImageVolume(image.Location(), error));
        EXPECT_NE(error.find(left.said), std::string::npos) << error;

        auto viewer = OpenImageVolume(image.Location(true), error);
        ASSERT_TRUE(viewer) << error;
        EXPECT_TRUE(viewer->IsViewOnly());
        EXPECT_NE(viewer->ViewOnlyReason().find(left.said), std::string::npos)
            << viewer->ViewOnlyReason();
        std::string bytes;
        EXPECT_TRUE(viewer->ReadWholeFile("C:\\BOOT.INI", bytes));
        EXPECT_EQ(bytes, kBootIni);
        viewer.reset();
        EXPECT_TRUE(image.WholeImage() == before);
    }
}

// Whatever the location holds, opening it ends with a message, never a crash or a write.
TEST(ImageVolumeOpenTest, WhatIsNoUsableFileSystemGetsAMessage) {
    TestImage image(TestFileSystem::kFat16, kBootIni);
    ASSERT_EQ(image.Problem(), "");
    const std::string garbage = image.Folder() + "/garbage.img";
    {
        std::ofstream file(garbage, std::ios::binary);
        for (unsigned i = 0; i < 4 * 1024 * 1024; ++i)
            file.put(static_cast<char>((i * 7919u + (i >> 9)) & 0xff));
    }
    const std::string truncatedImage = image.Folder() + "/truncated.img";
    {
        std::ifstream from(image.Path(), std::ios::binary);
        std::ofstream to(truncatedImage, std::ios::binary);
        std::vector<char> start(10 * 1024 * 1024);
        from.read(start.data(), static_cast<std::streamsize>(start.size()));
        to.write(start.data(), from.gcount());
    }
    struct Case {
        const char* name;
        VolumeLocation where;
        const char* said;
    };
    const Case cases[] = {
        {"garbage", {garbage, 0, 4 * 1024 * 1024, false, garbage}, "no file system"},
        {"truncated",
         {truncatedImage, TestImage::kOffset, image.Length(), false, truncatedImage},
         "cut short"},
        {"empty partition", {image.Path(), TestImage::kOffset, 0, false, image.Path()}, "empty"},
        {"the partition table",
         {image.Path(), 0, TestImage::kOffset, false, image.Path()},
         "no file system"},
        {"missing", {image.Folder() + "/none.img", 0, 512, false, ""}, "can't be opened"},
    };
    for (const Case& which : cases) {
        SCOPED_TRACE(which.name);
        std::string error;
        EXPECT_FALSE(OpenImageVolume(which.where, error));
        EXPECT_NE(error.find(which.said), std::string::npos) << error;
    }
}

}  // namespace
