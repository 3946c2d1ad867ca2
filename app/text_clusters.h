// Where the clusters of a line begin, as the system shapes it: a cluster (a conjunct with its
// vowel sign, a consonant with its marks, a pair of surrogates) is never split.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>
#include <vector>

namespace kavren {

// Whether a cluster begins at each character of `text`; `fontFor(begin, end)` names the font
// that draws the characters from `begin` to `end`, a stretch of one script.
std::vector<bool> clusterStarts(HDC dc, std::wstring_view text,
                                const std::function<HFONT(std::size_t begin, std::size_t end)>& fontFor);

}  // namespace kavren
