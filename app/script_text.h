// A line of text drawn in runs of the fonts that have its characters: the DC's own font for every
// character it has, a face the system has for each of the others, on one baseline; cut short with
// an ellipsis between clusters where it is too long.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "app/font_handle.h"
#include "app/font_search.h"
#include "app/text_runs.h"

namespace kavren {

class ScriptFonts {
public:
    // Draws a line as DrawTextW with DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS
    // would, and through it when the DC's font has every character.
    void drawLine(HDC dc, RECT rect, std::wstring_view text);
    // The DC's font when it has every character of `text`; else one of its size that has the
    // first it lacks, once found (kept here for as long as this lives), the DC's until then.
    HFONT fontShowing(HDC dc, std::wstring_view text);
    // The width of `text` drawn whole by drawLine, in the DC's units.
    int lineWidth(HDC dc, std::wstring_view text);

    // One look for a face that a line drawn lacked (none left, one made, a face found: draw again).
    FontLook lookOnce() { return search_.lookOnce(); }

private:
    struct Line {
        std::vector<Character> characters;
        std::vector<HFONT> fonts;  // by Character::font; the DC's own first
        bool whole;                // the DC's font has every character
    };
    struct Made {
        std::size_t face;
        LONG height, weight;
        UniqueFont font;
    };

    Line analyse(HDC dc, std::wstring_view text);
    int widthTo(HDC dc, std::wstring_view text, const Line& line, std::size_t end);
    HFONT fontOf(std::size_t face, HFONT base);

    FontSearch search_;
    std::vector<Made> made_;
};

}  // namespace kavren
