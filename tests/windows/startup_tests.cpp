// Black-box tests of kavren_ui.exe's start-up, run under Wine (or Windows).
//
// Each test copies the program (and the stand-in KavRenTool.exe when wanted)
// into a directory of its own, starts it as from the desktop and looks at its
// windows from outside. Whatever a test starts is killed when it ends.
//
// Environment (set by tests/windows/CMakeLists.txt):
//   KAVREN_UI_EXE       the program under test (Windows path)
//   KAVREN_STANDIN_EXE  the stand-in tool
//   KAVREN_TEST_DRIVE   a spare drive letter ("Y:") that CTest maps to an
//                       empty folder for the drive-root test
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "driver.h"

namespace {

using namespace kavren::wintest;

constexpr wchar_t kMainTitle[] = L"KAVREN tool UI";
constexpr wchar_t kToolMissingTitle[] = L"Orz Info";
constexpr wchar_t kToolMissingText[] =
    L"Please put this program into the directory which contains [KavRenTool.exe] and run then.";
constexpr wchar_t kUiName[] = L"kavren_ui.exe";
constexpr wchar_t kToolName[] = L"KavRenTool.exe";
constexpr DWORD kToolMissingExitCode = 2;

// How long a cold Wine may take to show the first window.
constexpr Millis kShowTimeout{20000};
// How long to keep looking for a second message box, or for a message box
// after the main window is shown.
constexpr Millis kSettleTime{750};
// How long the program may take to end after OK is pressed.
constexpr Millis kExitTimeout{10000};

// Records every visible top-level window of the program that is not a
// message box, once each.
struct NonDialogRecorder {
    std::vector<WindowInfo> seen;
    void operator()(const std::vector<WindowInfo>& windows) {
        for (const auto& window : windows) {
            if (!window.visible || window.className == kDialogClass) continue;
            bool known = false;
            for (const auto& old : seen) known = known || old.hwnd == window.hwnd;
            if (!known) seen.push_back(window);
        }
    }
};

// Records every visible message box of the program with its content, once
// each.
struct DialogRecorder {
    std::vector<HWND> handles;
    std::vector<std::string> descriptions;
    void operator()(const std::vector<WindowInfo>& windows) {
        for (const auto& window : windows) {
            if (!window.visible || window.className != kDialogClass) continue;
            bool known = false;
            for (HWND old : handles) known = known || old == window.hwnd;
            if (known) continue;
            handles.push_back(window.hwnd);
            descriptions.push_back(Describe(ReadMessageBox(window.hwnd)));
        }
    }
    std::string Summary() const {
        std::string out;
        for (const auto& text : descriptions) out += (out.empty() ? "" : "; ") + text;
        return out.empty() ? "(none)" : out;
    }
};

// Timings, for the log of a run.
void Note(const std::string& text) { printf("[   info   ] %s\n", text.c_str()); fflush(stdout); }

Millis Elapsed(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - since);
}

std::string ExitNote(const Process& process) {
    const auto code = process.ExitCode();
    return code ? " (the program has ended with exit code " + std::to_string(*code) + ")" : "";
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui_ = PathFromEnv(L"KAVREN_UI_EXE");
        tool_ = PathFromEnv(L"KAVREN_STANDIN_EXE");
        ASSERT_FALSE(ui_.empty()) << "KAVREN_UI_EXE is not set (run the tests through CTest)";
        ASSERT_FALSE(tool_.empty()) << "KAVREN_STANDIN_EXE is not set (run the tests through CTest)";
        ASSERT_TRUE(FileExists(ui_)) << "the program under test is missing: " << Utf8(ui_);
        ASSERT_TRUE(FileExists(tool_)) << "the stand-in tool is missing: " << Utf8(tool_);
        ASSERT_TRUE(work_.ok()) << work_.error();
        ASSERT_TRUE(programs_.ok()) << programs_.error();
    }

    // Copies the program (and the stand-in as KavRenTool.exe) into dir.
    void Stage(const std::wstring& dir, bool withTool) {
        const std::string copiedUi = CopyFileTo(ui_, JoinPath(dir, kUiName));
        ASSERT_EQ(copiedUi, "");
        if (withTool) {
            const std::string copiedTool = CopyFileTo(tool_, JoinPath(dir, kToolName));
            ASSERT_EQ(copiedTool, "");
        }
    }

    // Starts dir\kavren_ui.exe as from the desktop, in the test's working
    // directory (not the program's own).
    void Launch(const std::wstring& dir) {
        LaunchOptions options;
        options.exe = JoinPath(dir, kUiName);
        options.workingDir = work_.path();
        process_ = Process::Start(options);
        ASSERT_TRUE(process_.started()) << process_.error();
    }

    // The program shows exactly one "Orz Info" message box, no other window
    // while it waits, and ends with exit code 2 once OK is pressed.
    void ExpectToolMissingMessageThenExit() {
        NonDialogRecorder otherWindows;
        const WaitResult found = WaitForWindow(process_, VisibleWithClass(kDialogClass),
                                               kShowTimeout, std::ref(otherWindows));
        ASSERT_TRUE(found.hwnd != nullptr)
            << "expected a message box (class #32770) within " << kShowTimeout.count()
            << " ms, got none" << ExitNote(process_)
            << "; the program's top-level windows: " << Describe(TopLevelWindows(process_.pid()));

        Note("message box shown after " + std::to_string(found.waited.count()) + " ms");

        // Nothing else turns up while the message box waits.
        Watch(process_, kSettleTime, std::ref(otherWindows));
        const auto boxes = MessageBoxesOf(process_.pid());
        EXPECT_EQ(boxes.size(), 1u) << "visible message boxes: " << Describe(boxes);

        const MessageBoxInfo box = ReadMessageBox(found.hwnd);
        SCOPED_TRACE(Describe(box));
        EXPECT_EQ(box.title, kToolMissingTitle);
        EXPECT_EQ(box.text, kToolMissingText);
        EXPECT_FALSE(box.hasIcon) << "expected a message box without an icon (MB_OK only)";
        ASSERT_EQ(box.buttons.size(), 1u) << "expected one button";
        EXPECT_EQ(box.buttons[0].text, L"OK");
        EXPECT_TRUE(box.buttons[0].isDefault) << "expected OK to be the default button";
        ASSERT_TRUE(process_.Running())
            << "expected the program to wait while its message box is shown" << ExitNote(process_);

        const auto pressedAt = std::chrono::steady_clock::now();
        const std::string pressed = PressButton(found.hwnd, box.buttons[0]);
        ASSERT_EQ(pressed, "") << "pressing OK";

        // Until it ends, still no main window.
        const bool stillRunning = Watch(process_, kExitTimeout, std::ref(otherWindows));
        EXPECT_TRUE(otherWindows.seen.empty())
            << "expected no window but the message box, got visible: "
            << Describe(otherWindows.seen);
        ASSERT_FALSE(stillRunning) << "expected the program to end within " << kExitTimeout.count()
                                   << " ms after OK, it still runs; its windows: "
                                   << Describe(TopLevelWindows(process_.pid()));
        const auto code = process_.WaitForExit(Millis(0));
        ASSERT_TRUE(code.has_value()) << "the exit code cannot be read";
        Note("ended after " + std::to_string(Elapsed(pressedAt).count()) + " ms after OK was pressed");
        EXPECT_EQ(*code, kToolMissingExitCode) << "exit code after the tool-missing message";
    }

    // The main window is shown and no message box comes; returns the window,
    // or null after reporting the failure.
    HWND ExpectMainWindowWithoutMessage() {
        DialogRecorder dialogs;
        const WaitResult found = WaitForWindow(
            process_,
            [](const WindowInfo& window) {
                return window.visible &&
                       (window.title == kMainTitle || window.className == kDialogClass);
            },
            kShowTimeout, std::ref(dialogs));
        if (!dialogs.handles.empty()) {
            ADD_FAILURE() << "expected no message box, got: " << dialogs.Summary();
            return nullptr;
        }
        if (found.hwnd == nullptr) {
            ADD_FAILURE() << "expected a visible top-level window titled \"" << Utf8(kMainTitle)
                          << "\" within " << kShowTimeout.count() << " ms, got none"
                          << ExitNote(process_) << "; the program's top-level windows: "
                          << Describe(TopLevelWindows(process_.pid()));
            return nullptr;
        }
        Note("main window shown after " + std::to_string(found.waited.count()) + " ms");

        // No message box follows shortly after either.
        Watch(process_, kSettleTime, std::ref(dialogs));
        EXPECT_TRUE(dialogs.handles.empty())
            << "expected no message box, got: " << dialogs.Summary();
        EXPECT_TRUE(process_.Running()) << "expected the program to keep running"
                                        << ExitNote(process_);
        EXPECT_TRUE(IsWindowVisible(found.hwnd)) << "the main window was hidden again";
        return found.hwnd;
    }

    std::wstring ui_;
    std::wstring tool_;
    TempDir work_{L"work"};       // the working directory the program starts in
    TempDir programs_{L"prog"};   // where the program is copied to
    // Files placed outside the temporary directories, deleted at the end.
    std::vector<std::unique_ptr<ScopedFile>> placed_;
    Process process_;  // declared last: killed before the files and dirs go
};

TEST_F(StartupTest, ToolMissingShowsOrzInfoAndExitsWith2) {
    ASSERT_NO_FATAL_FAILURE(Stage(programs_.path(), /*withTool=*/false));
    ASSERT_NO_FATAL_FAILURE(Launch(programs_.path()));
    ExpectToolMissingMessageThenExit();
}

TEST_F(StartupTest, ToolHeldOpenExclusivelyShowsOrzInfoAndExitsWith2) {
    ASSERT_NO_FATAL_FAILURE(Stage(programs_.path(), /*withTool=*/true));
    const std::wstring tool = JoinPath(programs_.path(), kToolName);
    HANDLE held = CreateFileW(tool.c_str(), GENERIC_READ, 0 /* no sharing */, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE)
        << "opening " << Utf8(tool) << " exclusively: " << ErrorText(GetLastError());
    struct Closer {
        HANDLE handle;
        ~Closer() { CloseHandle(handle); }
    } closer{held};
    ASSERT_NO_FATAL_FAILURE(Launch(programs_.path()));
    ExpectToolMissingMessageThenExit();
}

TEST_F(StartupTest, ToolPresentShowsMainWindowWithWorkingDirectory) {
    ASSERT_NO_FATAL_FAILURE(Stage(programs_.path(), /*withTool=*/true));
    ASSERT_NO_FATAL_FAILURE(Launch(programs_.path()));
    const HWND main = ExpectMainWindowWithoutMessage();
    if (main == nullptr) return;  // reported already

    const auto edits = ChildrenOfClass(main, L"Edit");
    ASSERT_FALSE(edits.empty()) << "expected an Edit child (the path box), the window's children: "
                                << Describe(ChildWindows(main));
    bool holdsWorkDir = false;
    for (const auto& edit : edits) holdsWorkDir = holdsWorkDir || edit.title == work_.path();
    EXPECT_TRUE(holdsWorkDir) << "expected the path box to hold the working directory \""
                              << Utf8(work_.path()) << "\", the Edit children: " << Describe(edits);
}

TEST_F(StartupTest, ProgramAtDriveRootFindsTool) {
    std::wstring drive = GetEnv(L"KAVREN_TEST_DRIVE");
    ASSERT_FALSE(drive.empty()) << "KAVREN_TEST_DRIVE is not set (run the tests through CTest)";
    const std::wstring root = drive.substr(0, 2) + L"\\";
    ASSERT_TRUE(DirectoryExists(root))
        << Utf8(root) << " does not exist: the CTest fixture wine_test_drive maps it";
    placed_.push_back(std::make_unique<ScopedFile>(JoinPath(root, kUiName)));
    placed_.push_back(std::make_unique<ScopedFile>(JoinPath(root, kToolName)));
    ASSERT_NO_FATAL_FAILURE(Stage(root, /*withTool=*/true));
    ASSERT_NO_FATAL_FAILURE(Launch(root));
    ExpectMainWindowWithoutMessage();
}

TEST_F(StartupTest, ProgramDirectoryWithBlanksFindsTool) {
    const std::wstring dir = programs_.MakeDir(L"dir with blanks");
    ASSERT_FALSE(dir.empty()) << "cannot create " << Utf8(programs_ / L"dir with blanks");
    ASSERT_NO_FATAL_FAILURE(Stage(dir, /*withTool=*/true));
    ASSERT_NO_FATAL_FAILURE(Launch(dir));
    ExpectMainWindowWithoutMessage();
}

}  // namespace
