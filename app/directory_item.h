// One entry of the directory list on screen: a folder glyph, then the name.
#pragma once

#include <windows.h>

#include "app/directory_list.h"
#include "app/script_text.h"

namespace kavren {

// Where an entry's name begins, in pixels from the left of its row: after its
// depth's indent and the whole glyph, pen included, at that DPI.
int directoryNameLeft(int depth, UINT dpi);

// Draws the entry into `row` with the DC's font, and with `fonts` for characters it lacks, with the
// archive's mark on its glyph when its folder holds it; `selected` draws it highlighted.
void drawDirectoryItem(HDC dc, const RECT& row, const DirectoryEntry& entry, bool selected, UINT dpi,
                       ScriptFonts& fonts);

// Whether the entry's name, drawn into `row` with the DC's font, shows whole (not cut short).
bool directoryNameFits(HDC dc, const RECT& row, const DirectoryEntry& entry, UINT dpi, ScriptFonts& fonts);

}  // namespace kavren
