// Where a line of text drawn in several fonts must be split: characters the line's font lacks,
// and right-to-left stretches, are drawn in runs of their own, never splitting a cluster; and
// where a line too long for its room is cut before its ellipsis.
#pragma once

#include <cstddef>
#include <vector>

namespace kavren {

// A character's own direction; digits, spaces and marks have none.
enum class Direction : unsigned char { none, leftToRight, rightToLeft };

struct Character {
    unsigned char font;  // 0: the line's own font; else another that has its whole cluster
    Direction direction;
    bool startsCluster = true;  // false within a cluster: it goes wherever the cluster's first character goes
};

struct TextRun {
    std::size_t begin, end;
    bool elsewhere;  // drawn in another font than the line's own, or right to left
    unsigned char font = 0;

    bool operator==(const TextRun&) const = default;
};

// Hands `drawRun` the runs of a line, left to right.
template <typename DrawRun>
void textRuns(const std::vector<Character>& line, DrawRun drawRun) {
    TextRun run{0, 0, false};
    bool rightToLeft = false, wasRightToLeft = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        // A right-to-left stretch lasts until the next left-to-right character. Drawn in one call, it
        // is put in order by the system, with the spaces and digits within it, in the font of its
        // first character that the line's font lacks.
        if (line[i].direction != Direction::none) rightToLeft = line[i].direction == Direction::rightToLeft;
        if (i > 0 && !line[i].startsCluster) {
            run.end = i + 1;
            continue;
        }
        const bool elsewhere = rightToLeft || line[i].font != 0;
        if (i > 0 && (run.elsewhere != elsewhere || wasRightToLeft != rightToLeft ||
                      (!rightToLeft && run.font != line[i].font) || (rightToLeft && run.font && line[i].font && run.font != line[i].font))) {
            drawRun(run);
            run = {i, i, elsewhere, 0};
        }
        if (run.font == 0) run.font = line[i].font;
        run.end = i + 1;
        run.elsewhere = elsewhere;
        wasRightToLeft = rightToLeft;
    }
    if (run.end > 0) drawRun(run);
}

// Where a line is cut so that what stays of it, as wide as `widthTo(end)`, leaves `room` for the
// ellipsis: the last place a cluster begins where it does, 0 when none does.
template <typename WidthTo>
std::size_t cutBefore(const std::vector<Character>& line, int room, WidthTo widthTo) {
    std::vector<std::size_t> ends;
    for (std::size_t i = 1; i < line.size(); ++i)
        if (line[i].startsCluster) ends.push_back(i);
    // Wider with every cluster kept: the last that fits is found by halves.
    std::size_t low = 0, high = ends.size();
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (widthTo(ends[middle - 1]) <= room)
            low = middle;
        else
            high = middle - 1;
    }
    return low == 0 ? 0 : ends[low - 1];
}

}  // namespace kavren
