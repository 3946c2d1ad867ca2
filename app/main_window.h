// Form1's window and its life: the window class, creating the window and its ten
// controls, the window procedure that hands each message to one small function, and
// the message loop, which also waits for changes in the directory the list shows.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

#include "app/control_table.h"
#include "app/entry_descriptions.h"
#include "app/entry_tooltip.h"
#include "app/form1.h"
#include "app/form_layout.h"
#include "app/form_view.h"
#include "app/script_text.h"
#include "platform/directory_watch.h"
#include "platform/late_bound.h"
#include "platform/win32_platform.h"

namespace kavren {

class MainWindow {
public:
    explicit MainWindow(Win32Platform& platform);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window and its controls and runs the load handler. When that
    // succeeds the window is shown, opens `startFolder` (if not empty) and this returns true.
    bool create(HINSTANCE instance, int showCommand, std::wstring_view startFolder);

    HWND hwnd() const { return hwnd_; }
    HWND control(Control which) const { return controls_[static_cast<int>(which)]; }
    Form1& form() { return form_; }
    const DirectoryWatch& watch() const { return watch_; }

    // The loop (message_loop.cpp). Waits up to `timeout` ms for messages or a change in the shown
    // directory and handles what came, or, when nothing waits, makes one look that may wait on a
    // device (lookOnce); false at WM_QUIT. The watches start at the end of the first call, once
    // what showing the window queued is handled.
    bool handleEvents(DWORD timeout);
    // The message loop, until WM_QUIT; its exit code.
    int runMessageLoop();
    // One message, with the window's keys (TAB between controls, F5 anywhere) and the directory list's.
    void dispatch(MSG& message);

private:
    static constexpr int kRereadCommand = 50;  // F5, as a command

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void createControls(HINSTANCE instance);
    void onCommand(int id, int code);
    void activateSelectedDirectory();
    void activateDirectoryAtMessagePosition();
    void offerPathSuggestions();
    void describeEntries();
    void startCom();
    void onDeviceChange(WPARAM change, LPARAM data);
    void followShownDirectory();
    void takeChanges(HANDLE signalled);
    // One look that may wait on a device or a server; false when none is left to make.
    bool lookOnce();

    Win32Platform& platform_;
    ScriptFonts scriptFonts_;  // before the layout, whose controls may show its fonts
    ControlWindows controls_{};
    std::optional<EntryTooltip> tooltip_;  // from the controls' creation on
    Win32FormView view_{controls_, tooltip_};
    Form1 form_;
    HWND hwnd_ = nullptr;
    std::optional<FormLayout> layout_;  // from the window's creation on, when its DPI is known
    HWND focusBeforeDeactivation_ = nullptr;
    std::optional<ComApartment> com_;  // started when first needed: path suggestions, descriptions
    bool suggestionsOffered_ = false;
    std::optional<EntryDescriptions> descriptions_;  // from the first folder marked as holding the archive
    // The folders the list shows, by their names and attributes (hidden or not), and the archive.
    DirectoryWatch watch_{FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES};
    DirectoryWatch archiveWatch_{FILE_NOTIFY_CHANGE_FILE_NAME, std::wstring(kArchiveFileName)};
    bool following_ = false;  // whether the watches follow the directory list yet
    bool looksWaiting_ = true;  // whether lookOnce may find one to make
    int exitCode_ = 0;
};

}  // namespace kavren
