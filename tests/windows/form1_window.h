// The real window, created in this process, for the Windows tests: here its fonts and the
// message boxes it opens can be looked at directly, and posted input goes through the
// program's own message handling. Message boxes are read and answered as they open.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <shlobj.h>

#include "app/main_window.h"

namespace form1_window {

namespace fs = std::filesystem;
using kavren::Control;

// One row of the directory list as it is on screen now, without asking it to paint (nor to answer, given
// its place), or what `window` shows in that place.
inline std::vector<COLORREF> rowOnScreen(HWND window, std::size_t index, RECT row = {}) {
    if (IsRectEmpty(&row)) SendMessageW(window, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&row));
    const HDC dc = GetDC(window);
    std::vector<COLORREF> pixels;
    for (int y = row.top; y < row.bottom; ++y)
        for (int x = row.left; x < row.right; ++x) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(window, dc);
    return pixels;
}

// WM_GETTEXT: for an edit control, its content.
inline std::wstring textOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

// How many characters of `text` the font lacks: its missing glyphs.
inline int lacking(HFONT font, std::wstring_view text) {
    const HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, font);
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(dc, text.data(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    DeleteDC(dc);
    return static_cast<int>(std::count(glyphs.begin(), glyphs.end(), 0xFFFF));
}

struct Box {
    std::wstring title, text;
    std::vector<int> buttons;  // ids of the buttons shown, in id order
    int defaultButton;         // the one with BS_DEFPUSHBUTTON, 0 for none
    bool icon;
    HWND owner;
};

inline Box readBox(HWND box) {
    Box seen{textOf(box), textOf(GetDlgItem(box, 0xFFFF)), {}, 0, false, GetWindow(box, GW_OWNER)};
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
        const HWND button = GetDlgItem(box, id);
        if (!IsWindowVisible(button)) continue;
        seen.buttons.push_back(id);
        if ((GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) seen.defaultButton = id;
    }
    // Wine keeps an empty icon static in a box without an icon.
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        seen.icon = seen.icon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
    return seen;
}

inline std::vector<Box> boxes;  // every message box shown, in order
inline int answer = IDNO;      // what a Yes/No box is answered
inline HWND boxComing = nullptr;
inline std::function<void()> whileBoxOpen = [] {};  // done, once, before the next box is answered

// Read and answered from a timer, which runs in the box's own modal loop once the box is set up.
inline void CALLBACK readAndAnswer(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    std::exchange(whileBoxOpen, [] {})();
    boxes.push_back(readBox(boxComing));
    PostMessageW(boxComing, WM_COMMAND, GetDlgItem(boxComing, IDYES) ? answer : IDOK, 0);
}

inline LRESULT CALLBACK answerBoxes(int code, WPARAM wParam, LPARAM lParam) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t kind[8] = {};
    if (code == HCBT_ACTIVATE && box != boxComing && GetClassNameW(box, kind, 8) && std::wstring(kind) == L"#32770") {
        boxComing = box;
        SetTimer(nullptr, 0, 10, readAndAnswer);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}


class Form1Window : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* name : {L"b10", L"a dir", L"b9", L".hidden"}) fs::create_directories(work / name);
        SetFileAttributesW((work / L".hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
        fs::current_path(work);  // where the directory list starts
        hook = SetWindowsHookExW(WH_CBT, answerBoxes, nullptr, GetCurrentThreadId());
        // Where an earlier test left the pointer, a tooltip would show, and its timers wake the loop.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        ASSERT_TRUE(window.create(GetModuleHandleW(nullptr), SW_SHOWNORMAL, L""));
        for (const fs::path& part : work.relative_path()) chain.push_back(part.wstring());
    }
    void TearDown() override {
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(fs::current_path(), work) << "the working directory changed";
        fs::current_path(fs::temp_directory_path());
        std::error_code keptByAConsole;  // a console a test started keeps its working directory
        fs::remove_all(work, keptByAConsole);
    }

    HWND control(Control which) const { return window.control(which); }
    std::wstring text(Control which) const { return textOf(control(which)); }
    void click(Control which) { SendMessageW(control(which), BM_CLICK, 0, 0); }
    // Posted input, handled as the program's message loop handles it.
    void post(HWND to, UINT message, WPARAM wParam, LPARAM lParam = 0) {
        PostMessageW(to, message, wParam, lParam);
        window.handleEvents(0);
    }
    std::vector<std::wstring> listed() const {
        std::vector<std::wstring> names(static_cast<std::size_t>(SendMessageW(control(Control::dirb), LB_GETCOUNT, 0, 0)));
        for (std::size_t i = 0; i < names.size(); ++i) {
            names[i].resize(static_cast<std::size_t>(SendMessageW(control(Control::dirb), LB_GETTEXTLEN, i, 0)));
            SendMessageW(control(Control::dirb), LB_GETTEXT, i, reinterpret_cast<LPARAM>(names[i].data()));
        }
        return names;
    }
    // Handles messages and changes on disk until `done` holds, for at most `ms`; whether it held.
    template <typename Condition>
    bool pumpUntil(Condition done, ULONGLONG ms = 3000) {
        for (const ULONGLONG end = GetTickCount64() + ms; !done(); window.handleEvents(20)) {
            if (GetTickCount64() > end) return false;
        }
        return true;
    }
    // The directory list's highlighted entry: after every move, the current directory.
    std::wstring highlighted() const {
        const LRESULT index = SendMessageW(control(Control::dirb), LB_GETCURSEL, 0, 0);
        return index == LB_ERR ? L"(none)" : listed()[static_cast<std::size_t>(index)];
    }
    // The cursor on the directory list, where a user's would be; returns the point in the list.
    POINT pointAt(const std::wstring& entry, int below = 0) {
        RECT item{};
        SendMessageW(control(Control::dirb), LB_GETITEMRECT, SendMessageW(control(Control::dirb), LB_FINDSTRINGEXACT,
                     static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry.c_str())), reinterpret_cast<LPARAM>(&item));
        POINT point{30, item.top + 2 + below}, screen = point;
        ClientToScreen(control(Control::dirb), &screen);
        SetCursorPos(screen.x, screen.y);
        return point;
    }
    void clickEntry(const std::wstring& name, bool twice) {
        const POINT point = pointAt(name);
        for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, twice ? WM_LBUTTONDBLCLK : WM_NULL, WM_LBUTTONUP})
            post(control(Control::dirb), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(point.x, point.y));
    }
    // What Windows does, and Wine does not, on a double-click anywhere in the list, even under the last entry.
    void doubleClickNotification(const std::wstring& entry, int below) {
        pointAt(entry, below);
        post(window.hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control(Control::dirb)), LBN_DBLCLK),
             reinterpret_cast<LPARAM>(control(Control::dirb)));
    }
    // Files dropped on the window, as the shell hands them over.
    void drop(std::initializer_list<fs::path> items) {
        std::wstring names;
        for (const fs::path& item : items) names += item.wstring() + L'\0';
        const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t));
        auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
        *files = DROPFILES{sizeof(DROPFILES), {}, FALSE, TRUE};
        std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(files + 1));
        GlobalUnlock(memory);
        post(window.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory));
        EXPECT_EQ(GlobalSize(memory), 0u) << "the drop was not ended";
    }

    const fs::path work = fs::temp_directory_path() / L"kavren window test";
    std::vector<std::wstring> chain{work.root_name().wstring() + L"\\"};  // as the directory list shows it
    kavren::Win32Platform platform;
    kavren::MainWindow window{platform};
    HHOOK hook = nullptr;
};

}  // namespace form1_window
