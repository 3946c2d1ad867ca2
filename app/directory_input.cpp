// The directory list's keys and its menu: the list box's messages taken before its own procedure.
#include "app/directory_input.h"

#include <commctrl.h>
#include <windowsx.h>

#include <memory>

#include "app/directory_box.h"

namespace kavren {
namespace {

constexpr UINT_PTR kSubclass = 1;

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

DirectoryInput::DirectoryInput(HWND dirb, Form1& form, Platform& platform) : dirb_(dirb), form_(form), platform_(platform) {
    SetWindowSubclass(dirb_, &DirectoryInput::listProc, kSubclass, reinterpret_cast<DWORD_PTR>(this));
}

DirectoryInput::~DirectoryInput() { RemoveWindowSubclass(dirb_, &DirectoryInput::listProc, kSubclass); }

void DirectoryInput::openMenu(LPARAM position) {
    // A right-click highlights the entry under it; below the last entry it opens nothing.
    POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    std::optional<std::size_t> entry;
    if (position != -1) {
        entry = directoryRowAt(dirb_, at);
    } else if (const LRESULT highlighted = SendMessageW(dirb_, LB_GETCURSEL, 0, 0); highlighted != LB_ERR) {
        entry = static_cast<std::size_t>(highlighted);
    }
    if (!entry) return;
    SendMessageW(dirb_, LB_SETCURSEL, *entry, 0);  // and into view
    if (position == -1) {
        RECT row{};
        SendMessageW(dirb_, LB_GETITEMRECT, *entry, reinterpret_cast<LPARAM>(&row));
        at = POINT{row.left + (row.bottom - row.top), row.bottom};
        ClientToScreen(dirb_, &at);
    }
    const std::unique_ptr<HMENU__, MenuDestroyer> menu(CreatePopupMenu());
    for (const MenuItem& item : kMenu) {
        if (item.choice == EntryChoice::unpack) AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu.get(), MF_STRING, commandOf(item.choice), item.text);
    }
    SetMenuDefaultItem(menu.get(), commandOf(EntryChoice::open), FALSE);  // bold: what a double-click does
    const int chosen = static_cast<int>(TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                                         at.x, at.y, GetParent(dirb_), nullptr));
    if (chosen) form_.dirb_Choose(*entry, static_cast<EntryChoice>(chosen - 1));
}

LRESULT CALLBACK DirectoryInput::listProc(HWND dirb, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    auto& input = *reinterpret_cast<DirectoryInput*>(self);
    // An exception must not cross the window procedure, where the system would swallow it.
    try {
        // Alt+Up comes as a system key.
        if ((message == WM_KEYDOWN && wParam == VK_BACK) || (message == WM_SYSKEYDOWN && wParam == VK_UP)) {
            input.form_.dirb_Up();
            return 0;
        }
        if (message == WM_CHAR) {  // whether typed or from an input method
            input.form_.dirb_Type(static_cast<wchar_t>(wParam), static_cast<std::uint32_t>(GetMessageTime()));
            return 0;
        }
        if (message == WM_CONTEXTMENU) {
            input.openMenu(lParam);
            return 0;
        }
    } catch (const std::exception&) {
        input.platform_.showMessage(kUnexpectedError, kCaption);
        return 0;
    }
    return DefSubclassProc(dirb, message, wParam, lParam);
}

}  // namespace kavren
