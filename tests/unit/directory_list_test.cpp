// The directory list's model: each entry's depth, chain and full path, and what reading it again changes.
#include "app/directory_list.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace kavren {
namespace {

// The handler tests see the names; here the rest that is drawn: each entry's depth, whether it
// leads down to the current directory (an open folder) or lies below it, and its full path, which
// a double-click opens: one separator after a root, as after any other directory.
TEST(DirectoryList, EntriesCarryDepthChainAndFullPath) {
    testing::FakePlatform platform;
    platform.tree = {{L"\\\\srv\\share\\a", {L"x"}}, {L"C:\\", {L"Games", L"Work"}}};
    platform.driveCurrent = {{L"C:", L"C:\\"}};
    DirectoryList list(platform);
    const auto entries = [&list] {
        std::vector<std::wstring> got;
        for (const auto& e : list.entries())
            got.push_back(std::to_wstring(e.depth) + (e.inChain ? L">" : L".") + e.name + L"|" + e.path);
        return got;
    };
    list.setPath(L"\\\\srv\\share\\a\\");
    EXPECT_EQ(entries(), (std::vector<std::wstring>{L"0>\\\\srv\\share\\|\\\\srv\\share\\", L"1>a|\\\\srv\\share\\a",
                                                    L"2.x|\\\\srv\\share\\a\\x"}));
    EXPECT_EQ(list.currentIndex(), 1u);
    list.setPath(L"C:");
    EXPECT_EQ(entries(), (std::vector<std::wstring>{L"0>C:\\|C:\\", L"1.Games|C:\\Games", L"1.Work|C:\\Work"}));
    EXPECT_EQ(list.currentIndex(), 0u);

    // Read again, the list changes only what changed, so that the highlight on "Work" can stay.
    platform.tree[L"C:\\"] = {L"Apps", L"Work", L"Zoo"};
    EXPECT_EQ(list.reread(), (std::vector<ListEdit>{{true, 1, L"Apps"}, {false, 2, L"Games"}, {true, 3, L"Zoo"}}));
    EXPECT_EQ(entries(), (std::vector<std::wstring>{L"0>C:\\|C:\\", L"1.Apps|C:\\Apps", L"1.Work|C:\\Work", L"1.Zoo|C:\\Zoo"}));
    // Where the highlighted or the top entry stands after such edits: "Games" went, "Work" stays.
    const std::vector<ListEdit> edits{{true, 1, L"Apps"}, {false, 2, L"Games"}, {true, 3, L"Zoo"}};
    EXPECT_EQ(std::vector({positionAfter(0, edits), positionAfter(1, edits), positionAfter(2, edits)}),
              std::vector<std::optional<std::size_t>>({0, std::nullopt, 2}));
}

}  // namespace
}  // namespace kavren
