// The search for faces that have the characters a line's font lacks, a look at a time.
#include "app/font_search.h"

#include <mlang.h>

#include <algorithm>

namespace kavren {
namespace {

constexpr CLSID kMultiLanguage{0x275c23e2, 0x3747, 0x11d0, {0x9f, 0xea, 0x00, 0xaa, 0x00, 0x3f, 0x86, 0x46}};
constexpr IID kFontLink2{0xdccfc162, 0x2b38, 0x11d2, {0xb7, 0xec, 0x00, 0xc0, 0x4f, 0x8f, 0x5d, 0x9a}};

bool inRanges(const FontSearch::Face& face, wchar_t character) {
    return std::any_of(face.ranges.begin(), face.ranges.end(), [&](const WCRANGE& range) {
        return character >= range.wcLow && character - range.wcLow < range.cGlyphs;
    });
}

HFONT fontOf(const FontSearch::Face& face) {
    LOGFONTW font{};
    face.name.copy(font.lfFaceName, LF_FACESIZE - 1);
    font.lfCharSet = face.charset;
    return CreateFontIndirectW(&font);
}

int CALLBACK addFaceName(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM data) {
    auto& names = *reinterpret_cast<std::vector<std::wstring>*>(data);
    // Vertical faces ("@...") lie on their side.
    if (font->lfFaceName[0] != L'@' && std::find(names.begin(), names.end(), font->lfFaceName) == names.end())
        names.push_back(font->lfFaceName);
    return 1;
}

}  // namespace

FontSearch::~FontSearch() {
    if (link_) link_->Release();
}

// The face's ranges say it has the characters, and its glyphs confirm: Wine reports characters past
// U+FFFF in the ranges, cut to 16 bits.
bool FontSearch::covers(const Face& face, std::wstring_view characters) {
    if (!std::all_of(characters.begin(), characters.end(), [&](wchar_t c) { return inRanges(face, c); })) return false;
    if (!dc_) dc_.reset(CreateCompatibleDC(nullptr));
    const UniqueFont made(face.font ? nullptr : fontOf(face));
    const HGDIOBJ old = SelectObject(dc_.get(), face.font ? face.font : made.get());
    std::vector<WORD> glyphs(characters.size());
    GetGlyphIndicesW(dc_.get(), characters.data(), static_cast<int>(characters.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc_.get(), old);
    return std::find(glyphs.begin(), glyphs.end(), 0xFFFF) == glyphs.end();
}

std::optional<std::size_t> FontSearch::faceHaving(std::wstring_view characters, std::size_t lacking, HFONT base) {
    for (std::size_t i = 0; i < faces_.size(); ++i)
        if (covers(faces_[i], characters)) return i;
    if (lacking < characters.size() && !known(characters[lacking])) {
        Wanted wanted{characters[lacking], {}};
        GetObjectW(base, sizeof wanted.base, &wanted.base);
        wanted_.push_back(wanted);
    }
    return std::nullopt;
}

bool FontSearch::known(wchar_t character) {
    return faceless_.find(character) != std::wstring::npos ||
           std::any_of(wanted_.begin(), wanted_.end(), [&](const Wanted& w) { return w.character == character; }) ||
           std::any_of(faces_.begin(), faces_.end(), [&](const Face& face) { return covers(face, {&character, 1}); });
}

FontLook FontSearch::lookOnce() {
    // What a face found meanwhile has needs no look.
    while (!wanted_.empty() && std::any_of(faces_.begin(), faces_.end(), [&](const Face& face) { return covers(face, {&wanted_.front().character, 1}); }))
        wanted_.erase(wanted_.begin()), linkAsked_ = false;
    if (wanted_.empty()) return FontLook::none;
    if (!dc_) dc_.reset(CreateCompatibleDC(nullptr));
    const Wanted wanted = wanted_.front();
    if (!linkAsked_) {
        linkAsked_ = true;
        if (std::optional<Face> linked = linkedFace(wanted)) return foundFace(std::move(*linked));
        return FontLook::looked;
    }
    // Every face's coverage, read once and kept: later characters are looked up in what was read.
    for (const Face& face : read_)
        if (covers(face, {&wanted.character, 1})) return foundFace(face);
    if (!names_) {
        names_.emplace();
        LOGFONTW any{};
        any.lfCharSet = DEFAULT_CHARSET;
        EnumFontFamiliesExW(dc_.get(), &any, addFaceName, reinterpret_cast<LPARAM>(&*names_), 0);
        return FontLook::looked;
    }
    if (read_.size() < names_->size()) {
        read_.push_back(faceNamed((*names_)[read_.size()], DEFAULT_CHARSET));
        return covers(read_.back(), {&wanted.character, 1}) ? foundFace(read_.back()) : FontLook::looked;
    }
    faceless_ += wanted.character;
    wanted_.erase(wanted_.begin());
    linkAsked_ = false;
    return FontLook::looked;
}

// The face the system links to the character's code pages, when it has the character.
std::optional<FontSearch::Face> FontSearch::linkedFace(const Wanted& wanted) {
    if (!com_) link_ = static_cast<IMLangFontLink2*>(com_.emplace().create(kMultiLanguage, kFontLink2));
    const UniqueFont model(CreateFontIndirectW(&wanted.base));
    const HGDIOBJ old = SelectObject(dc_.get(), model.get());
    DWORD pages = 0;
    HFONT mapped = nullptr;
    std::optional<Face> face;
    if (link_ && SUCCEEDED(link_->GetCharCodePages(wanted.character, &pages)) && pages &&
        SUCCEEDED(link_->MapFont(dc_.get(), pages, wanted.character, &mapped)) && mapped) {
        // The face the system chose, named: the font asked for may name another.
        SelectObject(dc_.get(), mapped);
        wchar_t name[LF_FACESIZE] = {};
        GetTextFaceW(dc_.get(), LF_FACESIZE, name);
        const auto charset = static_cast<BYTE>(GetTextCharset(dc_.get()));
        SelectObject(dc_.get(), model.get());
        link_->ReleaseFont(mapped);
        face = faceNamed(name, charset);
        if (!covers(*face, {&wanted.character, 1})) face.reset();
    }
    SelectObject(dc_.get(), old);
    return face;
}

// A face and what it says it covers.
FontSearch::Face FontSearch::faceNamed(const std::wstring& name, BYTE charset) {
    Face face{name, charset, {}, nullptr};
    const UniqueFont made(fontOf(face));
    const HGDIOBJ old = SelectObject(dc_.get(), made.get());
    if (const DWORD size = GetFontUnicodeRanges(dc_.get(), nullptr)) {
        std::vector<BYTE> buffer(size);
        auto* set = reinterpret_cast<GLYPHSET*>(buffer.data());
        if (GetFontUnicodeRanges(dc_.get(), set)) face.ranges.assign(set->ranges, set->ranges + set->cRanges);
    }
    SelectObject(dc_.get(), old);
    return face;
}

FontLook FontSearch::foundFace(Face face) {
    wanted_.erase(wanted_.begin());
    linkAsked_ = false;
    if (std::none_of(faces_.begin(), faces_.end(), [&](const Face& f) { return f.name == face.name; })) {
        fonts_.emplace_back(fontOf(face));
        face.font = fonts_.back().get();
        faces_.push_back(std::move(face));
    }
    return FontLook::found;
}

}  // namespace kavren
