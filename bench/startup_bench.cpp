// Start-up time and idle memory of kavren_ui.exe against the floor program (the
// same window and nothing else), all started as from the desktop, one after the
// other, run by run. Further programs (variants, to find where time goes) are
// measured alongside and shown without a ratio.
//     startup_bench RUNS KAVRENTOOL.EXE KAVREN_UI.EXE FLOOR.EXE [OTHER.EXE...]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "bench.h"
#include "driver.h"

namespace {

using namespace kavren::wintest;
using namespace kavren::bench;

struct Sample {
    double startMs;
    double peakMiB;
};

HWND shownWindow(DWORD pid) {
    for (const WindowInfo& window : TopLevelWindows(pid))
        if (window.visible) return window.hwnd;
    return nullptr;
}

// From process start to its window shown and the program waiting for input.
std::optional<Sample> measure(const std::wstring& exe, const std::wstring& workDir) {
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
    // Blocking here, not polling the window list, leaves the wineserver to the starting program. Should
    // the wait end early, the window is polled for all the same, and WM_NULL says the program answers.
    WaitForInputIdle(process.handle(), static_cast<DWORD>(kTimeout.count()));
    HWND window = nullptr;
    for (const Deadline deadline(kTimeout); !(window = shownWindow(process.pid())); Sleep(1)) {
        if (deadline.Expired() || !process.Running()) {
            std::printf("startup_bench: no window from %s\n", Utf8(exe).c_str());
            return std::nullopt;
        }
    }
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(kTimeout.count()), &answer)) {
        std::printf("startup_bench: %s does not answer\n", Utf8(exe).c_str());
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
    const int runs = argc >= 5 ? _wtoi(argv[1]) : 0;
    if (runs < 1) {
        std::printf("usage: startup_bench RUNS KAVRENTOOL.EXE KAVREN_UI.EXE FLOOR.EXE [OTHER.EXE...]\n");
        return 2;
    }
    const TempDir stage(L"bench");
    if (!stage.ok()) {
        std::printf("startup_bench: %s\n", stage.error().c_str());
        return 1;
    }
    // All beside the tool, whose presence the program checks at start.
    std::string copyError = CopyFileTo(argv[2], stage / L"KavRenTool.exe");
    std::vector<std::string> names;
    std::vector<std::wstring> programs;
    for (int i = 3; i < argc; ++i) {
        const std::wstring_view source = argv[i];
        const std::wstring_view name = source.substr(source.find_last_of(L"\\/") + 1);
        names.push_back(Utf8(name));
        programs.push_back(stage / name);
        copyError += CopyFileTo(argv[i], programs.back());
    }
    // The program lists its working directory at start: a small one.
    const std::wstring work = stage.MakeDir(L"work");
    for (const wchar_t* name : {L"work\\a", L"work\\b 2", L"work\\b 10"})
        if (stage.MakeDir(name).empty()) copyError += " cannot make a working directory";
    if (!copyError.empty() || work.empty()) {
        std::printf("startup_bench: %s\n", copyError.c_str());
        return 1;
    }

    std::vector<std::vector<double>> ms(programs.size()), mib(programs.size());
    for (int run = 0; run < runs; ++run) {
        // Each run begins with the next program: a start right after another one's end is slower.
        for (std::size_t k = 0; k < programs.size(); ++k) {
            const std::size_t i = (run + k) % programs.size();
            const std::optional<Sample> sample = measure(programs[i], work);
            if (!sample) return 1;
            ms[i].push_back(sample->startMs);
            mib[i].push_back(sample->peakMiB);
        }
    }
    std::printf("start-up, process start to window shown and idle (%d runs each, alternating):\n", runs);
    for (std::size_t i = 0; i < programs.size(); ++i)
        printSeries(names[i].c_str(), figuresOf(ms[i]), "ms");
    std::printf("peak working set when idle:\n");
    for (std::size_t i = 0; i < programs.size(); ++i)
        printSeries(names[i].c_str(), figuresOf(mib[i]), "MiB");
    printRow("start-up", figuresOf(ms[0]), figuresOf(ms[1]), "ms", 1.05);
    printRow("peak working set", figuresOf(mib[0]), figuresOf(mib[1]), "MiB", 0);
    return 0;
}
