// Bursts beside the running window, in-process; another thread makes the entries, as another
// program would, and a third asks the window for answers every 10 ms.
//     burst_bench folders RUNS DIRECTORY BURST
// A burst of new subdirectories (an archive being unpacked, say) in a directory of very many:
// from the burst's end until the list shows every one of them, and the longest the window took
// meanwhile to answer a message, against one bare re-listing of the same directory; one line a run:
//     RUN folders <end to all shown> <slowest answer> <bare listing> <burst, followed> <burst, unwatched>
//     burst_bench files RUNS DIRECTORY OTHER COUNT
// COUNT files written into DIRECTORY (the packer's output), with the window showing, and so
// watching, DIRECTORY, and with it showing OTHER (a sibling), by turns: how long the maker takes,
// the window's own CPU time and its slowest answer meanwhile. Besides the summary one line per
// run, for scripts/bench, which runs this from two builds by turns:
//     RUN files <made, watched> <made, other shown> <window CPU> <slowest answer> <the same two, other shown>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "bench.h"

namespace {

using namespace kavren;
using namespace kavren::bench;

std::optional<std::size_t> indexOf(const DirectoryList& list, std::wstring_view path) {
    for (std::size_t i = 0; i < list.entries().size(); ++i)
        if (list.entries()[i].path == path) return i;
    return std::nullopt;
}

// Asks the window for an answer every 10 ms while it lives; the slowest answer.
class Asker {
public:
    explicit Asker(HWND window)
        : thread_([this, window] {
              while (!stop_) {
                  const double asked = nowMs();
                  DWORD_PTR result = 0;
                  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
                  slowest_ = std::max(slowest_.load(), nowMs() - asked);
                  Sleep(10);
              }
          }) {}
    double stop() {
        stop_ = true;
        thread_.join();
        return slowest_;
    }

private:
    std::atomic<bool> stop_{false};
    std::atomic<double> slowest_{0};
    Thread thread_;
};

double threadCpuMs(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(thread, &created, &exited, &kernel, &user);
    const auto ms = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

int folders(MainWindow& window, int runs, const std::wstring& directory, int burst) {
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
        const double burstStart = nowMs();
        Thread maker([&] {
            makeAndRemove(false);
            burstEnd = nowMs();
        });
        Asker asker(window.hwnd());
        const bool complete = followUntil(before + static_cast<std::size_t>(burst));
        const double done = nowMs();
        const double slowestAnswer = asker.stop();
        maker.join();
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
        std::printf("RUN\tfolders\t%.2f\t%.2f\t%.2f\t%.2f\t%.2f\n", followMs.back(), answerMs.back(), bareMs.back(),
                    burstMs.back(), aloneMs);

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

int files(MainWindow& window, int runs, const std::wstring& directory, const std::wstring& other, int count) {
    Form1& form = window.form();
    const DirectoryList& list = form.dirb();
    window.handleEvents(0);  // the watch starts at the end of the loop's first turn
    // The two directories as the list names them.
    const std::wstring shownPath = list.path(), parentPath = list.entries()[list.currentIndex() - 1].path;
    const std::wstring otherPath = withoutTrailingSeparator(parentPath + L"\\" + other.substr(other.find_last_of(L'\\') + 1));
    const auto show = [&](const std::wstring& path) {
        form.dirb_Activate(indexOf(list, parentPath).value());
        const std::optional<std::size_t> entry = indexOf(list, path);
        if (entry) form.dirb_Activate(*entry);
        for (int i = 0; i < 5; ++i) window.handleEvents(0);
        return entry && list.path() == path && window.watch().directory() == path;
    };
    // Files of a few hundred bytes, as an archive unpacked writes them.
    const auto make = [&] {
        const std::string content(300, 'k');
        for (int i = 0; i < count; ++i) {
            const std::wstring name = directory + L"\\file " + std::to_wstring(i) + L".dat";
            const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE) return false;
            DWORD written = 0;
            WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
            CloseHandle(file);
        }
        return true;
    };
    const auto remove = [&] {
        for (int i = 0; i < count; ++i) DeleteFileW((directory + L"\\file " + std::to_wstring(i) + L".dat").c_str());
    };
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0, FALSE, DUPLICATE_SAME_ACCESS);

    std::vector<double> watchedMs, otherMs, cpuWatchedMs, cpuOtherMs, answerWatchedMs, answerOtherMs;
    for (int run = 0; run < runs; ++run) {
        // By turns, beginning with each side as often as the other.
        for (int side = 0; side < 2; ++side) {
            const bool watched = (run + side) % 2 == 0;
            if (!show(watched ? shownPath : otherPath)) {
                std::printf("burst_bench: the list does not show %s\n", utf8(watched ? shownPath : otherPath).c_str());
                return 1;
            }
            std::atomic<bool> made{false}, ok{false};
            std::atomic<double> makeMs{0};
            const double cpuBefore = threadCpuMs(self);
            Asker asker(window.hwnd());
            Thread maker([&] {
                const double start = nowMs();
                ok = make();
                makeMs = nowMs() - start;
                made = true;
                PostMessageW(window.hwnd(), WM_NULL, 0, 0);
            });
            // As the program's own loop waits: its CPU time is then what the burst cost it.
            while (!made) window.handleEvents(INFINITE);
            maker.join();
            // What the watch still holds of the burst.
            for (const double end = nowMs() + 300; nowMs() < end;) window.handleEvents(10);
            const double slowest = asker.stop();
            const double cpu = threadCpuMs(self) - cpuBefore;
            if (!ok) {
                std::printf("burst_bench: cannot make the files in %s\n", utf8(directory).c_str());
                return 1;
            }
            (watched ? watchedMs : otherMs).push_back(makeMs);
            (watched ? cpuWatchedMs : cpuOtherMs).push_back(cpu);
            (watched ? answerWatchedMs : answerOtherMs).push_back(slowest);
            // Removed with the list elsewhere, so that the next burst finds the window as this one did, and
            // the directory made anew: an emptied one can stay as large as it was, and slower to search.
            show(otherPath);
            remove();
            if (!RemoveDirectoryW(directory.c_str()) || !CreateDirectoryW(directory.c_str(), nullptr)) {
                std::printf("burst_bench: cannot make %s anew\n", utf8(directory).c_str());
                return 1;
            }
            for (int i = 0; i < 5; ++i) window.handleEvents(0);
        }
        std::printf("RUN\tfiles\t%.2f\t%.2f\t%.2f\t%.2f\t%.2f\t%.2f\n", watchedMs.back(), otherMs.back(),
                    cpuWatchedMs.back(), answerWatchedMs.back(), cpuOtherMs.back(), answerOtherMs.back());
    }
    CloseHandle(self);
    std::printf("%d files made in a directory (%d runs each, by turns):\n", count, runs);
    printSeries("made, the window showing it", figuresOf(watchedMs), "ms");
    printSeries("made, the window showing another", figuresOf(otherMs), "ms");
    printSeries("window CPU, showing it", figuresOf(cpuWatchedMs), "ms");
    printSeries("window CPU, showing another", figuresOf(cpuOtherMs), "ms");
    printSeries("slowest answer, showing it", figuresOf(answerWatchedMs), "ms");
    printSeries("slowest answer, showing another", figuresOf(answerOtherMs), "ms");
    printRow("files made in the shown directory", figuresOf(watchedMs), figuresOf(otherMs), "ms", 0);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    const bool folderMode = mode == L"folders" && argc == 5, fileMode = mode == L"files" && argc == 6;
    const int runs = folderMode || fileMode ? _wtoi(argv[2]) : 0, count = folderMode ? _wtoi(argv[4]) : fileMode ? _wtoi(argv[5]) : 0;
    if (runs < 1 || count < 1) {
        std::printf("usage: burst_bench folders RUNS DIRECTORY BURST\n"
                    "       burst_bench files RUNS DIRECTORY OTHER COUNT\n");
        return 2;
    }
    const std::wstring directory = withoutTrailingSeparator(argv[3]);
    Win32Platform platform;
    MainWindow window(platform);
    if (!window.create(GetModuleHandleW(nullptr), SW_SHOWNORMAL, directory)) return 1;
    return folderMode ? folders(window, runs, directory, count)
                      : files(window, runs, directory, withoutTrailingSeparator(argv[4]), count);
}
