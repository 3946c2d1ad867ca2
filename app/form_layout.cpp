// The form's layout at one DPI, and what a change of DPI does.
#include "app/form_layout.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "app/script_text.h"
#include "platform/late_bound.h"

namespace kavren {
namespace {

bool isLabel(const ControlSpec& row) { return std::wcscmp(row.className, WC_STATICW) == 0; }

UINT dpiOf(HWND hwnd) {
    static const auto getDpiForWindow = user32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (getDpiForWindow) return getDpiForWindow(hwnd);
    HDC screen = GetDC(nullptr);
    const UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return dpi;
}

SIZE windowSizeFor(int clientWidth, int clientHeight, UINT dpi) {
    static const auto adjustForDpi =
        user32Function<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (adjustForDpi)
        adjustForDpi(&rect, kWindowStyle, FALSE, kWindowExStyle, dpi);
    else
        AdjustWindowRectEx(&rect, kWindowStyle, FALSE, kWindowExStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

FormLayout::FormLayout(HWND form, const ControlWindows& controls)
    : form_(form), controls_(controls), dpi_(dpiOf(form)) {}

RECT FormLayout::place(const ControlSpec& row) const {
    const int left = twipsToPixels(row.left, dpi_), top = twipsToPixels(row.top, dpi_);
    return {left, top, left + twipsToPixels(row.width, dpi_), top + twipsToPixels(row.height, dpi_)};
}

HFONT FormLayout::fontFor(const ControlSpec& row) {
    for (const Font& font : fonts_) {
        if (font.centipoints == row.centipoints && font.weight == row.weight) return font.handle.get();
    }
    fonts_.push_back({row.centipoints, row.weight, UniqueFont(createControlFont(row, dpi_))});
    return fonts_.back().handle.get();
}

void FormLayout::sizeForm() {
    const int width = twipsToPixels(kClientWidthTwips, dpi_), height = twipsToPixels(kClientHeightTwips, dpi_);
    SIZE outer = windowSizeFor(width, height, dpi_);
    // Minimised, the window has no client area to measure: set the size it comes back
    // at, and measure once it is back.
    if (IsIconic(form_)) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        GetWindowPlacement(form_, &placement);
        placement.rcNormalPosition.right = placement.rcNormalPosition.left + outer.cx;
        placement.rcNormalPosition.bottom = placement.rcNormalPosition.top + outer.cy;
        placement.showCmd = SW_SHOWMINNOACTIVE;
        SetWindowPlacement(form_, &placement);
        fitOnRestore_ = true;
        return;
    }
    SetWindowPos(form_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame may not follow the new DPI at once (nor at all under some systems):
    // measure the client area and correct by what is missing.
    RECT client;
    GetClientRect(form_, &client);
    if (client.right != width || client.bottom != height) {
        outer.cx += width - client.right;
        outer.cy += height - client.bottom;
        SetWindowPos(form_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void FormLayout::restored() {
    if (!fitOnRestore_) return;
    fitOnRestore_ = false;
    sizeForm();
}

void FormLayout::changeDpi(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    // Minimised ("Hide", then the monitors change), the suggestion places the icon, not the window.
    if (!IsIconic(form_))
        SetWindowPos(form_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    sizeForm();

    // The old fonts go once no control uses them any more.
    const std::vector<Font> oldFonts = std::move(fonts_);
    fonts_.clear();
    for (int i = 0; i < kControlCount; ++i) {
        const ControlSpec& row = kControlTable[i];
        const RECT rect = place(row);
        SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(row)), FALSE);
        SetWindowPos(controls_[i], nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    fitListHeights();
    InvalidateRect(form_, nullptr, TRUE);
}

void FormLayout::fitListHeights() {
    SendMessageW(control(Control::dirb), LB_SETITEMHEIGHT, 0, directoryItemHeight());
    fitDriveListHeight();
}

// A drop-down list sizes its closed field from the font; set the field so the
// closed control is exactly as tall as the table says.
void FormLayout::fitDriveListHeight() {
    HWND drvb = control(Control::drvb);
    const RECT wanted = place(specOf(Control::drvb));
    // The frame around the field differs between systems and themes, and so does how
    // the set and the reported field height relate: correct by what the closed control measures.
    LRESULT field = SendMessageW(drvb, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT closed;
        GetWindowRect(drvb, &closed);
        const int missing = (wanted.bottom - wanted.top) - (closed.bottom - closed.top);
        if (missing == 0) break;
        field += missing;
        SendMessageW(drvb, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
    // The height given to a combo box is that of its dropped list: the directory list's.
    const RECT dropped = place(specOf(Control::dirb));
    SetWindowPos(drvb, nullptr, 0, 0, wanted.right - wanted.left, dropped.bottom - dropped.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A label stands before its box in z-order, where screen readers look for a box's name, and so
// above it on screen: "Path:" would paint its ground over the path box's top line. So a label
// paints nothing where it reaches into a box, whichever of the two paints last.
void FormLayout::keepLabelBeneathBoxes(HWND label, HDC dc) const {
    const int index = GetDlgCtrlID(label) - kFirstControlId;
    if (index < 0 || index >= kControlCount || !isLabel(kControlTable[index])) return;
    const RECT labelRect = place(kControlTable[index]);
    for (const ControlSpec& box : kControlTable) {
        RECT shared;
        const RECT boxRect = place(box);
        if (isLabel(box) || !IntersectRect(&shared, &labelRect, &boxRect)) continue;
        ExcludeClipRect(dc, shared.left - labelRect.left, shared.top - labelRect.top, shared.right - labelRect.left,
                        shared.bottom - labelRect.top);
    }
}

void FormLayout::fitFontToText(Control which, std::wstring_view text, ScriptFonts& fonts) {
    HWND box = control(which);
    HDC dc = GetDC(box);
    const HGDIOBJ old = SelectObject(dc, fontFor(specOf(which)));
    const HFONT wanted = fonts.fontShowing(dc, text);
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    if (reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)) == wanted) return;
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(wanted), TRUE);
    if (which == Control::drvb) fitDriveListHeight();
}

int FormLayout::directoryItemHeight() {
    HWND dirb = control(Control::dirb);
    HDC dc = GetDC(dirb);
    HGDIOBJ old = SelectObject(dc, fontFor(specOf(Control::dirb)));
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(dirb, dc);
    return std::max<int>(metrics.tmHeight, MulDiv(12, static_cast<int>(dpi_), 96)) + MulDiv(2, static_cast<int>(dpi_), 96);
}

}  // namespace kavren
