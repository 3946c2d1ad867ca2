// Start-up time and idle memory of kavren_ui.exe against the floor program (the
// same window and nothing else), all started as from the desktop, one after the
// other, run by run. Further programs (variants, to find where time goes) are
// measured alongside and shown without a ratio.
//     startup_bench RUNS KAVRENTOOL.EXE KAVREN_UI.EXE FLOOR.EXE [OTHER.EXE...]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench.h"

namespace {

namespace fs = std::filesystem;
using namespace kavren::bench;

struct Sample {
    double startMs;
    double peakMiB;
};

HWND shownWindow(DWORD pid) {
    std::pair<DWORD, HWND> found{pid, nullptr};
    EnumWindows([](HWND hwnd, LPARAM data) -> BOOL {
        auto& [owner, shown] = *reinterpret_cast<std::pair<DWORD, HWND>*>(data);
        DWORD process = 0;
        GetWindowThreadProcessId(hwnd, &process);
        if (process == owner && IsWindowVisible(hwnd)) shown = hwnd;
        return shown == nullptr;
    }, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

// From process start, as from the desktop, to its window shown and the program waiting for input.
std::optional<Sample> measure(const fs::path& exe, const fs::path& workDir) {
    constexpr DWORD kTimeoutMs = 30000;
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double start = nowMs();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        workDir.c_str(), &startup, &process)) {
        std::printf("startup_bench: cannot start %s: error %lu\n", utf8(exe.wstring()).c_str(), GetLastError());
        return std::nullopt;
    }
    const std::unique_ptr<void, void (*)(HANDLE)> ended(process.hProcess, [](HANDLE handle) {
        TerminateProcess(handle, 0);
        WaitForSingleObject(handle, 10000);
        CloseHandle(handle);
    });
    CloseHandle(process.hThread);
    // Blocking here, not polling the window list, leaves the wineserver to the starting program. Should
    // the wait end early, the window is polled for all the same, and WM_NULL says the program answers.
    WaitForInputIdle(process.hProcess, kTimeoutMs);
    HWND window = nullptr;
    for (const double deadline = nowMs() + kTimeoutMs; !(window = shownWindow(process.dwProcessId)); Sleep(1)) {
        if (nowMs() > deadline || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            std::printf("startup_bench: no window from %s\n", utf8(exe.wstring()).c_str());
            return std::nullopt;
        }
    }
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &answer)) {
        std::printf("startup_bench: %s does not answer\n", utf8(exe.wstring()).c_str());
        return std::nullopt;
    }
    const double startMs = nowMs() - start;
    PROCESS_MEMORY_COUNTERS memory{};
    if (!GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) {
        std::printf("startup_bench: GetProcessMemoryInfo: error %lu\n", GetLastError());
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
    // All beside the tool, whose presence the program checks at start; the program lists its
    // working directory at start: a small one.
    const fs::path stage = fs::temp_directory_path() / L"kavren bench", work = stage / L"work";
    std::vector<std::string> names;
    std::vector<fs::path> programs;
    try {
        fs::remove_all(stage);
        for (const wchar_t* name : {L"a", L"b 2", L"b 10"}) fs::create_directories(work / name);
        fs::copy_file(argv[2], stage / L"KavRenTool.exe");
        for (int i = 3; i < argc; ++i) {
            programs.push_back(stage / fs::path(argv[i]).filename());
            names.push_back(utf8(programs.back().filename().wstring()));
            fs::copy_file(argv[i], programs.back());
        }
    } catch (const fs::filesystem_error& error) {
        std::printf("startup_bench: %s\n", error.what());
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
