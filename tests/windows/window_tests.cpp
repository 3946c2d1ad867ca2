// The window's layout, fonts, keyboard, lists and message boxes, looked at on the real window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "form1_window.h"

#include <dbt.h>

namespace {

using namespace form1_window;

// In its parent's client area, or in that of `in`.
RECT rectOf(HWND control, HWND in = nullptr) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, in ? in : GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The name Active Accessibility gives a box without a caption of its own: the nearest label before
// it in z-order, the search ending at a control that begins a group of tab stops.
std::wstring labelOf(HWND box) {
    for (HWND before = GetWindow(box, GW_HWNDPREV); before; before = GetWindow(before, GW_HWNDPREV)) {
        wchar_t kind[8] = {};
        if (GetClassNameW(before, kind, 8) && std::wstring(kind) == L"Static") return textOf(before);
        if ((GetWindowLongW(before, GWL_STYLE) & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP)) break;
    }
    return L"(none)";
}

std::vector<LONG> corners(RECT rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

// One row of the pixels that the form shows in its client area, from `left` to `right`, freshly painted:
// the whole window, then "Path:" alone, as when only the label is painted again.
std::vector<COLORREF> shownRow(HWND form, int y, int left, int right) {
    RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RedrawWindow(GetDlgItem(form, kavren::controlId(Control::Label2)), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const HDC dc = GetDC(form);
    std::vector<COLORREF> row;
    for (int x = left; x < right; ++x) row.push_back(GetPixel(dc, x, y));
    ReleaseDC(form, dc);
    return row;
}

TEST_F(Form1Window, FrameCaptionsFontsAndPlacesFollowTheDpiEvenWhileMinimised) {
    const HWND form = window.hwnd();
    EXPECT_EQ(textOf(form), L"KAVREN tool UI");
    EXPECT_EQ(GetWindowLongW(form, GWL_STYLE) & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(GetWindow(form, GW_OWNER), nullptr) << "an owned window has no task bar button";
    // The icon, at the sizes of the title bar and of Alt+Tab.
    for (const auto& [icon, size] : {std::pair{GCLP_HICONSM, SM_CXSMICON}, std::pair{GCLP_HICON, SM_CXICON}}) {
        ICONINFO info{};
        BITMAP bitmap{};
        GetIconInfo(reinterpret_cast<HICON>(GetClassLongPtrW(form, icon)), &info);
        GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_TRUE(bitmap.bmWidth == GetSystemMetrics(size) && bitmap.bmHeight == bitmap.bmWidth) << bitmap.bmWidth;
        DeleteObject(info.hbmColor), DeleteObject(info.hbmMask);
    }
    // Each control's place at 96 DPI, worked out by hand from its twips (15 to the pixel), and caption.
    const std::tuple<Control, RECT, std::wstring> places[] = {
        {Control::dirb, {8, 32, 185, 206}, L""}, {Control::drvb, {8, 8, 185, 28}, work.root_name().wstring()},
        {Control::txtpath, {200, 72, 497, 89}, work.wstring()}, {Control::cmdu, {200, 144, 417, 169}, L"Unpack it!"},
        {Control::cmdp, {200, 176, 417, 201}, L"Pack it!"}, {Control::Command1, {424, 144, 497, 169}, L"About"},
        {Control::optr, {200, 96, 497, 129}, L"Pack/Unpack Recursive (include all subdirectories)"},
        {Control::Label1, {200, 8, 497, 49},
         L"Choose the directory where the KAV.REN file is on the left. (you need to double click it)"},
        {Control::Label2, {200, 56, 497, 73}, L"Path:"}, {Control::Command2, {424, 176, 497, 201}, L"Hide"}};
    // Dropped, the drive list is as tall as the code made the combo box, however many drives there
    // are. Windows takes that height only with CBS_NOINTEGRALHEIGHT (else it drops 30 entries).
    const HWND drvb = control(Control::drvb);
    EXPECT_TRUE(GetWindowLongW(drvb, GWL_STYLE) & CBS_NOINTEGRALHEIGHT);
    for (int i = 0; i < 30; ++i) SendMessageW(drvb, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Y:"));
    SendMessageW(drvb, CB_SHOWDROPDOWN, TRUE, 0);
    COMBOBOXINFO combo{sizeof combo, {}, {}, 0, nullptr, nullptr, nullptr};
    GetComboBoxInfo(drvb, &combo);
    EXPECT_NEAR(rectOf(combo.hwndList, form).bottom, 8 + 174, 1) << "the drive list's top, and the directory list's height";
    SendMessageW(drvb, CB_SHOWDROPDOWN, FALSE, 0);

    // The monitor's DPI changes twice, the second time while the window is minimised ("Hide").
    for (const auto& [dpi, minimised, client] : {std::tuple<int, bool, RECT>{96, false, {0, 0, 505, 214}},
                                                  {144, false, {0, 0, 758, 321}}, {120, true, {0, 0, 631, 268}}}) {
        SCOPED_TRACE(dpi);
        if (minimised) ShowWindow(form, SW_MINIMIZE);
        RECT rect{};
        GetWindowRect(form, &rect);
        if (dpi != 96) SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&rect));
        if (minimised) ShowWindow(form, SW_RESTORE);
        GetClientRect(form, &rect);
        EXPECT_EQ(corners(rect), corners(client));
        EXPECT_GE(SendMessageW(control(Control::dirb), LB_GETITEMHEIGHT, 0, 0), MulDiv(14, dpi, 96)) << "rows too low";
        // "Path:" reaches into the path box, beneath it: the box's top lines look like its bottom ones.
        const RECT box = rectOf(control(Control::txtpath));
        const int reach = rectOf(control(Control::Label2)).bottom - box.top;
        EXPECT_GT(reach, 0) << "the label no longer reaches into the box";
        for (int line = 0; line < reach; ++line)
            EXPECT_EQ(shownRow(form, box.top + line, box.left + 2, box.right - 2),
                      shownRow(form, box.bottom - 1 - line, box.left + 2, box.right - 2)) << "line " << line;
        for (const auto& [which, place, caption] : places) {
            SCOPED_TRACE(static_cast<int>(which));
            EXPECT_EQ(text(which), caption);
            LOGFONTW font{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control(which), WM_GETFONT, 0, 0)), sizeof font, &font);
            const bool big = which == Control::cmdu || which == Control::cmdp;
            const LONG height = -((big ? 1200 : which == Control::txtpath ? 675 : 900) * dpi + 3600) / 7200;
            EXPECT_STREQ(font.lfFaceName, L"Lucida Console");
            EXPECT_EQ(
                std::vector<LONG>({font.lfCharSet, font.lfItalic, font.lfPitchAndFamily, font.lfHeight, font.lfWeight}),
                std::vector<LONG>({0, 0, FIXED_PITCH | FF_MODERN, height, big ? FW_BOLD : FW_NORMAL}));
            // Exact at 96 DPI; scaled within the pixel that rounding allows at the others. A closed
            // drop-down list is never lower than its font needs (Lucida Console's stand-in is taller).
            const std::vector<LONG> seen = corners(rectOf(control(which))), at96 = corners(place);
            for (int side = 0; side < (which == Control::drvb ? 3 : 4); ++side)
                EXPECT_NEAR(seen[side], at96[side] * dpi / 96.0, dpi == 96 ? 0 : 1) << "side " << side;
        }
    }
}

TEST_F(Form1Window, ScreenReadersNameTheBoxesAndTheKeyboardFollowsTheTabOrder) {
    EXPECT_EQ(labelOf(control(Control::txtpath)), L"Path:");
    EXPECT_EQ(labelOf(control(Control::dirb)), text(Control::Label1));
    EXPECT_EQ(labelOf(control(Control::drvb)), L"(none)");
    EXPECT_EQ(GetFocus(), control(Control::dirb)) << "the focus starts on the directory list";
    // Looked at before the focus moves: the dialog keys take a button's default look when they pass it.
    for (Control button : {Control::cmdu, Control::cmdp, Control::Command1, Control::Command2})
        EXPECT_EQ(GetWindowLongW(control(button), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON) << "a default button";
    for (Control next : {Control::drvb, Control::txtpath, Control::cmdu, Control::cmdp, Control::optr, Control::Command1,
                         Control::Command2, Control::dirb}) {
        post(GetFocus(), WM_KEYDOWN, VK_TAB);
        EXPECT_EQ(GetFocus(), control(next)) << "expected control " << static_cast<int>(next);
    }
    SetWindowTextW(control(Control::txtpath), L"typed");
    // With a default or cancel button these would press it, and Pack or Unpack would ask.
    for (Control focused : {Control::txtpath, Control::optr}) {
        SetFocus(control(focused));
        for (UINT pressesNothing : {VK_RETURN, VK_ESCAPE}) post(control(focused), WM_KEYDOWN, pressesNothing);
    }
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(text(Control::txtpath), L"typed");
    SetFocus(control(Control::dirb));
    SendMessageW(control(Control::dirb), LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"b9"));
    post(control(Control::dirb), WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(text(Control::txtpath), (work / L"b9").wstring());
    EXPECT_EQ(highlighted(), L"b9");
}

TEST_F(Form1Window, ListsAndPathBoxStayInStepAndRefuseWhatCannotBeRead) {
    std::vector<std::wstring> shown = chain;
    shown.insert(shown.end(), {L"a dir", L"b9", L"b10"});  // Explorer's order; no hidden ones
    EXPECT_EQ(listed(), shown);
    EXPECT_EQ(highlighted(), chain.back());
    EXPECT_EQ(text(Control::txtpath), work.wstring());
    EXPECT_EQ(text(Control::drvb), work.root_name().wstring());

    SetWindowTextW(control(Control::txtpath), L"typed");
    clickEntry(L"b9", false);
    EXPECT_EQ(listed(), shown) << "typing or a single click moved the list";
    EXPECT_EQ(text(Control::txtpath), L"typed");

    SendMessageW(control(Control::drvb), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Q:"));  // no such drive
    SendMessageW(control(Control::drvb), CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Q:"));
    SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(kavren::controlId(Control::drvb), CBN_SELCHANGE), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind(L"Drive Q: cannot be read.\r\n", 0), 0u);
    EXPECT_EQ(boxes[0].title + L" " + std::to_wstring(boxes[0].buttons.size()), L"KAVREN tool UI 1");
    EXPECT_EQ(text(Control::drvb), work.root_name().wstring()) << "the drive list did not go back";

    clickEntry(L"a dir", true);
    EXPECT_EQ(text(Control::txtpath), (work / L"a dir").wstring());
    chain.push_back(L"a dir");
    EXPECT_EQ(listed(), chain);
    EXPECT_EQ(highlighted(), L"a dir");

    // A double-click under the last entry, which the first click highlighted, opens nothing.
    SetWindowTextW(control(Control::txtpath), L"typed");
    clickEntry(L"a dir", false);
    doubleClickNotification(L"a dir", 24);
    EXPECT_EQ(text(Control::txtpath), L"typed");
    EXPECT_EQ(listed(), chain);
    doubleClickNotification(chain[0], 0);
    EXPECT_EQ(text(Control::txtpath), chain[0]) << "not the root under the double-click, with its separator";
    EXPECT_EQ(highlighted(), chain[0]);
}

// A change on disk is no user's choice: the list follows it in Explorer's order, and nothing else
// moves (the path box with typed text, the highlighted entry, the entry at the top, the focus) or
// says anything, even when the shown directory itself goes.
TEST_F(Form1Window, TheListFollowsTheDiskAndTheDrivesAndNothingElseMoves) {
    // Drives that come and go, as Windows tells every top-level window, and their labels after the letters,
    // looked at in the idle turns (L: has one, which Wine reads from its root's .windows-label). The user
    // has the list open meanwhile, on another entry: it stays so until they close it.
    const HWND drvb = control(Control::drvb);
    const auto shows = [drvb](const wchar_t* entry, UINT exact) {
        return SendMessageW(drvb, exact, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry)) != CB_ERR;
    };
    const wchar_t* const labelled = L"L: \u6570\u636e Disk";
    SetCursorPos(1200, 1000);  // away from the open list, whose highlight follows the pointer
    SendMessageW(drvb, CB_SHOWDROPDOWN, TRUE, 0);
    const LRESULT last = SendMessageW(drvb, CB_GETCOUNT, 0, 0) - 1;
    SendMessageW(drvb, CB_SETCURSEL, last, 0);  // the highlight, in an open list
    DEV_BROADCAST_VOLUME volume{sizeof volume, DBT_DEVTYP_VOLUME, 0, 1u << (L'Q' - L'A'), 0};
    ASSERT_TRUE(DefineDosDeviceW(0, L"Q:", work.c_str()));
    SendMessageW(window.hwnd(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&volume));
    EXPECT_TRUE(pumpUntil([&] { return window.form().drvbText().find(labelled) != std::wstring::npos; }));
    EXPECT_TRUE(SendMessageW(drvb, CB_GETDROPPEDSTATE, 0, 0)) << "the list closed";
    EXPECT_EQ(SendMessageW(drvb, CB_GETCURSEL, 0, 0), last) << "the highlight moved";
    EXPECT_FALSE(shows(L"Q:", CB_FINDSTRING) || shows(labelled, CB_FINDSTRINGEXACT)) << "changed while open";
    SendMessageW(drvb, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_TRUE(pumpUntil([&] { return shows(L"Q:", CB_FINDSTRING) && shows(labelled, CB_FINDSTRINGEXACT); }));
    EXPECT_TRUE(pumpUntil([&] { return lacking(reinterpret_cast<HFONT>(SendMessageW(drvb, WM_GETFONT, 0, 0)), labelled) == 0; }));
    // A labelled drive chosen: the list goes to the drive by its letter, and it stays selected as drives go.
    SendMessageW(drvb, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(labelled));
    SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(kavren::controlId(Control::drvb), CBN_SELCHANGE), 0);
    EXPECT_EQ(text(Control::txtpath), L"L:\\");
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", nullptr);
    SendMessageW(window.hwnd(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&volume));
    EXPECT_FALSE(shows(L"Q:", CB_FINDSTRING));
    EXPECT_EQ(text(Control::drvb), labelled);
    drop({work});

    const HWND dirb = control(Control::dirb);
    std::vector<std::wstring> children{L"a dir", L"b9", L"b10"};
    for (int i = 10; i < 50; ++i) children.push_back(L"c" + std::to_wstring(i));
    for (std::size_t i = 3; i < children.size(); ++i) fs::create_directory(work / children[i]);
    post(dirb, WM_KEYDOWN, VK_F5);  // made before the watch began: F5 reads them
    SendMessageW(dirb, LB_SETCURSEL, SendMessageW(dirb, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"c25")), 0);
    SendMessageW(dirb, LB_SETTOPINDEX, SendMessageW(dirb, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"c20")), 0);
    SetFocus(control(Control::txtpath));
    SetWindowTextW(control(Control::txtpath), L"typed");
    const std::pair<std::function<void()>, std::function<void()>> changes[] = {
        {[&] { fs::create_directory(work / L"b5"); }, [&] { children.insert(children.begin() + 1, L"b5"); }},
        {[&] { fs::remove(work / L"c30"); }, [&] { std::erase(children, L"c30"); }},
        {[&] { fs::rename(work / L"c11", work / L"d11"); }, [&] { std::erase(children, L"c11"), children.push_back(L"d11"); }},
        {[&] {  // a hidden one, which never shows; b9 renamed in case only, through another name (Wine's
                 // MoveFileW from b9 to B9 succeeds and changes nothing)
             fs::create_directory(work / L".new");
             SetFileAttributesW((work / L".new").c_str(), FILE_ATTRIBUTE_HIDDEN);
             fs::rename(work / L"b9", work / L"b9~"), fs::rename(work / L"b9~", work / L"B9");
         }, [&] { *std::find(children.begin(), children.end(), L"b9") = L"B9"; }},
        {[&] {  // while a box holds the loop, more long names than a read's 64 KB can report: lost, read again
             whileBoxOpen = [&] { for (int i = 100; i < 400; ++i) fs::create_directory(work / (L"e" + std::to_wstring(i) + std::wstring(150, L'x'))); };
             SendMessageW(window.hwnd(), WM_COMMAND, kavren::controlId(Control::Command1), 0);  // About: the focus stays
         }, [&] { for (int i = 100; i < 400; ++i) children.push_back(L"e" + std::to_wstring(i) + std::wstring(150, L'x')); }},
    };
    for (const auto& [change, expected] : changes) {
        change();
        expected();
        std::vector<std::wstring> shown = chain;
        shown.insert(shown.end(), children.begin(), children.end());
        EXPECT_TRUE(pumpUntil([&] { return listed() == shown; })) << "the list did not follow: " << listed().size() << " of " << shown.size();
        EXPECT_EQ(text(Control::txtpath), L"typed");
        EXPECT_EQ(highlighted(), L"c25");
        EXPECT_EQ(listed()[static_cast<std::size_t>(SendMessageW(dirb, LB_GETTOPINDEX, 0, 0))], L"c20") << "the top moved";
        EXPECT_EQ(GetFocus(), control(Control::txtpath));
    }

    // Windows asks for the directory's device before it is removed: the watch lets go of it, and
    // takes it again when the removal failed. Wine sends none of this.
    DEV_BROADCAST_HANDLE device{sizeof device, DBT_DEVTYP_HANDLE, 0, nullptr, window.watch().notification()};
    EXPECT_EQ(SendMessageW(window.hwnd(), WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, reinterpret_cast<LPARAM>(&device)), TRUE);
    EXPECT_EQ(window.watch().event(), nullptr) << "the directory is still held";
    SendMessageW(window.hwnd(), WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVEFAILED, reinterpret_cast<LPARAM>(&device));
    EXPECT_NE(window.watch().event(), nullptr) << "not watched again";

    // The watch goes with the list. The shown directory renamed, and changed: the list keeps what it
    // shows, until F5 says what happened.
    SendMessageW(dirb, LB_SETTOPINDEX, 0, 0);
    clickEntry(L"a dir", true);
    chain.insert(chain.end(), {L"a dir", L"made there"});
    fs::create_directory(work / L"a dir" / L"made there");
    EXPECT_TRUE(pumpUntil([&] { return listed() == chain; })) << "the watch did not go with the list";
    fs::rename(work / L"a dir", work / L"b dir");  // Wine removes a watched directory only once it is let go
    fs::create_directory(work / L"b dir" / L"new");
    pumpUntil([] { return false; }, 300);
    EXPECT_EQ(listed(), chain);
    post(control(Control::txtpath), WM_KEYDOWN, VK_F5);  // wherever the focus is
    ASSERT_EQ(boxes.size(), 2u) << "About, which held the loop, then F5's box only";
    EXPECT_EQ(boxes[1].text.rfind(L"The directory " + (work / L"a dir").wstring() + L" cannot be read.\r\n", 0), 0u);
    EXPECT_NE(boxes[1].text.back(), L'\n') << "the system's text ends the box";
    EXPECT_EQ(boxes[1].title + L" " + std::to_wstring(boxes[1].buttons.size()), L"KAVREN tool UI 1");
}

// The window takes drops anywhere: the system hands a drop on a child to the first ancestor with this style.
TEST_F(Form1Window, ADroppedFolderOrFileBecomesThePathAndShellAndComWaitUntilNeeded) {
    EXPECT_TRUE(GetWindowLongW(window.hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_EQ(GetModuleHandleW(L"shell32.dll"), nullptr) << "shell32 loaded at start-up";
    std::ofstream(work / L"b9" / L"KAV.REN") << "archive";
    SetWindowTextW(control(Control::txtpath), L"typed");
    drop({work / L"b9" / L"KAV.REN", work / L"a dir"});
    EXPECT_EQ(text(Control::txtpath), (work / L"b9").wstring());
    EXPECT_EQ(highlighted(), L"b9");
    EXPECT_TRUE(boxes.empty()) << "a drop asks nothing";

    // COM starts when the path box first takes the focus, for the folder suggestions.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CoUninitialize();
    SetFocus(control(Control::txtpath));
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
}

// A path in any script shows in a face that has all its characters; back to Latin, the box is as before.
// A folder named in a script whose face is not found yet is listed at once, and drawn again when it is.
TEST_F(Form1Window, ThePathBoxTakesAFaceThatHasEveryCharacterOfItsText) {
    const std::wstring hindi = L"\u0939\u093f\u0928\u094d\u0926\u0940";
    ASSERT_TRUE(pumpUntil([&] { return window.watch().event() != nullptr; })) << "the shown directory is not watched";
    fs::create_directory(work / hindi);
    const HWND dirb = control(Control::dirb);
    const auto index = [&] { return SendMessageW(dirb, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(hindi.c_str())); };
    ASSERT_TRUE(pumpUntil([&] { return index() != LB_ERR; }));
    pumpUntil([] { return false; }, 1000);  // the looks, and what they ask to be drawn
    const auto painted = rowOnScreen(dirb, static_cast<std::size_t>(index()));
    RedrawWindow(dirb, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(rowOnScreen(dirb, static_cast<std::size_t>(index())) == painted) << "the row was not drawn again in the face found for it";

    const HWND txtpath = control(Control::txtpath);
    const auto font = [&] { return reinterpret_cast<HFONT>(SendMessageW(txtpath, WM_GETFONT, 0, 0)); };
    const HFONT lucida = font();
    for (const wchar_t* path : {L"C:\\\u6e38\u620f KAV", L"C:\\\u05e2\u05d1\u05e8\u05d9\u05ea", L"C:\\\u0627\u0644\u0639\u0631\u0628\u064a\u0629",
                                L"C:\\\u0939\u093f\u0928\u094d\u0926\u0940", L"C:\\\u0e44\u0e17\u0e22", L"C:\\Games"}) {
        SetWindowTextW(txtpath, path);
        EXPECT_TRUE(pumpUntil([&] { return lacking(font(), path) == 0; })) << text(Control::txtpath);
    }
    EXPECT_EQ(font(), lucida);
}

// Free slots of the GDI table: pens made until the system refuses one, then deleted again.
// (GetGuiResources and GetProcessHandleCount answer 0 under Wine.)
std::size_t freeGdiSlots() {
    std::vector<HPEN> pens;
    for (HPEN pen; (pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));) pens.push_back(pen);
    for (HPEN pen : pens) DeleteObject(pen);
    return pens.size();
}

// Kernel handles: the small values that name one.
int kernelHandles() {
    int held = 0;
    DWORD flags = 0;
    for (std::uintptr_t value = 4; value < 0x4000; value += 4)
        held += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    return held;
}

// The window stays open for hours, and Windows gives a process at most 10,000 GDI objects.
TEST_F(Form1Window, CommandsAskFirstHideKeepsTheFormAndHoursOfUseHoldNothingMore) {
    // A while of what users do: walk the list, move to a monitor of another DPI and back, let the
    // window repaint, read About, say No to Pack and Yes to Unpack (a console with the tool opens),
    // hide the window and bring it back, drop a folder on it.
    const auto useTheWindow = [this] {
        clickEntry(L"a dir", true);
        clickEntry(chain.back(), true);
        for (const UINT dpi : {144u, 96u}) {
            RECT rect{};
            GetWindowRect(window.hwnd(), &rect);
            SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&rect));
            RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
        click(Control::Command1);
        answer = IDNO;
        click(Control::cmdp);
        answer = IDYES;
        click(Control::cmdu);
        click(Control::Command2);
        EXPECT_TRUE(IsIconic(window.hwnd()) && IsWindowVisible(window.hwnd())) << "not minimised";
        ShowWindow(window.hwnd(), SW_RESTORE);
        drop({work / L"b9"});
        clickEntry(chain.back(), true);
    };
    useTheWindow();  // and what the system makes once and keeps: fonts of a DPI, COM, shell32
    const std::size_t freeBefore = freeGdiSlots();
    const int handlesBefore = kernelHandles();
    for (int round = 0; round < 5; ++round) useTheWindow();
    const std::size_t freeAfter = freeGdiSlots();
    const int handlesAfter = kernelHandles();
    // Five rounds paint over a hundred rows, make 30 fonts and start five consoles: one object lost
    // per row, font or console shows five times over, beyond what a system cache may keep.
    EXPECT_GE(freeAfter + 2, freeBefore) << freeBefore << " free GDI slots before, " << freeAfter << " after";
    EXPECT_LE(handlesAfter, handlesBefore + 2) << handlesBefore << " kernel handles before, " << handlesAfter << " after";

    // cmd /K " "<dir>\KavRenTool.exe" u "<path>" " of 32,767 characters, one more than Windows starts;
    // Wine would cut it and run what is left. Answered No, nothing starts and nothing is said.
    const std::wstring tooLong(32767 - 33 - platform.programDirectory().size(), L'x');
    SetWindowTextW(control(Control::txtpath), tooLong.c_str());
    for (const int answered : {IDNO, IDYES}) answer = answered, click(Control::cmdu);
    ASSERT_EQ(boxes.size(), 21u) << "About, Pack, Unpack each round; No to a start that fails, then Yes";
    for (int i : {1, 2, 18, 19}) {
        EXPECT_EQ(boxes[i].title, L"Anti-misclick v1.0");
        EXPECT_EQ(boxes[i].buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(boxes[i].defaultButton, IDYES);
    }
    EXPECT_EQ(boxes[0].title, L"About KAVREN UI");
    EXPECT_EQ(boxes[20].title, L"KAVREN tool UI");
    for (int i : {0, 20}) EXPECT_EQ(boxes[i].buttons, std::vector<int>{IDOK});
    for (const Box& box : boxes) EXPECT_TRUE(!box.icon && box.owner == window.hwnd()) << "icon or owner";
}

}  // namespace
