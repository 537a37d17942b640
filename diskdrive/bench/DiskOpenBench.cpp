// How long it takes to open a disk and find drive C: on it: a sparse 4 GiB raw image and the
// same disk as qcow2 (through qemu-storage-daemon), with an MBR and a FAT16 partition at 1 MiB
// holding BOOT.INI. Built, not run by CTest:
//   build/native/diskdrive/bench/disk_open_bench
// "open" is DiskContext::Open (checks, table, file systems) and Close; "drive" adds the look at
// every partition for a BOOT.INI and the open of drive C: for writing.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "diskdrive/DiskDrive.h"

namespace {

std::string g_folder;

std::string Image(const char* name) {
    return g_folder + "/" + name;
}

bool MakeImages() {
    g_folder = std::filesystem::temp_directory_path().string() + "/tarnwick-bench-disk";
    std::filesystem::create_directories(g_folder);
    const std::string raw = Image("disk.img");
    const std::string script =
        "set -e; rm -f '" + raw + "'; truncate -s 4G '" + raw +
        "'; printf 'label: dos\\nstart=2048, size=1048576, type=6\\n' | sfdisk -q '" + raw +
        "'; mkfs.fat -F 16 -n XP --offset 2048 '" + raw +
        "' 524288 >/dev/null; printf '[boot loader]\\r\\ntimeout=30\\r\\n' >'" + g_folder +
        "/BOOT.INI'; MTOOLSRC=/dev/null MTOOLS_SKIP_CHECK=1 mcopy -i '" + raw + "@@1M' '" +
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
