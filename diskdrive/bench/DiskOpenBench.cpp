// How long it takes to open a disk and find drive C: on it: a sparse 4 GiB raw image and the
// same disk as qcow2 (through qemu-storage-daemon), with an MBR and a FAT16 partition at 1 MiB
// holding BOOT.INI. Built, not run by CTest:
//   build/native/diskdrive/bench/disk_open_bench
// "open" is DiskContext::Open (checks, table, file systems) and Close; "drive" adds the look at
// every partition for a BOOT.INI and the open of drive C: for writing. "EditorStart" is the work
// before the editor's first frame (drive C: opened, locked, the staging copy made and read back,
// its lines read), "EditorCommit" one Apply (the staging file rewritten) and the commit of OK;
// both on the raw image and beside them on a folder holding the same BOOT.INI.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "diskdrive/DiskDrive.h"
#include "platform/Platform.h"
#include "platform/posix/PosixPlatform.h"
#include "store/Commit.h"
#include "store/StagingFile.h"

namespace {

std::string g_folder;

std::string Image(const char* name) {
    return g_folder + "/" + name;
}

bool MakeImages() {
    g_folder = std::filesystem::temp_directory_path().string() + "/tarnwick-bench-disk";
    std::filesystem::create_directories(g_folder);
    const std::string raw = Image("disk.img");
    {
        std::ofstream bootIni(g_folder + "/BOOT.INI", std::ios::binary);
        bootIni << "[boot loader]\r\ntimeout=30\r\n[operating systems]\r\n"
                   "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\" /fastdetect\r\n";
    }
    const std::string script =
        "set -e; rm -f '" + raw + "'; truncate -s 4G '" + raw +
        "'; printf 'label: dos\\nstart=2048, size=1048576, type=6\\n' | sfdisk -q '" + raw +
        "'; mkfs.fat -F 16 -n XP --offset 2048 '" + raw + "' 524288 >/dev/null; rm -rf '" +
        Image("drive") + "'; mkdir '" + Image("drive") + "'; cp '" + g_folder + "/BOOT.INI' '" +
        Image("drive") + "/'; MTOOLSRC=/dev/null MTOOLS_SKIP_CHECK=1 mcopy -i '" + raw + "@@1M' '" +
        g_folder + "/BOOT.INI' ::/BOOT.INI; rm -f '" + Image("disk.qcow2") +
        "'; qemu-img convert -O qcow2 '" + raw + "' '" + Image("disk.qcow2") + "'";
    return std::system(script.c_str()) == 0;
}

void PeakMemory(benchmark::State& state) {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void OpenDisk(benchmark::State& state, const char* name) {
    for (auto _ : state) {
        disk::DiskContext context;
        const disk::DiskStatus status = context.Open(Image(name));
        if (!status.Ok()) {
            state.SkipWithError(status.message.c_str());
            break;
        }
        benchmark::DoNotOptimize(context.Layout().partitions.size());
        context.Close();
    }
    PeakMemory(state);
}

void OpenDrive(benchmark::State& state, const char* name) {
    for (auto _ : state) {
        DiskDrive drive;
        const disk::DiskStatus status = drive.Open(Image(name));
        std::string error;
        if (!status.Ok() || drive.WithBootIni().size() != 1 ||
            !drive.OpenDrive(drive.WithBootIni().front(), error)) {
            state.SkipWithError((status.message + error).c_str());
            break;
        }
    }
    PeakMemory(state);
}

// The commit's questions are never asked here: nothing changes the file behind it.
class NoQuestions : public ICommitDecisions {
public:
    BOOL CommitOverChange(const std::string&, BOOL) override { return FALSE; }
    void ReportFailure(const std::string&) override {}
};

// The editor's start on the platform: true with the lines read, as the first frame needs them.
bool StartEditor(IPlatform& platform, std::unique_ptr<IExclusiveLock>& lock, std::string& atStart,
                 std::unique_ptr<ITextStream>& staging) {
    if (platform.LockExclusively(kLockPath, lock) != LockOutcome::kLocked ||
        !platform.CopyFileTo(kBootIniPath, kStagingPath, FALSE) ||
        !platform.WriteFileAttributes(kStagingPath, FILE_ATTRIBUTE_NORMAL) ||
        !platform.ReadWholeFile(kStagingPath, atStart))
        return false;
    staging = platform.OpenTextStream(kStagingPath);
    if (!staging)
        return false;
    CStringArray lines;
    CString line;
    while (staging->ReadLine(line))
        lines.Add(line);
    return lines.GetSize() > 0;
}

// One Apply (the staging file rewritten whole, one switch added) and the commit of OK.
bool ApplyAndCommit(std::unique_ptr<ITextStream>& staging, const std::string& atStart) {
    NoQuestions decisions;
    const bool applied =
        staging->Rewind() && staging->Truncate() && staging->WriteLine("[boot loader]") &&
        staging->WriteLine("timeout=30") && staging->WriteLine("[operating systems]") &&
        staging->WriteLine(
            "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP\" /fastdetect /sos") &&
        staging->Flush();
    staging->Close();
    staging.reset();
    return applied && CommitStagingFile(atStart, decisions);
}

// Drive C: as the program opens it: the folder, or the FAT partition of the raw image.
using DriveOpener = IPlatform* (*)(std::unique_ptr<DiskDrive>&, std::string&);

IPlatform* OpenFolder(std::unique_ptr<DiskDrive>&, std::string&) {
    static PosixPlatform folder(Image("drive"));
    return &folder;
}

IPlatform* OpenImage(std::unique_ptr<DiskDrive>& drive, std::string& error) {
    drive = std::make_unique<DiskDrive>();
    const disk::DiskStatus status = drive->Open(Image("disk.img"));
    if (!status.Ok() || drive->WithBootIni().size() != 1) {
        error = status.message + " (no single BOOT.INI)";
        return nullptr;
    }
    return drive->OpenDrive(drive->WithBootIni().front(), error);
}

void EditorStart(benchmark::State& state, DriveOpener open) {
    for (auto _ : state) {
        std::unique_ptr<DiskDrive> drive;
        std::string error, atStart;
        std::unique_ptr<IExclusiveLock> lock;
        std::unique_ptr<ITextStream> staging;
        IPlatform* platform = open(drive, error);
        if (!platform || !StartEditor(*platform, lock, atStart, staging)) {
            state.SkipWithError(("the editor could not start: " + error).c_str());
            break;
        }
        staging->Close();
    }
    PeakMemory(state);
}

void EditorCommit(benchmark::State& state, DriveOpener open) {
    std::unique_ptr<DiskDrive> drive;
    std::string error;
    IPlatform* platform = open(drive, error);
    if (!platform) {
        state.SkipWithError(error.c_str());
        return;
    }
    SetPlatform(platform);
    for (auto _ : state) {
        state.PauseTiming();
        std::string atStart;
        std::unique_ptr<IExclusiveLock> lock;
        std::unique_ptr<ITextStream> staging;
        const bool started = StartEditor(*platform, lock, atStart, staging);
        state.ResumeTiming();
        if (!started || !ApplyAndCommit(staging, atStart)) {
            state.SkipWithError("Apply or the commit failed");
            break;
        }
    }
    SetPlatform(nullptr);
    PeakMemory(state);
}

BENCHMARK_CAPTURE(EditorStart, folder, OpenFolder)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EditorStart, raw_4GiB, OpenImage)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EditorCommit, folder, OpenFolder)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EditorCommit, raw_4GiB, OpenImage)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenDisk, raw_4GiB, "disk.img")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenDisk, qcow2_4GiB, "disk.qcow2")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenDrive, raw_4GiB, "disk.img")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenDrive, qcow2_4GiB, "disk.qcow2")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!MakeImages())
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(g_folder);
    return 0;
}
