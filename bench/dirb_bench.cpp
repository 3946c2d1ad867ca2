// dirb made the path of a directory with very many subdirectories, as a
// double-click does, against a bare listing and sort of the same directory,
// one after the other, run by run; then PAGES presses of PageDown in it, each
// handled until the window is idle again (its looks for the archive included,
// in builds that make them). The window is the real one, in-process.
//     dirb_bench RUNS DIRECTORY [PAGES]
// Besides the summary it prints one line per run for scripts/bench, which runs
// this program from two builds by turns:
//     RUN dirb <activate> <paint> <bare> <paging> <slowest page> <rows drawn, slowest> <looks> <marks> <rows drawn, all pages>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <type_traits>
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

// Handles what is queued, painting included, as the program's own loop does.
void pump(HWND window) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The same program is built against the app code before the marks too, which makes no looks:
// what only the later build has is asked for through templates.
template <class List>
bool looksLeftOnScreen(const List& list, HWND box) {
    if constexpr (requires { list.wantedLook(std::size_t{}, std::size_t{}); }) {
        // The rows the message loop's looks are for (MainWindow::lookOnce).
        RECT client{};
        GetClientRect(box, &client);
        const auto top = static_cast<std::size_t>(SendMessageW(box, LB_GETTOPINDEX, 0, 0));
        const auto rowHeight = static_cast<std::size_t>(std::max<LRESULT>(1, SendMessageW(box, LB_GETITEMHEIGHT, 0, 0)));
        return list.wantedLook(top, top + static_cast<std::size_t>(client.bottom) / rowHeight + 1).has_value();
    } else {
        return false;
    }
}

struct Looks {
    std::size_t made = 0, marked = 0;
};

template <class List>
Looks looksOf(const List& list) {
    Looks looks;
    if constexpr (requires { list.entries().front().holdsArchive; }) {
        for (const auto& entry : list.entries()) {
            using Look = std::remove_cvref_t<decltype(entry.look)>;
            looks.made += entry.look == Look::done;
            looks.marked += entry.holdsArchive;
        }
    }
    return looks;
}

struct Settled {
    double rowsMs;  // until nothing was queued any more: the rows drawn
    double allMs;   // until no look was left either: their marks drawn
};

// Events handled without waiting, as the program's loop does when they come faster than it
// handles them, until nothing is queued and no row on screen waits for its look.
Settled settle(MainWindow& window, const DirectoryList& list, double start) {
    std::optional<double> rows;
    for (;;) {
        window.handleEvents(0);
        const bool queued = HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0;
        if (!queued && !rows) rows = nowMs() - start;
        if (!queued && !looksLeftOnScreen(list, window.control(Control::dirb))) return {*rows, nowMs() - start};
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc == 3 || argc == 4 ? _wtoi(argv[1]) : 0, pages = argc == 4 ? _wtoi(argv[3]) : 0;
    if (runs < 1 || pages < 0) {
        std::printf("usage: dirb_bench RUNS DIRECTORY [PAGES]\n");
        return 2;
    }
    const std::wstring directory = withoutTrailingSeparator(argv[2]);
    const std::wstring parent = directory.substr(0, directory.find_last_of(L'\\'));
    if (!SetCurrentDirectoryW(parent.c_str())) {
        std::printf("dirb_bench: cannot enter %s\n", utf8(parent).c_str());
        return 1;
    }
    Win32Platform platform;
    MainWindow window(platform);
    if (!window.create(GetModuleHandleW(nullptr), SW_SHOWNORMAL, L"")) return 1;  // KavRenTool.exe must lie beside it
    pump(window.hwnd());
    const DirectoryList& list = window.form().dirb();
    const HWND box = window.control(Control::dirb);
    // The parent as the list names it, so that it is found again in the chain.
    const std::wstring parentPath = list.path();
    const std::wstring directoryPath = parentPath + directory.substr(parent.size());

    std::vector<double> activateMs, paintMs, bareMs, pagingMs, slowestPageMs, slowestRowsMs, rowsMs;
    Looks looks;
    for (int run = 0; run < runs; ++run) {
        // Back to the parent, so that each run lists the big directory afresh.
        window.form().dirb_Activate(indexOf(list, parentPath).value());
        pump(window.hwnd());
        const std::optional<std::size_t> entry = indexOf(list, directoryPath);
        if (!entry) {
            std::printf("dirb_bench: %s is not in the list\n", utf8(directoryPath).c_str());
            return 1;
        }
        double start = nowMs();
        window.form().dirb_Activate(*entry);
        activateMs.push_back(nowMs() - start);
        start = nowMs();
        pump(window.hwnd());
        paintMs.push_back(nowMs() - start);

        // The window answers, and shows what the handler listed.
        const LRESULT shown = SendMessageW(box, LB_GETCOUNT, 0, 0);
        const std::size_t children = list.entries().size() - list.currentIndex() - 1;
        if (list.path() != directoryPath || shown != static_cast<LRESULT>(list.entries().size())) {
            std::printf("dirb_bench: the list shows %ld entries, not those of %s\n", static_cast<long>(shown),
                        utf8(directoryPath).c_str());
            return 1;
        }

        // Paged through with the keyboard, from the current directory down, as a user looking for a folder.
        settle(window, list, nowMs());
        SetFocus(box);
        const LRESULT firstSelected = SendMessageW(box, LB_GETCURSEL, 0, 0);
        // The rows of a page are drawn before any look (input first): what a user paging fast waits for.
        double slowestPage = 0, slowestRows = 0, rowsTotal = 0;
        start = nowMs();
        for (int page = 0; page < pages; ++page) {
            const double pressed = nowMs();
            PostMessageW(box, WM_KEYDOWN, VK_NEXT, 0x01510001);
            PostMessageW(box, WM_KEYUP, VK_NEXT, static_cast<LPARAM>(0xC1510001u));
            const Settled settled = settle(window, list, pressed);
            slowestPage = std::max(slowestPage, settled.allMs);
            slowestRows = std::max(slowestRows, settled.rowsMs);
            rowsTotal += settled.rowsMs;
        }
        pagingMs.push_back(nowMs() - start);
        slowestPageMs.push_back(slowestPage);
        slowestRowsMs.push_back(slowestRows);
        rowsMs.push_back(rowsTotal);
        const LRESULT lastSelected = SendMessageW(box, LB_GETCURSEL, 0, 0);
        if (pages > 0 && lastSelected <= firstSelected) {
            std::printf("dirb_bench: PageDown did not move the highlight (entry %ld)\n", static_cast<long>(lastSelected));
            return 1;
        }
        looks = looksOf(list);

        start = nowMs();
        const std::size_t listed = bareListing(directory);
        bareMs.push_back(nowMs() - start);
        if (listed != children) {
            std::printf("dirb_bench: the bare listing found %zu subdirectories, the list %zu\n", listed, children);
            return 1;
        }
        if (run == 0)
            std::printf("big directory: %zu subdirectories; %d pages, entries %ld to %ld\n", children, pages,
                        static_cast<long>(firstSelected), static_cast<long>(lastSelected));
        std::printf("RUN\tdirb\t%.2f\t%.2f\t%.2f\t%.2f\t%.2f\t%.2f\t%zu\t%zu\t%.2f\n", activateMs.back(), paintMs.back(),
                    bareMs.back(), pagingMs.back(), slowestPage, slowestRows, looks.made, looks.marked, rowsTotal);
    }
    std::printf("big directory made the path of dirb (%d runs each, alternating):\n", runs);
    printSeries("dirb_Activate until it returns", figuresOf(activateMs), "ms");
    printSeries("then the queue handled (paint)", figuresOf(paintMs), "ms");
    printSeries("bare FindFirstFileExW + sort", figuresOf(bareMs), "ms");
    if (pages > 0) {
        std::printf("then %d presses of PageDown, each handled until idle (last run: %zu folders looked at, %zu marked):\n",
                    pages, looks.made, looks.marked);
        printSeries("all pages", figuresOf(pagingMs), "ms");
        printSeries("all pages, rows drawn", figuresOf(rowsMs), "ms");
        printSeries("slowest page, marks drawn", figuresOf(slowestPageMs), "ms");
        printSeries("slowest page, rows drawn", figuresOf(slowestRowsMs), "ms");
    }
    printRow("big directory (100,000 subdirs)", figuresOf(activateMs), figuresOf(bareMs), "ms", 3.0);
    return 0;
}
