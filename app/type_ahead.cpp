// The letters typed in a row, and what they look for.
#include "app/type_ahead.h"

namespace kavren {

std::optional<TypedSearch> TypeAhead::typed(wchar_t letter, std::uint32_t time, unsigned pause) {
    if (letter >= 0xD800 && letter < 0xDC00) {
        highSurrogate_ = letter;
        return std::nullopt;
    }
    if (letter < L' ') return std::nullopt;
    std::wstring character = letter >= 0xDC00 && letter < 0xE000 && highSurrogate_ ? std::wstring{highSurrogate_, letter}
                                                                                    : std::wstring(1, letter);
    highSurrogate_ = 0;
    // Unsigned: the clock's wrap after 49 days does not matter.
    if (typed_.empty() || time - last_ >= pause) typed_.clear();
    last_ = time;
    typed_ += character;
    bool repeated = true;
    for (std::size_t at = 0; at < typed_.size() && repeated; at += character.size())
        repeated = typed_.compare(at, character.size(), character) == 0;
    if (repeated) return TypedSearch{std::move(character), true};
    return TypedSearch{typed_, false};
}

}  // namespace kavren
