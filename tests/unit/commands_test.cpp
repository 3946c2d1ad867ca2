#include "commands/commands.h"

#include <gtest/gtest.h>

namespace kavren {
namespace {

TEST(ToolArguments, ModeLetterThenSuffixThenQuotedPath) {
    EXPECT_EQ(toolArguments(kPack, false, L"D:\\Game Data"), L"p \"D:\\Game Data\"");
    EXPECT_EQ(toolArguments(kPack, true, L"D:\\Game Data"), L"pr \"D:\\Game Data\"");
    EXPECT_EQ(toolArguments(kUnpack, false, L"D:\\Game Data"), L"u \"D:\\Game Data\"");
    EXPECT_EQ(toolArguments(kUnpack, true, L"D:\\Game Data"), L"ur \"D:\\Game Data\"");
}

TEST(ToolArguments, PathTextGoesInVerbatim) {
    EXPECT_EQ(toolArguments(kPack, false, L""), L"p \"\"");
    EXPECT_EQ(toolArguments(kUnpack, false, L"C:\\"), L"u \"C:\\\"");
    EXPECT_EQ(toolArguments(kPack, false, L" a\"b%PATH%&c^d "), L"p \" a\"b%PATH%&c^d \"");
    EXPECT_EQ(toolArguments(kUnpack, true, L"E:\\\u00dcn\u00efc\u00f6d\u00e9\\\u6570\u636e"),
              L"ur \"E:\\\u00dcn\u00efc\u00f6d\u00e9\\\u6570\u636e\"");
}

TEST(ConfirmationPrompt, ThreeLinesWithoutTrailingBreak) {
    EXPECT_EQ(confirmationPrompt(kPack, L"D:\\Game Data"),
              L"Sure to PACK?\r\nPath: D:\\Game Data\r\nKAV.REN will be overwritten.");
    EXPECT_EQ(confirmationPrompt(kUnpack, L""),
              L"Sure to UNPACK?\r\nPath: \r\nFiles extracted before will be overwritten if they exist.");
    EXPECT_EQ(confirmationPrompt(kPack, L"a&b^c%d\"e \u6570"),
              L"Sure to PACK?\r\nPath: a&b^c%d\"e \u6570\r\nKAV.REN will be overwritten.");
}

TEST(LaunchCommandLine, WrapsQuotedToolAndArgumentsInOneMorePair) {
    EXPECT_EQ(launchCommandLine(L"C:\\Tools", L"pr \"D:\\Game Data\""),
              L"cmd /K \" \"C:\\Tools\\KavRenTool.exe\" pr \"D:\\Game Data\" \"");
    // A drive root keeps its separator, so it doubles; Windows and cmd accept that.
    EXPECT_EQ(launchCommandLine(L"C:\\", L"u \"C:\\\""),
              L"cmd /K \" \"C:\\\\KavRenTool.exe\" u \"C:\\\" \"");
    EXPECT_EQ(launchCommandLine(L"C:\\Program Files\\\u6570\u636e", L"p \"\""),
              L"cmd /K \" \"C:\\Program Files\\\u6570\u636e\\KavRenTool.exe\" p \"\" \"");
}

TEST(LaunchCommandLine, FixedPiecesHaveTheirExactLengths) {
    EXPECT_EQ(kLaunchHead.size(), 10u);
    EXPECT_EQ(kLaunchMiddle.size(), 17u);
    EXPECT_EQ(kLaunchTail.size(), 2u);
    EXPECT_EQ(kToolPathTail.size(), 15u);
    EXPECT_EQ(kLaunchMiddle.substr(1, kToolFileName.size()), kToolFileName);
}

TEST(ToolPath, JoinsProgramDirectoryAsItComes) {
    EXPECT_EQ(toolPath(L"C:\\Tools"), L"C:\\Tools\\KavRenTool.exe");
    EXPECT_EQ(toolPath(L"C:\\"), L"C:\\\\KavRenTool.exe");
    EXPECT_EQ(toolPath(L"D:\\dir with blanks"), L"D:\\dir with blanks\\KavRenTool.exe");
}

}  // namespace
}  // namespace kavren
