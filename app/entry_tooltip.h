// The directory list's tooltip: the whole name of an entry cut short, and what a marked entry's
// mark means, shown by the system's tooltip control when the pointer rests on the entry.
#pragma once

#include <windows.h>
#include <commctrl.h>

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
    ~EntryTooltip();
    EntryTooltip(const EntryTooltip&) = delete;
    EntryTooltip& operator=(const EntryTooltip&) = delete;

    // WM_SETCURSOR: the pointer is over `window`. Over the list the first time, this starts
    // following the list's mouse messages (start-up does nothing for the tooltip); the tooltip
    // window is made when the pointer first comes to an entry that has something to say.
    void pointerOver(HWND window);

private:
    static LRESULT CALLBACK listProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
    void beforeListMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onTipNotification(NMHDR& header);
    bool createTip();
    void pointerMoved(LPARAM clientPoint);
    void forgetRow();
    std::wstring textFor(std::size_t row);
    void fitTipFont(std::wstring_view name);
    void detach();

    HWND dirb_;
    const DirectoryList& list_;
    const FormLayout& layout_;
    ScriptFonts& fonts_;
    HWND tip_ = nullptr;
    HFONT tipFont_ = nullptr;  // the system's, the tooltip's own
    std::optional<std::size_t> row_;  // the entry under the pointer
    bool hasTool_ = false;             // whether that entry has something to say
    bool following_ = false;  // whether the list's messages come here first
    bool trackingLeave_ = false;
    std::wstring text_;  // the text last handed to the tooltip
};

}  // namespace kavren
