// What both Windows test programs need: reading a message box as the user sees
// it, and waiting on the window system with a deadline (X is asynchronous).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wintest {

// WM_GETTEXT: also across processes, and for an edit control its content.
inline std::wstring textOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

struct Box {
    HWND hwnd;
    std::wstring title, text;
    std::vector<int> buttons;  // ids of the buttons shown, in id order
    int defaultButton;         // the one with BS_DEFPUSHBUTTON, 0 for none
    bool icon;
    HWND owner;
};

inline Box readBox(HWND box) {
    Box seen{box, textOf(box), textOf(GetDlgItem(box, 0xFFFF)), {}, 0, false, GetWindow(box, GW_OWNER)};
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
        const HWND button = GetDlgItem(box, id);
        // The style, not IsWindowVisible: a box being activated is not on screen yet.
        if (!(GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE)) continue;
        seen.buttons.push_back(id);
        if ((GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) seen.defaultButton = id;
    }
    // Wine keeps an empty icon static in a box without an icon.
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        seen.icon = seen.icon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
    return seen;
}

template <typename Condition>
bool waitFor(Condition done, DWORD milliseconds = 15000) {
    for (const ULONGLONG end = GetTickCount64() + milliseconds; !done(); Sleep(20)) {
        if (GetTickCount64() > end) return false;
    }
    return true;
}

}  // namespace wintest
