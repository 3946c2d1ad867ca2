// Faces that have the characters a line's font lacks, found one look at a time in the window's
// idle turns: first the face the system links to the character's code pages, then, for a
// character of none (Devanagari, Tamil, Ethiopic...), the first face whose own coverage holds it.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "app/font_handle.h"
#include "platform/late_bound.h"

struct IMLangFontLink2;

namespace kavren {

enum class FontLook { none, looked, found };

class FontSearch {
public:
    struct Face {
        std::wstring name;
        BYTE charset;
        std::vector<WCRANGE> ranges;  // the characters it says it has
        HFONT font;  // to ask for glyphs, once found (held in fonts_)
    };

    FontSearch() = default;
    ~FontSearch();
    FontSearch(const FontSearch&) = delete;
    FontSearch& operator=(const FontSearch&) = delete;

    // A face found before that has every character of `characters`; when none has, the search for
    // the one at `lacking` is queued, a font like `base` the model for the system's choice.
    std::optional<std::size_t> faceHaving(std::wstring_view characters, std::size_t lacking, HFONT base);
    const Face& face(std::size_t index) const { return faces_[index]; }

    // One look for a face of a queued character: none when nothing is queued; found when a face was.
    FontLook lookOnce();

private:
    struct Wanted {
        wchar_t character;
        LOGFONTW base;
    };
    struct DcDeleter {
        void operator()(HDC dc) const { DeleteDC(dc); }
    };

    bool covers(const Face& face, std::wstring_view characters);
    bool known(wchar_t character);
    std::optional<Face> linkedFace(const Wanted& wanted);
    Face faceNamed(const std::wstring& name, BYTE charset);
    FontLook foundFace(Face face);

    std::vector<Face> faces_;  // found, in the order found
    std::vector<UniqueFont> fonts_;  // of the faces found
    std::vector<Wanted> wanted_;  // first come, first looked for
    std::wstring faceless_;  // searched for in every face, in vain
    bool linkAsked_ = false;  // for the first wanted character
    std::optional<std::vector<std::wstring>> names_;  // every face the system has, once asked
    std::vector<Face> read_;  // their coverage, read one face a look
    std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter> dc_;
    std::optional<ComApartment> com_;  // started when a character first needs the system's link
    IMLangFontLink2* link_ = nullptr;
};

}  // namespace kavren
