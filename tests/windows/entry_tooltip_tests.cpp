// The directory list's tooltip on the real window, driven as Windows drives it: the pointer put on an
// entry and the list told (WM_MOUSEMOVE, WM_MOUSELEAVE), the tooltip control keeping its own time.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "form1_window.h"

namespace {

using namespace form1_window;

// The program's tooltip: a window of the tooltip class that the form owns.
HWND tooltipOf(HWND form) {
    std::pair<HWND, HWND> search{form, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), [](HWND hwnd, LPARAM data) {
        auto& [owner, found] = *reinterpret_cast<std::pair<HWND, HWND>*>(data);
        wchar_t kind[32] = {};
        GetClassNameW(hwnd, kind, 32);
        if (GetWindow(hwnd, GW_OWNER) == owner && std::wstring(kind) == TOOLTIPS_CLASSW) found = hwnd;
        return found ? FALSE : TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// Cut names show whole, a mark says what it means, a name that fits alone shows none. The tooltip
// goes when the pointer leaves, a key is pressed or the list changes under it: edited, moved to a typed
// name, grown with the DPI, or filled.
TEST_F(Form1Window, TheTooltipShowsACutNameWholeAndWhatAMarkMeans) {
    const std::wstring latin = L"A very long folder name in Latin letters", chinese = L"游戏资源文件夹备份二〇二三年十二月";
    for (const std::wstring& name : {latin, chinese}) fs::create_directory(work / name);
    for (const wchar_t* marked : {L"b9", latin.c_str()}) std::ofstream(work / marked / L"KAV.REN") << "archive";
    post(control(Control::dirb), WM_KEYDOWN, VK_F5);
    const auto& entries = window.form().dirb().entries();
    const auto marks = [&] { return std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.holdsArchive; }); };
    ASSERT_TRUE(pumpUntil([&] { return marks() == 2; })) << marks() << " marked";

    HWND tip = nullptr;
    const auto shown = [&] { return tip && IsWindowVisible(tip); };
    // The pointer comes to rest on an entry: the tooltip's text once it shows, "(none)" if none shows
    // within three times the control's delay (by default the double-click time).
    const auto restOn = [&](const std::wstring& entry) -> std::wstring {
        const POINT point = pointAt(entry);
        post(control(Control::dirb), WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
        if (shown()) return L"(the last one still shown)";
        if (!pumpUntil([&] { return (tip = tooltipOf(window.hwnd())) && shown(); }, 3 * GetDoubleClickTime()))
            return L"(none)";
        return textOf(tip);  // what it shows (Wine's tooltip answers WM_GETTEXT with it)
    };
    EXPECT_EQ(restOn(chinese), chinese);
    // In a face that has its characters: real glyphs, not boxes.
    EXPECT_EQ(lacking(reinterpret_cast<HFONT>(SendMessageW(tip, WM_GETFONT, 0, 0)), chinese), 0);
    EXPECT_EQ(restOn(L"b10"), L"(none)");
    EXPECT_EQ(restOn(L"b9"), L"Holds KAV.REN");
    EXPECT_EQ(restOn(latin), latin + L"\r\nHolds KAV.REN");
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1) << "tools kept for entries the pointer left";

    post(control(Control::dirb), WM_MOUSELEAVE, 0);
    EXPECT_FALSE(shown()) << "shown after the pointer left";
    ASSERT_EQ(restOn(chinese), chinese);
    post(control(Control::dirb), WM_KEYDOWN, VK_SHIFT);
    EXPECT_FALSE(shown()) << "shown after a key";
    ASSERT_EQ(restOn(latin), latin + L"\r\nHolds KAV.REN");
    fs::create_directory(work / L"0 new");
    EXPECT_TRUE(pumpUntil([&] { return listed().size() == chain.size() + 6 && !shown(); }))
        << listed().size() << " listed, shown: " << shown();
    ASSERT_EQ(restOn(chinese), chinese);
    post(control(Control::dirb), WM_CHAR, L'b');  // no key down: only the highlight moves
    EXPECT_FALSE(shown()) << "shown after the highlight moved";
    ASSERT_EQ(restOn(chinese), chinese);
    RECT frame{};
    GetWindowRect(window.hwnd(), &frame);
    SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&frame));
    EXPECT_FALSE(shown()) << "shown after the rows grew with the DPI";
    ASSERT_EQ(restOn(chinese), chinese);
    drop({work / L"b9"});  // another folder opened, not by the list's keys
    EXPECT_FALSE(shown()) << "shown after the list was filled";
}

}  // namespace
