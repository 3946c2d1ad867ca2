// A line drawn in the fonts that have its characters, cut short between clusters, and the font a
// one-font control needs.
#include "app/script_text.h"

#include <algorithm>

#include "app/text_clusters.h"

namespace kavren {
namespace {

constexpr std::wstring_view kEllipsis = L"...";

// Whether the DC's font has each character of `text`.
std::vector<bool> inFont(HDC dc, std::wstring_view text) {
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(dc, text.data(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    std::vector<bool> has(text.size());
    std::transform(glyphs.begin(), glyphs.end(), has.begin(), [](WORD glyph) { return glyph != 0xFFFF; });
    return has;
}

int extent(HDC dc, std::wstring_view text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

}  // namespace

ScriptFonts::Line ScriptFonts::analyse(HDC dc, std::wstring_view text) {
    const auto base = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    const std::vector<bool> has = inFont(dc, text);
    std::vector<WORD> types(text.size());
    GetStringTypeW(CT_CTYPE2, text.data(), static_cast<int>(text.size()), types.data());
    Line line{std::vector<Character>(text.size()), {base}, std::find(has.begin(), has.end(), false) == has.end()};
    for (std::size_t i = 0; i < text.size(); ++i)
        line.characters[i] = {0, types[i] == C2_LEFTTORIGHT   ? Direction::leftToRight
                                 : types[i] == C2_RIGHTTOLEFT ? Direction::rightToLeft
                                                              : Direction::none};
    if (line.whole) return line;
    // A stretch of one script is shaped in the face of the first character the DC's font lacks.
    const std::vector<bool> starts = clusterStarts(dc, text, [&](std::size_t begin, std::size_t end) {
        const auto lacking = std::find(has.begin() + begin, has.begin() + end, false);
        if (lacking == has.begin() + end) return base;
        const auto face = search_.faceHaving(text.substr(lacking - has.begin(), 1), 0, base);
        return face ? fontOf(*face, base) : base;
    });
    for (std::size_t begin = 0, end; begin < text.size(); begin = end) {
        end = begin + 1;
        while (end < text.size() && !starts[end]) line.characters[end++].startsCluster = false;
        const auto lacking = std::find(has.begin() + begin, has.begin() + end, false);
        if (lacking == has.begin() + end) continue;
        // A cluster the DC's font lacks any of goes whole to a face that has all of it.
        const auto face = search_.faceHaving(text.substr(begin, end - begin), lacking - has.begin() - begin, base);
        if (!face) continue;
        const HFONT font = fontOf(*face, base);
        auto index = std::find(line.fonts.begin(), line.fonts.end(), font) - line.fonts.begin();
        if (index == static_cast<std::ptrdiff_t>(line.fonts.size())) line.fonts.push_back(font);
        for (std::size_t i = begin; i < end; ++i) line.characters[i].font = static_cast<unsigned char>(std::min<std::ptrdiff_t>(index, 255));
    }
    return line;
}

// The width of the line's characters before `end`, each run in its font.
int ScriptFonts::widthTo(HDC dc, std::wstring_view text, const Line& line, std::size_t end) {
    const HGDIOBJ base = GetCurrentObject(dc, OBJ_FONT);
    int width = 0;
    textRuns(std::vector<Character>(line.characters.begin(), line.characters.begin() + end), [&](const TextRun& run) {
        SelectObject(dc, line.fonts[run.font]);
        width += extent(dc, text.substr(run.begin, run.end - run.begin));
        SelectObject(dc, base);
    });
    return width;
}

void ScriptFonts::drawLine(HDC dc, RECT rect, std::wstring_view text) {
    const Line line = analyse(dc, text);
    if (line.whole) {
        DrawTextW(dc, text.data(), static_cast<int>(text.size()), &rect,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        return;
    }
    // Cut short as DrawTextW cuts: what fits with the ellipsis after it, here between clusters.
    const int room = rect.right - rect.left;
    std::size_t end = text.size();
    if (widthTo(dc, text, line, end) > room)
        end = cutBefore(line.characters, room - extent(dc, kEllipsis), [&](std::size_t e) { return widthTo(dc, text, line, e); });
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const HGDIOBJ base = GetCurrentObject(dc, OBJ_FONT);
    // Each run goes on where the one before ended, on the line's baseline.
    const UINT align = SetTextAlign(dc, TA_BASELINE | TA_UPDATECP);
    POINT was{};
    MoveToEx(dc, rect.left, rect.top + (rect.bottom - rect.top - metrics.tmHeight) / 2 + metrics.tmAscent, &was);
    const auto draw = [&](std::wstring_view part) {
        ExtTextOutW(dc, 0, 0, ETO_CLIPPED, &rect, part.data(), static_cast<UINT>(part.size()), nullptr);
    };
    textRuns(std::vector<Character>(line.characters.begin(), line.characters.begin() + end), [&](const TextRun& run) {
        SelectObject(dc, line.fonts[run.font]);
        draw(text.substr(run.begin, run.end - run.begin));
        SelectObject(dc, base);
    });
    if (end < text.size()) draw(kEllipsis);
    MoveToEx(dc, was.x, was.y, nullptr);
    SetTextAlign(dc, align);
}

int ScriptFonts::lineWidth(HDC dc, std::wstring_view text) {
    return widthTo(dc, text, analyse(dc, text), text.size());
}

HFONT ScriptFonts::fontShowing(HDC dc, std::wstring_view text) {
    const auto base = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    const std::vector<bool> has = inFont(dc, text);
    const auto lacking = std::find(has.begin(), has.end(), false);
    if (lacking == has.end()) return base;
    const auto face = search_.faceHaving(text.substr(lacking - has.begin(), 1), 0, base);
    return face ? fontOf(*face, base) : base;
}

// A font like `base` in a face found: made once for each size and weight.
HFONT ScriptFonts::fontOf(std::size_t face, HFONT base) {
    LOGFONTW wanted{};
    GetObjectW(base, sizeof wanted, &wanted);
    for (const Made& made : made_)
        if (made.face == face && made.height == wanted.lfHeight && made.weight == wanted.lfWeight) return made.font.get();
    const FontSearch::Face& found = search_.face(face);
    std::fill(std::begin(wanted.lfFaceName), std::end(wanted.lfFaceName), L'\0');
    found.name.copy(wanted.lfFaceName, LF_FACESIZE - 1);
    wanted.lfCharSet = found.charset;
    wanted.lfPitchAndFamily = DEFAULT_PITCH;
    made_.push_back({face, wanted.lfHeight, wanted.lfWeight, UniqueFont(CreateFontIndirectW(&wanted))});
    return made_.back().font.get();
}

}  // namespace kavren
