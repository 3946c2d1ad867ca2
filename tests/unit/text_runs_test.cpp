// Where a line drawn in several fonts is split into runs, and where it is cut for its ellipsis.
#include "app/text_runs.h"

#include <gtest/gtest.h>

namespace kavren {
namespace {

// A line by its characters: a = Latin, c = Chinese, d = Devanagari, h = Hebrew (none but Latin in the line's
// font; Devanagari in another face than Chinese), ' ' and 1 = space and digit; '+' continues the cluster before.
std::vector<Character> lineOf(std::string_view kinds) {
    std::vector<Character> line;
    for (const char kind : kinds)
        line.push_back({static_cast<unsigned char>(kind == 'c' || kind == 'h' ? 1 : kind == 'd' || kind == '+' ? 2 : 0),
                        kind == 'h' ? Direction::rightToLeft : kind == ' ' || kind == '1' || kind == '+' ? Direction::none : Direction::leftToRight,
                        kind != '+'});
    return line;
}

std::vector<TextRun> runsOf(std::string_view kinds) {
    std::vector<TextRun> runs;
    textRuns(lineOf(kinds), [&](const TextRun& run) { runs.push_back(run); });
    return runs;
}

// What the line's font has stays in it; a right-to-left stretch, with the spaces and digits within it,
// goes whole to one call, so that the system can put it in order; it ends before left-to-right text.
// Faces change between clusters only, a character within one going where its first goes.
TEST(TextRuns, CharactersTheFontLacksAndRightToLeftStretchesGoElsewhereWholeClustersEach) {
    EXPECT_EQ(runsOf("cc aaaa"), (std::vector<TextRun>{{0, 2, true, 1}, {2, 7, false, 0}}));
    EXPECT_EQ(runsOf("hhh hh"), (std::vector<TextRun>{{0, 6, true, 1}}));
    EXPECT_EQ(runsOf("a hh 11 a"), (std::vector<TextRun>{{0, 2, false, 0}, {2, 8, true, 1}, {8, 9, false, 0}}));
    EXPECT_EQ(runsOf("cchh1c"), (std::vector<TextRun>{{0, 2, true, 1}, {2, 5, true, 1}, {5, 6, true, 1}}));
    EXPECT_EQ(runsOf("cd++d+a"), (std::vector<TextRun>{{0, 1, true, 1}, {1, 6, true, 2}, {6, 7, false, 0}}));
    std::vector<Character> line = lineOf("ad+");
    line[1].font = line[2].font = 0;  // no face found yet: the line's own font, whole still
    line[2].direction = Direction::leftToRight;
    std::vector<TextRun> runs;
    textRuns(line, [&](const TextRun& run) { runs.push_back(run); });
    EXPECT_EQ(runs, (std::vector<TextRun>{{0, 3, false, 0}}));
}

// A line cut for its ellipsis keeps all the clusters that fit, each 10 wide, and none in part.
TEST(TextRuns, ALineIsCutWhereAClusterBeginsAfterAllThatFit) {
    const std::vector<Character> line = lineOf("ad++d+a");
    std::vector<std::size_t> asked;
    const auto widthTo = [&](std::size_t end) {
        asked.push_back(end);
        return static_cast<int>(end) * 10;
    };
    EXPECT_EQ(cutBefore(line, 45, widthTo), 4u);
    EXPECT_EQ(cutBefore(line, 60, widthTo), 6u);
    EXPECT_EQ(cutBefore(line, 9, widthTo), 0u);
    EXPECT_EQ(cutBefore(line, 10, widthTo), 1u);
    for (const std::size_t end : asked) EXPECT_TRUE(end == 1 || end == 4 || end == 6) << "measured to " << end;
}

}  // namespace
}  // namespace kavren
