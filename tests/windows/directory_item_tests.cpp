// One directory list row as drawn: its folder glyph and the archive's mark at every scale, and
// names in every script, cut short or whole, on one baseline.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <functional>

#include "app/directory_item.h"
#include "form1_window.h"

namespace {

using namespace form1_window;

// One directory list row drawn at that DPI, its 32-bit pixels row by row, in `font` or the DC's own.
std::vector<std::uint32_t> drawnRow(const kavren::DirectoryEntry& entry, UINT dpi, int width, int height,
                                    bool selected = false, HFONT font = nullptr) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bitmap);
    if (font) SelectObject(dc, font);
    kavren::ScriptFonts fonts;
    kavren::drawDirectoryItem(dc, RECT{0, 0, width, height}, entry, selected, dpi, fonts);
    GdiFlush();
    std::vector<std::uint32_t> drawn(static_cast<std::uint32_t*>(bits), static_cast<std::uint32_t*>(bits) + width * height);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return drawn;
}

// At each scale Windows offers (100 to 200 %), the open folder, the widest glyph, grows by the
// scale's own factor, and the name begins to the right of all of it, 3 pixels (at 100 %) or more away.
// The archive's mark lies on the glyph, the name where it was, plain and highlighted, and is no speck.
TEST(DirectoryItem, TheNameBeginsAfterTheWholeGlyphAndTheArchiveMarkLiesOnItAtEveryScale) {
    for (const int dpi : {96, 120, 144, 168, 192}) {
        SCOPED_TRACE(dpi);
        const int width = 300, height = MulDiv(20, dpi, 96);
        const auto glyph = drawnRow({L"", L"C:\\Games", 1, true}, dpi, width, height);
        const auto named = drawnRow({L"Game Data", L"C:\\Games", 1, true}, dpi, width, height);
        int glyphLeft = width, glyphRight = -1, glyphTop = height, glyphBottom = -1, nameLeft = width;
        for (int i = 0; i < width * height; ++i) {
            const int x = i % width, y = i / width;
            if (glyph[i] != glyph.back())
                glyphLeft = std::min(glyphLeft, x), glyphRight = std::max(glyphRight, x),
                glyphTop = std::min(glyphTop, y), glyphBottom = std::max(glyphBottom, y);
            if (named[i] != glyph[i]) nameLeft = std::min(nameLeft, x);
        }
        EXPECT_NEAR(glyphRight + 1 - glyphLeft, MulDiv(16, dpi, 96) + 1, 2) << "16 pixels at 100 %, and the pen";
        EXPECT_GE(nameLeft - glyphRight, MulDiv(3, dpi, 96)) << "glyph to " << glyphRight << ", name from " << nameLeft;
        EXPECT_LT(nameLeft, width / 2) << "no name drawn";
        for (const bool selected : {false, true}) {
            const auto plain = drawnRow({L"Game Data", L"C:\\Games", 1, false}, dpi, width, height, selected);
            const auto marked = drawnRow({L"Game Data", L"C:\\Games", 1, false, true}, dpi, width, height, selected);
            // The mark is in the row's text colour, which the folder never uses (DIB pixels are 0xRRGGBB).
            const COLORREF text = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
            const std::uint32_t ink = GetRValue(text) << 16 | GetGValue(text) << 8 | GetBValue(text);
            int inked = 0, inkedPlain = 0, outside = 0;
            for (int i = 0; i < width * height; ++i) {
                const int x = i % width, y = i / width;
                inked += x < nameLeft && marked[i] == ink, inkedPlain += x < nameLeft && plain[i] == ink;
                outside += marked[i] != plain[i] && (x < glyphLeft || x > glyphRight || y < glyphTop || y > glyphBottom);
            }
            EXPECT_EQ(outside, 0) << "pixels of the mark off the glyph, selected " << selected;
            EXPECT_GE(inked, MulDiv(7, dpi, 96) * MulDiv(6, dpi, 96)) << "selected " << selected;
            EXPECT_EQ(inkedPlain, 0) << "a mark without the archive, selected " << selected;
        }
    }
}

// What drawing an entry in the directory list's font into a row `width` wide put on the page, recorded:
// each text output, as "[text]" where drawn in Lucida Console, "{text}" in another face, and "!" for each
// glyph that face lacks; and how wide all of it is, each in its face.
struct Drawn {
    std::wstring texts;
    int width;
    int lineWidth;  // what the program says the name's width is, drawn whole
};
Drawn drawnTexts(const std::wstring& name, int width = 300) {
    const HFONT listFont = kavren::createControlFont(kavren::specOf(Control::dirb), 96);
    static kavren::ScriptFonts fonts;  // one for all names, as the window's: faces found for one serve the next
    const kavren::DirectoryEntry entry{name, L"C:\\" + name, 1, false};
    HENHMETAFILE recorded = nullptr;
    int lineWidth = 0;
    // Faces are found in the loop's idle turns, after a first drawing asked for them: the third is kept.
    for (int round = 0; round < 3; ++round) {
        DeleteEnhMetaFile(recorded);
        const HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
        SelectObject(dc, listFont);
        kavren::drawDirectoryItem(dc, RECT{0, 0, width, 20}, entry, false, 96, fonts);
        lineWidth = fonts.lineWidth(dc, name);
        recorded = CloseEnhMetaFile(dc);
        while (fonts.lookOnce() != kavren::FontLook::none) {
        }
    }
    DeleteObject(listFont);
    struct Reading {
        std::map<DWORD, LOGFONTW> made;
        LOGFONTW font;
        Drawn drawn;
    } reading{};
    EnumEnhMetaFile(nullptr, recorded, [](HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) {
        auto& seen = *reinterpret_cast<Reading*>(data);
        if (record->iType == EMR_EXTCREATEFONTINDIRECTW) {
            const auto& made = *reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(record);
            seen.made[made.ihFont] = made.elfw.elfLogFont;
        } else if (record->iType == EMR_SELECTOBJECT) {
            const auto found = seen.made.find(reinterpret_cast<const EMRSELECTOBJECT*>(record)->ihObject);
            if (found != seen.made.end()) seen.font = found->second;
        } else if (record->iType == EMR_EXTTEXTOUTW) {
            const EMRTEXT& output = reinterpret_cast<const EMREXTTEXTOUTW*>(record)->emrtext;
            const std::wstring text(reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(record) + output.offString), output.nChars);
            const bool lucida = std::wstring(seen.font.lfFaceName) == L"Lucida Console";
            const HFONT font = CreateFontIndirectW(&seen.font);
            seen.drawn.texts += (lucida ? L"[" : L"{") + text + (lucida ? L"]" : L"}") + std::wstring(lacking(font, text), L'!');
            const HDC measuring = CreateCompatibleDC(nullptr);
            SelectObject(measuring, font);
            SIZE size{};
            GetTextExtentPoint32W(measuring, text.c_str(), static_cast<int>(text.size()), &size);
            seen.drawn.width += size.cx;
            DeleteDC(measuring);
            DeleteObject(font);
        }
        return 1;
    }, &reading, nullptr);
    DeleteEnhMetaFile(recorded);
    reading.drawn.lineWidth = lineWidth;
    return reading.drawn;
}

// Under a Western and a Chinese locale, with fonts for Chinese, Devanagari and Thai installed (Hebrew and
// Arabic come with DejaVu): no name is drawn in missing glyphs. Lucida Console keeps every character it
// has; a right-to-left name goes whole to a face that has it, in one call, which puts it in order. The
// width said of a name drawn whole is the width drawn.
TEST(DirectoryItem, NamesInEveryScriptAreDrawnInRealGlyphsLucidaConsoleKeepingItsOwn) {
    if (const char* acp = std::getenv("KAVREN_EXPECT_ACP")) EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(acp)));
    // Hebrew first: the face found for it says it has some Korean too (Wine cuts its ranges past U+FFFF).
    for (const auto& [name, drawn] : {std::pair<std::wstring, std::wstring>{L"Game Data", L"[Game Data]"},
                                      {L"\u05e2\u05d1\u05e8\u05d9\u05ea 1", L"{\u05e2\u05d1\u05e8\u05d9\u05ea 1}"},
                                      {L"\ud55c\uad6d\uc5b4", L"{\ud55c\uad6d\uc5b4}"},
                                      {L"\u6570\u636e Data", L"{\u6570\u636e}[ Data]"}, {L"\u6570", L"{\u6570}"},
                                      {L"\u0627\u0644\u0639\u0631\u0628\u064a\u0629", L"{\u0627\u0644\u0639\u0631\u0628\u064a\u0629}"},
                                      {L"\u0939\u093f\u0928\u094d\u0926\u0940 2", L"{\u0939\u093f\u0928\u094d\u0926\u0940}[ 2]"},
                                      {L"\u0e44\u0e17\u0e22", L"{\u0e44\u0e17\u0e22}"}})
    {
        const Drawn shown = drawnTexts(name);
        EXPECT_EQ(shown.texts, drawn);
        EXPECT_EQ(shown.lineWidth, shown.width) << "the width said of " << shown.texts;
    }
}

// A name longer than its row, in any script and either direction, ends in "..." in the list's font within
// the row, cut where a cluster ends (a Devanagari syllable, a Thai consonant with its marks), as little as
// needed, at every width down to about half the list's (177 pixels at 100 %).
TEST(DirectoryItem, NamesTooLongForTheRowEndInAnEllipsisBetweenClusters) {
    std::wstring devanagari, thai;
    for (int i = 0; i < 6; ++i) devanagari += L"\u0939\u093f\u0928\u094d\u0926\u0940 ";
    for (int i = 0; i < 20; ++i) thai += L"\u0e01\u0e34\u0e48";
    for (const std::wstring& name : {std::wstring(L"\u6e38\u620f\u8d44\u6e90\u6587\u4ef6\u5939\u5907\u4efd\u4e8c\u3007\u4e8c\u4e09\u5e74\u5341\u4e8c\u6708"),
                                     std::wstring(L"\u05ea\u05d9\u05e7\u05d9\u05d9\u05d4 \u05e2\u05dd \u05e9\u05dd \u05d0\u05e8\u05d5\u05da \u05de\u05d0\u05d5\u05d3 \u05d1\u05e2\u05d1\u05e8\u05d9\u05ea"),
                                     std::wstring(L"A very long folder name in Latin letters"), devanagari, thai})
        for (int width = 177; width > 90; width -= 3) {
            const int room = width - kavren::directoryNameLeft(1, 96);
            const Drawn drawn = drawnTexts(name, width);
            std::wstring text;
            std::copy_if(drawn.texts.begin(), drawn.texts.end(), std::back_inserter(text), [](wchar_t c) { return !std::wcschr(L"[]{}!", c); });
            const std::size_t cut = text.size() - 3;
            EXPECT_TRUE(text.size() > 3 && drawn.texts.substr(drawn.texts.size() - 4) == L"...]" && name.compare(0, cut, text, 0, cut) == 0)
                << width << " drawn " << drawn.texts;
            EXPECT_EQ(drawn.texts.find(L'!'), std::wstring::npos) << drawn.texts;
            EXPECT_LE(drawn.width, room) << drawn.texts;
            EXPECT_GT(drawn.width, room - 28) << "cut more than needed: " << drawn.texts;
            if (name == thai) EXPECT_EQ(cut % 3, 0u) << "a mark cut from its consonant: " << drawn.texts;
            if (name == devanagari) EXPECT_TRUE(cut % 7 == 0 || cut % 7 == 2 || cut % 7 == 6) << "a syllable cut: " << drawn.texts;
        }
}

// A character past U+FFFF (an ideograph of extension B, an emoji) is never split between the two halves
// of its surrogate pair, drawn whole or cut for the ellipsis.
TEST(DirectoryItem, ACharacterPastUffffIsNeverSplitDrawnWholeOrCut) {
    const std::wstring name = L"\U00020000\U0001F600 Photos \U00020000\U0001F600\U00020000\U0001F600";
    int cut = 0;
    for (int width = 200; width > 60; width -= 2) {
        const std::wstring texts = drawnTexts(name, width).texts;
        cut += texts.find(L"...") != std::wstring::npos;
        const auto split = std::adjacent_find(texts.begin(), texts.end(), [](wchar_t a, wchar_t b) { return IS_HIGH_SURROGATE(a) != IS_LOW_SURROGATE(b); });
        EXPECT_TRUE(split == texts.end()) << "a pair split at width " << width << " after " << texts.substr(0, split - texts.begin());
    }
    EXPECT_TRUE(cut > 10 && cut < 60) << "cut at " << cut << " widths of 70";
}

// Characters drawn in another font sit on the line's baseline, where a Latin name's would: "H" ends on the
// row where it ends alone, and the ideograph after it within the little that ideographs reach below.
TEST(DirectoryItem, CharactersOfAnotherFontSitOnTheLinesBaseline) {
    const HFONT font = kavren::createControlFont(kavren::specOf(Control::dirb), 96);
    const int width = 100, height = 20, left = kavren::directoryNameLeft(0, 96);
    const auto lowestInk = [&](const std::wstring& name, int from, int to) {
        const auto drawn = drawnRow({name, L"C:\\" + name, 0, false}, 96, width, height, false, font);
        for (int i = width * height - 1; i >= 0; --i)
            if (i % width >= from && i % width < to && drawn[i] != drawn[width - 1]) return i / width;
        return -1;
    };
    const int baseline = lowestInk(L"H", left, left + 7);
    EXPECT_EQ(lowestInk(L"H\u6570", left, left + 7), baseline);
    EXPECT_NEAR(lowestInk(L"H\u6570", left + 7, width), baseline + 1, 2) << "the ideograph ends off the baseline " << baseline;
    DeleteObject(font);
}

}  // namespace
