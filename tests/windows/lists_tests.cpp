// The drive and directory lists on the real window: in step with the path box and each other,
// refusing what cannot be read, and following the disk and the drives as they change.
#include "form1_window.h"

#include <dbt.h>

namespace {

using namespace form1_window;

TEST_F(Form1Window, ListsAndPathBoxStayInStepAndRefuseWhatCannotBeRead) {
    std::vector<std::wstring> shown = chain;
    shown.insert(shown.end(), {L"a dir", L"b9", L"b10"});  // Explorer's order; no hidden ones
    EXPECT_EQ(listed(), shown);
    EXPECT_EQ(highlighted(), chain.back());

    SetWindowTextW(control(Control::txtpath), L"typed");
    clickEntry(L"b9", false);
    EXPECT_EQ(listed(), shown) << "typing or a single click moved the list";
    EXPECT_EQ(text(Control::txtpath), L"typed");

    SendMessageW(control(Control::drvb), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Q:"));  // no such drive
    SendMessageW(control(Control::drvb), CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Q:"));
    SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(kavren::controlId(Control::drvb), CBN_SELCHANGE), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind(L"Drive Q: cannot be read.\r\n", 0), 0u);
    EXPECT_EQ(boxes[0].title + L" " + std::to_wstring(boxes[0].buttons.size()), L"KAVREN tool UI 1");
    EXPECT_EQ(text(Control::drvb), work.root_name().wstring()) << "the drive list did not go back";

    clickEntry(L"a dir", true);
    EXPECT_EQ(text(Control::txtpath), (work / L"a dir").wstring());
    chain.push_back(L"a dir");
    EXPECT_EQ(listed(), chain);
    EXPECT_EQ(highlighted(), L"a dir");

    // A double-click under the last entry, which the first click highlighted, opens nothing.
    SetWindowTextW(control(Control::txtpath), L"typed");
    clickEntry(L"a dir", false);
    doubleClickNotification(L"a dir", 24);
    EXPECT_EQ(text(Control::txtpath), L"typed");
    EXPECT_EQ(listed(), chain);
    doubleClickNotification(chain[0], 0);
    EXPECT_EQ(text(Control::txtpath), chain[0]) << "not the root under the double-click, with its separator";
    EXPECT_EQ(highlighted(), chain[0]);
}

// A change on disk is no user's choice: the list follows it in Explorer's order, and nothing else
// moves (the path box with typed text, the highlighted entry, the entry at the top, the focus) or
// says anything, even when the shown directory itself goes.
TEST_F(Form1Window, TheListFollowsTheDiskAndTheDrivesAndNothingElseMoves) {
    // Drives that come and go, as Windows tells every top-level window, and their labels after the letters,
    // looked at in the idle turns (L: has one, which Wine reads from its root's .windows-label). The user
    // has the list open meanwhile, on another entry: it stays so until they close it.
    const HWND drvb = control(Control::drvb);
    const auto shows = [drvb](const wchar_t* entry, UINT exact) {
        return SendMessageW(drvb, exact, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry)) != CB_ERR;
    };
    const wchar_t* const labelled = L"L: \u6570\u636e Disk";
    SetCursorPos(1200, 1000);  // away from the open list, whose highlight follows the pointer
    SendMessageW(drvb, CB_SHOWDROPDOWN, TRUE, 0);
    const LRESULT last = SendMessageW(drvb, CB_GETCOUNT, 0, 0) - 1;
    SendMessageW(drvb, CB_SETCURSEL, last, 0);  // the highlight, in an open list
    DEV_BROADCAST_VOLUME volume{sizeof volume, DBT_DEVTYP_VOLUME, 0, 1u << (L'Q' - L'A'), 0};
    ASSERT_TRUE(DefineDosDeviceW(0, L"Q:", work.c_str()));
    SendMessageW(window.hwnd(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&volume));
    EXPECT_TRUE(pumpUntil([&] { return window.form().drvbText().find(labelled) != std::wstring::npos; }));
    EXPECT_TRUE(SendMessageW(drvb, CB_GETDROPPEDSTATE, 0, 0)) << "the list closed";
    EXPECT_EQ(SendMessageW(drvb, CB_GETCURSEL, 0, 0), last) << "the highlight moved";
    EXPECT_FALSE(shows(L"Q:", CB_FINDSTRING) || shows(labelled, CB_FINDSTRINGEXACT)) << "changed while open";
    SendMessageW(drvb, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_TRUE(pumpUntil([&] { return shows(L"Q:", CB_FINDSTRING) && shows(labelled, CB_FINDSTRINGEXACT); }));
    EXPECT_TRUE(pumpUntil([&] { return lacking(reinterpret_cast<HFONT>(SendMessageW(drvb, WM_GETFONT, 0, 0)), labelled) == 0; }));
    // A labelled drive chosen: the list goes to the drive by its letter, and it stays selected as drives go.
    SendMessageW(drvb, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(labelled));
    SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(kavren::controlId(Control::drvb), CBN_SELCHANGE), 0);
    EXPECT_EQ(text(Control::txtpath), L"L:\\");
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", nullptr);
    SendMessageW(window.hwnd(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&volume));
    EXPECT_FALSE(shows(L"Q:", CB_FINDSTRING));
    EXPECT_EQ(text(Control::drvb), labelled);
    drop({work});

    const HWND dirb = control(Control::dirb);
    std::vector<std::wstring> children{L"a dir", L"b9", L"b10"};
    for (int i = 10; i < 50; ++i) children.push_back(L"c" + std::to_wstring(i));
    for (std::size_t i = 3; i < children.size(); ++i) fs::create_directory(work / children[i]);
    post(dirb, WM_KEYDOWN, VK_F5);  // made before the watch began: F5 reads them
    SendMessageW(dirb, LB_SETCURSEL, SendMessageW(dirb, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"c25")), 0);
    SendMessageW(dirb, LB_SETTOPINDEX, SendMessageW(dirb, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"c20")), 0);
    SetFocus(control(Control::txtpath));
    SetWindowTextW(control(Control::txtpath), L"typed");
    const std::pair<std::function<void()>, std::function<void()>> changes[] = {
        {[&] { fs::create_directory(work / L"b5"); }, [&] { children.insert(children.begin() + 1, L"b5"); }},
        {[&] { fs::remove(work / L"c30"); }, [&] { std::erase(children, L"c30"); }},
        {[&] { fs::rename(work / L"c11", work / L"d11"); }, [&] { std::erase(children, L"c11"), children.push_back(L"d11"); }},
        {[&] {  // a hidden one, which never shows; b9 renamed in case only, through another name (Wine's
                 // MoveFileW from b9 to B9 succeeds and changes nothing)
             fs::create_directory(work / L".new");
             SetFileAttributesW((work / L".new").c_str(), FILE_ATTRIBUTE_HIDDEN);
             fs::rename(work / L"b9", work / L"b9~"), fs::rename(work / L"b9~", work / L"B9");
         }, [&] { *std::find(children.begin(), children.end(), L"b9") = L"B9"; }},
        {[&] {  // while a box holds the loop, more long names than a read's 64 KB can report: lost, read again
             whileBoxOpen = [&] { for (int i = 100; i < 400; ++i) fs::create_directory(work / (L"e" + std::to_wstring(i) + std::wstring(150, L'x'))); };
             SendMessageW(window.hwnd(), WM_COMMAND, kavren::controlId(Control::Command1), 0);  // About: the focus stays
         }, [&] { for (int i = 100; i < 400; ++i) children.push_back(L"e" + std::to_wstring(i) + std::wstring(150, L'x')); }},
    };
    for (const auto& [change, expected] : changes) {
        change();
        expected();
        std::vector<std::wstring> shown = chain;
        shown.insert(shown.end(), children.begin(), children.end());
        EXPECT_TRUE(pumpUntil([&] { return listed() == shown; })) << "the list did not follow: " << listed().size() << " of " << shown.size();
        EXPECT_EQ(text(Control::txtpath), L"typed");
        EXPECT_EQ(highlighted(), L"c25");
        EXPECT_EQ(listed()[static_cast<std::size_t>(SendMessageW(dirb, LB_GETTOPINDEX, 0, 0))], L"c20") << "the top moved";
        EXPECT_EQ(GetFocus(), control(Control::txtpath));
    }

    // Windows asks for the directory's device before it is removed: the watch lets go of it, and
    // takes it again when the removal failed. Wine sends none of this.
    DEV_BROADCAST_HANDLE device{sizeof device, DBT_DEVTYP_HANDLE, 0, nullptr, window.watch().notification()};
    EXPECT_EQ(SendMessageW(window.hwnd(), WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, reinterpret_cast<LPARAM>(&device)), TRUE);
    EXPECT_EQ(window.watch().event(), nullptr) << "the directory is still held";
    SendMessageW(window.hwnd(), WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVEFAILED, reinterpret_cast<LPARAM>(&device));
    EXPECT_NE(window.watch().event(), nullptr) << "not watched again";

    // The watch goes with the list. The shown directory renamed, and changed: the list keeps what it
    // shows, until F5 says what happened.
    SendMessageW(dirb, LB_SETTOPINDEX, 0, 0);
    clickEntry(L"a dir", true);
    chain.insert(chain.end(), {L"a dir", L"made there"});
    fs::create_directory(work / L"a dir" / L"made there");
    EXPECT_TRUE(pumpUntil([&] { return listed() == chain; })) << "the watch did not go with the list";
    fs::rename(work / L"a dir", work / L"b dir");  // Wine removes a watched directory only once it is let go
    fs::create_directory(work / L"b dir" / L"new");
    pumpUntil([] { return false; }, 300);
    EXPECT_EQ(listed(), chain);
    post(control(Control::txtpath), WM_KEYDOWN, VK_F5);  // wherever the focus is
    ASSERT_EQ(boxes.size(), 2u) << "About, which held the loop, then F5's box only";
    EXPECT_EQ(boxes[1].text.rfind(L"The directory " + (work / L"a dir").wstring() + L" cannot be read.\r\n", 0), 0u);
    EXPECT_NE(boxes[1].text.back(), L'\n') << "the system's text ends the box";
    EXPECT_EQ(boxes[1].title + L" " + std::to_wstring(boxes[1].buttons.size()), L"KAVREN tool UI 1");
}

}  // namespace
