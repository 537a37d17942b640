// The storage daemon is started as
//   qemu-storage-daemon --blockdev driver=file,node-name=f,filename=IMAGE
//       --blockdev driver=FORMAT,node-name=q,file=f
//       --export type=fuse,id=e,node-name=q,mountpoint=VIEW,writable=on|off
// with VIEW an empty file in a private folder. The view is ready when VIEW's device number
// changes (the FUSE mount is over it); its size is then the image's virtual size.
//
// The daemon must not outlive Tarnwick, whose edits would otherwise sit in a mount nobody
// unmounts, however Tarnwick ends (the terminal toolkit's own signal handlers end it with abort(),
// SIGKILL can't be caught). So Tarnwick forks a guardian, which starts the daemon and waits:
// - the guardian and the daemon run in a process group of their own, so a Ctrl+C at the
//   terminal reaches Tarnwick only;
// - the kernel sends the guardian SIGTERM when Tarnwick dies (PR_SET_PDEATHSIG), and Stop() sends
//   it the same; the guardian then stops the daemon with SIGTERM (QEMU flushes the image and
//   unmounts), waits for it (SIGKILL and a lazy unmount after 10 s), and, when Tarnwick is gone,
//   removes the view's folder itself;
// - when the daemon ends on its own (it could not open the image), the guardian ends with it and
//   Tarnwick reads QEMU's words from the log.
// Between fork and exec only async-signal-safe calls are made: everything is prepared before.

#include "disk/linux/QemuView.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <vector>

namespace disk {

namespace {

void SleepMilliseconds(long milliseconds) {
    timespec pause{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
}

constexpr int kStopWaitMs = 10000;

// Everything the guardian needs, made before it is forked.
struct GuardianPlan {
    std::vector<char*> daemonArgv;
    std::vector<char*> unmountArgv;  // empty when there is no fusermount3
    const char* logPath;
    const char* viewPath;
    const char* folder;
    pid_t tarnwick;
    sigset_t originalMask;
};

[[noreturn]] void RunGuardian(const GuardianPlan& plan) {
    // Nothing of Tarnwick's stays open here: not the image, nor its lock, which would outlive a
    // Tarnwick that died and keep the next one off.
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
    }
    if (close_range(3, ~0U, 0) != 0) {
        for (int fd = 3; fd < 65536; ++fd)
            close(fd);
    }
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != plan.tarnwick)
        _exit(126);
    const pid_t daemon = fork();
    if (daemon == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        sigprocmask(SIG_SETMASK, &plan.originalMask, nullptr);
        const int log = open(plan.logPath, O_CREAT | O_TRUNC | O_WRONLY, 0600);
        if (log >= 0) {
            dup2(log, 1);
            dup2(log, 2);
        }
        execv(plan.daemonArgv[0], plan.daemonArgv.data());
        _exit(127);
    }
    if (daemon < 0)
        _exit(125);
    sigset_t waitFor;
    sigemptyset(&waitFor);
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP, SIGCHLD})
        sigaddset(&waitFor, signalNumber);
    for (;;) {
        const int signalNumber = sigwaitinfo(&waitFor, nullptr);
        int status = 0;
        if (signalNumber == SIGCHLD && waitpid(daemon, &status, WNOHANG) == daemon)
            _exit(WIFEXITED(status) ? 100 + (WEXITSTATUS(status) & 15) : 124);
        if (signalNumber == SIGTERM || signalNumber == SIGINT || signalNumber == SIGHUP)
            break;
    }
    kill(daemon, SIGTERM);
    bool killed = false;
    for (int waited = 0; waitpid(daemon, nullptr, WNOHANG) == 0; waited += 5) {
        if (waited >= kStopWaitMs) {
            kill(daemon, SIGKILL);
            waitpid(daemon, nullptr, 0);
            killed = true;
            break;
        }
        SleepMilliseconds(5);
    }
    if (killed && !plan.unmountArgv.empty()) {
        const pid_t unmount = fork();
        if (unmount == 0) {
            execv(plan.unmountArgv[0], plan.unmountArgv.data());
            _exit(127);
        }
        if (unmount > 0)
            waitpid(unmount, nullptr, 0);
    }
    if (getppid() != plan.tarnwick) {
        unlink(plan.viewPath);
        unlink(plan.logPath);
        rmdir(plan.folder);
    }
    _exit(killed ? 1 : 0);
}

// The program's full path: as given when it holds a slash, else the first match on PATH.
std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::string();
}

std::string ReadLog(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    std::string log = text.str();
    while (!log.empty() && (log.back() == '\n' || log.back() == ' '))
        log.pop_back();
    // QEMU starts its lines with its own name.
    const std::string prefix = "qemu-storage-daemon: ";
    if (log.compare(0, prefix.size(), prefix) == 0)
        log.erase(0, prefix.size());
    return log;
}

// Runs fusermount3 -u -z on a view a dead daemon left mounted.
void LazyUnmount(const std::string& fusermount, const std::string& view) {
    if (fusermount.empty())
        return;
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 1);
            dup2(null, 2);
        }
        execl(fusermount.c_str(), fusermount.c_str(), "-u", "-z", "-q", view.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid > 0)
        waitpid(pid, nullptr, 0);
}

bool IsMountedOver(const std::string& view, dev_t folderDevice) {
    struct stat info;
    return stat(view.c_str(), &info) == 0 && info.st_dev != folderDevice;
}

}  // namespace

std::string EscapeQemuOptionValue(const std::string& value) {
    std::string escaped;
    for (char c : value) {
        escaped += c;
        if (c == ',')
            escaped += ',';
    }
    return escaped;
}

DiskStatus QemuView::Start(const std::string& image, const char* driver, const char* formatName,
                           bool readOnly, const QemuPrograms& programs) {
    Stop();
    const std::string opened = std::string(formatName) + " images are opened through ";
    const std::string daemon = FindProgram(programs.storageDaemon);
    if (daemon.empty())
        return DiskStatus::Failure(DiskError::kMissingProgram,
                                   opened +
                                       "qemu-storage-daemon (Debian package qemu-system-common), "
                                       "which is not installed.");
    if (access(programs.fuseDevice.c_str(), R_OK | W_OK) != 0)
        return DiskStatus::Failure(
            DiskError::kMissingProgram,
            opened + "FUSE, and " + programs.fuseDevice +
                (errno == ENOENT ? " does not exist on this machine (load the fuse module, or "
                                   "give the container the device)."
                                 : " can't be opened: " + std::string(std::strerror(errno)) + "."));
    fusermount_ = FindProgram(programs.fusermount);
    if (fusermount_.empty() && geteuid() != 0)
        return DiskStatus::Failure(DiskError::kMissingProgram,
                                   opened +
                                       "FUSE with fusermount3 (Debian package fuse3), which "
                                       "is not installed.");

    const char* temporary = std::getenv("TMPDIR");
    std::string pattern =
        std::string(temporary && *temporary ? temporary : "/tmp") + "/tarnwick-view-XXXXXX";
    std::vector<char> folderName(pattern.begin(), pattern.end());
    folderName.push_back('\0');
    if (!mkdtemp(folderName.data()))
        return DiskStatus::Failure(DiskError::kContainerFailed,
                                   "No temporary folder for the " + std::string(formatName) +
                                       " image's view: " + std::strerror(errno) + ".");
    folder_ = folderName.data();
    viewPath_ = folder_ + "/disk";
    const std::string logPath = folder_ + "/qemu.log";
    const int view = open(viewPath_.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (view >= 0)
        close(view);
    struct stat folderInfo;
    stat(folder_.c_str(), &folderInfo);

    const std::string readOnlyOption = readOnly ? ",read-only=on" : "";
    std::vector<std::string> arguments = {
        daemon,
        "--blockdev",
        "driver=file,node-name=f,filename=" + EscapeQemuOptionValue(image) + readOnlyOption,
        "--blockdev",
        std::string("driver=") + driver + ",node-name=q,file=f" + readOnlyOption,
        "--export",
        "type=fuse,id=e,node-name=q,mountpoint=" + EscapeQemuOptionValue(viewPath_) +
            ",writable=" + (readOnly ? "off" : "on"),
    };
    std::vector<std::string> unmount = {fusermount_, "-u", "-z", "-q", viewPath_};
    GuardianPlan plan;
    for (std::string& argument : arguments)
        plan.daemonArgv.push_back(argument.data());
    plan.daemonArgv.push_back(nullptr);
    if (!fusermount_.empty()) {
        for (std::string& argument : unmount)
            plan.unmountArgv.push_back(argument.data());
        plan.unmountArgv.push_back(nullptr);
    }
    plan.logPath = logPath.c_str();
    plan.viewPath = viewPath_.c_str();
    plan.folder = folder_.c_str();
    plan.tarnwick = getpid();

    // The guardian takes its signals with sigwaitinfo: they are blocked from the fork on.
    sigset_t blocked;
    sigemptyset(&blocked);
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP, SIGCHLD})
        sigaddset(&blocked, signalNumber);
    sigprocmask(SIG_BLOCK, &blocked, &plan.originalMask);
    const pid_t pid = fork();
    if (pid == 0)
        RunGuardian(plan);
    sigprocmask(SIG_SETMASK, &plan.originalMask, nullptr);
    if (pid < 0) {
        const std::string why = std::strerror(errno);
        Stop();
        return DiskStatus::Failure(DiskError::kContainerFailed,
                                   "qemu-storage-daemon can't be started: " + why + ".");
    }
    pid_ = pid;

    for (int waited = 0; waited < programs.startTimeoutMs; waited += 5) {
        int exitStatus = 0;
        if (waitpid(pid_, &exitStatus, WNOHANG) == pid_) {
            pid_ = -1;
            std::string log = ReadLog(logPath);
            Stop();
            if (log.empty())
                log = "it ended at once";
            return DiskStatus::Failure(
                DiskError::kContainerFailed,
                "QEMU could not open the " + std::string(formatName) + " image: " + log + ".");
        }
        if (IsMountedOver(viewPath_, folderInfo.st_dev)) {
            struct stat info;
            stat(viewPath_.c_str(), &info);
            size_ = static_cast<std::uint64_t>(info.st_size);
            return DiskStatus::Success();
        }
        SleepMilliseconds(5);
    }
    Stop();
    return DiskStatus::Failure(DiskError::kContainerFailed,
                               "QEMU did not show the " + std::string(formatName) +
                                   " image within " +
                                   std::to_string(programs.startTimeoutMs / 1000) + " seconds.");
}

bool QemuView::Stop() {
    bool clean = true;
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        int waited = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (waited >= kStopWaitMs + 5000) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                break;
            }
            SleepMilliseconds(5);
            waited += 5;
        }
        clean = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        pid_ = -1;
    }
    if (!folder_.empty()) {
        struct stat folderInfo;
        if (stat(folder_.c_str(), &folderInfo) == 0 && IsMountedOver(viewPath_, folderInfo.st_dev))
            LazyUnmount(fusermount_, viewPath_);
        unlink(viewPath_.c_str());
        unlink((folder_ + "/qemu.log").c_str());
        rmdir(folder_.c_str());
    }
    folder_.clear();
    viewPath_.clear();
    size_ = 0;
    return clean;
}

}  // namespace disk
