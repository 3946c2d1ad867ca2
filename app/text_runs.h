// Where a line of text drawn in one font must be split: characters that font lacks, and
// right-to-left stretches, are drawn in runs of their own, in a font that has them.
#pragma once

#include <cstddef>
#include <vector>

namespace kavren {

// A character's own direction; digits, spaces and marks have none.
enum class Direction : unsigned char { none, leftToRight, rightToLeft };

struct Character {
    bool inFont;  // the line's font has it
    Direction direction;
};

struct TextRun {
    std::size_t begin, end;
    bool elsewhere;  // drawn in another font than the line's own

    bool operator==(const TextRun&) const = default;
};

// The runs of a line, left to right.
std::vector<TextRun> textRuns(const std::vector<Character>& line);

}  // namespace kavren
