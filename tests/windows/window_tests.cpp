// The real window, created in this process: here its fonts and the message
// boxes it opens can be looked at directly, and posted input runs through the
// program's own message loop.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using kavren::Control;
using wintest::textOf;

std::vector<wintest::Box> boxes;  // every message box shown, in order
int answer = IDNO;                // the button a Yes/No box is answered with

// Each message box is read and answered from a timer, once the box is set up:
// the timer runs in the box's own modal loop.
HWND boxComing = nullptr;

void CALLBACK readAndAnswer(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    boxes.push_back(wintest::readBox(boxComing));
    PostMessageW(boxComing, WM_COMMAND, GetDlgItem(boxComing, IDYES) ? answer : IDOK, 0);
}

LRESULT CALLBACK answerBoxes(int code, WPARAM wParam, LPARAM lParam) {
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
        fs::current_path(work);  // the directory list starts at the working directory
        hook = SetWindowsHookExW(WH_CBT, answerBoxes, nullptr, GetCurrentThreadId());
        ASSERT_TRUE(window.create(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
    }
    void TearDown() override {
        UnhookWindowsHookEx(hook);
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(work);
    }

    HWND control(Control which) const { return window.control(which); }
    std::wstring text(Control which) const { return textOf(control(which)); }
    // Runs what was posted as the program's loop would.
    void pump() {
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) kavren::dispatchMessage(window.hwnd(), message);
    }
    void click(Control which) { SendMessageW(control(which), BM_CLICK, 0, 0); }
    void key(UINT virtualKey) {
        PostMessageW(GetFocus(), WM_KEYDOWN, virtualKey, 0);
        pump();
    }
    std::vector<std::wstring> listed() const {
        std::vector<std::wstring> names;
        for (LRESULT i = 0, n = SendMessageW(control(Control::dirb), LB_GETCOUNT, 0, 0); i < n; ++i) {
            std::wstring name(static_cast<std::size_t>(SendMessageW(control(Control::dirb), LB_GETTEXTLEN, i, 0)), L'\0');
            SendMessageW(control(Control::dirb), LB_GETTEXT, i, reinterpret_cast<LPARAM>(name.data()));
            names.push_back(name);
        }
        return names;
    }
    LRESULT indexOf(const wchar_t* name) const {
        return SendMessageW(control(Control::dirb), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(name));
    }
    // Mouse clicks on a list entry, as the user gives them.
    void clickEntry(const wchar_t* name, bool twice) {
        RECT item{};
        SendMessageW(control(Control::dirb), LB_GETITEMRECT, indexOf(name), reinterpret_cast<LPARAM>(&item));
        const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
            if (message == WM_LBUTTONDBLCLK && !twice) break;
            PostMessageW(control(Control::dirb), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
        }
        pump();
    }
    void pickDrive(const wchar_t* drive) {
        HWND drvb = control(Control::drvb);
        SendMessageW(drvb, CB_SETCURSEL, SendMessageW(drvb, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                      reinterpret_cast<LPARAM>(drive)), 0);
        SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(drvb), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(drvb));
    }

    const fs::path work = fs::temp_directory_path() / L"kavren window test";
    kavren::Win32Platform platform;
    kavren::MainWindow window{platform};
    HHOOK hook = nullptr;
};

RECT rectOf(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::vector<LONG> corners(RECT rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

TEST_F(Form1Window, FrameFontsAndLayoutFollowTheDpi) {
    const HWND form = window.hwnd();
    EXPECT_EQ(textOf(form), L"KAVREN tool UI");
    EXPECT_EQ(GetWindowLongW(form, GWL_STYLE) & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(GetWindow(form, GW_OWNER), nullptr) << "an owned window has no task bar button";
    EXPECT_NE(SendMessageW(form, WM_GETICON, ICON_SMALL, 0), 0);

    struct Scale {
        UINT dpi;
        LONG width, height;           // client area
        LONG font9, font675, font12;  // lfHeight
    };
    std::vector<RECT> at96;
    for (const Scale& scale : {Scale{96, 505, 214, -12, -9, -16}, Scale{144, 758, 321, -18, -14, -24}}) {
        SCOPED_TRACE(scale.dpi);
        if (scale.dpi != 96) {
            RECT suggested;
            GetWindowRect(form, &suggested);
            SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(scale.dpi, scale.dpi), reinterpret_cast<LPARAM>(&suggested));
        }
        RECT client;
        GetClientRect(form, &client);
        EXPECT_EQ(client.right, scale.width);
        EXPECT_EQ(client.bottom, scale.height);
        std::vector<RECT> rects;
        for (int i = 0; i < kavren::kControlCount; ++i) {
            SCOPED_TRACE(i);
            const auto which = static_cast<Control>(i);
            LOGFONTW font{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control(which), WM_GETFONT, 0, 0)), sizeof font, &font);
            const bool big = which == Control::cmdu || which == Control::cmdp;
            EXPECT_STREQ(font.lfFaceName, L"Lucida Console");
            EXPECT_EQ(font.lfCharSet, 0);
            EXPECT_EQ(font.lfPitchAndFamily, FIXED_PITCH | FF_MODERN);
            EXPECT_EQ(font.lfHeight, big ? scale.font12 : which == Control::txtpath ? scale.font675 : scale.font9);
            EXPECT_EQ(font.lfWeight, big ? FW_BOLD : FW_NORMAL);
            rects.push_back(rectOf(control(which)));
            EXPECT_TRUE(rects[i].left >= 0 && rects[i].top >= 0 && rects[i].right <= client.right &&
                        rects[i].bottom <= client.bottom);
            // No two overlap, but by the pixel or two by which "Path:" reaches into the path box.
            for (int j = 0; j < i; ++j) {
                RECT overlap;
                IntersectRect(&overlap, &rects[i], &rects[j]);
                EXPECT_LE(std::min(overlap.right - overlap.left, overlap.bottom - overlap.top), 2) << "overlaps " << j;
            }
            if (scale.dpi == 96) continue;
            EXPECT_NEAR(rects[i].left, at96[i].left * 3 / 2, 1);
            EXPECT_NEAR(rects[i].top, at96[i].top * 3 / 2, 1);
            EXPECT_NEAR(rects[i].right, at96[i].right * 3 / 2, 1);
            // A closed drop-down list is never lower than its font needs.
            if (which != Control::drvb) {
                EXPECT_NEAR(rects[i].bottom, at96[i].bottom * 3 / 2, 1);
            }
        }
        at96 = rects;
    }
}

// At 96 DPI: twips / 15. The directory list at 120, 480 sized 2655 x 2610; Pack at 3000, 2640 sized 3255 x 375.
TEST_F(Form1Window, TextsFitTheirBoxesAsOnWindows) {
    EXPECT_EQ(corners(rectOf(control(Control::dirb))), (std::vector<LONG>{8, 32, 185, 206}));
    EXPECT_EQ(corners(rectOf(control(Control::cmdp))), (std::vector<LONG>{200, 176, 417, 201}));
    // The label and the check box caption wrap inside their boxes; that holds only with
    // Lucida Console's advance width, which the test prefix's substitute has.
    const HDC dc = GetDC(window.hwnd());
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control(Control::Label1), WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    EXPECT_EQ(metrics.tmAveCharWidth, 7);
    for (Control which : {Control::Label1, Control::optr}) {
        RECT box = rectOf(control(which)), needed{0, 0, box.right - box.left, 0};
        if (which == Control::optr) needed.right -= GetSystemMetrics(SM_CXMENUCHECK) + 4;
        const std::wstring caption = text(which);
        DrawTextW(dc, caption.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK);
        // Counted in Lucida Console's lines, 12 px at 9 pt; the substitute's are a little higher.
        const int lines = needed.bottom / metrics.tmHeight;
        EXPECT_GE(lines, 2) << static_cast<int>(which);
        EXPECT_LE(lines * 12, box.bottom - box.top) << static_cast<int>(which);
    }
    ReleaseDC(window.hwnd(), dc);
}

TEST_F(Form1Window, KeyboardFollowsTheTabOrderAndEnterOpensOnlyAListEntry) {
    EXPECT_EQ(GetFocus(), control(Control::dirb)) << "the focus starts on the directory list";
    for (Control next : {Control::drvb, Control::txtpath, Control::cmdu, Control::cmdp, Control::optr, Control::Command1,
                         Control::Command2, Control::dirb}) {
        key(VK_TAB);
        EXPECT_EQ(GetFocus(), control(next)) << "expected control " << static_cast<int>(next);
    }
    for (Control button : {Control::cmdu, Control::cmdp, Control::Command1, Control::Command2})
        EXPECT_NE(GetWindowLongW(control(button), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON) << "a default button";
    SetFocus(control(Control::txtpath));
    for (UINT pressNothing : {VK_RETURN, VK_ESCAPE}) key(pressNothing);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(text(Control::txtpath), work.wstring());
    EXPECT_TRUE(IsWindowVisible(window.hwnd()));
    SetFocus(control(Control::dirb));
    SendMessageW(control(Control::dirb), LB_SETCURSEL, indexOf(L"b9"), 0);
    key(VK_RETURN);
    EXPECT_EQ(text(Control::txtpath), (work / L"b9").wstring());
}

TEST_F(Form1Window, ListsAndPathBoxStayInStepAndRefuseWhatCannotBeRead) {
    std::vector<std::wstring> shown{work.root_name().wstring() + L"\\"};
    for (const fs::path& part : work.relative_path()) shown.push_back(part.wstring());
    const std::size_t chain = shown.size();
    shown.insert(shown.end(), {L"a dir", L"b9", L"b10"});  // Explorer's order; hidden ones and files left out
    EXPECT_EQ(listed(), shown);
    EXPECT_EQ(SendMessageW(control(Control::dirb), LB_GETCURSEL, 0, 0), static_cast<LRESULT>(chain - 1));
    EXPECT_EQ(text(Control::txtpath), work.wstring());
    EXPECT_EQ(text(Control::drvb), work.root_name().wstring());

    SetWindowTextW(control(Control::txtpath), L"typed");
    clickEntry(L"b9", false);
    EXPECT_EQ(listed(), shown) << "typing or a single click moves the list";
    EXPECT_EQ(text(Control::txtpath), L"typed");

    fs::remove(work / L"b10");
    clickEntry(L"b10", true);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind(L"The directory " + (work / L"b10").wstring() + L" cannot be read.", 0), 0u);
    SendMessageW(control(Control::drvb), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Q:"));  // no such drive
    pickDrive(L"Q:");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text.rfind(L"Drive Q: cannot be read.", 0), 0u);
    for (const wintest::Box& box : boxes) {
        EXPECT_EQ(box.title, L"KAVREN tool UI");
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    }
    EXPECT_EQ(text(Control::drvb), work.root_name().wstring()) << "the drive list goes back";
    EXPECT_EQ(text(Control::txtpath), L"typed");
    EXPECT_EQ(listed(), shown);

    clickEntry(L"a dir", true);
    EXPECT_EQ(text(Control::txtpath), (work / L"a dir").wstring());
    EXPECT_EQ(listed(), std::vector<std::wstring>(shown.begin(), shown.begin() + chain + 1));
    clickEntry(shown[0].c_str(), true);
    EXPECT_EQ(text(Control::txtpath), shown[0]);
    pickDrive(L"Z:");
    EXPECT_EQ(text(Control::txtpath).substr(0, 3), L"Z:\\");
    EXPECT_EQ(listed()[0], L"Z:\\");
}

TEST_F(Form1Window, CommandsAskFirstAndHideKeepsTheForm) {
    SetWindowTextW(control(Control::txtpath), L"C:\\x y");
    click(Control::cmdp);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, L"Anti-misclick v1.0");
    EXPECT_EQ(boxes[0].text, L"Sure to PACK?\r\nPath: C:\\x y\r\nKAV.REN will be overwritten.");
    EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(boxes[0].defaultButton, IDYES);
    click(Control::Command1);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].title, L"About KAVREN UI");
    EXPECT_EQ(boxes[1].buttons, std::vector<int>{IDOK});
    // Windows starts no command line this long; Wine would cut it and run what is left.
    const std::wstring tooLong(32767, L'x');
    SetWindowTextW(control(Control::txtpath), tooLong.c_str());
    click(Control::cmdu);
    EXPECT_EQ(boxes.size(), 3u) << "No was taken for Yes";
    answer = IDYES;
    click(Control::cmdu);
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[4].title, L"KAVREN tool UI");
    for (const wintest::Box& box : boxes) {
        EXPECT_FALSE(box.icon);
        EXPECT_EQ(box.owner, window.hwnd());
    }

    SendMessageW(control(Control::optr), BM_SETCHECK, BST_CHECKED, 0);
    click(Control::Command2);
    EXPECT_TRUE(IsIconic(window.hwnd()));
    ShowWindow(window.hwnd(), SW_RESTORE);
    EXPECT_TRUE(IsWindowVisible(window.hwnd()) && !IsIconic(window.hwnd()));
    EXPECT_EQ(text(Control::txtpath), tooLong);
    EXPECT_EQ(SendMessageW(control(Control::optr), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(text(Control::drvb), work.root_name().wstring());
}

}  // namespace
