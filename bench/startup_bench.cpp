// Start-up time and idle memory of kavren_ui.exe against the floor program,
// both started as from the desktop, one after the other, run by run.
//     startup_bench RUNS KAVREN_UI.EXE KAVRENTOOL.EXE FLOOR.EXE
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "bench.h"
#include "driver.h"

namespace {

using namespace kavren::wintest;
using namespace kavren::bench;

struct Sample {
    double startMs;
    double peakMiB;
};

HWND shownWindow(DWORD pid, std::wstring_view caption) {
    for (const WindowInfo& window : TopLevelWindows(pid))
        if (window.visible && window.title == caption) return window.hwnd;
    return nullptr;
}

// From process start to its window shown and the program waiting for input.
std::optional<Sample> measure(const std::wstring& exe, std::wstring_view caption, const std::wstring& workDir) {
    constexpr Millis kTimeout{30000};
    LaunchOptions options;
    options.exe = exe;
    options.workingDir = workDir;
    const double start = nowMs();
    const Process process = Process::Start(options);
    if (!process.started()) {
        std::printf("startup_bench: %s\n", process.error().c_str());
        return std::nullopt;
    }
    HWND window = nullptr;
    for (const Deadline deadline(kTimeout); !(window = shownWindow(process.pid(), caption)); Sleep(1)) {
        if (deadline.Expired() || !process.Running()) {
            std::printf("startup_bench: no window \"%s\" from %s\n", Utf8(caption).c_str(), Utf8(exe).c_str());
            return std::nullopt;
        }
    }
    DWORD_PTR answer = 0;
    if (WaitForInputIdle(process.handle(), static_cast<DWORD>(kTimeout.count())) != 0 ||
        !SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(kTimeout.count()), &answer)) {
        std::printf("startup_bench: %s does not become idle\n", Utf8(exe).c_str());
        return std::nullopt;
    }
    const double startMs = nowMs() - start;
    PROCESS_MEMORY_COUNTERS memory{};
    if (!GetProcessMemoryInfo(process.handle(), &memory, sizeof memory)) {
        std::printf("startup_bench: GetProcessMemoryInfo: %s\n", ErrorText(GetLastError()).c_str());
        return std::nullopt;
    }
    return Sample{startMs, static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0)};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc == 5 ? _wtoi(argv[1]) : 0;
    if (runs < 1) {
        std::printf("usage: startup_bench RUNS KAVREN_UI.EXE KAVRENTOOL.EXE FLOOR.EXE\n");
        return 2;
    }
    const TempDir stage(L"bench");
    if (!stage.ok()) {
        std::printf("startup_bench: %s\n", stage.error().c_str());
        return 1;
    }
    const std::wstring program = stage / L"kavren_ui.exe", floor = stage / L"floor.exe";
    std::string copyError = CopyFileTo(argv[2], program) + CopyFileTo(argv[3], stage / L"KavRenTool.exe") +
                            CopyFileTo(argv[4], floor);
    // The program lists its working directory at start: a small one.
    const std::wstring work = stage.MakeDir(L"work");
    for (const wchar_t* name : {L"work\\a", L"work\\b 2", L"work\\b 10"})
        if (stage.MakeDir(name).empty()) copyError += " cannot make a working directory";
    if (!copyError.empty() || work.empty()) {
        std::printf("startup_bench: %s\n", copyError.c_str());
        return 1;
    }

    std::vector<double> programMs, floorMs, programMiB, floorMiB;
    for (int run = 0; run < runs; ++run) {
        const std::optional<Sample> ui = measure(program, kavren::kCaption, work);
        const std::optional<Sample> bare = measure(floor, kFloorCaption, work);
        if (!ui || !bare) return 1;
        programMs.push_back(ui->startMs);
        floorMs.push_back(bare->startMs);
        programMiB.push_back(ui->peakMiB);
        floorMiB.push_back(bare->peakMiB);
    }
    std::printf("start-up, process start to window shown and idle (%d runs each, alternating):\n", runs);
    printSeries("kavren_ui.exe", figuresOf(programMs), "ms");
    printSeries("floor (one empty window)", figuresOf(floorMs), "ms");
    std::printf("peak working set when idle:\n");
    printSeries("kavren_ui.exe", figuresOf(programMiB), "MiB");
    printSeries("floor (one empty window)", figuresOf(floorMiB), "MiB");
    printRow("start-up", figuresOf(programMs), figuresOf(floorMs), "ms", 1.2);
    printRow("peak working set", figuresOf(programMiB), figuresOf(floorMiB), "MiB", 0);
    return 0;
}
