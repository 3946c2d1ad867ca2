// The directory list's window: what it holds for a DirectoryList, how each row is drawn
// (owner-drawn, so a row has its folder glyph and depth), and which row a point falls on.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <vector>

#include "app/directory_list.h"
#include "app/script_text.h"

namespace kavren {

// Shows the list's entries, the current directory highlighted.
void fillDirectoryBox(HWND dirb, const DirectoryList& list);
// Makes the box show `list` by the edits made to it since; the highlighted entry and the one at
// the top stay where they are (the highlight goes to the current directory if its entry went).
void updateDirectoryBox(HWND dirb, const DirectoryList& list, const std::vector<ListEdit>& edits);
// WM_DRAWITEM for a row of the box that shows `list`.
void drawDirectoryBoxRow(const DRAWITEMSTRUCT& item, const DirectoryList& list, UINT dpi, ScriptFonts& fonts);
// The row under a point on the screen, if any: never the blank area under the last row.
std::optional<std::size_t> directoryRowAt(HWND dirb, POINT screen);

}  // namespace kavren
