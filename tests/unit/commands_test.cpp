// The texts the commands compose: the confirmation, the tool's arguments, the command line cmd is given.
#include "commands/commands.h"

#include <gtest/gtest.h>

namespace kavren {
namespace {

TEST(Commands, ComposedTextsMatchTheHandWrittenOnes) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {confirmationPrompt(kPack, L"a&b^c%d\"e \u6570"),
         L"Sure to PACK?\r\nPath: a&b^c%d\"e \u6570\r\nKAV.REN will be overwritten."},
        {toolArguments(kUnpack, false, L"C:\\"), L"u \"C:\\\""},
        {toolArguments(kPack, true, L" D:\\Game Data\\\"%PATH%&^ "), L"pr \" D:\\Game Data\\\"%PATH%&^ \""},
        {toolArguments(kUnpack, true, L"E:\\\u00dcn\u00efc\u00f6d\u00e9\\\u6570\u636e"),
         L"ur \"E:\\\u00dcn\u00efc\u00f6d\u00e9\\\u6570\u636e\""},
        {launchCommandLine(L"C:\\Program Files\\\u6570\u636e", L"pr \"D:\\Game Data\""),
         L"cmd /K \" \"C:\\Program Files\\\u6570\u636e\\KavRenTool.exe\" pr \"D:\\Game Data\" \""},
        // A drive root keeps its separator, so it doubles; Windows and cmd accept that.
        {launchCommandLine(L"C:\\", L"u \"C:\\\""), L"cmd /K \" \"C:\\\\KavRenTool.exe\" u \"C:\\\" \""},
    };
    for (const auto& [got, want] : cases) EXPECT_EQ(got, want);
}

}  // namespace
}  // namespace kavren
