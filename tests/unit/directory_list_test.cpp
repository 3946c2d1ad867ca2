#include "app/directory_list.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace kavren {
namespace {

using testing::FakePlatform;

std::vector<std::wstring> names(const DirectoryList& list) {
    std::vector<std::wstring> result;
    for (const auto& entry : list.entries()) result.push_back(entry.name);
    return result;
}

TEST(PathHelpers, TrailingSeparatorsAndDrives) {
    EXPECT_EQ(withoutTrailingSeparator(L"C:\\Tools\\"), L"C:\\Tools");
    EXPECT_EQ(withoutTrailingSeparator(L"C:\\Tools\\\\"), L"C:\\Tools");
    EXPECT_EQ(withoutTrailingSeparator(L"C:\\"), L"C:\\");
    EXPECT_EQ(withoutTrailingSeparator(L"\\\\srv\\share\\"), L"\\\\srv\\share\\");
    EXPECT_EQ(driveOf(L"C:\\Tools\\Sub"), L"C:");
    EXPECT_EQ(driveOf(L"C:\\"), L"C:");
    EXPECT_EQ(driveOf(L"\\\\srv\\share\\dir"), L"\\\\srv\\share");
}

TEST(PathHelpers, ChainRunsFromRootToPath) {
    EXPECT_EQ(pathChain(L"C:\\"), std::vector<std::wstring>{L"C:\\"});
    EXPECT_EQ(pathChain(L"C:\\Tools\\Sub Dir"),
              (std::vector<std::wstring>{L"C:\\", L"C:\\Tools", L"C:\\Tools\\Sub Dir"}));
    EXPECT_EQ(pathChain(L"\\\\srv\\share\\a"),
              (std::vector<std::wstring>{L"\\\\srv\\share\\", L"\\\\srv\\share\\a"}));
}

TEST(DirectoryList, ChainThenChildrenWithFullPaths) {
    FakePlatform platform;
    platform.tree[L"C:\\Tools\\Sub"] = {L"a", L"b c"};
    DirectoryList list(platform);
    list.setPath(L"C:\\Tools\\Sub\\");

    EXPECT_EQ(list.path(), L"C:\\Tools\\Sub");
    EXPECT_EQ(names(list), (std::vector<std::wstring>{L"C:\\", L"Tools", L"Sub", L"a", L"b c"}));
    ASSERT_EQ(list.currentIndex(), 2u);
    const auto& entries = list.entries();
    EXPECT_EQ(entries[1].path, L"C:\\Tools");
    EXPECT_EQ(entries[3].path, L"C:\\Tools\\Sub\\a");
    EXPECT_EQ(entries[4].path, L"C:\\Tools\\Sub\\b c");
    EXPECT_EQ(entries[4].depth, 3);
    EXPECT_TRUE(entries[2].inChain);
    EXPECT_FALSE(entries[3].inChain);
}

TEST(DirectoryList, DriveRootKeepsItsSeparatorAndChildrenGetOne) {
    FakePlatform platform;
    platform.tree[L"C:\\"] = {L"Windows"};
    DirectoryList list(platform);
    list.setPath(L"C:\\");
    EXPECT_EQ(list.path(), L"C:\\");
    EXPECT_EQ(names(list), (std::vector<std::wstring>{L"C:\\", L"Windows"}));
    EXPECT_EQ(list.entries()[1].path, L"C:\\Windows");
}

TEST(DirectoryList, BareDriveGoesToThatDrivesCurrentDirectory) {
    FakePlatform platform;
    platform.driveCurrent[L"D:"] = L"D:\\Game Data";
    platform.tree[L"D:\\Game Data"] = {};
    platform.tree[L"E:\\"] = {L"x"};
    DirectoryList list(platform);
    list.setPath(L"D:");
    EXPECT_EQ(list.path(), L"D:\\Game Data");
    list.setPath(L"E:");
    EXPECT_EQ(list.path(), L"E:\\");
}

TEST(DirectoryList, UnlistableDirectoryChangesNothing) {
    FakePlatform platform;
    platform.tree[L"C:\\Work"] = {L"one"};
    DirectoryList list(platform);
    list.setPath(L"C:\\Work");
    EXPECT_THROW(list.setPath(L"C:\\Gone"), PlatformError);
    EXPECT_THROW(list.setPath(L"F:"), PlatformError);
    EXPECT_EQ(list.path(), L"C:\\Work");
    EXPECT_EQ(names(list), (std::vector<std::wstring>{L"C:\\", L"Work", L"one"}));
}

}  // namespace
}  // namespace kavren
