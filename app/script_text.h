// A line of text drawn in runs of the fonts that have its characters: the DC's own font for every
// character it has, a font that the system names for each of the others, on one baseline.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>
#include <vector>

#include "app/form_layout.h"
#include "platform/late_bound.h"

struct IMLangFontLink2;

namespace kavren {

class ScriptFonts {
public:
    ScriptFonts() = default;
    ~ScriptFonts();
    ScriptFonts(const ScriptFonts&) = delete;
    ScriptFonts& operator=(const ScriptFonts&) = delete;

    // Draws a line as DrawTextW with DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS
    // would, and through it when the DC's font has every character.
    void drawLine(HDC dc, RECT rect, std::wstring_view text);
    // The DC's font when it has every character of `text`; else one of its size that has the
    // first it lacks, as the system finds it (kept here for as long as this lives).
    HFONT fontShowing(HDC dc, std::wstring_view text);
    // The width of `text` drawn whole by drawLine, in the DC's units.
    int lineWidth(HDC dc, std::wstring_view text);

private:
    HFONT fontFor(HDC dc, HFONT base, wchar_t character);

    std::optional<ComApartment> com_;  // started when a character first needs another font
    IMLangFontLink2* link_ = nullptr;
    std::vector<UniqueFont> fonts_;
};

}  // namespace kavren
