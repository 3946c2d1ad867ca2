#include "app/text_runs.h"

namespace kavren {

std::vector<TextRun> textRuns(const std::vector<Character>& line) {
    std::vector<TextRun> runs;
    bool rightToLeft = false, wasRightToLeft = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        // A right-to-left stretch lasts until the next left-to-right character. Drawn in one call, it
        // is put in order by the system, with the spaces and digits within it.
        if (line[i].direction != Direction::none) rightToLeft = line[i].direction == Direction::rightToLeft;
        const bool elsewhere = rightToLeft || !line[i].inFont;
        if (!runs.empty() && runs.back().elsewhere == elsewhere && wasRightToLeft == rightToLeft)
            runs.back().end = i + 1;
        else
            runs.push_back({i, i + 1, elsewhere});
        wasRightToLeft = rightToLeft;
    }
    return runs;
}

}  // namespace kavren
