// The directory list's keys and its menu on the real window. The menu is read and answered from a
// thread timer, which runs inside its modal loop.
#include <gtest/gtest.h>

#include "form1_window.h"

namespace {

using namespace form1_window;

struct MenuSeen {
    std::vector<std::wstring> items;  // each item's text; "-" a separator, "*" before the default item
    POINT at;                         // its top left corner on the screen
};
std::vector<MenuSeen> menus;
std::vector<WPARAM> menuKeys;  // what each menu is answered, once read: a letter typed, or VK_ESCAPE

void CALLBACK readMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND popup = FindWindowW(L"#32768", nullptr);  // the system's own popup menu
    if (!popup || !IsWindowVisible(popup)) return;       // not yet: the timer comes again
    KillTimer(nullptr, timer);
    const auto menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
    RECT place{};
    GetWindowRect(popup, &place);
    MenuSeen seen{{}, {place.left, place.top}};
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        MENUITEMINFOW item{sizeof item, MIIM_FTYPE | MIIM_STATE | MIIM_STRING, 0, 0, 0, {}, {}, {}, 0, text, 64, {}};
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
        seen.items.push_back(item.fType & MFT_SEPARATOR ? L"-" : (item.fState & MFS_DEFAULT ? L"*" : L"") + std::wstring(text));
    }
    menus.push_back(seen);
    const WPARAM key = menuKeys.at(menus.size() - 1);
    PostMessageW(popup, key == VK_ESCAPE ? WM_KEYDOWN : WM_CHAR, key, 0);
}

class DirectoryListKeys : public Form1Window {
protected:
    // Whether the message to the list opened a menu, which was answered with `key`.
    bool menuFrom(UINT message, WPARAM wParam, LPARAM lParam, WPARAM key) {
        const std::size_t before = menus.size();
        menuKeys.resize(before);
        menuKeys.push_back(key);
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, readMenu);
        post(control(Control::dirb), message, wParam, lParam);
        KillTimer(nullptr, timer);
        return menus.size() > before;
    }
    static std::wstring clipboard() {
        OpenClipboard(nullptr);
        const auto* copied = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
        const std::wstring text = copied ? copied : L"(none)";
        CloseClipboard();
        return text;
    }
    static void shift(BYTE state) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = state;
        SetKeyboardState(keys);
    }
};

// Letters typed in a row highlight an entry, an input method's character too, and open nothing. The
// menu is the system's: a right-click opens it on the entry under the pointer, highlighting it, and
// nothing below the last entry; Shift+F10 and the menu key at the highlighted entry's row. Each
// choice does its part, Unpack through the confirmation; Backspace and Alt+Up open the parent.
TEST_F(DirectoryListKeys, TypedNamesAreFoundAndEachEntryHasTheSystemsMenu) {
    for (const wchar_t* name : {L"Saves", L"Screen Shots", L"Scripts", L"\u6570"}) fs::create_directory(work / name);
    post(control(Control::dirb), WM_KEYDOWN, VK_F5);
    SetWindowTextW(control(Control::txtpath), L"typed");
    for (wchar_t letter : std::wstring_view(L"scri")) post(control(Control::dirb), WM_CHAR, letter);
    EXPECT_EQ(highlighted(), L"Scripts");
    pumpUntil([] { return false; }, 2 * GetDoubleClickTime() + 100);
    // A whole name from an input method, sent as Windows sends it: the list box's default handling posts WM_CHAR.
    SendMessageW(control(Control::dirb), WM_IME_CHAR, 0x6570, 1);
    window.handleEvents(0);
    EXPECT_EQ(highlighted(), L"\u6570");
    pumpUntil([] { return false; }, 2 * GetDoubleClickTime() + 100);
    for (wchar_t letter : std::wstring_view(L"ss")) post(control(Control::dirb), WM_CHAR, letter);
    EXPECT_EQ(highlighted(), L"Screen Shots") << "a new search starts after the highlighted entry, round to the top";
    EXPECT_EQ(text(Control::txtpath), L"typed");

    const POINT b9 = pointAt(L"b9"), below = pointAt(listed().back(), 40);
    EXPECT_TRUE(menuFrom(WM_RBUTTONUP, 0, MAKELPARAM(b9.x, b9.y), 'c'));  // the system asks for the menu
    EXPECT_EQ(highlighted(), L"b9");
    EXPECT_EQ(clipboard(), (work / L"b9").wstring());
    EXPECT_FALSE(menuFrom(WM_RBUTTONUP, 0, MAKELPARAM(below.x, below.y), VK_ESCAPE)) << "a menu below the last entry";
    shift(0x80);  // held
    EXPECT_TRUE(menuFrom(WM_SYSKEYDOWN, VK_F10, 0, VK_ESCAPE));
    shift(0);
    // The menu key: Windows sends WM_CONTEXTMENU at -1 as for Shift+F10; Wine sends nothing.
    EXPECT_TRUE(menuFrom(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control(Control::dirb)), -1, 'e'));
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ(menus[0].items, (std::vector<std::wstring>{L"*&Open", L"Open in &Explorer", L"&Copy path", L"-", L"&Unpack it!", L"&Pack it!"}));
    RECT row{};  // the highlighted entry's, on the screen
    SendMessageW(control(Control::dirb), LB_GETITEMRECT, SendMessageW(control(Control::dirb), LB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(&row));
    MapWindowPoints(control(Control::dirb), nullptr, reinterpret_cast<POINT*>(&row), 2);
    for (const MenuSeen& keyboard : {menus[1], menus[2]})
        EXPECT_TRUE(keyboard.at.y == row.bottom && keyboard.at.x > row.left && keyboard.at.x < row.right)
            << "at " << keyboard.at.x << ", " << keyboard.at.y << " for the row at " << row.left << ", " << row.bottom;
    EXPECT_TRUE(pumpUntil([] { return FindWindowW(nullptr, L"b9"); }, 10000)) << "no Explorer window for b9";
    PostMessageW(FindWindowW(nullptr, L"b9"), WM_CLOSE, 0, 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(text(Control::txtpath), L"typed") << "Escape, Copy path or Explorer changed the path";

    EXPECT_TRUE(menuFrom(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control(Control::dirb)), -1, 'u'));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind(L"Sure to UNPACK?\r\nPath: " + (work / L"b9").wstring() + L"\r\n", 0), 0u) << boxes[0].text;
    EXPECT_EQ(text(Control::txtpath), (work / L"b9").wstring());
    post(control(Control::dirb), WM_KEYDOWN, VK_BACK);
    EXPECT_EQ(text(Control::txtpath), work.wstring());
    post(control(Control::dirb), WM_SYSKEYDOWN, VK_UP, 1 << 29);  // Alt held
    EXPECT_EQ(text(Control::txtpath), work.parent_path().wstring());
    EXPECT_EQ(highlighted(), work.parent_path().filename().wstring());
}

}  // namespace
