// The form's handlers against the fakes: the tool check at start, Pack and Unpack, About, the drives and
// their labels, drops and start folders, the disk as it changes, and the archive's marks.
#include "app/form1.h"

#include <functional>
#include <regex>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "form1_world.h"

namespace kavren {
namespace {

TEST(Form1Load, AnyFailureShowsOneBoxThenEndsWithStatus2) {
    // Tool missing; working directory unreadable; working directory unlistable.
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"", L"C:\\Work"}, {L"E:\\Tools\\KavRenTool.exe", L""}, {L"E:\\Tools\\KavRenTool.exe", L"C:\\Locked"}};
    for (const auto& [tool, cwd] : cases) {
        SCOPED_TRACE(L"tool \"" + tool + L"\", working directory \"" + cwd + L"\"");
        World world;
        world.platform.tool = tool;
        world.platform.cwd = cwd;
        EXPECT_FALSE(world.form.Form_Load());
        EXPECT_EQ(world.platform.messages, Texts{L"Orz Info: Please put this program into the directory "
                                                 L"which contains [KavRenTool.exe] and run then."});
        EXPECT_EQ(world.platform.endedWith, 2);
    }
}

// Yes starts the tool once, even for an empty path box; No, or a start that fails, starts nothing.
TEST_F(Form1Test, EachConfirmedClickStartsTheToolOnce) {
    view.path = L"";
    form.cmdp_Click();
    view.path = L"D:\\Game Data";
    view.recursive = true;
    form.cmdp_Click();
    form.cmdu_Click();
    platform.answerYes = false;
    form.cmdu_Click();
    platform.answerYes = true;
    platform.failStart = true;
    form.cmdp_Click();
    const std::wstring cmd = L"cmd /K \" \"E:\\Tools\\KavRenTool.exe\" ";
    EXPECT_EQ(platform.started, (Texts{cmd + L"p \"\" \"", cmd + L"pr \"D:\\Game Data\" \"",
                                       cmd + L"ur \"D:\\Game Data\" \""}));
    const std::wstring ask = L"[Yes/No] Anti-misclick v1.0: Sure to ";
    const std::wstring pack = ask + L"PACK?\r\nPath: D:\\Game Data\r\nKAV.REN will be overwritten.";
    const std::wstring unpack =
        ask + L"UNPACK?\r\nPath: D:\\Game Data\r\nFiles extracted before will be overwritten if they exist.";
    EXPECT_EQ(platform.messages, (Texts{ask + L"PACK?\r\nPath: \r\nKAV.REN will be overwritten.", pack, unpack, unpack,
                                        pack, L"KAVREN tool UI: The directory name is invalid."}));
    EXPECT_FALSE(platform.endedWith);
}

TEST_F(Form1Test, AboutShowsEightCrLfLinesOnlyTheFifthEmpty) {
    form.Command1_Click();
    ASSERT_EQ(platform.messages.size(), 1u);
    // Lines 6 and 8 have free wording: any non-empty line, the 8th beginning "(Ad) ".
    const std::wregex about(L"About KAVREN UI: Kavren tool UI V0\\.02 by morlick\r\n"
                            L"\\*Space-in-path problem fixed\r\n"
                            L"\\*Bug of recursive operation fixed \\(thanks to quenbury\\)\r\n"
                            L"\\*Icon changed \\(I'm not making nuclear bombs QwQ\\)\r\n\r\n[^\r\n]+\r\n"
                            L"Built on 2012-10-08\r\n\\(Ad\\) [^\r\n]+");
    EXPECT_TRUE(std::regex_match(platform.messages[0], about)) << platform.messages[0];
}

TEST_F(Form1Test, DriveChangeMovesListAndPathBoxUnlessSameOrUnreadable) {
    view.path = L"typed";
    view.drive = L"D:";
    form.drvb_Change();
    EXPECT_EQ(state(), State(L"D:\\Old", L"D:", {L"D:\\", L"Old", L"x"}, L"D:\\Old"));
    view.path = L"typed";
    const State before = state();
    for (const wchar_t* drive : {L"D:", L"d:", L"F:"}) {
        view.drive = drive;
        form.drvb_Change();
    }
    EXPECT_EQ(state(), before) << "the drive list also returns to D:";
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find(L"F:"), std::wstring::npos);
}

// A start folder ("Send to", a drop on the program's icon) is taken as a drop is, but relative
// to the working directory.
TEST_F(Form1Test, ADropOrStartFolderOpensTheFirstItemOrTheFolderHoldingItAndTheDriveListFollows) {
    platform.files = {L"D:\\Old\\KAV.REN", L"D:\\KAV.REN", L"C:\\Work\\Game Data\\KAV.REN"};
    platform.tree[L"D:\\"] = {L"Old"};
    platform.tree[L"\\\\srv\\share\\dir"] = {};
    const std::pair<Texts, State> cases[] = {
        {{L"D:\\Old\\KAV.REN", L"C:\\Work"}, State(L"D:\\Old", L"D:", {L"D:\\", L"Old", L"x"}, L"D:\\Old")},
        {{L"D:\\KAV.REN"}, State(L"D:\\", L"D:", {L"D:\\", L"Old"}, L"D:\\")},
        // The drive list has no entry for a share and shows none selected.
        {{L"\\\\srv\\share\\dir"},
         State(L"\\\\srv\\share\\dir", L"", {L"\\\\srv\\share\\", L"dir"}, L"\\\\srv\\share\\dir")},
        {{}, State(L"C:\\Work\\Game Data", L"C:", {L"C:\\", L"Work", L"Game Data"}, L"C:\\Work\\Game Data")},
    };
    for (const auto& [items, want] : cases) {
        view.path = L"typed";
        items.empty() ? form.openStartFolder(L"Game Data\\KAV.REN") : form.Form_DragDrop(items);
        EXPECT_EQ(state(), want);
    }
    const State before = state();
    form.Form_DragDrop({});
    form.openStartFolder(L"");
    form.Form_DragDrop({L"D:\\Gone"});
    form.openStartFolder(L"Missing");
    EXPECT_EQ(state(), before);
    EXPECT_TRUE(platform.started.empty());
    const std::wstring box = L"KAVREN tool UI: The directory ";
    const std::wstring unreadable = L" cannot be read.\r\nThe device is not ready.";
    EXPECT_EQ(platform.messages, (Texts{box + L"D:\\Gone" + unreadable, box + L"C:\\Work\\Missing" + unreadable}));
}

// The disk changes under the shown directory C:\\Work; the list follows in display order, and
// nothing the user chose moves: the path box keeps typed text, and nothing is said.
// A label may wait on its device: looked at one drive at a time, only when the message loop asks (after
// the window is shown). The letter stays first, and selects. Known labels stay while drives come and go.
TEST_F(Form1Test, DriveEntriesGetTheirLabelsOneLookAtATimeAfterTheirLetters) {
    platform.labels = {{L"C:", L"System"}, {L"D:", L"\\\\server\\share"}};
    EXPECT_TRUE(platform.looked.empty()) << "a look at start-up";
    EXPECT_TRUE(form.drvb_LookOnce());
    EXPECT_EQ(view.drives, (Texts{L"C: System", L"D:"}));
    EXPECT_EQ(view.drive, L"C:");
    EXPECT_TRUE(form.drvb_LookOnce());
    EXPECT_FALSE(form.drvb_LookOnce());
    EXPECT_EQ(platform.looked, (Texts{L"C:", L"D:"}));
    platform.driveLetters = {L"C:", L"D:", L"F:"};
    platform.labels = {{L"D:", L"\\\\server\\share"}, {L"F:", L"STICK"}};
    form.drvb_DrivesChanged();
    EXPECT_EQ(view.drives, (Texts{L"C: System", L"D: \\\\server\\share", L"F:"}));
    // The user opens the list and moves to F:; G: arrives and labels change meanwhile: the list stays.
    view.dropped = true, view.drive = L"F:";
    platform.driveLetters.push_back(L"G:");
    form.drvb_DrivesChanged();
    while (form.drvb_LookOnce()) {
    }
    EXPECT_EQ(view.drives, (Texts{L"C: System", L"D: \\\\server\\share", L"F:"})) << "filled anew while open";
    EXPECT_EQ(view.drive, L"F:") << "the highlight moved";
    view.dropped = false;
    EXPECT_TRUE(form.drvb_LookOnce()) << "nothing shown once closed";
    EXPECT_EQ(view.drives, (Texts{L"C:", L"D: \\\\server\\share", L"F: STICK", L"G:"}));
    EXPECT_EQ(view.drive, L"C:");
}

TEST_F(Form1Test, TheListFollowsTheDiskAndTheDrivesAndNothingElseMoves) {
    auto& work = platform.tree[L"C:\\Work"];
    // Each change, what the system reports of it, and the subdirectories shown then.
    const std::tuple<std::function<void()>, DirectoryChanges, Texts> changes[] = {
        {[&] { work = {L"Apps", L"Game Data", L"Other"}; }, {{L"Apps"}}, {L"Apps", L"Game Data", L"Other"}},  // made
        {[&] { work = {L"Apps", L"Game Data"}; }, {{L"Other"}}, {L"Apps", L"Game Data"}},                     // removed
        {[&] { work = {L"Game Data", L"Zed"}; }, {{L"Apps", L"Zed"}}, {L"Game Data", L"Zed"}},               // renamed
        {[&] { work.push_back(L".h"), platform.hidden.insert(L"C:\\Work\\.h"); }, {{L".h", L"a.txt"}},  // hidden, a file
         {L"Game Data", L"Zed"}},
        {[&] { for (wchar_t c = L'a'; c <= L'z'; ++c) work.push_back(std::wstring(1, c)); },  // a burst
         {{L"z", L"y", L"b", L"a", L"c"}}, {L"Game Data", L"Zed", L"a", L"b", L"c", L"y", L"z"}},
        {[&] { work.push_back(L"Long"), platform.spelled[L"C:\\Work\\LONG~1"] = L"Long"; }, {{L"LONG~1"}},  // short name
         {L"Game Data", L"Long", L"Zed", L"a", L"b", L"c", L"y", L"z"}},
        {[&] { work = {L"Late", L"Zed"}; }, {{}, notificationsLost(true, 0, 0, 0x10C)}, {L"Late", L"Zed"}},  // lost: read
        {[&] { platform.tree.erase(L"C:\\Work"), platform.tree[L"C:\\"] = {}; }, {{L"Late"}}, {L"Late", L"Zed"}},  // gone
        {[] {}, {{}, true}, {L"Late", L"Zed"}},
    };
    view.path = L"typed";
    for (const auto& [change, reported, seen] : changes) {
        change();
        form.dirb_DiskChanged(reported);
        Texts shown{L"C:\\", L"Work"};
        shown.insert(shown.end(), seen.begin(), seen.end());
        EXPECT_EQ(state(), State(L"typed", L"C:", shown, L"C:\\Work"));
    }
    EXPECT_TRUE(platform.messages.empty());
    // Lost as Wine says it (the read fails), or by no bytes alone; not when a read brought records or the directory went.
    EXPECT_TRUE(notificationsLost(false, 1022, 0, 0) && notificationsLost(true, 0, 0, 0)) << "failed, or no bytes";
    EXPECT_FALSE(notificationsLost(true, 0, 12, 0) || notificationsLost(false, 2, 0, 0)) << "lost";

    // The drive the list shows goes: none is selected, and the list stays.
    platform.driveLetters = {L"D:"};
    form.drvb_DrivesChanged();
    EXPECT_EQ(state(), State(L"typed", L"", {L"C:\\", L"Work", L"Late", L"Zed"}, L"C:\\Work"));
}

// A folder is looked at for KAV.REN once its entry is drawn, only while it is on screen, once, until
// the list moves, F5 or the disk says otherwise; a mark stays drawn until the look says it went.
TEST_F(Form1Test, FoldersHoldingTheArchiveAreMarkedLookedAtOnlyWhenDrawnAndFollowTheDisk) {
    // C:\, Work (current), Game Data, Other.
    platform.archives = {L"C:\\", L"C:\\Work\\Game Data", L"C:\\Work\\Other"};
    const auto marks = [&] {
        std::wstring seen;
        for (const auto& entry : form.dirb().entries()) seen += entry.holdsArchive ? L'M' : L'.';
        return seen;
    };
    const auto lookAll = [&](std::size_t first, std::size_t last) {
        for (platform.looks.clear(); form.dirb_LookOnce(first, last);) {}
        return platform.looks;
    };
    EXPECT_EQ(lookAll(0, 4), Texts{}) << "nothing drawn, nothing looked at";
    for (std::size_t drawn : {0, 2, 3, 2}) form.dirb_Drawing(drawn);
    EXPECT_EQ(lookAll(1, 3), Texts{L"C:\\Work\\Game Data"}) << "only what is on screen";
    EXPECT_EQ(lookAll(0, 9), (Texts{L"C:\\", L"C:\\Work\\Other"}));
    for (std::size_t drawn : {0, 2, 3}) form.dirb_Drawing(drawn);
    EXPECT_EQ(lookAll(0, 9), Texts{}) << "looked at twice";
    EXPECT_EQ(marks(), L"M.MM");
    EXPECT_EQ(view.redrawn, (std::vector<std::size_t>{2, 0, 3}));
    std::wstring heard;  // what screen readers hear, by child id: 0 is the list itself, its entries count from 1
    for (unsigned long child = 0; child <= 5; ++child) heard += descriptionOf(form.dirb(), child) == L"Holds KAV.REN" ? L'H' : L'.';
    EXPECT_EQ(heard, L".H.HH.");

    // KAV.REN made in the shown directory, removed from a subdirectory, a folder named so elsewhere.
    form.dirb_Drawing(1);
    lookAll(0, 9);
    platform.archives = {L"C:\\Work"};
    form.dirb_ArchiveChanged();
    form.dirb_DiskChanged({{L"Game Data"}});
    EXPECT_EQ(marks(), L"M.MM") << "a mark went before its look";
    EXPECT_EQ(lookAll(0, 9), (Texts{L"C:\\Work", L"C:\\Work\\Game Data"}));
    EXPECT_EQ(marks(), L"MM.M") << "neither the root nor Other is looked at again";
    form.dirb_Refresh();  // F5: everything drawn is looked at again
    EXPECT_EQ(lookAll(0, 9).size(), 4u);
    form.dirb_DiskChanged({{}, true});
    EXPECT_EQ(lookAll(0, 9).size(), 4u) << "lost notifications";

    form.dirb_Activate(2);  // the list moves: C:\, Work, Game Data
    EXPECT_EQ(marks(), L"...");
    form.dirb_Drawing(1);
    EXPECT_EQ(lookAll(0, 9), Texts{L"C:\\Work"});
    EXPECT_EQ(marks(), L".M.");
}

}  // namespace
}  // namespace kavren
