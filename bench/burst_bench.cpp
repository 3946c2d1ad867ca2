// A burst of new subdirectories (an archive being unpacked, say) beside the running window, in a
// directory of very many: from the burst's end until the list shows every one of them, and the
// longest the window took meanwhile to answer a message, against one bare re-listing of the
// same directory. The window is the real one, in-process; another thread makes the folders,
// as another program would, and a third asks the window for answers every 10 ms.
//     burst_bench RUNS DIRECTORY BURST
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "bench.h"

using namespace kavren;
using namespace kavren::bench;

int wmain(int argc, wchar_t** argv) {
    const int runs = argc == 4 ? _wtoi(argv[1]) : 0, burst = argc == 4 ? _wtoi(argv[3]) : 0;
    if (runs < 1 || burst < 1) {
        std::printf("usage: burst_bench RUNS DIRECTORY BURST\n");
        return 2;
    }
    const std::wstring directory = withoutTrailingSeparator(argv[2]);
    Win32Platform platform;
    MainWindow window(platform);
    if (!window.create(GetModuleHandleW(nullptr), SW_SHOWNORMAL, directory)) return 1;
    const DirectoryList& list = window.form().dirb();
    const auto shown = [&] { return static_cast<std::size_t>(SendMessageW(window.control(Control::dirb), LB_GETCOUNT, 0, 0)); };
    // Until the list shows `count` entries; false after 60 s.
    const auto followUntil = [&](std::size_t count) {
        for (const double end = nowMs() + 60000; shown() != count || list.entries().size() != count;) {
            if (nowMs() > end) return false;
            window.handleEvents(10);
        }
        return true;
    };
    // The same burst with nothing watching: what making the folders costs by itself.
    const auto makeAndRemove = [&](bool remove) {
        for (int i = 0; i < burst; ++i) {
            const std::wstring name = directory + L"\\burst " + std::to_wstring(i);
            remove ? RemoveDirectoryW(name.c_str()) : CreateDirectoryW(name.c_str(), nullptr);
        }
    };
    double start = nowMs();
    makeAndRemove(false);
    const double aloneMs = nowMs() - start;
    makeAndRemove(true);
    window.handleEvents(0);  // the watch starts at the end of the loop's first turn
    const std::size_t before = shown();

    std::vector<double> followMs, answerMs, bareMs, burstMs;
    for (int run = 0; run < runs; ++run) {
        std::atomic<double> burstEnd{0};
        std::atomic<bool> followed{false};
        double slowestAnswer = 0;
        const double burstStart = nowMs();
        std::thread maker([&] {
            makeAndRemove(false);
            burstEnd = nowMs();
        });
        std::thread asker([&] {
            while (!followed) {
                const double asked = nowMs();
                DWORD_PTR result = 0;
                SendMessageTimeoutW(window.hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
                slowestAnswer = std::max(slowestAnswer, nowMs() - asked);
                Sleep(10);
            }
        });
        const bool complete = followUntil(before + static_cast<std::size_t>(burst));
        const double done = nowMs();
        followed = true;
        maker.join();
        asker.join();
        if (!complete) {
            std::printf("burst_bench: the list shows %zu entries, not %zu\n", shown(), before + burst);
            return 1;
        }
        followMs.push_back(done - burstEnd);
        burstMs.push_back(burstEnd - burstStart);
        answerMs.push_back(slowestAnswer);
        start = nowMs();
        const std::size_t listed = bareListing(directory);
        bareMs.push_back(nowMs() - start);
        if (run == 0) std::printf("burst: %d folders made beside %zu subdirectories\n", burst, listed - burst);

        makeAndRemove(true);
        if (!followUntil(before)) {
            std::printf("burst_bench: the removals did not show\n");
            return 1;
        }
    }
    std::printf("burst of new folders followed (%d runs):\n", runs);
    printSeries("the burst, nothing watching", figuresOf({aloneMs}), "ms");
    printSeries("the burst, the list following", figuresOf(burstMs), "ms");
    printSeries("burst's end to all shown", figuresOf(followMs), "ms");
    printSeries("slowest answer meanwhile", figuresOf(answerMs), "ms");
    printSeries("bare FindFirstFileExW + sort", figuresOf(bareMs), "ms");
    // Goals in milliseconds, not ratios: all shown within 2 s of the burst's end, answers within a few hundred.
    const auto row = [&](const char* figure, const std::vector<double>& values, double goalMs) {
        const Figures value = figuresOf(values), reference = figuresOf(bareMs);
        std::printf("ROW\t%s\t%.1f ms\t%.1f ms\t%.3f\t<= %g ms\t%s\n", figure, value.median, reference.median,
                    value.median / reference.median, goalMs, value.max <= goalMs ? "met" : "NOT MET");
    };
    row("burst: end to all shown", followMs, 2000);
    row("burst: slowest answer", answerMs, 300);
    return 0;
}
