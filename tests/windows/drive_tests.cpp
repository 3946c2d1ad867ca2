// The drive list, an unreadable drive, start-up at 144 DPI and a huge
// directory, tried on the real program from outside, as a user would.
//
// CTest maps Y: to an empty folder, X: to a missing folder, and makes
// drive_huge\huge beside this test program with 100,000 subdirectories.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "driver.h"

namespace {

using namespace kavren::wintest;

constexpr int kDirb = 100, kDrvb = 101, kTxtpath = 102, kCmdp = 104;
constexpr wchar_t kMainTitle[] = L"KAVREN tool UI";
constexpr Millis kShowTimeout{20000};
constexpr Millis kActionTimeout{10000};

// A message to the program that may not hang the test; -1 when it is not answered.
LRESULT Send(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 30000, &result)) return -1;
    return static_cast<LRESULT>(result);
}

std::wstring ListText(HWND list, UINT lengthMessage, UINT textMessage, LRESULT index) {
    const LRESULT length = Send(list, lengthMessage, index);
    if (length < 0) return L"<none>";
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = Send(list, textMessage, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, copied)));
    return text;
}

class DriveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(work_.ok()) << work_.error();
        ASSERT_TRUE(programs_.ok()) << programs_.error();
    }

    // Starts the program, with the tool beside it, in `workingDir`.
    void Start(const std::wstring& workingDir) {
        ASSERT_EQ(CopyFileTo(PathFromEnv(L"KAVREN_UI_EXE"), programs_ / L"kavren_ui.exe"), "");
        ASSERT_EQ(CopyFileTo(PathFromEnv(L"KAVREN_STANDIN_EXE"), programs_ / L"KavRenTool.exe"), "");
        LaunchOptions options;
        options.exe = programs_ / L"kavren_ui.exe";
        options.workingDir = workingDir;
        process_ = Process::Start(options);
        ASSERT_TRUE(process_.started()) << process_.error();
        main_ = WaitForWindow(process_, VisibleWithTitle(kMainTitle), kShowTimeout).hwnd;
        ASSERT_NE(main_, nullptr) << "no main window; windows: " << Describe(TopLevelWindows(process_.pid()));
    }

    HWND Item(int id) const { return GetDlgItem(main_, id); }
    std::wstring PathBox() const { return TextOf(Item(kTxtpath)); }
    std::wstring SelectedDrive() const {
        return ListText(Item(kDrvb), CB_GETLBTEXTLEN, CB_GETLBTEXT, Send(Item(kDrvb), CB_GETCURSEL));
    }
    std::vector<std::wstring> Directories() const {
        std::vector<std::wstring> items;
        const LRESULT count = Send(Item(kDirb), LB_GETCOUNT);
        for (LRESULT i = 0; i < count; ++i) items.push_back(ListText(Item(kDirb), LB_GETTEXTLEN, LB_GETTEXT, i));
        return items;
    }

    // What the control does on a user's pick or double-click: select, then tell the
    // window. Posted, so that a message box it raises does not hold up the test.
    void PickDrive(const std::wstring& drive) {
        const LRESULT index =
            Send(Item(kDrvb), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(drive.c_str()));
        ASSERT_GE(index, 0) << Utf8(drive) << " is not in the drive list";
        Send(Item(kDrvb), CB_SETCURSEL, static_cast<WPARAM>(index));
        PostMessageW(main_, WM_COMMAND, MAKEWPARAM(kDrvb, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(kDrvb)));
    }
    void DoubleClick(LRESULT index) {
        Send(Item(kDirb), LB_SETCURSEL, static_cast<WPARAM>(index));
        PostMessageW(main_, WM_COMMAND, MAKEWPARAM(kDirb, LBN_DBLCLK), reinterpret_cast<LPARAM>(Item(kDirb)));
    }
    bool PathBoxBecomes(const std::wstring& text, Millis timeout = kActionTimeout) const {
        for (Deadline deadline(timeout); !deadline.Expired(); Sleep(20))
            if (PathBox() == text) return true;
        return PathBox() == text;
    }

    // The program's one message box for a refused action: its title, the name it
    // must give, one OK and no icon. Presses OK and waits for it to go.
    void ExpectOneMessageNaming(const std::wstring& name) {
        const HWND dialog = WaitForWindow(process_, VisibleWithClass(kDialogClass), kActionTimeout).hwnd;
        ASSERT_NE(dialog, nullptr) << "no message box";
        Watch(process_, Millis(500), {});
        EXPECT_EQ(MessageBoxesOf(process_.pid()).size(), 1u);
        const MessageBoxInfo box = ReadMessageBox(dialog);
        printf("[   info   ] %s\n", Describe(box).c_str());
        EXPECT_EQ(box.title, kMainTitle);
        EXPECT_NE(box.text.find(name), std::wstring::npos) << "names " << Utf8(name);
        EXPECT_FALSE(box.hasIcon);
        ASSERT_EQ(box.buttons.size(), 1u);
        EXPECT_EQ(box.buttons[0].text, L"OK");
        ASSERT_EQ(PressButton(dialog, box.buttons[0]), "");
        for (Deadline deadline(kActionTimeout); IsWindow(dialog) && !deadline.Expired();) Sleep(20);
        ASSERT_FALSE(IsWindow(dialog));
    }

    TempDir work_{L"drive"};
    TempDir programs_{L"prog"};
    Process process_;  // declared last: ends before the folders go
    HWND main_ = nullptr;
};

// Removes what a test made on the mapped drive.
struct RemovedAtEnd {
    std::vector<std::wstring> paths;
    ~RemovedAtEnd() {
        for (const auto& path : paths) RemoveTree(path);
    }
};

TEST_F(DriveTest, PickingADriveListsItsRootAndBack) {
    const std::wstring root = GetEnv(L"KAVREN_TEST_DRIVE") + L"\\";
    RemovedAtEnd made;
    for (const wchar_t* name : {L"b10", L"b9", L"a dir"}) {
        made.paths.push_back(root + name);
        ASSERT_TRUE(CreateDirectoryW(made.paths.back().c_str(), nullptr)) << ErrorText(GetLastError());
    }
    ASSERT_NO_FATAL_FAILURE(Start(work_.path()));
    const std::vector<std::wstring> before = Directories();

    PickDrive(root.substr(0, 2));
    ASSERT_TRUE(PathBoxBecomes(root)) << "path box: " << Utf8(PathBox());
    EXPECT_EQ(Directories(), (std::vector<std::wstring>{root, L"a dir", L"b9", L"b10"}));
    EXPECT_EQ(Send(Item(kDirb), LB_GETCURSEL), 0) << "the root is the current entry";

    PickDrive(work_.path().substr(0, 2));
    ASSERT_TRUE(PathBoxBecomes(work_.path())) << "path box: " << Utf8(PathBox());
    EXPECT_EQ(Directories(), before);
}

TEST_F(DriveTest, UnreadableDriveSaysSoAndChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(Start(work_.path()));
    Send(Item(kTxtpath), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed by the user"));
    const std::vector<std::wstring> before = Directories();
    const std::wstring drive = SelectedDrive();

    PickDrive(L"X:");
    ASSERT_NO_FATAL_FAILURE(ExpectOneMessageNaming(L"X:"));
    EXPECT_EQ(PathBox(), L"typed by the user");
    EXPECT_EQ(Directories(), before);
    EXPECT_EQ(SelectedDrive(), drive) << "the drive of the directory list";
    EXPECT_TRUE(IsWindowEnabled(main_));
    // A later pick still works, here of a root without subdirectories: it lists just the root.
    const std::wstring other = GetEnv(L"KAVREN_TEST_DRIVE") + L"\\";
    PickDrive(other.substr(0, 2));
    EXPECT_TRUE(PathBoxBecomes(other)) << "path box: " << Utf8(PathBox()) << "; message boxes: "
                                       << Describe(MessageBoxesOf(process_.pid()));
    EXPECT_EQ(Directories(), std::vector<std::wstring>{other});
}

TEST_F(DriveTest, VanishedDirectorySaysSoAndChangesNothing) {
    ASSERT_FALSE(work_.MakeDir(L"gone").empty());
    ASSERT_NO_FATAL_FAILURE(Start(work_.path()));
    Send(Item(kTxtpath), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed by the user"));
    const std::vector<std::wstring> before = Directories();
    ASSERT_EQ(before.back(), L"gone");
    ASSERT_TRUE(RemoveDirectoryW((work_ / L"gone").c_str())) << ErrorText(GetLastError());

    DoubleClick(static_cast<LRESULT>(before.size()) - 1);
    ASSERT_NO_FATAL_FAILURE(ExpectOneMessageNaming(work_ / L"gone"));
    EXPECT_EQ(PathBox(), L"typed by the user");
    EXPECT_EQ(Directories(), before);
    DoubleClick(0);
    EXPECT_TRUE(PathBoxBecomes(work_.path().substr(0, 3))) << "the window still works";
}

// Sets the user's LogPixels for the test's span and puts back what was there.
class ScopedLogPixels {
public:
    explicit ScopedLogPixels(DWORD dpi) {
        DWORD size = sizeof old_;
        hadOld_ =
            RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &old_, &size) == ERROR_SUCCESS;
        set_ = RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &dpi, sizeof dpi) == ERROR_SUCCESS;
    }
    ~ScopedLogPixels() {
        if (hadOld_)
            RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &old_, sizeof old_);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
    }
    ScopedLogPixels(const ScopedLogPixels&) = delete;
    ScopedLogPixels& operator=(const ScopedLogPixels&) = delete;
    bool set() const { return set_; }

private:
    static constexpr wchar_t kKey[] = L"Control Panel\\Desktop";
    static constexpr wchar_t kValue[] = L"LogPixels";
    DWORD old_ = 0;
    bool hadOld_ = false;
    bool set_ = false;
};

TEST_F(DriveTest, StartsLaidOutFor144Dpi) {
    ScopedLogPixels dpi(144);
    ASSERT_TRUE(dpi.set());
    ASSERT_NO_FATAL_FAILURE(Start(work_.path()));
    // Pixels as the program sees them, not scaled for this process.
    SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    RECT client;
    ASSERT_TRUE(GetClientRect(main_, &client));
    EXPECT_EQ(client.right, 758);
    EXPECT_EQ(client.bottom, 321);
    struct { int id, left, top, width, height; } const rows[] = {
        {kDirb, 120, 480, 2655, 2610}, {kTxtpath, 3000, 1080, 4455, 255}, {kCmdp, 3000, 2640, 3255, 375}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        RECT rect;
        GetWindowRect(Item(row.id), &rect);
        MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, MulDiv(row.left, 144, 1440));
        EXPECT_EQ(rect.top, MulDiv(row.top, 144, 1440));
        EXPECT_EQ(rect.right - rect.left, MulDiv(row.width, 144, 1440));
        EXPECT_EQ(rect.bottom - rect.top, MulDiv(row.height, 144, 1440));
    }
}

TEST_F(DriveTest, HugeDirectoryListsAndWindowAnswers) {
    wchar_t self[MAX_PATH];
    const std::wstring exe(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    const std::wstring parent = CanonicalPath(exe.substr(0, exe.find_last_of(L'\\')) + L"\\drive_huge");
    const std::wstring huge = parent + L"\\huge";
    ASSERT_TRUE(DirectoryExists(huge)) << Utf8(huge) << " is made by a CTest fixture";
    ASSERT_NO_FATAL_FAILURE(Start(parent));
    const std::vector<std::wstring> items = Directories();
    ASSERT_EQ(items.back(), L"huge");

    const auto start = std::chrono::steady_clock::now();
    DoubleClick(static_cast<LRESULT>(items.size()) - 1);
    ASSERT_TRUE(PathBoxBecomes(huge, Millis(60000))) << "path box: " << Utf8(PathBox());
    const auto took = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start);
    printf("[   info   ] 100,000 subdirectories listed in %lld ms\n", static_cast<long long>(took.count()));

    const LRESULT chain = static_cast<LRESULT>(items.size());  // the parent's chain and "huge" itself
    EXPECT_EQ(Send(Item(kDirb), LB_GETCOUNT), chain + 100000);
    EXPECT_EQ(ListText(Item(kDirb), LB_GETTEXTLEN, LB_GETTEXT, chain), L"1");
    EXPECT_EQ(ListText(Item(kDirb), LB_GETTEXTLEN, LB_GETTEXT, chain + 99999), L"100000");
    DWORD_PTR ignored;
    EXPECT_TRUE(SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored)) << "the window hangs";
    EXPECT_TRUE(process_.Running());
}

}  // namespace
