// The storage daemon is started as
//   qemu-storage-daemon --blockdev driver=file,node-name=f,filename=IMAGE
//       --blockdev driver=FORMAT,node-name=q,file=f
//       --export type=fuse,id=e,node-name=q,mountpoint=VIEW,writable=on|off
// with VIEW an empty file in a private folder. The view is ready when VIEW's device number
// changes (the FUSE mount is over it); its size is then the image's virtual size.
//
// The daemon must not outlive Tarnwick, whose edits would otherwise sit in a mount nobody
// unmounts: it runs in a process group of its own (a Ctrl+C at the terminal reaches Tarnwick,
// not it), gets SIGTERM from the kernel when Tarnwick dies however it dies (PR_SET_PDEATHSIG),
// and SIGINT, SIGTERM or SIGHUP to Tarnwick stop every daemon and remove the folders before the
// signal does what it did before. On SIGTERM the daemon flushes the image and unmounts.
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

// Daemons the signal handler stops: fixed storage, as a handler may not allocate.
constexpr int kSlots = 8;
struct DaemonSlot {
    volatile sig_atomic_t pid;
    char view[512];
    char log[512];
    char folder[512];
};
DaemonSlot g_slots[kSlots];
struct sigaction g_previous[3];
const int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
bool g_handlerInstalled = false;

void SleepMilliseconds(long milliseconds) {
    timespec pause{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
}

// Async-signal-safe: kill, waitpid, nanosleep, unlink, rmdir.
void StopDaemonsNow() {
    for (DaemonSlot& slot : g_slots) {
        const pid_t pid = slot.pid;
        if (pid <= 0)
            continue;
        kill(pid, SIGTERM);
        for (int i = 0; i < 200 && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
            SleepMilliseconds(10);
        slot.pid = 0;
        unlink(slot.view);
        unlink(slot.log);
        rmdir(slot.folder);
    }
}

void OnSignal(int signalNumber) {
    const int savedErrno = errno;
    StopDaemonsNow();
    for (int i = 0; i < 3; ++i) {
        if (kSignals[i] != signalNumber)
            continue;
        const struct sigaction& previous = g_previous[i];
        if (!(previous.sa_flags & SA_SIGINFO) && previous.sa_handler == SIG_IGN)
            break;
        if (!(previous.sa_flags & SA_SIGINFO) && previous.sa_handler != SIG_DFL &&
            previous.sa_handler != nullptr) {
            previous.sa_handler(signalNumber);
            break;
        }
        if ((previous.sa_flags & SA_SIGINFO) && previous.sa_sigaction) {
            previous.sa_sigaction(signalNumber, nullptr, nullptr);
            break;
        }
        sigaction(signalNumber, &previous, nullptr);
        raise(signalNumber);
        break;
    }
    errno = savedErrno;
}

void InstallSignalHandler() {
    if (g_handlerInstalled)
        return;
    g_handlerInstalled = true;
    for (int i = 0; i < 3; ++i) {
        struct sigaction action;
        std::memset(&action, 0, sizeof action);
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        for (int other : kSignals)
            sigaddset(&action.sa_mask, other);
        sigaction(kSignals[i], &action, &g_previous[i]);
    }
}

bool CopyInto(char* target, std::size_t size, const std::string& text) {
    if (text.size() >= size)
        return false;
    std::memcpy(target, text.c_str(), text.size() + 1);
    return true;
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

    int slot = -1;
    for (int i = 0; i < kSlots && slot < 0; ++i) {
        if (g_slots[i].pid == 0 && CopyInto(g_slots[i].view, sizeof g_slots[i].view, viewPath_) &&
            CopyInto(g_slots[i].log, sizeof g_slots[i].log, logPath) &&
            CopyInto(g_slots[i].folder, sizeof g_slots[i].folder, folder_))
            slot = i;
    }

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
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    InstallSignalHandler();
    sigset_t blocked, previousMask;
    sigemptyset(&blocked);
    for (int signalNumber : kSignals)
        sigaddset(&blocked, signalNumber);
    sigprocmask(SIG_BLOCK, &blocked, &previousMask);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(126);
        for (int signalNumber : kSignals)
            signal(signalNumber, SIG_DFL);
        sigprocmask(SIG_SETMASK, &previousMask, nullptr);
        const int null = open("/dev/null", O_RDONLY);
        const int log = open(logPath.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
        if (null >= 0)
            dup2(null, 0);
        if (log >= 0) {
            dup2(log, 1);
            dup2(log, 2);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid > 0) {
        pid_ = pid;
        slot_ = slot;
        if (slot >= 0)
            g_slots[slot].pid = pid;
    }
    sigprocmask(SIG_SETMASK, &previousMask, nullptr);
    if (pid < 0) {
        const std::string why = std::strerror(errno);
        Stop();
        return DiskStatus::Failure(DiskError::kContainerFailed,
                                   "qemu-storage-daemon can't be started: " + why + ".");
    }

    for (int waited = 0; waited < programs.startTimeoutMs; waited += 5) {
        int exitStatus = 0;
        if (waitpid(pid_, &exitStatus, WNOHANG) == pid_) {
            pid_ = -1;
            if (slot_ >= 0)
                g_slots[slot_].pid = 0;
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
        int waited = 0;
        while (waitpid(pid_, nullptr, WNOHANG) == 0) {
            if (waited >= 10000) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
                clean = false;
                break;
            }
            SleepMilliseconds(5);
            waited += 5;
        }
        pid_ = -1;
    }
    if (slot_ >= 0)
        g_slots[slot_].pid = 0;
    slot_ = -1;
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
