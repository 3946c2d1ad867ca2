// Form1's window and its life: the window class, creating the window and its ten
// controls, the window procedure that hands each message to one small function, and
// the message loop, which also waits for changes in the directory the list shows.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

#include "app/control_table.h"
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
    // directory and handles what came; false at WM_QUIT. The watch starts at the end of the first
    // call, once what showing the window queued is handled.
    bool handleEvents(DWORD timeout);
    // The message loop, until WM_QUIT; its exit code.
    int runMessageLoop();
    // One message, with the window's keys: TAB between controls, F5 anywhere.
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
    void onDeviceChange(WPARAM change, LPARAM data);
    void followShownDirectory();

    Win32Platform& platform_;
    ScriptFonts scriptFonts_;  // before the layout, whose controls may show its fonts
    ControlWindows controls_{};
    Win32FormView view_{controls_};
    Form1 form_;
    HWND hwnd_ = nullptr;
    std::optional<FormLayout> layout_;  // from the window's creation on, when its DPI is known
    HWND focusBeforeDeactivation_ = nullptr;
    std::optional<ComApartment> com_;  // started when the path box first takes the focus
    DirectoryWatch watch_;
    bool following_ = false;  // whether the watch follows the directory list yet
    int exitCode_ = 0;
};

}  // namespace kavren
