// The directory list's tooltip: the whole name of an entry cut short, and what a marked entry's
// mark means, shown by the system's tooltip control when the pointer rests on the entry.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/directory_list.h"
#include "app/form_layout.h"
#include "app/script_text.h"

namespace kavren {

class EntryTooltip {
public:
    // For `dirb`, which shows `list` at `layout`'s DPI, its names drawn with `fonts`.
    EntryTooltip(HWND dirb, const DirectoryList& list, const FormLayout& layout, ScriptFonts& fonts);
    EntryTooltip(const EntryTooltip&) = delete;
    EntryTooltip& operator=(const EntryTooltip&) = delete;

    // A message from the queue for the list, before it is dispatched: the pointer's moves, which the
    // tooltip control is told of, and what ends the tooltip (a key, the wheel, the pointer leaving).
    // The tooltip window is made when the pointer first comes to an entry that has something to say.
    void listMessage(const MSG& message);
    // The rows moved under the pointer (filled, edited, a highlight that may scroll, a new size): the
    // tooltip goes, and comes again only when the pointer moves.
    void rowsMoved();
    // WM_NOTIFY to the list's parent, which the tooltip asks for its text.
    void notified(NMHDR& header);

private:
    bool createTip();
    void pointerMoved(LPARAM clientPoint);
    std::wstring textFor(std::size_t row);
    void fitTipFont(std::wstring_view name);

    HWND dirb_;
    const DirectoryList& list_;
    const FormLayout& layout_;
    ScriptFonts& fonts_;
    HWND tip_ = nullptr;  // owned by the form, which takes it down with itself
    HFONT tipFont_ = nullptr;  // the system's, the tooltip's own
    std::optional<std::size_t> row_;  // the entry under the pointer
    bool hasTool_ = false;             // whether that entry has something to say
    std::wstring text_;  // the text last handed to the tooltip
};

}  // namespace kavren
