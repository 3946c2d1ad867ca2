// dirb made the path of a directory with very many subdirectories, as a
// double-click does, against a bare listing and sort of the same directory,
// one after the other, run by run. The window is the real one, in-process.
//     dirb_bench RUNS DIRECTORY
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
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

// Handles what is queued, painting included, as the program's own loop does.
void pump(HWND window) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc == 3 ? _wtoi(argv[1]) : 0;
    if (runs < 1) {
        std::printf("usage: dirb_bench RUNS DIRECTORY\n");
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
    // The parent as the list names it, so that it is found again in the chain.
    const std::wstring parentPath = list.path();
    const std::wstring directoryPath = parentPath + directory.substr(parent.size());

    std::vector<double> activateMs, paintMs, bareMs;
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
        const LRESULT shown = SendMessageW(window.control(Control::dirb), LB_GETCOUNT, 0, 0);
        const std::size_t children = list.entries().size() - list.currentIndex() - 1;
        if (list.path() != directoryPath || shown != static_cast<LRESULT>(list.entries().size())) {
            std::printf("dirb_bench: the list shows %ld entries, not those of %s\n", static_cast<long>(shown),
                        utf8(directoryPath).c_str());
            return 1;
        }

        start = nowMs();
        const std::size_t listed = bareListing(directory);
        bareMs.push_back(nowMs() - start);
        if (listed != children) {
            std::printf("dirb_bench: the bare listing found %zu subdirectories, the list %zu\n", listed, children);
            return 1;
        }
        if (run == 0) std::printf("big directory: %zu subdirectories\n", children);
    }
    std::printf("big directory made the path of dirb (%d runs each, alternating):\n", runs);
    printSeries("dirb_Activate until it returns", figuresOf(activateMs), "ms");
    printSeries("then the queue handled (paint)", figuresOf(paintMs), "ms");
    printSeries("bare FindFirstFileExW + sort", figuresOf(bareMs), "ms");
    printRow("big directory (100,000 subdirs)", figuresOf(activateMs), figuresOf(bareMs), "ms", 3.0);
    return 0;
}
