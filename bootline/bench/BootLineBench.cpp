// Lines per second for ParseLine and ComposeLine on lines as they stand in real BOOT.INI files.
#include <benchmark/benchmark.h>

#include "bootline/BootLine.h"

namespace {

const char* const kLines[] = {
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect",
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"XP kernel debugging\" /fastdetect /debug "
    "/debugport=com2 /baudrate=115200",
    "signature(8b467c12)disk(1)rdisk(0)partition(1)\\WINDOWS=\"Checked build, many switches\" "
    "/noexecute=optout /fastdetect /PAE /3GB /USERVA=3030 /MAXMEM=4096 /HAL=halmacpi.chk "
    "/KERNEL=ntkrnlmp.chk /sos /bootlog /basevideo /onecpu /crashdebug /NUMPROC=1 "
    "/BURNMEMORY=128 /INTAFFINITY /NOGUIBOOT /PCILOCK /redirect",
};

void BM_ParseLine(benchmark::State& state) {
    const char* line = kLines[state.range(0)];
    CBootLine record;
    for (auto _ : state) {
        benchmark::DoNotOptimize(record.ParseLine(line));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(record.m_strLabel.GetString());
}

void BM_ComposeLine(benchmark::State& state) {
    CBootLine record;
    record.ParseLine(kLines[state.range(0)]);
    CString line;
    for (auto _ : state) {
        benchmark::DoNotOptimize(record.ComposeLine(line));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(record.m_strLabel.GetString());
}

BENCHMARK(BM_ParseLine)->DenseRange(0, 2);
BENCHMARK(BM_ComposeLine)->DenseRange(0, 2);

}  // namespace

BENCHMARK_MAIN();
