// A line drawn in the fonts that have its characters, and the font a one-font control needs.
#include "app/script_text.h"

#include <mlang.h>

#include <cwchar>

#include "app/text_runs.h"

namespace kavren {
namespace {

constexpr CLSID kMultiLanguage{0x275c23e2, 0x3747, 0x11d0, {0x9f, 0xea, 0x00, 0xaa, 0x00, 0x3f, 0x86, 0x46}};
constexpr IID kFontLink2{0xdccfc162, 0x2b38, 0x11d2, {0xb7, 0xec, 0x00, 0xc0, 0x4f, 0x8f, 0x5d, 0x9a}};

// Each character of `text`: whether the DC's font has it, and its direction.
std::vector<Character> characters(HDC dc, std::wstring_view text) {
    const int length = static_cast<int>(text.size());
    std::vector<WORD> glyphs(text.size()), types(text.size());
    GetGlyphIndicesW(dc, text.data(), length, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    GetStringTypeW(CT_CTYPE2, text.data(), length, types.data());
    std::vector<Character> line(text.size());
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = {glyphs[i] != 0xFFFF, types[i] == C2_LEFTTORIGHT   ? Direction::leftToRight
                                        : types[i] == C2_RIGHTTOLEFT ? Direction::rightToLeft
                                                                     : Direction::none};
    return line;
}

std::size_t firstLacking(const std::vector<Character>& line) {
    std::size_t i = 0;
    while (i < line.size() && line[i].inFont) ++i;
    return i;
}

}  // namespace

ScriptFonts::~ScriptFonts() {
    if (link_) link_->Release();
}

void ScriptFonts::drawLine(HDC dc, RECT rect, std::wstring_view text) {
    const std::vector<Character> line = characters(dc, text);
    if (firstLacking(line) == line.size()) {
        DrawTextW(dc, text.data(), static_cast<int>(text.size()), &rect,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        return;
    }
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const HGDIOBJ base = GetCurrentObject(dc, OBJ_FONT);
    // Each run goes on where the one before ended, on the line's baseline.
    const UINT align = SetTextAlign(dc, TA_BASELINE | TA_UPDATECP);
    POINT was{};
    MoveToEx(dc, rect.left, rect.top + (rect.bottom - rect.top - metrics.tmHeight) / 2 + metrics.tmAscent, &was);
    textRuns(line, [&](const TextRun& run) {
        const std::wstring_view part = text.substr(run.begin, run.end - run.begin);
        if (run.elsewhere) SelectObject(dc, fontShowing(dc, part));
        ExtTextOutW(dc, 0, 0, ETO_CLIPPED, &rect, part.data(), static_cast<UINT>(part.size()), nullptr);
        SelectObject(dc, base);
    });
    MoveToEx(dc, was.x, was.y, nullptr);
    SetTextAlign(dc, align);
}

int ScriptFonts::lineWidth(HDC dc, std::wstring_view text) {
    const HGDIOBJ base = GetCurrentObject(dc, OBJ_FONT);
    int width = 0;
    textRuns(characters(dc, text), [&](const TextRun& run) {
        const std::wstring_view part = text.substr(run.begin, run.end - run.begin);
        if (run.elsewhere) SelectObject(dc, fontShowing(dc, part));
        SIZE extent{};
        GetTextExtentPoint32W(dc, part.data(), static_cast<int>(part.size()), &extent);
        width += extent.cx;
        SelectObject(dc, base);
    });
    return width;
}

HFONT ScriptFonts::fontShowing(HDC dc, std::wstring_view text) {
    const auto base = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    const std::size_t lacking = firstLacking(characters(dc, text));
    return lacking == text.size() ? base : fontFor(dc, base, text[lacking]);
}

// MLang knows which font has a character: by its code pages, or by searching every font for a
// character of none. Its font is of the DC's size; ours is made like the DC's, in that face.
HFONT ScriptFonts::fontFor(HDC dc, HFONT base, wchar_t character) {
    if (!com_) link_ = static_cast<IMLangFontLink2*>(com_.emplace().create(kMultiLanguage, kFontLink2));
    DWORD pages = 0;
    HFONT mapped = nullptr;
    if (!link_ || FAILED(link_->GetCharCodePages(character, &pages)) || FAILED(link_->MapFont(dc, pages, character, &mapped)) || !mapped)
        return base;
    // The face the system chose, named: the font asked for may name another.
    LOGFONTW wanted{};
    GetObjectW(base, sizeof wanted, &wanted);
    SelectObject(dc, mapped);
    GetTextFaceW(dc, LF_FACESIZE, wanted.lfFaceName);
    wanted.lfCharSet = static_cast<BYTE>(GetTextCharset(dc));
    wanted.lfPitchAndFamily = DEFAULT_PITCH;
    SelectObject(dc, base);
    link_->ReleaseFont(mapped);
    for (const UniqueFont& font : fonts_) {
        LOGFONTW made{};
        GetObjectW(font.get(), sizeof made, &made);
        if (made.lfHeight == wanted.lfHeight && made.lfWeight == wanted.lfWeight &&
            std::wcscmp(made.lfFaceName, wanted.lfFaceName) == 0)
            return font.get();
    }
    fonts_.emplace_back(CreateFontIndirectW(&wanted));
    return fonts_.back().get();
}

}  // namespace kavren
