#include "app/directory_list.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace kavren {
namespace {

// The handler tests see the names; here the rest that is drawn: each entry's depth, whether it
// leads down to the current directory (an open folder) or lies below it, and its full path.
TEST(DirectoryList, EntriesCarryDepthChainAndFullPath) {
    testing::FakePlatform platform;
    platform.tree = {{L"\\\\srv\\share\\a", {L"x"}}};
    DirectoryList list(platform);
    list.setPath(L"\\\\srv\\share\\a\\");
    std::vector<std::wstring> got;
    for (const auto& e : list.entries())
        got.push_back(std::to_wstring(e.depth) + (e.inChain ? L">" : L".") + e.name + L"|" + e.path);
    EXPECT_EQ(got, (std::vector<std::wstring>{L"0>\\\\srv\\share\\|\\\\srv\\share\\", L"1>a|\\\\srv\\share\\a",
                                              L"2.x|\\\\srv\\share\\a\\x"}));
    EXPECT_EQ(list.currentIndex(), 1u);
}

}  // namespace
}  // namespace kavren
