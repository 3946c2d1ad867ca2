// One entry of the directory list on screen: a folder glyph, then the name.
#pragma once

#include <windows.h>

#include "app/directory_list.h"

namespace kavren {

// Where an entry's name begins, in pixels from the left of its row: after its
// depth's indent and the whole glyph, pen included, at that DPI.
int directoryNameLeft(int depth, UINT dpi);

// Draws the entry into `row` with the DC's font, with the archive's mark on its glyph when its
// folder holds it; `selected` draws it highlighted.
void drawDirectoryItem(HDC dc, const RECT& row, const DirectoryEntry& entry, bool selected, UINT dpi);

}  // namespace kavren
