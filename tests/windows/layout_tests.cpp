// The window itself on screen: its frame, the places and fonts of its controls at every DPI, the faces
// the path box takes for any script, and what screen readers and the keyboard find.
#include "form1_window.h"

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
    return rowOnScreen(form, 0, RECT{left, y, right, y + 1});
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

}  // namespace
