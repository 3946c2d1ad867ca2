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

// Hands `drawRun` the runs of a line, left to right.
template <typename DrawRun>
void textRuns(const std::vector<Character>& line, DrawRun drawRun) {
    TextRun run{0, 0, false};
    bool rightToLeft = false, wasRightToLeft = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        // A right-to-left stretch lasts until the next left-to-right character. Drawn in one call, it
        // is put in order by the system, with the spaces and digits within it.
        if (line[i].direction != Direction::none) rightToLeft = line[i].direction == Direction::rightToLeft;
        const bool elsewhere = rightToLeft || !line[i].inFont;
        if (i > 0 && (run.elsewhere != elsewhere || wasRightToLeft != rightToLeft)) {
            drawRun(run);
            run.begin = i;
        }
        run.end = i + 1;
        run.elsewhere = elsewhere;
        wasRightToLeft = rightToLeft;
    }
    if (run.end > 0) drawRun(run);
}

}  // namespace kavren
