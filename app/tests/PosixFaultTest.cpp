// The whole program on the real POSIX platform, each run in a child process, under the faults a
// real machine has: the process killed at every step, a disk that fills up, read-only files and
// folders, files that vanish or become links while the editor is open, and a second editor on the
// same drive. After each, BOOT.INI is whole and nothing on the drive is lost.
//
// Each run is a fork of this test process: the child drives the program with the in-memory user
// interface and ends with _exit (or is killed); the parent looks at the files. Runs that need a
// privilege the machine does not give (mounting a small tmpfs, changing to another user) are
// skipped with the reason.
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/BootEditApp.h"
#include "app/tests/KillingPlatform.h"
#include "editor/tests/ProgramHarness.h"
#include "framework/test/TestBackend.h"
#include "platform/posix/PosixPlatform.h"
#include "res/resource.h"
#include "store/StagingFile.h"

namespace {

namespace fs = std::filesystem;

const char* const kOldBootIni = kThreeLineBootIni;
const char kEarlierBackup[] = "an earlier backup\r\n";
const char kNewLabel[] = "Edited under faults";
const char kQuestion[] = "Do you want to commit your changes to disk?";
const char kAlreadyEditing[] =
    "Tarnwick is already editing BOOT.INI on this drive in another window. Only one Tarnwick may "
    "edit it at a time: finish in the other window first. Nothing was changed.";
const uid_t kNobody = 65534;

// The child's exit codes besides 0.
const int kExitSkipped = 77;    // the machine does not allow what the run needs
const int kExitUnexpected = 3;  // the child could not set the run up

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// One run of the program in a child process.
struct ProgramRun {
    // The user in the editor; by default the label of the first line is changed and applied,
    // then OK. Every message box is answered OK.
    std::function<void(TestDialogWindow&, const std::string& drive)> user;
    long killAt = 0;                   // kill at this point (0: never)
    bool asNobody = false;             // run as user nobody (the parent chowns the files)
    std::function<void()> beforeFork;  // in the parent, after the files were given away
    std::function<bool()> prepare;     // in the child before the program; false: skip
    std::function<void()> afterwards;  // in the child after the program
};

struct RunOutcome {
    int status = 0;
    std::vector<std::string> messages;  // the message boxes' texts, in order
    long points = 0;                    // points counted by a run that was not killed
    bool Killed() const { return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL; }
    bool Skipped() const { return WIFEXITED(status) && WEXITSTATUS(status) == kExitSkipped; }
    bool Ended() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }
};

// What another program does to the drive while the editor is open.
using Meanwhile = std::function<void(const std::string& drive)>;

// The usual user: changes the label of the first line, applies it and presses OK.
void ChangeLabel(TestDialogWindow& window, const std::string& drive,
                 const Meanwhile& meanwhile = nullptr) {
    window.ClearText(IDC_LABEL_EDIT);
    window.Type(IDC_LABEL_EDIT, kNewLabel);
    window.Click(IDC_APPLY);
    if (meanwhile)
        meanwhile(drive);
    window.PressOK();
}

class PosixFaultTest : public ::testing::Test {
public:
    PosixFaultTest() {
        char pattern[] = "/tmp/tarnwick-posix-fault-XXXXXX";
        if (mkdtemp(pattern))
            m_root = pattern;
        chmod(m_root.c_str(), 0755);
        m_drive = m_root + "/drive";
        m_profile = m_root + "/profile";
        m_report = m_root + "/report";
        m_victim = m_root + "/victim";
        fs::create_directories(m_profile);
        WriteBytes(m_victim, "victim\n");
        Reset();
    }
    ~PosixFaultTest() override {
        std::error_code error;
        fs::permissions(m_drive, fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(m_root, error);
    }

    // The drive as each run starts: the old BOOT.INI and an earlier backup.
    void Reset(const std::string& bootIni = kOldBootIni) {
        std::error_code error;
        fs::permissions(m_drive, fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(m_drive, error);
        fs::create_directories(m_drive);
        WriteBytes(m_drive + "/BOOT.INI", bootIni);
        WriteBytes(m_drive + "/BOOT.BAK", kEarlierBackup);
    }
    std::string Drive(const std::string& name) const { return m_drive + "/" + name; }

    RunOutcome Run(const ProgramRun& run) {
        fs::remove(m_report);
        if (run.asNobody) {
            bool given = true;
            for (const std::string& path : {m_root, m_drive, m_profile})
                given = chown(path.c_str(), kNobody, kNobody) == 0 && given;
            for (const std::string& name : Entries(m_drive))
                given = lchown(Drive(name).c_str(), kNobody, kNobody) == 0 && given;
            EXPECT_TRUE(given);
        }
        if (run.beforeFork)
            run.beforeFork();
        std::cout.flush();
        RunOutcome outcome;
        pid_t child = fork();
        if (child < 0) {
            ADD_FAILURE() << "fork failed";
            return outcome;
        }
        if (child == 0)
            RunChild(run);
        waitpid(child, &outcome.status, 0);
        std::string report = ReadBytes(m_report);
        size_t start = 0;
        for (size_t end; (end = report.find('\x1e', start)) != std::string::npos; start = end + 1)
            outcome.messages.push_back(report.substr(start, end - start));
        if (start < report.size())
            outcome.points = std::atol(report.c_str() + start);
        return outcome;
    }

    [[noreturn]] void RunChild(const ProgramRun& run) {
        if (run.asNobody && geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
                _exit(kExitSkipped);
        }
        if (run.prepare && !run.prepare())
            _exit(kExitSkipped);
        PosixPlatform posix(m_drive);
        posix.SetProfileFolder(m_profile);
        KillingPlatform platform(posix, run.killAt);
        posix.SetReplaceStepHook([&platform](ReplaceStep) {
            platform.Point();
            return true;
        });
        SetPlatform(&platform);
        std::vector<std::string> messages;
        {
            TestBackend backend;
            CBootEditApp app;
            app.SetExecutablePath("C:\\TOOLS\\TARN.EXE");
            app.SetProfileStore(&platform);
            for (int i = 0; i < 12; ++i)
                backend.QueueMessageBoxAnswer(IDOK);
            backend.QueueDialog(IDD_WARNUSER, [](TestDialogWindow& w) { w.PressOK(); });
            const auto user =
                run.user ? run.user : [](TestDialogWindow& window, const std::string& drive) {
                    ChangeLabel(window, drive);
                };
            const std::string drive = m_drive;
            backend.QueueDialog(IDD_BOOTEDIT_DIALOG,
                                [&](TestDialogWindow& window) { user(window, drive); });
            app.InitInstance();
            for (const auto& record : backend.MessageBoxes())
                messages.push_back(record.text.str());
        }
        SetPlatform(nullptr);
        // A file size limit of the run must not cut its report.
        rlimit limit;
        if (getrlimit(RLIMIT_FSIZE, &limit) == 0) {
            limit.rlim_cur = limit.rlim_max;
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (run.afterwards)
            run.afterwards();
        std::string report;
        for (const std::string& message : messages)
            report += message + '\x1e';
        report += std::to_string(platform.Points());
        WriteBytes(m_report, report);
        _exit(0);
    }

    // The content of BOOT.INI after the default user changed the label of its first line.
    std::string NewBootIni() const {
        std::string bytes = kOldBootIni;
        const std::string old =
            "\"Microsoft Windows XP Professional\" /noexecute=optin /fastdetect";
        size_t at = bytes.find(old);
        return bytes.replace(at, old.size(),
                             std::string("\"") + kNewLabel + "\" /FastDetect /noexecute=optin ");
    }

    std::string m_root, m_drive, m_profile, m_report;
    std::string m_victim;  // a file outside the drive that links on the drive point to
};

int g_faultsInjected = 0;

TEST_F(PosixFaultTest, KilledAtEveryStepTheFilesStayWholeAndTheNextStartWorks) {
    // A run without faults: the new content, and how many points there are.
    const RunOutcome clean = Run({});
    ASSERT_TRUE(clean.Ended());
    ASSERT_EQ(clean.messages, std::vector<std::string>{kQuestion});
    const std::string newBootIni = ReadBytes(Drive("BOOT.INI"));
    ASSERT_EQ(newBootIni, NewBootIni());
    ASSERT_GT(clean.points, 50);

    for (long point = 1; point <= clean.points; ++point) {
        Reset();
        ProgramRun killed;
        killed.killAt = point;
        const RunOutcome outcome = Run(killed);
        ASSERT_TRUE(outcome.Killed()) << "point " << point;
        const std::string bootIni = ReadBytes(Drive("BOOT.INI"));
        const std::string backup = ReadBytes(Drive("BOOT.BAK"));
        EXPECT_TRUE(bootIni == kOldBootIni || bootIni == newBootIni)
            << "point " << point << ": BOOT.INI torn:\n"
            << bootIni;
        EXPECT_TRUE(backup == kEarlierBackup || backup == kOldBootIni)
            << "point " << point << ": BOOT.BAK torn:\n"
            << backup;

        // The next start is not locked out, edits as usual, and clears what the kill left.
        const RunOutcome next = Run({});
        EXPECT_TRUE(next.Ended()) << "point " << point;
        EXPECT_EQ(next.messages, std::vector<std::string>{kQuestion}) << "point " << point;
        EXPECT_EQ(ReadBytes(Drive("BOOT.INI")), newBootIni) << "point " << point;
        EXPECT_EQ(ReadBytes(Drive("BOOT.BAK")), bootIni) << "point " << point;
        EXPECT_EQ(Entries(m_drive), (std::vector<std::string>{"BOOT.BAK", "BOOT.INI", "BOOT.TMP"}))
            << "point " << point;
    }
    g_faultsInjected += static_cast<int>(clean.points);
    std::cout << "[ figures  ] POSIX platform: killed with SIGKILL at " << clean.points
              << " crash points, BOOT.INI whole and the next start working after each\n";
    RecordProperty("crash_points", static_cast<int>(clean.points));
}

// A second editor on the drive says so and ends without touching the first one's staging file;
// once the first is killed, the next start is not locked out.
TEST_F(PosixFaultTest, ASecondEditorIsTurnedAwayUntilTheFirstIsGone) {
    int toParent[2], toChild[2];
    ASSERT_EQ(pipe(toParent), 0);
    ASSERT_EQ(pipe(toChild), 0);
    std::cout.flush();
    pid_t first = fork();
    ASSERT_GE(first, 0);
    if (first == 0) {
        ProgramRun holder;
        holder.user = [&](TestDialogWindow& window, const std::string&) {
            window.ClearText(IDC_LABEL_EDIT);
            window.Type(IDC_LABEL_EDIT, "First editor");
            window.Click(IDC_APPLY);
            char byte = 'R';
            if (write(toParent[1], &byte, 1) != 1)
                _exit(kExitUnexpected);
            if (read(toChild[0], &byte, 1) < 0)  // held open until killed
                _exit(kExitUnexpected);
            window.PressCancel();
        };
        RunChild(holder);
    }
    char byte = 0;
    ASSERT_EQ(read(toParent[0], &byte, 1), 1);
    const std::string staging = ReadBytes(Drive("BOOT.TMP"));
    ASSERT_NE(staging.find("First editor"), std::string::npos);

    const RunOutcome second = Run({});
    EXPECT_TRUE(second.Ended());
    EXPECT_EQ(second.messages, std::vector<std::string>{kAlreadyEditing});
    EXPECT_EQ(ReadBytes(Drive("BOOT.TMP")), staging);
    EXPECT_EQ(ReadBytes(Drive("BOOT.INI")), kOldBootIni);

    kill(first, SIGKILL);
    int status = 0;
    waitpid(first, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    const RunOutcome third = Run({});
    EXPECT_TRUE(third.Ended());
    EXPECT_EQ(third.messages, std::vector<std::string>{kQuestion});
    EXPECT_EQ(ReadBytes(Drive("BOOT.INI")), NewBootIni());
    g_faultsInjected += 2;
}

struct DriveFault {
    const char* name;
    bool asNobody;  // runs as another user than root, who keeps what setUp gives back to it
    std::function<void(PosixFaultTest&)> setUp;  // in the parent, just before the run
    Meanwhile meanwhile;                         // between the user's Apply and OK
    std::vector<std::string> messages;           // what the user is told, in order
    const char* bootIni;                         // "old" or "new"
};

class PosixDriveFaultTest : public PosixFaultTest,
                            public ::testing::WithParamInterface<DriveFault> {};

TEST_P(PosixDriveFaultTest, TellsTheUserAndLosesNothing) {
    const DriveFault& fault = GetParam();
    if (fault.asNobody && geteuid() != 0)
        GTEST_SKIP() << "needs root to make files owned by another user";
    ProgramRun run;
    run.asNobody = fault.asNobody;
    run.user = [&](TestDialogWindow& window, const std::string& drive) {
        ChangeLabel(window, drive, fault.meanwhile);
    };
    run.beforeFork = [&] { fault.setUp(*this); };
    const RunOutcome outcome = Run(run);
    if (outcome.Skipped())
        GTEST_SKIP() << "the machine does not let this test change to user nobody";
    ASSERT_TRUE(outcome.Ended());
    EXPECT_EQ(outcome.messages, fault.messages);
    const std::string expected =
        std::string(fault.bootIni) == "new" ? NewBootIni() : std::string(kOldBootIni);
    EXPECT_EQ(ReadBytes(Drive("BOOT.INI")), expected);
    if (!fs::is_symlink(Drive("BOOT.BAK"))) {
        const std::string backup = ReadBytes(Drive("BOOT.BAK"));
        EXPECT_TRUE(backup == kEarlierBackup || backup == kOldBootIni) << backup;
    }
    EXPECT_FALSE(fs::exists(Drive("BOOT.LCK")));
    EXPECT_EQ(ReadBytes(m_victim), "victim\n");
    ++g_faultsInjected;
}

const char kCopyFailed[] = "Tarnwick Unable to make a copy of boot.ini";
const char kAttributesFailed[] = "Tarnwick Unable to modify attributes of boot.tmp";

void Link(const std::string& target, const std::string& link) {
    fs::remove(link);
    fs::create_symlink(target, link);
}

const DriveFault kDriveFaults[] = {
    {"ReadOnlyDriveFolder",
     true,
     [](PosixFaultTest& t) { chmod(t.m_drive.c_str(), 0555); },
     nullptr,
     {"Tarnwick V1.0 needs Administrator Privileges in order to run"},
     "old"},
    {"BootIniOwnedByAnotherUser",
     true,
     [](PosixFaultTest& t) {
         EXPECT_EQ(chown(t.Drive("BOOT.INI").c_str(), 0, 0), 0);
         chmod(t.Drive("BOOT.INI").c_str(), 0444);
     },
     nullptr,
     {kQuestion, "Unable to modify BOOT.INI exiting"},
     "old"},
    {"ReadOnlyBackup",
     false,
     [](PosixFaultTest& t) { chmod(t.Drive("BOOT.BAK").c_str(), 0444); },
     nullptr,
     {kQuestion, "Unable to backup BOOT.INI exiting"},
     "old"},
    {"ReadOnlyStagingFileLeftBehind",
     false,
     [](PosixFaultTest& t) {
         WriteBytes(t.Drive("BOOT.TMP"), "stale\r\n");
         chmod(t.Drive("BOOT.TMP").c_str(), 0444);
     },
     nullptr,
     {kCopyFailed},
     "old"},
    {"BootIniVanishes",
     false,
     [](PosixFaultTest&) {},
     [](const std::string& drive) { unlink((drive + "/BOOT.INI").c_str()); },
     {kQuestion,
      "BOOT.INI was removed by another program after Tarnwick started.\n\nPress OK to write your "
      "edits as a new BOOT.INI, or Cancel to leave the drive without one. Your edits remain in "
      "BOOT.TMP until Tarnwick starts again."},
     "new"},
    {"StagingFileVanishes",
     false,
     [](PosixFaultTest&) {},
     [](const std::string& drive) { unlink((drive + "/BOOT.TMP").c_str()); },
     {kQuestion, "Unable to overwrite BOOT.INI exiting"},
     "old"},
    {"BackupBecomesALink",
     false,
     [](PosixFaultTest&) {},
     [](const std::string& drive) { Link(drive + "/../victim", drive + "/BOOT.BAK"); },
     {kQuestion,
      "BOOT.BAK is a link to another file, and Tarnwick never writes through links, so BOOT.INI "
      "was not changed."},
     "old"},
    {"StagingFileIsALink",
     false,
     [](PosixFaultTest& t) { Link(t.m_victim, t.Drive("BOOT.TMP")); },
     nullptr,
     {"Tarnwick will not use BOOT.TMP: it is a link to another file, and Tarnwick never reads or "
      "writes through links. Nothing was changed."},
     "old"},
};

INSTANTIATE_TEST_SUITE_P(Faults, PosixDriveFaultTest, ::testing::ValuesIn(kDriveFaults),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

// A file size limit stands in for a full disk on any machine: every write past it fails.
TEST_F(PosixFaultTest, AFullDiskAtStartOrDuringAnApplyIsToldAndLosesNothing) {
    struct Case {
        const char* name;
        rlim_t limit;
        std::vector<std::string> messages;
        const char* staging;  // expected BOOT.TMP afterwards: "none" or "old"
    };
    const rlim_t size = std::string(kOldBootIni).size();
    for (const Case& testCase : {
             Case{"no room for the staging copy", 64, {kCopyFailed, kAttributesFailed}, "none"},
             // The new label makes the line longer: the rewrite fails, the old lines go back.
             Case{"no room for a longer line",
                  size,
                  {"Unable to write BOOT.TMP. The change was not made; BOOT.TMP still holds the "
                   "lines as they were before it."},
                  "old"},
         }) {
        Reset();
        ProgramRun run;
        run.user = [](TestDialogWindow& window, const std::string&) {
            window.Type(IDC_LABEL_EDIT, ", a label that makes the line longer than it was");
            window.Click(IDC_APPLY);
            window.PressOK();
        };
        run.prepare = [&] {
            signal(SIGXFSZ, SIG_IGN);  // writes past the limit fail with EFBIG instead
            rlimit limit;
            if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
                return false;
            limit.rlim_cur = testCase.limit;
            return setrlimit(RLIMIT_FSIZE, &limit) == 0;
        };
        const RunOutcome outcome = Run(run);
        ASSERT_TRUE(outcome.Ended()) << testCase.name;
        EXPECT_EQ(outcome.messages, testCase.messages) << testCase.name;
        EXPECT_EQ(ReadBytes(Drive("BOOT.INI")), kOldBootIni) << testCase.name;
        EXPECT_EQ(ReadBytes(Drive("BOOT.BAK")), kEarlierBackup) << testCase.name;
        if (std::string(testCase.staging) == "old") {
            EXPECT_EQ(ReadBytes(Drive("BOOT.TMP")), kOldBootIni) << testCase.name;
        } else {
            EXPECT_FALSE(fs::exists(Drive("BOOT.TMP"))) << testCase.name;
        }
        ++g_faultsInjected;
    }
}

// A real full disk: a small tmpfs mounted in the child's own mount namespace, filled up while
// the editor is open. The child copies the files out before its namespace goes away.
TEST_F(PosixFaultTest, ADiskThatFillsUpBeforeTheCommitIsToldAndLosesNothing) {
    const std::string copies = m_root + "/copies";
    fs::create_directories(copies);
    ProgramRun run;
    std::string reason;
    run.prepare = [&] {
        if (unshare(CLONE_NEWNS) != 0)
            return false;
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return false;
        if (mount("tarnwick-full", m_drive.c_str(), "tmpfs", 0, "size=64k") != 0)
            return false;
        WriteBytes(Drive("BOOT.INI"), kOldBootIni);
        WriteBytes(Drive("BOOT.BAK"), kEarlierBackup);
        return true;
    };
    run.user = [&](TestDialogWindow& window, const std::string& drive) {
        window.ClearText(IDC_LABEL_EDIT);
        window.Type(IDC_LABEL_EDIT, kNewLabel);
        window.Click(IDC_APPLY);
        // Another program fills the disk.
        int filler = open((drive + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
        std::string block(4096, 'x');
        while (write(filler, block.data(), block.size()) > 0) {
        }
        close(filler);
        window.PressOK();
    };
    run.afterwards = [&] {
        for (const char* name : {"BOOT.INI", "BOOT.BAK", "BOOT.TMP"})
            WriteBytes(copies + "/" + name, ReadBytes(Drive(name)));
        WriteBytes(copies + "/entries", std::to_string(Entries(m_drive).size()));
    };
    const RunOutcome outcome = Run(run);
    if (outcome.Skipped())
        GTEST_SKIP() << "the machine does not let this test mount a small tmpfs";
    ASSERT_TRUE(outcome.Ended());
    EXPECT_EQ(outcome.messages,
              (std::vector<std::string>{kQuestion, "Unable to backup BOOT.INI exiting"}));
    EXPECT_EQ(ReadBytes(copies + "/BOOT.INI"), kOldBootIni);
    EXPECT_EQ(ReadBytes(copies + "/BOOT.BAK"), kEarlierBackup);
    EXPECT_NE(ReadBytes(copies + "/BOOT.TMP").find(kNewLabel), std::string::npos);
    // BOOT.INI, BOOT.BAK, BOOT.TMP and the filler: no temporary file, no lock file.
    EXPECT_EQ(ReadBytes(copies + "/entries"), "4");
    ++g_faultsInjected;
}

// Prints the figure of this file once all its tests ran.
class FiguresPrinter : public ::testing::Environment {
public:
    void TearDown() override {
        if (g_faultsInjected > 0) {
            std::cout << "[ figures  ] POSIX platform: " << g_faultsInjected
                      << " faults in all (kills, full disks, read-only files, vanishing files, "
                         "links, a second editor), nothing lost\n";
        }
    }
};
[[maybe_unused]] const auto* const kFiguresPrinter =
    ::testing::AddGlobalTestEnvironment(new FiguresPrinter);

}  // namespace
