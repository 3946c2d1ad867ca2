#include "app/form1.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace kavren {
namespace {

using testing::FakePlatform;
using testing::FakeView;

class Form1Test : public ::testing::Test {
protected:
    Form1Test() {
        platform.tree[L"C:\\Work"] = {L"Game Data", L"Other"};
        platform.tree[L"C:\\Work\\Game Data"] = {};
        platform.tree[L"C:\\"] = {L"Work"};
        platform.tree[L"D:\\Old"] = {L"x"};
        platform.driveCurrent[L"D:"] = L"D:\\Old";
        platform.readableFiles.insert(L"C:\\Tools\\KavRenTool.exe");
    }
    void load() { ASSERT_TRUE(form.Form_Load()); platform.messages.clear(); }

    FakePlatform platform;
    FakeView view;
    Form1 form{platform, view};
};

TEST_F(Form1Test, LoadFillsPathBoxAndListsFromWorkingDirectory) {
    EXPECT_TRUE(form.Form_Load());
    EXPECT_EQ(view.path, L"C:\\Work");
    EXPECT_EQ(view.drive, L"C:");
    EXPECT_EQ(view.shownNames, (std::vector<std::wstring>{L"C:\\", L"Work", L"Game Data", L"Other"}));
    EXPECT_EQ(platform.probed, std::vector<std::wstring>{L"C:\\Tools\\KavRenTool.exe"});
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_FALSE(platform.endedWith.has_value());
}

TEST_F(Form1Test, ProgramAtDriveRootProbesDoubledSeparator) {
    platform.programDir = L"C:\\";
    platform.readableFiles = {L"C:\\\\KavRenTool.exe"};
    EXPECT_TRUE(form.Form_Load());
    EXPECT_TRUE(platform.messages.empty());
}

void expectToolMissingEnd(const FakePlatform& platform) {
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].title, L"Orz Info");
    EXPECT_EQ(platform.messages[0].text,
              L"Please put this program into the directory which contains [KavRenTool.exe] and run then.");
    EXPECT_FALSE(platform.messages[0].yesNo);
    EXPECT_EQ(platform.endedWith, kExitToolMissing);
    EXPECT_NE(kExitToolMissing, 0);
}

TEST_F(Form1Test, ToolMissingShowsOneMessageAndEnds) {
    platform.readableFiles.clear();
    EXPECT_FALSE(form.Form_Load());
    expectToolMissingEnd(platform);
}

TEST_F(Form1Test, FailureReadingDirectoryPathTakesTheSameEnd) {
    platform.failWorkingDirectory = true;
    EXPECT_FALSE(form.Form_Load());
    expectToolMissingEnd(platform);
    EXPECT_TRUE(platform.probed.empty());
}

TEST_F(Form1Test, UnlistableWorkingDirectoryTakesTheSameEnd) {
    platform.cwd = L"C:\\Locked";
    EXPECT_FALSE(form.Form_Load());
    expectToolMissingEnd(platform);
}

TEST_F(Form1Test, AnswerNoStartsNothingAndChangesNothing) {
    load();
    view.path = L"D:\\typed";
    view.recursive = true;
    platform.answerYes = false;
    form.cmdp_Click();
    form.cmdu_Click();
    EXPECT_TRUE(platform.started.empty());
    EXPECT_EQ(view.path, L"D:\\typed");
    EXPECT_TRUE(view.recursive);
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[1].title, L"Anti-misclick v1.0");
    EXPECT_TRUE(platform.messages[1].yesNo);
}

TEST_F(Form1Test, YesStartsTheToolWithTheModesArguments) {
    load();
    view.path = L"D:\\Game Data";
    form.cmdp_Click();
    view.recursive = true;
    form.cmdp_Click();
    form.cmdu_Click();
    view.recursive = false;
    form.cmdu_Click();
    const std::wstring head = L"cmd /K \" \"C:\\Tools\\KavRenTool.exe\" ";
    EXPECT_EQ(platform.started, (std::vector<std::wstring>{
                                    head + L"p \"D:\\Game Data\" \"", head + L"pr \"D:\\Game Data\" \"",
                                    head + L"ur \"D:\\Game Data\" \"", head + L"u \"D:\\Game Data\" \""}));
    EXPECT_EQ(platform.messages[0].text,
              L"Sure to PACK?\r\nPath: D:\\Game Data\r\nKAV.REN will be overwritten.");
    EXPECT_EQ(platform.messages[2].text,
              L"Sure to UNPACK?\r\nPath: D:\\Game Data\r\n"
              L"Files extracted before will be overwritten if they exist.");
}

TEST_F(Form1Test, EmptyPathPacksQuotedEmptyText) {
    load();
    view.path = L"";
    form.cmdp_Click();
    ASSERT_EQ(platform.started.size(), 1u);
    EXPECT_EQ(platform.started[0], L"cmd /K \" \"C:\\Tools\\KavRenTool.exe\" p \"\" \"");
}

TEST_F(Form1Test, FailedStartReportsSystemTextAndKeepsState) {
    load();
    view.path = L"D:\\x";
    view.recursive = true;
    platform.failStart = true;
    form.cmdu_Click();
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[1].text, L"The system cannot find the file specified.");
    EXPECT_EQ(platform.messages[1].title, L"KAVREN tool UI");
    EXPECT_EQ(view.path, L"D:\\x");
    EXPECT_TRUE(view.recursive);
    EXPECT_FALSE(platform.endedWith.has_value());
}

TEST_F(Form1Test, AboutShowsEightLinesOnlyFifthEmpty) {
    form.Command1_Click();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].title, L"About KAVREN UI");
    EXPECT_FALSE(platform.messages[0].yesNo);
    std::vector<std::wstring> lines;
    const std::wstring& text = platform.messages[0].text;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(L"\r\n", start)) != std::wstring::npos; start = at + 2)
        lines.push_back(text.substr(start, at - start));
    lines.push_back(text.substr(start));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], L"Kavren tool UI V0.02 by morlick");
    EXPECT_EQ(lines[3], L"*Icon changed (I'm not making nuclear bombs QwQ)");
    EXPECT_EQ(lines[6], L"Built on 2012-10-08");
    EXPECT_EQ(lines[7].rfind(L"(Ad) ", 0), 0u);
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].empty(), i == 4) << "line " << i + 1;
    EXPECT_EQ(text.find(L'\n'), text.find(L"\r\n") + 1) << "line breaks are CR LF";
}

TEST_F(Form1Test, HideMinimisesOnly) {
    load();
    form.Command2_Click();
    EXPECT_EQ(view.minimised, 1);
    EXPECT_EQ(view.path, L"C:\\Work");
}

TEST_F(Form1Test, DriveChangeCascadesToListAndPathBox) {
    load();
    view.path = L"typed";
    view.drive = L"D:";
    form.drvb_Change();
    EXPECT_EQ(form.dirb().path(), L"D:\\Old");
    EXPECT_EQ(view.path, L"D:\\Old");
    EXPECT_EQ(view.shownNames, (std::vector<std::wstring>{L"D:\\", L"Old", L"x"}));
}

TEST_F(Form1Test, PickingTheDriveAlreadyShownMovesNothing) {
    load();
    form.dirb_Activate(2);  // C:\Work\Game Data
    view.path = L"typed";
    for (const wchar_t* same : {L"C:", L"c:"}) {
        view.drive = same;
        form.drvb_Change();
        EXPECT_EQ(form.dirb().path(), L"C:\\Work\\Game Data");
        EXPECT_EQ(view.path, L"typed");
    }
}

TEST_F(Form1Test, UnreadableDriveKeepsEveryPreviousValue) {
    load();
    view.path = L"typed by user";
    const auto shownBefore = view.shownNames;
    view.drive = L"F:";
    form.drvb_Change();
    EXPECT_EQ(form.dirb().path(), L"C:\\Work");
    EXPECT_EQ(view.path, L"typed by user");
    EXPECT_EQ(view.shownNames, shownBefore);
    EXPECT_EQ(view.drive, L"C:") << "the drive list returns to the drive the directory list shows";
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].text.find(L"F:"), std::wstring::npos) << "names the drive";
}

TEST_F(Form1Test, DoubleClickReplacesTypedTextAndMovesList) {
    load();
    view.path = L"typed";
    form.dirb_Activate(2);  // "Game Data"
    EXPECT_EQ(view.path, L"C:\\Work\\Game Data");
    EXPECT_EQ(form.dirb().path(), L"C:\\Work\\Game Data");
    form.dirb_Activate(0);  // the root, up the chain
    EXPECT_EQ(view.path, L"C:\\");
    EXPECT_EQ(view.shownNames, (std::vector<std::wstring>{L"C:\\", L"Work"}));
}

TEST_F(Form1Test, DoubleClickOnVanishedDirectoryKeepsState) {
    load();
    platform.tree.erase(L"C:\\Work\\Game Data");
    view.path = L"typed";
    form.dirb_Activate(2);
    EXPECT_EQ(view.path, L"typed");
    EXPECT_EQ(form.dirb().path(), L"C:\\Work");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].text.find(L"C:\\Work\\Game Data"), std::wstring::npos);
}

}  // namespace
}  // namespace kavren
