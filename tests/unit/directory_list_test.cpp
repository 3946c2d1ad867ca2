#include "app/directory_list.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace kavren {
namespace {

// One line per entry: depth, '>' in the chain or '.' for a child, the shown name, '|', the full path.
// Then the current index, the list's path and the drive it lies on.
std::vector<std::wstring> lines(const DirectoryList& list) {
    std::vector<std::wstring> result;
    for (const auto& e : list.entries())
        result.push_back(std::to_wstring(e.depth) + (e.inChain ? L">" : L".") + e.name + L"|" + e.path);
    result.push_back(std::to_wstring(list.currentIndex()) + L"@" + list.path() + L" on " + driveOf(list.path()));
    return result;
}

TEST(DirectoryList, ChainFromTheRootThenChildrenWithFullPathsAndAFailureChangesNothing) {
    const std::pair<std::wstring, std::vector<std::wstring>> cases[] = {
        {L"C:\\Tools\\Sub\\\\",
         {L"0>C:\\|C:\\", L"1>Tools|C:\\Tools", L"2>Sub|C:\\Tools\\Sub", L"3.a|C:\\Tools\\Sub\\a",
          L"3.b c|C:\\Tools\\Sub\\b c", L"2@C:\\Tools\\Sub on C:"}},
        {L"C:\\", {L"0>C:\\|C:\\", L"1.Windows|C:\\Windows", L"0@C:\\ on C:"}},
        // A bare drive stands for that drive's current directory.
        {L"D:", {L"0>D:\\|D:\\", L"1>Game Data|D:\\Game Data", L"1@D:\\Game Data on D:"}},
        {L"\\\\srv\\share\\a\\",
         {L"0>\\\\srv\\share\\|\\\\srv\\share\\", L"1>a|\\\\srv\\share\\a", L"2.x|\\\\srv\\share\\a\\x",
          L"1@\\\\srv\\share\\a on \\\\srv\\share"}},
    };
    testing::FakePlatform platform;
    platform.tree = {{L"C:\\Tools\\Sub", {L"a", L"b c"}}, {L"C:\\", {L"Windows"}},
                     {L"D:\\Game Data", {}}, {L"\\\\srv\\share\\a", {L"x"}}};
    platform.driveCurrent[L"D:"] = L"D:\\Game Data";
    for (const auto& [request, want] : cases) {
        DirectoryList list(platform);
        list.setPath(request);
        EXPECT_EQ(lines(list), want);
        EXPECT_THROW(list.setPath(L"C:\\Gone"), PlatformError);
        EXPECT_EQ(lines(list), want) << "a failed listing changes nothing";
    }
}

}  // namespace
}  // namespace kavren
