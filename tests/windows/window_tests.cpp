// The window looked at from inside its own process: under Wine, fonts and icons
// can only be read there. Each test creates the real window with the real
// platform calls, in a working directory of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "driver.h"

namespace kavren {
namespace {

using wintest::Deadline;
using wintest::Millis;
using wintest::TempDir;

RECT clientRectOf(HWND control, HWND parent) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring listText(HWND list, int index) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, index, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::vector<std::wstring> listItems(HWND list) {
    std::vector<std::wstring> items;
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) items.push_back(listText(list, i));
    return items;
}

int textHeight(HWND control, HFONT font) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return metrics.tmHeight;
}

std::wstring currentDirectory() {
    std::wstring path(GetCurrentDirectoryW(0, nullptr), L'\0');
    path.resize(GetCurrentDirectoryW(static_cast<DWORD>(path.size()), path.data()));
    return path;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(work.ok()) << work.error();
        for (const wchar_t* name : {L"b10", L"b9", L"a dir"}) ASSERT_FALSE(work.MakeDir(name).empty());
        ASSERT_TRUE(SetCurrentDirectoryW(work.path().c_str()));
        workPath = currentDirectory();
        window = std::make_unique<MainWindow>(platform);
        ASSERT_TRUE(window->create(GetModuleHandleW(nullptr), SW_SHOWNORMAL))
            << "the stand-in tool must lie beside the test program";
        pumpUntil([this] { return GetFocus() == control(Control::dirb); });
    }
    void TearDown() override {
        window.reset();
        pump();
        SetCurrentDirectoryW(L"C:\\");
    }

    HWND hwnd() const { return window->hwnd(); }
    HWND control(Control which) const { return window->control(which); }
    const ControlSpec& row(Control which) const { return kControlTable[static_cast<int>(which)]; }
    int px(int twips) const { return twipsToPixels(twips, window->dpi()); }

    // Handles what is queued, with the dialog keys, as the program's own loop does.
    void pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (window && IsDialogMessageW(hwnd(), &message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    template <typename Condition>
    bool pumpUntil(Condition done, Millis timeout = Millis(3000)) {
        for (Deadline deadline(timeout); !deadline.Expired(); Sleep(10)) {
            pump();
            if (done()) return true;
        }
        return done();
    }
    void pressKey(WORD key, bool shift = false) {
        std::vector<INPUT> inputs;
        auto add = [&inputs](WORD vk, DWORD flags) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = vk;
            input.ki.dwFlags = flags;
            inputs.push_back(input);
        };
        if (shift) add(VK_SHIFT, 0);
        add(key, 0);
        add(key, KEYEVENTF_KEYUP);
        if (shift) add(VK_SHIFT, KEYEVENTF_KEYUP);
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    }
    // Where the list shows item `index`, in the list's client coordinates.
    LPARAM itemPoint(int index) {
        RECT item;
        SendMessageW(control(Control::dirb), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        return MAKELPARAM(item.left + 30, (item.top + item.bottom) / 2);
    }
    // A double-click as the mouse sends it: down, up, double-click, up.
    void doubleClick(int index) {
        HWND dirb = control(Control::dirb);
        SendMessageW(dirb, WM_LBUTTONDOWN, MK_LBUTTON, itemPoint(index));
        SendMessageW(dirb, WM_LBUTTONUP, 0, itemPoint(index));
        SendMessageW(dirb, WM_LBUTTONDBLCLK, MK_LBUTTON, itemPoint(index));
        SendMessageW(dirb, WM_LBUTTONUP, 0, itemPoint(index));
        pump();
    }
    std::wstring pathBox() const { return wintest::TextOf(control(Control::txtpath)); }

    TempDir work{L"window"};
    std::wstring workPath;
    Win32Platform platform;
    std::unique_ptr<MainWindow> window;
};

TEST_F(WindowTest, FixedFrameWithCaptionIconAndClientSize) {
    EXPECT_EQ(wintest::CaptionOf(hwnd()), L"KAVREN tool UI");
    const LONG_PTR style = GetWindowLongPtrW(hwnd(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the user cannot resize the window";
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << "keeps a task bar button";
    EXPECT_EQ(GetWindow(hwnd(), GW_OWNER), nullptr) << "an unowned window gets a task bar button";

    ASSERT_EQ(window->dpi(), 96u);
    RECT client;
    GetClientRect(hwnd(), &client);
    EXPECT_EQ(client.right, 505);
    EXPECT_EQ(client.bottom, 214);

    HICON small = reinterpret_cast<HICON>(SendMessageW(hwnd(), WM_GETICON, ICON_SMALL, 0));
    ASSERT_NE(small, nullptr);
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(small, &info));
    BITMAP mask;
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 16);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
}

TEST_F(WindowTest, EveryControlHasItsPlaceTextAndFont) {
    for (int i = 0; i < kControlCount; ++i) {
        const ControlSpec& expected = kControlTable[i];
        SCOPED_TRACE(wintest::Utf8(expected.name));
        HWND child = window->control(static_cast<Control>(i));
        ASSERT_NE(child, nullptr);
        EXPECT_TRUE(wintest::SameText(wintest::ClassNameOf(child), expected.className));

        const RECT rect = clientRectOf(child, hwnd());
        EXPECT_EQ(rect.left, px(expected.left));
        EXPECT_EQ(rect.top, px(expected.top));
        EXPECT_EQ(rect.right - rect.left, px(expected.width));
        LOGFONTW font{};
        HFONT handle = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        ASSERT_NE(handle, nullptr);
        if (i == static_cast<int>(Control::drvb)) {
            // A closed drop-down list is never lower than its font needs: four pixels of
            // border above and below the text. A substitute font may need more than the table.
            EXPECT_EQ(rect.bottom - rect.top, std::max(px(expected.height), textHeight(child, handle) + 8));
        } else {
            EXPECT_EQ(rect.bottom - rect.top, px(expected.height));
        }

        ASSERT_EQ(GetObjectW(handle, sizeof font, &font), static_cast<int>(sizeof font));
        EXPECT_STREQ(font.lfFaceName, L"Lucida Console");
        EXPECT_EQ(font.lfCharSet, 0);
        EXPECT_EQ(font.lfWeight, expected.weight);
        EXPECT_EQ(font.lfHeight, -MulDiv(expected.centipoints, 96, 7200));
    }
    // The table's sizes, as a user would name them: 9 pt is 12 pixels at 96 DPI.
    EXPECT_EQ(fontHeight(900, 96), -12);
    EXPECT_EQ(fontHeight(675, 96), -9);
    EXPECT_EQ(fontHeight(1200, 96), -16);

    EXPECT_EQ(wintest::TextOf(control(Control::cmdu)), L"Unpack it!");
    EXPECT_EQ(wintest::TextOf(control(Control::cmdp)), L"Pack it!");
    EXPECT_EQ(wintest::TextOf(control(Control::Command1)), L"About");
    EXPECT_EQ(wintest::TextOf(control(Control::Command2)), L"Hide");
    EXPECT_EQ(wintest::TextOf(control(Control::Label2)), L"Path:");
    EXPECT_EQ(SendMessageW(control(Control::optr), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(pathBox(), workPath) << "the load handler fills the path box";
}

TEST_F(WindowTest, WrappedTextFitsInsideItsBox) {
    for (Control which : {Control::Label1, Control::optr}) {
        HWND child = control(which);
        SCOPED_TRACE(wintest::Utf8(row(which).name));
        const std::wstring text = wintest::TextOf(child);
        HDC dc = GetDC(child);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics;
        GetTextMetricsW(dc, &metrics);
        // The check box's text starts right of its box, about one line height in.
        const int width = px(row(which).width) - (which == Control::optr ? metrics.tmHeight + 6 : 0);
        RECT needed{0, 0, width, 0};
        DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        EXPECT_GT(needed.bottom, metrics.tmHeight) << "wraps over more than one line";
        EXPECT_LE(needed.bottom, px(row(which).height)) << "every line inside the box";
    }
}

TEST_F(WindowTest, TabKeyCyclesInTableOrderAndLabelsAreSkipped) {
    EXPECT_EQ(GetFocus(), control(Control::dirb)) << "the focus starts on the directory list";
    SetForegroundWindow(hwnd());
    const Control order[] = {Control::drvb, Control::txtpath, Control::cmdu,     Control::cmdp,
                             Control::optr, Control::Command1, Control::Command2, Control::dirb};
    for (Control next : order) {
        pressKey(VK_TAB);
        HWND want = control(next);
        EXPECT_TRUE(pumpUntil([&] { HWND focus = GetFocus(); return focus == want || IsChild(want, focus); }))
            << "TAB should move to " << wintest::Utf8(row(next).name) << ", focus is on "
            << wintest::Utf8(wintest::ClassNameOf(GetFocus()));
    }
    for (Control label : {Control::Label1, Control::Label2})
        EXPECT_FALSE(GetWindowLongPtrW(control(label), GWL_STYLE) & WS_TABSTOP);
    for (Control button : {Control::cmdu, Control::cmdp, Control::Command1, Control::Command2})
        EXPECT_EQ(GetWindowLongPtrW(control(button), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON) << "no default button";
}

TEST_F(WindowTest, EnterOnDirectoryOpensItAndPathBoxEnterDoesNothing) {
    HWND dirb = control(Control::dirb);
    SetForegroundWindow(hwnd());
    const std::wstring before = pathBox();
    SetFocus(control(Control::txtpath));
    pressKey(VK_RETURN);
    pumpUntil([] { return false; }, Millis(300));
    EXPECT_EQ(pathBox(), before);
    EXPECT_TRUE(IsWindowEnabled(hwnd())) << "no modal box opened";

    const int child = static_cast<int>(SendMessageW(dirb, LB_GETCOUNT, 0, 0)) - 1;  // the last subdirectory
    const std::wstring name = listText(dirb, child);
    SetFocus(dirb);
    SendMessageW(dirb, LB_SETCURSEL, child, 0);
    pressKey(VK_RETURN);
    EXPECT_TRUE(pumpUntil([&] { return pathBox() == workPath + L"\\" + name; })) << "path box: " << wintest::Utf8(pathBox());
}

TEST_F(WindowTest, DirectoryListShowsChainThenSortedChildren) {
    HWND dirb = control(Control::dirb);
    std::vector<std::wstring> expected;
    for (const std::wstring& link : pathChain(workPath)) expected.push_back(link.substr(link.find_last_of(L'\\') + 1));
    expected.front() = pathChain(workPath).front();
    const std::size_t current = expected.size() - 1;
    for (const wchar_t* child : {L"a dir", L"b9", L"b10"}) expected.push_back(child);
    EXPECT_EQ(listItems(dirb), expected);
    EXPECT_EQ(SendMessageW(dirb, LB_GETCURSEL, 0, 0), static_cast<LRESULT>(current)) << "current directory marked";
}

TEST_F(WindowTest, SingleClickHighlightsAndDoubleClickOpens) {
    HWND dirb = control(Control::dirb);
    const int count = static_cast<int>(SendMessageW(dirb, LB_GETCOUNT, 0, 0));
    const int child = count - 2;  // "b9"
    ASSERT_EQ(listText(dirb, child), L"b9");
    SetWindowTextW(control(Control::txtpath), L"typed by the user");

    SendMessageW(dirb, WM_LBUTTONDOWN, MK_LBUTTON, itemPoint(child));
    SendMessageW(dirb, WM_LBUTTONUP, 0, itemPoint(child));
    pump();
    EXPECT_EQ(SendMessageW(dirb, LB_GETCURSEL, 0, 0), child);
    EXPECT_EQ(pathBox(), L"typed by the user") << "a single click only highlights";
    EXPECT_EQ(SendMessageW(dirb, LB_GETCOUNT, 0, 0), count);

    doubleClick(child);
    EXPECT_EQ(pathBox(), workPath + L"\\b9") << "a double-click replaces even typed text";
    EXPECT_EQ(window->form().dirb().path(), workPath + L"\\b9");
    EXPECT_EQ(listText(dirb, static_cast<int>(SendMessageW(dirb, LB_GETCOUNT, 0, 0)) - 1), L"b9")
        << "b9 has no children: it is the last entry";

    doubleClick(0);
    EXPECT_EQ(pathBox(), pathChain(workPath).front()) << "the root keeps its separator";
    EXPECT_EQ(currentDirectory(), workPath) << "the lists never change the working directory";
}

TEST_F(WindowTest, TypingInPathBoxMovesNeitherList) {
    const auto itemsBefore = listItems(control(Control::dirb));
    const LRESULT driveBefore = SendMessageW(control(Control::drvb), CB_GETCURSEL, 0, 0);
    SetFocus(control(Control::txtpath));
    SetForegroundWindow(hwnd());
    SendMessageW(control(Control::txtpath), EM_SETSEL, 0, -1);
    for (wchar_t c : std::wstring(L"C:\\")) SendMessageW(control(Control::txtpath), WM_CHAR, c, 0);
    pump();
    EXPECT_EQ(pathBox(), L"C:\\");
    EXPECT_EQ(listItems(control(Control::dirb)), itemsBefore);
    EXPECT_EQ(SendMessageW(control(Control::drvb), CB_GETCURSEL, 0, 0), driveBefore);
}

TEST_F(WindowTest, DpiChangeRelaysTheSameTwips) {
    RECT suggested;
    GetWindowRect(hwnd(), &suggested);
    SendMessageW(hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    pump();
    ASSERT_EQ(window->dpi(), 144u);
    RECT client;
    GetClientRect(hwnd(), &client);
    EXPECT_EQ(client.right, 758) << "7575 twips at 144 DPI, rounded as MulDiv does";
    EXPECT_EQ(client.bottom, 321);
    for (int i = 0; i < kControlCount; ++i) {
        const ControlSpec& expected = kControlTable[i];
        SCOPED_TRACE(wintest::Utf8(expected.name));
        HWND child = window->control(static_cast<Control>(i));
        const RECT rect = clientRectOf(child, hwnd());
        EXPECT_EQ(rect.left, MulDiv(expected.left, 144, 1440));
        EXPECT_EQ(rect.right - rect.left, MulDiv(expected.width, 144, 1440));
        EXPECT_EQ(rect.bottom - rect.top, MulDiv(expected.height, 144, 1440));
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(font.lfHeight, -MulDiv(expected.centipoints, 144, 7200));
        EXPECT_STREQ(font.lfFaceName, L"Lucida Console");
    }
}

TEST_F(WindowTest, HideMinimisesAndRestoreKeepsEverything) {
    SendMessageW(control(Control::optr), BM_SETCHECK, BST_CHECKED, 0);
    SetWindowTextW(control(Control::txtpath), L"D:\\kept");
    const auto items = listItems(control(Control::dirb));
    const LRESULT selected = SendMessageW(control(Control::dirb), LB_GETCURSEL, 0, 0);

    SendMessageW(control(Control::Command2), BM_CLICK, 0, 0);
    EXPECT_TRUE(pumpUntil([&] { return IsIconic(hwnd()) != FALSE; }));
    EXPECT_TRUE(IsWindowVisible(hwnd())) << "minimised, not hidden: the task bar button stays";
    ShowWindow(hwnd(), SW_RESTORE);
    EXPECT_TRUE(pumpUntil([&] { return !IsIconic(hwnd()); }));

    EXPECT_EQ(pathBox(), L"D:\\kept");
    EXPECT_EQ(SendMessageW(control(Control::optr), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(listItems(control(Control::dirb)), items);
    EXPECT_EQ(SendMessageW(control(Control::dirb), LB_GETCURSEL, 0, 0), selected);
}

}  // namespace
}  // namespace kavren
