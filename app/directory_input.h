// The directory list's own keys and its menu, as Explorer's lists have them: letters typed in a row,
// Backspace and Alt+Up, and the menu for an entry (a right-click, Shift+F10, the menu key). The list
// box's own one-letter search gives way to them. What each does is Form1's.
#pragma once

#include <windows.h>

#include "app/form1.h"

namespace kavren {

class DirectoryInput {
public:
    // The keys and the menu of the list box `dirb` go to `form` while this lives.
    DirectoryInput(HWND dirb, Form1& form, Platform& platform);
    ~DirectoryInput();
    DirectoryInput(const DirectoryInput&) = delete;
    DirectoryInput& operator=(const DirectoryInput&) = delete;

private:
    static LRESULT CALLBACK listProc(HWND dirb, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
    // WM_CONTEXTMENU at `position` on the screen, or -1 from the keyboard: the highlighted entry's.
    void openMenu(LPARAM position);

    HWND dirb_;
    Form1& form_;
    Platform& platform_;
};

}  // namespace kavren
