// The directory list's own keys and its menu, as Explorer's lists have them: letters typed in a row,
// Backspace and Alt+Up, and the menu for an entry (a right-click, Shift+F10, the menu key). The list
// box's own one-letter search gives way to them. What each does is Form1's.
#pragma once

#include <windows.h>

#include "app/form1.h"

namespace kavren {

// A message from the queue for the list, before it is dispatched: whether it was one of the list's
// keys, now done.
bool takeDirectoryKey(const MSG& message, Form1& form);
// WM_CONTEXTMENU from the list box `dirb`, passed to its parent: at `position` on the screen, or -1
// from the keyboard for the highlighted entry.
void openEntryMenu(HWND dirb, LPARAM position, Form1& form);

}  // namespace kavren
