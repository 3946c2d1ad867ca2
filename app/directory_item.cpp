// One directory list entry drawn: its folder glyph, scaled for the DPI, then its name.
#include "app/directory_item.h"

#include <algorithm>

namespace kavren {
namespace {

// The glyph is drawn on a grid of 96-DPI pixels, each point scaled on its own, so
// that it grows by the DPI's own factor (1.5 at 150 %, not 2).
int scaled(int pixels96, UINT dpi) { return MulDiv(pixels96, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI); }
int penWidth(UINT dpi) { return std::max(1, scaled(1, dpi)); }
int glyphLeft(int depth, UINT dpi) { return scaled(2 + 8 * depth, dpi); }
// The open folder's flap is the widest part; closed glyphs leave their names at the same place.
constexpr int kGlyphWidth96 = 16;
constexpr int kGap96 = 3;

// The glyph's grid: 96-DPI pixels from its top left corner, vertically centred in the row.
struct GlyphGrid {
    int left, top;
    UINT dpi;
    GlyphGrid(int glyphLeft, const RECT& row, UINT dpi)
        : left(glyphLeft), top(row.top + (row.bottom - row.top - scaled(10, dpi)) / 2), dpi(dpi) {}
    int x(int pixels96) const { return left + scaled(pixels96, dpi); }
    int y(int pixels96) const { return top + scaled(pixels96, dpi); }
};

// A folder drawn from rectangles: open for the chain from the root, closed for children.
void drawFolder(HDC dc, const GlyphGrid& at, bool open) {
    HBRUSH body = CreateSolidBrush(open ? RGB(255, 224, 128) : RGB(240, 200, 80));
    HPEN edge = CreatePen(PS_SOLID, penWidth(at.dpi), RGB(150, 110, 20));
    HGDIOBJ oldBrush = SelectObject(dc, body);
    HGDIOBJ oldPen = SelectObject(dc, edge);
    Rectangle(dc, at.x(0), at.y(0), at.x(6), at.y(3));  // tab
    Rectangle(dc, at.x(0), at.y(2), at.x(14), at.y(10));
    if (open) {
        const POINT flap[] = {{at.x(3), at.y(5)}, {at.x(kGlyphWidth96), at.y(5)}, {at.x(13), at.y(10)}, {at.x(0), at.y(10)}};
        Polygon(dc, flap, 4);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(edge);
    DeleteObject(body);
}

// The archive's mark, over the folder's lower right corner as Explorer draws its overlays: a
// storage box, its lid set off by a line, a handle on its front; told apart by its shape (not a
// plus, which would read as "expand"). In the text's colours of the row, so that it stands out on
// the highlight and in any contrast scheme.
void drawArchiveMark(HDC dc, const GlyphGrid& at, bool selected) {
    const int pen = penWidth(at.dpi);
    const RECT box{at.x(8), at.y(2), at.x(kGlyphWidth96) + 1, at.y(10) + 1};  // the flap's last pixel, not beyond
    FillRect(dc, &box, GetSysColorBrush(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    HBRUSH ground = GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    const RECT lid{box.left, at.y(4), box.right, at.y(4) + pen};
    const RECT handle{at.x(10) + pen, at.y(6), at.x(14) + 1 - pen, at.y(6) + pen};
    FillRect(dc, &lid, ground);
    FillRect(dc, &handle, ground);
}

}  // namespace

// A wide pen is centred on the outline: half of it, and the pixel of the last point, lie beyond it.
int directoryNameLeft(int depth, UINT dpi) {
    return glyphLeft(depth, dpi) + scaled(kGlyphWidth96, dpi) + penWidth(dpi) + scaled(kGap96, dpi);
}

bool directoryNameFits(HDC dc, const RECT& row, const DirectoryEntry& entry, UINT dpi, ScriptFonts& fonts) {
    return fonts.lineWidth(dc, entry.name) <= row.right - row.left - directoryNameLeft(entry.depth, dpi);
}

void drawDirectoryItem(HDC dc, const RECT& row, const DirectoryEntry& entry, bool selected, UINT dpi,
                       ScriptFonts& fonts) {
    FillRect(dc, &row, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const GlyphGrid glyph(row.left + glyphLeft(entry.depth, dpi), row, dpi);
    drawFolder(dc, glyph, entry.inChain);
    if (entry.holdsArchive) drawArchiveMark(dc, glyph, selected);
    RECT text = row;
    text.left = row.left + directoryNameLeft(entry.depth, dpi);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    fonts.drawLine(dc, text, entry.name);
}

}  // namespace kavren
