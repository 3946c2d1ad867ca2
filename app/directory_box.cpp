// The directory list's window: filled from the model, rows drawn, a row found under a point.
#include "app/directory_box.h"

#include "app/directory_item.h"

namespace kavren {

void fillDirectoryBox(HWND dirb, const DirectoryList& list) {
    std::size_t characters = 0;
    for (const DirectoryEntry& entry : list.entries()) characters += entry.name.size() + 1;

    SendMessageW(dirb, WM_SETREDRAW, FALSE, 0);
    SendMessageW(dirb, LB_RESETCONTENT, 0, 0);
    SendMessageW(dirb, LB_INITSTORAGE, list.entries().size(), characters * sizeof(wchar_t));
    for (const DirectoryEntry& entry : list.entries())
        SendMessageW(dirb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name.c_str()));
    SendMessageW(dirb, LB_SETCURSEL, list.currentIndex(), 0);
    SendMessageW(dirb, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(dirb, nullptr, TRUE);
}

void updateDirectoryBox(HWND dirb, const DirectoryList& list, const std::vector<ListEdit>& edits) {
    const LRESULT highlighted = SendMessageW(dirb, LB_GETCURSEL, 0, 0);
    const LRESULT top = SendMessageW(dirb, LB_GETTOPINDEX, 0, 0);
    SendMessageW(dirb, WM_SETREDRAW, FALSE, 0);
    for (const ListEdit& edit : edits) {
        if (edit.inserted)
            SendMessageW(dirb, LB_INSERTSTRING, edit.index, reinterpret_cast<LPARAM>(edit.name.c_str()));
        else
            SendMessageW(dirb, LB_DELETESTRING, edit.index, 0);
    }
    const auto highlight = highlighted == LB_ERR ? std::nullopt : positionAfter(static_cast<std::size_t>(highlighted), edits);
    SendMessageW(dirb, LB_SETCURSEL, highlight.value_or(list.currentIndex()), 0);
    // An entry inserted above pushes the top one down, and the list would seem to jump: put it back
    // on top. When the top one went, the next takes its place.
    SendMessageW(dirb, LB_SETTOPINDEX, positionAfter(static_cast<std::size_t>(top), edits).value_or(top), 0);
    SendMessageW(dirb, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(dirb, nullptr, TRUE);
}

void drawDirectoryBoxRow(const DRAWITEMSTRUCT& item, const DirectoryList& list, UINT dpi, ScriptFonts& fonts) {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    if (item.itemID < list.entries().size())
        drawDirectoryItem(item.hDC, item.rcItem, list.entries()[item.itemID], selected, dpi, fonts);
    else
        FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

std::optional<std::size_t> directoryRowAt(HWND dirb, POINT screen) {
    POINT point = screen;
    ScreenToClient(dirb, &point);
    // All rows are one height; LB_ITEMFROMPOINT would cut indexes past 65,535.
    const LRESULT rowHeight = SendMessageW(dirb, LB_GETITEMHEIGHT, 0, 0);
    if (point.y < 0 || rowHeight <= 0) return std::nullopt;
    const LRESULT index = SendMessageW(dirb, LB_GETTOPINDEX, 0, 0) + point.y / rowHeight;
    RECT row{};
    if (index < SendMessageW(dirb, LB_GETCOUNT, 0, 0) &&
        SendMessageW(dirb, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row)) != LB_ERR &&
        PtInRect(&row, point))
        return static_cast<std::size_t>(index);
    return std::nullopt;
}

}  // namespace kavren
