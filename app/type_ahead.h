// Finding a list entry by the letters typed in a row, as Explorer's lists do: the letters a pause
// apart start a new search, and one letter typed again and again steps through the entries
// beginning with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kavren {

struct TypedSearch {
    std::wstring prefix;    // what the entry's name must begin with
    bool afterHighlighted;  // from the entry after the highlighted one; else from that one itself
};

class TypeAhead {
public:
    // `letter` typed at `time` (ms, the system's clock), `pause` ms being the pause that starts a
    // new search: what to look for. None for half a character (the first of a surrogate pair)
    // and for a control character.
    std::optional<TypedSearch> typed(wchar_t letter, std::uint32_t time, unsigned pause);

private:
    std::wstring typed_;  // since the last pause, whole characters
    wchar_t highSurrogate_ = 0;
    std::uint32_t last_ = 0;
};

}  // namespace kavren
