// The directory list's tooltip: the system's control, made when the pointer first comes to an entry
// that has something to say, and told of the pointer by the message loop; one tool, the list, while
// the entry under the pointer has something to say.
#include "app/entry_tooltip.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/directory_box.h"
#include "app/directory_item.h"
#include "app/form1.h"

namespace kavren {
namespace {

// The list itself is the tool: the control asks the list's parent for the text (the list box passes
// no notification on). It is made anew for each entry, so that the control times each afresh.
TTTOOLINFOW toolOf(HWND dirb) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = GetParent(dirb);
    tool.uId = reinterpret_cast<UINT_PTR>(dirb);
    return tool;
}

// What the tooltip of `entry` says: its name when it is cut short, and what its mark means; empty for
// none. The name first, as screen readers say it before the description, which follows on a line of its own.
std::wstring tooltipText(const DirectoryEntry& entry, bool fits) {
    std::wstring text = fits ? std::wstring() : entry.name;
    if (entry.holdsArchive) {
        if (!text.empty()) text += L"\r\n";
        text += kHoldsArchiveDescription;
    }
    return text;
}

}  // namespace

EntryTooltip::EntryTooltip(HWND dirb, const DirectoryList& list, const FormLayout& layout, ScriptFonts& fonts)
    : dirb_(dirb), list_(list), layout_(layout), fonts_(fonts) {}

void EntryTooltip::listMessage(const MSG& message) {
    switch (message.message) {
    case WM_MOUSEMOVE:
        pointerMoved(message.lParam);
        break;
    case WM_MOUSELEAVE:
    case WM_KEYDOWN:  // a key or the wheel: as if the rows moved
    case WM_SYSKEYDOWN:
    case WM_MOUSEWHEEL:
        rowsMoved();
        break;
    }
    // The tooltip keeps its own time: it learns of the pointer from the list's mouse messages.
    if (tip_ && message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST)
        SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}

void EntryTooltip::notified(NMHDR& header) {
    if (header.hwndFrom != tip_ || header.code != TTN_GETDISPINFOW) return;
    // Asked when it is about to show: a mark that came since the pointer arrived is in it.
    text_ = row_ ? textFor(*row_) : std::wstring();
    reinterpret_cast<NMTTDISPINFOW&>(header).lpszText = text_.data();
}

bool EntryTooltip::createTip() {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES};
    InitCommonControlsEx(&classes);
    // Names may hold '&'. Shown in an inactive window too, as the list's own rows are.
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(dirb_, GA_ROOT),
                           nullptr, reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dirb_, GWLP_HINSTANCE)), nullptr);
    if (!tip_) return false;
    tipFont_ = reinterpret_cast<HFONT>(SendMessageW(tip_, WM_GETFONT, 0, 0));
    // With a width the tooltip breaks lines where the text does; only a name wider than the screen is wrapped.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(dirb_, MONITOR_DEFAULTTONEAREST), &monitor);
    SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, monitor.rcWork.right - monitor.rcWork.left);
    return true;
}

void EntryTooltip::pointerMoved(LPARAM clientPoint) {
    // At every move: a modal loop (a menu, a message box) hands the list its WM_MOUSELEAVE unseen here.
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, dirb_, 0};
    TrackMouseEvent(&track);
    POINT screen{GET_X_LPARAM(clientPoint), GET_Y_LPARAM(clientPoint)};
    ClientToScreen(dirb_, &screen);
    const std::optional<std::size_t> row = directoryRowAt(dirb_, screen);
    if (row == row_) return;
    rowsMoved();
    row_ = row;
    if (!row || textFor(*row).empty() || (!tip_ && !createTip())) return;
    TTTOOLINFOW tool = toolOf(dirb_);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    fitTipFont(list_.entries()[*row].name);
    hasTool_ = SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
}

void EntryTooltip::rowsMoved() {
    row_.reset();
    if (!hasTool_) return;
    TTTOOLINFOW tool = toolOf(dirb_);
    SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));  // hides it if shown
    hasTool_ = false;
}

std::wstring EntryTooltip::textFor(std::size_t row) {
    if (row >= list_.entries().size()) return {};
    RECT rect{};
    SendMessageW(dirb_, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    const HDC dc = GetDC(dirb_);
    const HGDIOBJ listFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dirb_, WM_GETFONT, 0, 0)));
    const bool fits = directoryNameFits(dc, rect, list_.entries()[row], layout_.dpi(), fonts_);
    SelectObject(dc, listFont);
    ReleaseDC(dirb_, dc);
    return tooltipText(list_.entries()[row], fits);
}

// The tooltip's own face when it has every character of the name, else one of its size that has them.
void EntryTooltip::fitTipFont(std::wstring_view name) {
    // The screen's DC, not the tooltip's: under Wine each GetDC of the tooltip lost a GDI object.
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, tipFont_);
    const HFONT font = fonts_.fontShowing(dc, name);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    // The tooltip makes its bold title font anew at each WM_SETFONT.
    if (font != reinterpret_cast<HFONT>(SendMessageW(tip_, WM_GETFONT, 0, 0)))
        SendMessageW(tip_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

}  // namespace kavren
