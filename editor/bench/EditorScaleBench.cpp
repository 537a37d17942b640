// How the editor's cost grows with the number of boot lines: for 10, 1,000 and 10,000 lines,
// the first frame (the dialog built, its lines listed and drawn) and one Apply (a switch ticked
// and applied, the staging file rewritten, the list refilled and drawn), on the terminal back-end
// and on the in-memory test back-end, beside reading and writing the staging file once.
//
// The terminal back-end runs FINAL CUT on a pseudo-terminal of 100x32 whose output a thread
// reads and drops; the benchmark's own report goes to the original standard output.
// Times are taken inside the dialog's event loop (FINAL CUT timer), so waiting for input is left
// out: each figure is the work from the request to the frame on the terminal.
#include <benchmark/benchmark.h>
#include <pty.h>
#include <unistd.h>
#include <ext/stdio_filebuf.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include <final/final.h>

#include "app/BootEditApp.h"
#include "editor/BootEditDlg.h"
#include "framework/term/TermBackend.h"
#include "framework/test/TestBackend.h"
#include "framework/test/TestDialogWindow.h"
#include "platform/fake/FakePlatform.h"
#include "res/resource.h"
#include "store/StagingFile.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string StagingFileOf(int bootLines) {
    std::string text =
        "[boot loader]\r\ntimeout=30\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
        "[operating systems]\r\n";
    for (int i = 0; i < bootLines; ++i) {
        text += "multi(0)disk(0)rdisk(0)partition(" + std::to_string(i % 4 + 1) +
                ")\\WINDOWS=\"Windows XP, line " + std::to_string(i + 1) +
                "\" /noexecute=optin /fastdetect\r\n";
    }
    return text;
}

// The drive, the platform and the application object that every run shares.
struct Program {
    Program() {
        SetPlatform(&platform);
        app.SetExecutablePath("C:\\TOOLS\\TARN.EXE");
        app.SetProfileStore(&platform);
    }
    ~Program() { SetPlatform(nullptr); }
    void Stage(int bootLines) {
        if (!platform.WriteFileBytes(kStagingPath, StagingFileOf(bootLines)))
            std::abort();
    }
    FakePlatform platform;
    CBootEditApp app;
};

Program& TheProgram() {
    static Program program;
    return program;
}

// Ticks or clears /SOS and applies it: one edit of the first line.
void ToggleAndApply(IDialogWindow& window, CBootEditDlg& dialog) {
    window.SetCheck(IDC_SOS, window.GetCheck(IDC_SOS) ? 0 : 1);
    dialog.HandleCommand(IDC_SOS, BN_CLICKED);
    dialog.HandleCommand(IDC_APPLY, BN_CLICKED);
}

// --- the test back-end ---------------------------------------------------------------------

void RunOnTestBackend(benchmark::State& state, bool apply) {
    Program& program = TheProgram();
    program.Stage(static_cast<int>(state.range(0)));
    TestBackend backend;
    SetBackend(&backend);
    for (auto _ : state) {
        CBootEditDlg dialog;
        program.app.m_pMainWnd = &dialog;
        double seconds = 0;
        Clock::time_point start = Clock::now();
        backend.QueueDialog(IDD_BOOTEDIT_DIALOG, [&](TestDialogWindow& window) {
            if (apply) {
                start = Clock::now();
                ToggleAndApply(window, dialog);
            }
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
            window.PressCancel();
        });
        dialog.DoModal();
        program.app.m_pMainWnd = nullptr;
        state.SetIterationTime(seconds);
    }
    SetBackend(nullptr);
}

void BM_TestBackendFirstFrame(benchmark::State& state) {
    RunOnTestBackend(state, false);
}
void BM_TestBackendApply(benchmark::State& state) {
    RunOnTestBackend(state, true);
}

// --- the terminal back-end ------------------------------------------------------------------

// FINAL CUT on a pseudo-terminal, made once: the toolkit takes one application per process.
class Terminal {
public:
    Terminal() {
        winsize size{};
        size.ws_row = 32;
        size.ws_col = 100;
        int child = -1;
        if (openpty(&m_master, &child, nullptr, nullptr, &size) != 0)
            std::abort();
        // The report keeps the real standard output; the toolkit gets the terminal.
        m_report =
            std::make_unique<__gnu_cxx::stdio_filebuf<char>>(dup(STDOUT_FILENO), std::ios::out);
        std::cout.rdbuf(m_report.get());
        dup2(child, STDIN_FILENO);
        dup2(child, STDOUT_FILENO);
        close(child);
        setenv("TERM", "xterm-256color", 1);
        std::thread([master = m_master] {
            char buffer[65536];
            while (read(master, buffer, sizeof buffer) > 0) {
            }
        }).detach();
        static char name[] = "editor_scale_bench";
        static char* argv[] = {name, nullptr};
        static int argc = 1;
        m_application = std::make_unique<finalcut::FApplication>(argc, argv);
        m_backend = std::make_unique<TermBackend>(*m_application);
    }

    TermBackend& Backend() { return *m_backend; }
    finalcut::FApplication& Application() { return *m_application; }

private:
    int m_master = -1;
    std::unique_ptr<__gnu_cxx::stdio_filebuf<char>> m_report;
    std::unique_ptr<finalcut::FApplication> m_application;
    std::unique_ptr<TermBackend> m_backend;
};

// Never destroyed: the toolkit's teardown at exit would restore a terminal nobody looks at.
Terminal& TheTerminal() {
    static Terminal* terminal = new Terminal;
    return *terminal;
}

// Runs once in the dialog's event loop, as soon as the loop turns: the dialog is up.
class LoopProbe final : public finalcut::FObject {
public:
    explicit LoopProbe(std::function<void()> action) : m_action(std::move(action)) { addTimer(1); }

private:
    void onTimer(finalcut::FTimerEvent*) override {
        delOwnTimers();
        if (m_action)
            std::exchange(m_action, nullptr)();
    }
    std::function<void()> m_action;
};

// Opens the editor on the terminal; action runs in its event loop and returns the seconds it
// measured, then the dialog ends.
double RunEditorOnTerminal(const std::function<double(IDialogWindow&, CBootEditDlg&)>& action) {
    Program& program = TheProgram();
    CBootEditDlg dialog;
    program.app.m_pMainWnd = &dialog;
    double seconds = 0;
    LoopProbe probe([&] {
        auto* window = dynamic_cast<IDialogWindow*>(finalcut::FWindow::getActiveWindow());
        if (!window)
            std::abort();
        seconds = action(*window, dialog);
        window->EndDialog(IDCANCEL);
    });
    dialog.DoModal();
    program.app.m_pMainWnd = nullptr;
    return seconds;
}

void RunOnTerminal(benchmark::State& state, bool apply) {
    Program& program = TheProgram();
    program.Stage(static_cast<int>(state.range(0)));
    Terminal& terminal = TheTerminal();
    SetBackend(&terminal.Backend());
    // The toolkit's first window waits for the terminal's answers to its queries: not measured.
    static bool warmedUp = false;
    if (!std::exchange(warmedUp, true))
        RunEditorOnTerminal([](IDialogWindow&, CBootEditDlg&) { return 0.0; });
    for (auto _ : state) {
        const Clock::time_point opened = Clock::now();
        state.SetIterationTime(
            RunEditorOnTerminal([&](IDialogWindow& window, CBootEditDlg& dialog) {
                Clock::time_point start = opened;
                terminal.Application().updateTerminal();
                if (apply) {
                    start = Clock::now();
                    ToggleAndApply(window, dialog);
                    terminal.Application().updateTerminal();
                }
                return std::chrono::duration<double>(Clock::now() - start).count();
            }));
    }
    SetBackend(nullptr);
}

void BM_TerminalFirstFrame(benchmark::State& state) {
    RunOnTerminal(state, false);
}
void BM_TerminalApply(benchmark::State& state) {
    RunOnTerminal(state, true);
}

// --- the file alone ---------------------------------------------------------------------------

void BM_ReadAndWriteStagingFile(benchmark::State& state) {
    Program& program = TheProgram();
    program.Stage(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::unique_ptr<ITextStream> stream = program.platform.OpenTextStream(kStagingPath);
        CStringArray lines;
        if (!stream || !ReadStagingLines(*stream, lines) || !WriteStagingLines(*stream, lines))
            std::abort();
        stream->Close();
    }
}

void BootLineCounts(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_ReadAndWriteStagingFile)->Apply(BootLineCounts);
BENCHMARK(BM_TestBackendFirstFrame)->Apply(BootLineCounts)->UseManualTime();
BENCHMARK(BM_TestBackendApply)->Apply(BootLineCounts)->UseManualTime();
BENCHMARK(BM_TerminalFirstFrame)->Apply(BootLineCounts)->UseManualTime();
BENCHMARK(BM_TerminalApply)->Apply(BootLineCounts)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
