// The directory list's keys, taken in the message loop, and its menu.
#include "app/directory_input.h"

#include <windowsx.h>

#include <memory>

#include "app/directory_box.h"

namespace kavren {
namespace {

struct MenuItem {
    EntryChoice choice;
    const wchar_t* text;
};
// A separator comes before Unpack. Command ids are the choices plus one: 0 is "nothing chosen".
constexpr MenuItem kMenu[] = {{EntryChoice::open, L"&Open"},
                              {EntryChoice::openInExplorer, L"Open in &Explorer"},
                              {EntryChoice::copyPath, L"&Copy path"},
                              {EntryChoice::unpack, L"&Unpack it!"},
                              {EntryChoice::pack, L"&Pack it!"}};
UINT commandOf(EntryChoice choice) { return static_cast<UINT>(choice) + 1; }

struct MenuDestroyer {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};

}  // namespace

void openEntryMenu(HWND dirb, LPARAM position, Form1& form) {
    // A right-click highlights the entry under it; below the last entry it opens nothing.
    POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    std::optional<std::size_t> entry;
    if (position != -1) {
        entry = directoryRowAt(dirb, at);
    } else if (const LRESULT highlighted = SendMessageW(dirb, LB_GETCURSEL, 0, 0); highlighted != LB_ERR) {
        entry = static_cast<std::size_t>(highlighted);
    }
    if (!entry) return;
    SendMessageW(dirb, LB_SETCURSEL, *entry, 0);  // and into view
    if (position == -1) {
        RECT row{};
        SendMessageW(dirb, LB_GETITEMRECT, *entry, reinterpret_cast<LPARAM>(&row));
        at = POINT{row.left + (row.bottom - row.top), row.bottom};
        ClientToScreen(dirb, &at);
    }
    const std::unique_ptr<HMENU__, MenuDestroyer> menu(CreatePopupMenu());
    for (const MenuItem& item : kMenu) {
        if (item.choice == EntryChoice::unpack) AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu.get(), MF_STRING, commandOf(item.choice), item.text);
    }
    SetMenuDefaultItem(menu.get(), commandOf(EntryChoice::open), FALSE);  // bold: what a double-click does
    const int chosen = static_cast<int>(TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                                         at.x, at.y, GetParent(dirb), nullptr));
    if (chosen) form.dirb_Choose(*entry, static_cast<EntryChoice>(chosen - 1));
}

bool takeDirectoryKey(const MSG& message, Form1& form) {
    // Alt+Up comes as a system key.
    if ((message.message == WM_KEYDOWN && message.wParam == VK_BACK) ||
        (message.message == WM_SYSKEYDOWN && message.wParam == VK_UP)) {
        form.dirb_Up();
        return true;
    }
    // Typed, or from an input method: the list box passes its WM_IME_CHAR to DefWindowProc, which
    // posts it as WM_CHAR. The list box, which holds strings, tells its parent of no character.
    if (message.message != WM_CHAR) return false;
    form.dirb_Type(static_cast<wchar_t>(message.wParam), static_cast<std::uint32_t>(message.time));
    return true;
}

}  // namespace kavren
