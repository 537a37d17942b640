// The whole program on drive C: inside FAT16, FAT32 and NTFS disk images, each run in a child
// process on the in-memory user interface: the editing job (kernel debugging over COM2 at 115200
// on the second line, Apply, OK) checked with the file system's own tools, and the same job
// killed at every point of its commit (before and after each platform call and at each step of
// both replaces), after which the next start finishes or undoes what the kill cut short, edits as
// usual, and leaves the volume clean.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <sstream>

#include "app/BootEditApp.h"
#include "app/tests/KillingPlatform.h"
#include "framework/test/TestBackend.h"
#include "platform/image/ImageVolume.h"
#include "platform/image/tests/TestImages.h"
#include "res/resource.h"

namespace {

const char kQuestion[] = "Do you want to commit your changes to disk?";
const char kEarlierBackup[] = "an earlier backup\r\n";
const char kLabelAfterCrash[] = "Edited after a crash";

std::string SourceFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The job of the whole-job scenario.
void DebugOverCom2(TestDialogWindow& window) {
    window.Pick(IDC_BOOTLINE_LIST, 1);
    window.Click(IDC_DEBUG);
    window.Click(IDC_DEBUGPORT);
    window.PickText(IDC_DEBUGPORT_LIST, "COM2");
    window.PickText(IDC_BAUDRATE_LIST, "115200");
    window.Click(IDC_APPLY);
}

void NewLabel(TestDialogWindow& window) {
    window.ClearText(IDC_LABEL_EDIT);
    window.Type(IDC_LABEL_EDIT, kLabelAfterCrash);
    window.Click(IDC_APPLY);
}

struct RunOutcome {
    int status = 0;
    std::vector<std::string> messages;
    long points = 0;       // points of a run that was not killed
    long commitStart = 0;  // the point count when the user pressed OK
    bool Killed() const { return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL; }
    bool Ended() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }
};

class ImageJobTest : public ::testing::TestWithParam<TestFileSystem> {
protected:
    void SetUp() override {
        image = std::make_unique<TestImage>(GetParam(), SourceFile(kOldBootIniFile));
        ASSERT_EQ(image->Problem(), "");
        ASSERT_TRUE(image->PutFile("BOOT.BAK", kEarlierBackup));
        profile = image->Folder() + "/profile";
        report = image->Folder() + "/report";
        ASSERT_TRUE(image->Snapshot());
    }

    RunOutcome Run(void (*user)(TestDialogWindow&), long killAt = 0) {
        std::remove(report.c_str());
        std::cout.flush();
        RunOutcome outcome;
        const pid_t child = fork();
        if (child == 0)
            RunChild(user, killAt);
        waitpid(child, &outcome.status, 0);
        std::istringstream lines(SourceFile(report));
        std::string line;
        if (lines >> outcome.points >> outcome.commitStart)
            std::getline(lines, line);
        while (std::getline(lines, line, '\x1e'))
            outcome.messages.push_back(line);
        return outcome;
    }

    [[noreturn]] void RunChild(void (*user)(TestDialogWindow&), long killAt) {
        std::string error;
        std::unique_ptr<ImagePlatform> volume = OpenImageVolume(image->Location(), error);
        if (!volume) {
            std::ofstream(report) << "0 0\n" << error << '\x1e';
            _exit(5);
        }
        volume->SetProfileFolder(profile);
        KillingPlatform platform(*volume, killAt);
        volume->SetReplaceStepHook([&platform](VolumeReplaceStep) {
            platform.Point();
            return true;
        });
        SetPlatform(&platform);
        std::vector<std::string> messages;
        long commitStart = 0;
        {
            TestBackend backend;
            CBootEditApp app;
            app.SetExecutablePath("C:\\TOOLS\\TARN.EXE");
            app.SetProfileStore(&platform);
            for (int i = 0; i < 8; ++i)
                backend.QueueMessageBoxAnswer(IDOK);
            backend.QueueDialog(IDD_WARNUSER, [](TestDialogWindow& w) { w.PressOK(); });
            backend.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& window) {
                user(window);
                commitStart = platform.Points();
                window.PressOK();
            });
            app.InitInstance();
            for (const auto& record : backend.MessageBoxes())
                messages.push_back(record.text.str());
        }
        SetPlatform(nullptr);
        std::ofstream out(report, std::ios::binary);
        out << platform.Points() << ' ' << commitStart << '\n';
        for (const std::string& message : messages)
            out << message << '\x1e';
        out.close();
        volume.reset();
        _exit(0);
    }

    std::string Read(const std::string& name) {
        std::string bytes;
        return image->ReadFile(name, bytes) ? bytes : std::string("(none)");
    }
    void ExpectClean() {
        std::string details;
        EXPECT_TRUE(image->Clean(details)) << details;
    }

    static constexpr const char* kOldBootIniFile = "scenarios/drives/three-lines/BOOT.INI";
    std::unique_ptr<TestImage> image;
    std::string profile, report;
};

TEST_P(ImageJobTest, TheWholeJobCommitsWhatTheFileSystemsToolsThenRead) {
    const RunOutcome run = Run(DebugOverCom2);
    ASSERT_TRUE(run.Ended()) << run.status;
    EXPECT_EQ(run.messages, std::vector<std::string>{kQuestion});
    const std::string expected = SourceFile("scenarios/expected/whole-job/BOOT.INI");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Read("BOOT.INI"), expected);
    EXPECT_EQ(Read("BOOT.BAK"), SourceFile(kOldBootIniFile));
    EXPECT_EQ(Read("BOOT.TMP"), expected);
    std::uint32_t bits = 99;
    EXPECT_TRUE(image->DosAttributes("BOOT.INI", bits));
    EXPECT_EQ(bits, 7u);
    EXPECT_TRUE(image->DosAttributes("BOOT.BAK", bits));
    EXPECT_EQ(bits, 0u);
    EXPECT_EQ(image->RootNames(),
              (std::vector<std::string>{"BOOT.BAK", "BOOT.INI", "BOOT.TMP", "WINDOWS"}));
    ExpectClean();
}

TEST_P(ImageJobTest, KilledAtEveryPointOfTheCommitTheNextStartFinishesOrUndoesIt) {
    const std::string oldBootIni = SourceFile(kOldBootIniFile);
    const RunOutcome clean = Run(DebugOverCom2);
    ASSERT_TRUE(clean.Ended());
    const std::string newBootIni = Read("BOOT.INI");
    ASSERT_GT(clean.points, clean.commitStart + 8);

    for (long point = clean.commitStart + 1; point <= clean.points; ++point) {
        SCOPED_TRACE("killed at point " + std::to_string(point));
        ASSERT_TRUE(image->RestoreSnapshot());
        const RunOutcome killed = Run(DebugOverCom2, point);
        ASSERT_TRUE(killed.Killed()) << killed.status;

        // The next open finishes or undoes the replace: BOOT.INI is old or new, whole.
        {
            std::string error;
            auto volume = OpenImageVolume(image->Location(), error);
            ASSERT_TRUE(volume) << error;
        }
        const std::string bootIni = Read("BOOT.INI");
        EXPECT_TRUE(bootIni == oldBootIni || bootIni == newBootIni) << bootIni;
        const std::string backup = Read("BOOT.BAK");
        EXPECT_TRUE(backup == kEarlierBackup || backup == oldBootIni) << backup;
        ExpectClean();

        // The next start edits and commits as usual.
        const RunOutcome next = Run(NewLabel);
        EXPECT_TRUE(next.Ended());
        EXPECT_EQ(next.messages, std::vector<std::string>{kQuestion});
        EXPECT_NE(Read("BOOT.INI").find(kLabelAfterCrash), std::string::npos);
        EXPECT_EQ(Read("BOOT.BAK"), bootIni);
        EXPECT_EQ(image->RootNames(),
                  (std::vector<std::string>{"BOOT.BAK", "BOOT.INI", "BOOT.TMP", "WINDOWS"}));
        ExpectClean();
    }
    std::cout << "[ figures  ] " << TestFileSystemName(GetParam()) << " image: killed at "
              << clean.points - clean.commitStart << " points of the commit\n";
}

INSTANTIATE_TEST_SUITE_P(FileSystems, ImageJobTest,
                         ::testing::Values(TestFileSystem::kFat16, TestFileSystem::kFat32,
                                           TestFileSystem::kNtfs),
                         [](const ::testing::TestParamInfo<TestFileSystem>& kind) {
                             return std::string(TestFileSystemName(kind.param));
                         });

}  // namespace
