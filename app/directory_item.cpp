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

// A folder drawn from rectangles: open for the chain from the root, closed for children.
void drawFolder(HDC dc, int left, const RECT& row, bool open, UINT dpi) {
    const int height = scaled(10, dpi);
    const int top = row.top + (row.bottom - row.top - height) / 2;
    const auto x = [&](int pixels96) { return left + scaled(pixels96, dpi); };
    const auto y = [&](int pixels96) { return top + scaled(pixels96, dpi); };
    HBRUSH body = CreateSolidBrush(open ? RGB(255, 224, 128) : RGB(240, 200, 80));
    HPEN edge = CreatePen(PS_SOLID, penWidth(dpi), RGB(150, 110, 20));
    HGDIOBJ oldBrush = SelectObject(dc, body);
    HGDIOBJ oldPen = SelectObject(dc, edge);
    Rectangle(dc, x(0), y(0), x(6), y(3));  // tab
    Rectangle(dc, x(0), y(2), x(14), y(10));
    if (open) {
        const POINT flap[] = {{x(3), y(5)}, {x(kGlyphWidth96), y(5)}, {x(13), y(10)}, {x(0), y(10)}};
        Polygon(dc, flap, 4);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(edge);
    DeleteObject(body);
}

}  // namespace

// A wide pen is centred on the outline: half of it, and the pixel of the last point, lie beyond it.
int directoryNameLeft(int depth, UINT dpi) {
    return glyphLeft(depth, dpi) + scaled(kGlyphWidth96, dpi) + penWidth(dpi) + scaled(kGap96, dpi);
}

void drawDirectoryItem(HDC dc, const RECT& row, const DirectoryEntry& entry, bool selected, UINT dpi,
                       ScriptFonts& fonts) {
    FillRect(dc, &row, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    drawFolder(dc, row.left + glyphLeft(entry.depth, dpi), row, entry.inChain, dpi);
    RECT text = row;
    text.left = row.left + directoryNameLeft(entry.depth, dpi);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    fonts.drawLine(dc, text, entry.name);
}

}  // namespace kavren
