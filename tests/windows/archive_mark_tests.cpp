// The archive's mark on the real window: folders that hold KAV.REN, as the disk changes beside it.
#include <gtest/gtest.h>

#include <fstream>

#include "form1_window.h"

namespace {

using namespace form1_window;

// A file named KAV.REN, in any case and hidden or not, marks its folder; a folder of that name does
// not. The shown directory's own mark follows the file as it is made, renamed and removed. The program's
// own loop, which waits without a time limit, makes its looks with no input at all: it ends once screen
// readers are told of both marks (or a watchdog ends it after 5 s). They are told which entry changed by
// its child id, index + 1.
TEST_F(Form1Window, FoldersHoldingTheArchiveAreMarkedAndTheMarkFollowsTheDisk) {
    const auto marked = [&] {
        std::vector<std::wstring> names;
        for (const auto& entry : window.form().dirb().entries())
            if (entry.holdsArchive) names.push_back(entry.name);
        return names;
    };
    std::ofstream(work / L"b9" / L"kav.ren") << "archive";
    std::ofstream(work / L"a dir" / L"KAV.REN") << "archive";
    SetFileAttributesW((work / L"a dir" / L"KAV.REN").c_str(), FILE_ATTRIBUTE_HIDDEN);
    fs::create_directory(work / L"b10" / L"KAV.REN");
    static std::vector<LONG> told;
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_DESCRIPTIONCHANGE, EVENT_OBJECT_DESCRIPTIONCHANGE, nullptr,
        [](HWINEVENTHOOK, DWORD, HWND, LONG, LONG child, DWORD, DWORD) { told.push_back(child); if (told.size() == 2) PostQuitMessage(0); },
        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);  // rows drawn: looks wanted
    const HWND dirb = control(Control::dirb);
    const auto b9 = static_cast<LONG>(chain.size() + 1);
    const auto unmarked = rowOnScreen(dirb, b9);
    // The watchdog touches no window: the display is this thread's.
    struct Watchdog { HANDLE ended; DWORD loop; } watchdog{CreateEventW(nullptr, TRUE, FALSE, nullptr), GetCurrentThreadId()};
    const HANDLE thread = CreateThread(nullptr, 0, [](void* data) -> DWORD {
        const auto& watching = *static_cast<Watchdog*>(data);
        return WaitForSingleObject(watching.ended, 5000) == WAIT_OBJECT_0 || PostThreadMessageW(watching.loop, WM_QUIT, 0, 0);
    }, &watchdog, 0, nullptr);
    window.runMessageLoop();
    SetEvent(watchdog.ended), WaitForSingleObject(thread, INFINITE), CloseHandle(thread), CloseHandle(watchdog.ended), UnhookWinEvent(hook);
    EXPECT_EQ(told, (std::vector<LONG>{b9, b9 + 1})) << "not the child ids of a dir and b9, at " << b9 - 1 << " and " << b9;
    UpdateWindow(dirb);
    EXPECT_TRUE(rowOnScreen(dirb, b9) != unmarked) << "b9 not drawn as marked";
    EXPECT_EQ(marked(), (std::vector<std::wstring>{L"a dir", L"b9"}));

    const std::size_t current = window.form().dirb().currentIndex();
    const auto unmarkedRow = rowOnScreen(dirb, current);
    const auto markedHere = [&] { return marked().size() == 3 && marked()[0] == chain.back(); };
    const std::pair<std::function<void()>, bool> changes[] = {
        {[&] { std::ofstream(work / L"KAV.tmp") << "archive"; }, false},
        {[&] { fs::rename(work / L"KAV.tmp", work / L"KAV.REN"); }, true},
        {[&] { fs::rename(work / L"KAV.REN", work / L"KAV.old"); }, false},
        {[&] { fs::rename(work / L"KAV.old", work / L"kav.REN"); }, true},
        {[&] { fs::remove(work / L"kav.REN"); }, false},
    };
    for (const auto& [change, marks] : changes) {
        change();
        EXPECT_TRUE(pumpUntil([&] { return markedHere() == marks; }, 500)) << "not followed within half a second";
        pumpUntil([] { return false; }, 50);
        EXPECT_EQ(rowOnScreen(dirb, current) != unmarkedRow, marks) << "drawn as marked: " << !marks;
    }
    // With nothing left to look at the loop waits for the next event: it does not spin.
    pumpUntil([] { return false; }, 300);
    const ULONGLONG idleFrom = GetTickCount64();
    for (int turn = 0; turn < 5; ++turn) window.handleEvents(50);
    EXPECT_GE(GetTickCount64() - idleFrom, 100u) << "idle turns went on with nothing to look at";
}

}  // namespace
