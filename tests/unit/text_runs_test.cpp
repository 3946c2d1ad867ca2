#include "app/text_runs.h"

#include <gtest/gtest.h>

namespace kavren {
namespace {

// A line by its characters: a = Latin, c = Chinese, h = Hebrew (neither in the line's font), ' ' and 1 = space and digit.
std::vector<TextRun> runsOf(std::string_view kinds) {
    std::vector<Character> line;
    for (const char kind : kinds)
        line.push_back({kind == 'a' || kind == ' ' || kind == '1',
                        kind == 'h' ? Direction::rightToLeft : kind == ' ' || kind == '1' ? Direction::none : Direction::leftToRight});
    std::vector<TextRun> runs;
    textRuns(line, [&](const TextRun& run) { runs.push_back(run); });
    return runs;
}

// What the line's font has stays in it; a right-to-left stretch, with the spaces and digits within it,
// goes whole to one call, so that the system can put it in order; it ends before left-to-right text.
TEST(TextRuns, CharactersTheFontLacksAndRightToLeftStretchesGoElsewhere) {
    EXPECT_EQ(runsOf("cc aaaa"), (std::vector<TextRun>{{0, 2, true}, {2, 7, false}}));
    EXPECT_EQ(runsOf("hhh hh"), (std::vector<TextRun>{{0, 6, true}}));
    EXPECT_EQ(runsOf("a hh 11 a"), (std::vector<TextRun>{{0, 2, false}, {2, 8, true}, {8, 9, false}}));
    EXPECT_EQ(runsOf("cchh1c"), (std::vector<TextRun>{{0, 2, true}, {2, 5, true}, {5, 6, true}}));
}

}  // namespace
}  // namespace kavren
