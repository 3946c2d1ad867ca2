// The archive's mark on the real window: folders that hold KAV.REN, as the disk changes beside it.
#include <gtest/gtest.h>

#include <fstream>

#include "form1_window.h"

namespace {

using namespace form1_window;

// A file named KAV.REN, in any case and hidden or not, marks its folder; a folder of that name does
// not. The shown directory's own mark follows the file as it is made, renamed and removed. The program's
// own loop, which waits without a time limit, makes its looks with no input at all (seen from another
// thread, which then ends the loop). Screen readers are told which entry changed by its child id, index + 1.
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
        [](HWINEVENTHOOK, DWORD, HWND, LONG, LONG child, DWORD, DWORD) { told.push_back(child); }, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);  // rows drawn: looks wanted
    const HWND dirb = control(Control::dirb);
    const auto b9 = static_cast<LONG>(chain.size() + 1);
    struct Watcher { HWND dirb; RECT row; std::vector<COLORREF> unmarked; DWORD loop; bool seen; } watcher{dirb, {}, {}, GetCurrentThreadId(), false};
    SendMessageW(dirb, LB_GETITEMRECT, b9, reinterpret_cast<LPARAM>(&watcher.row));
    watcher.unmarked = rowOnScreen(dirb, b9, watcher.row);
    const HANDLE thread = CreateThread(nullptr, 0, [](void* data) -> DWORD {
        auto& watching = *static_cast<Watcher*>(data);
        for (const ULONGLONG end = GetTickCount64() + 5000; !watching.seen && GetTickCount64() < end; Sleep(20))
            watching.seen = rowOnScreen(watching.dirb, 0, watching.row) != watching.unmarked;
        return PostThreadMessageW(watching.loop, WM_QUIT, 0, 0);
    }, &watcher, 0, nullptr);
    window.runMessageLoop();
    WaitForSingleObject(thread, INFINITE), CloseHandle(thread), UnhookWinEvent(hook);
    EXPECT_TRUE(watcher.seen) << "no mark drawn within 5 s";
    EXPECT_EQ(marked(), (std::vector<std::wstring>{L"a dir", L"b9"}));
    EXPECT_EQ(told, (std::vector<LONG>{b9, b9 + 1})) << "not the child ids of a dir and b9, at " << b9 - 1 << " and " << b9;

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
