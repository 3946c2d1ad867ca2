// A small black-box driver for Win32 programs, for tests that run under Wine
// (or Windows): start a program, find its windows and message boxes, read
// their controls, press buttons, wait for the exit code, and clean up.
//
// It only uses what works across processes: EnumWindows,
// GetWindowThreadProcessId, window styles and ids, and messages that Wine and
// Windows marshal between processes (WM_GETTEXT, BM_CLICK, STM_GETICON).
//
// Every wait polls in small steps up to a deadline; none sleeps a fixed long
// time. Everything a test starts or makes is undone by RAII: a Process is
// killed (with its job, so its children too) when it goes out of scope, a
// TempDir is removed, a ScopedFile is deleted.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kavren::wintest {

using Millis = std::chrono::milliseconds;

// The step of every polling loop.
inline constexpr Millis kPollStep{20};

// ---------------------------------------------------------------- text

std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view utf8);
// "5 (Access is denied.)" for a Win32 error code.
std::string ErrorText(DWORD error);

// ---------------------------------------------------------------- time

class Deadline {
public:
    explicit Deadline(Millis timeout);
    bool Expired() const;
    Millis Remaining() const;  // zero once expired

private:
    std::chrono::steady_clock::time_point end_;
};

// ---------------------------------------------------------------- files

// The value of an environment variable, empty if unset.
std::wstring GetEnv(const wchar_t* name);
// A path from an environment variable, with '/' turned into '\'
// ("Z:/work/x.exe" -> "Z:\work\x.exe"); empty if unset.
std::wstring PathFromEnv(const wchar_t* name);
std::wstring JoinPath(std::wstring_view dir, std::wstring_view name);
// Absolute, long-name form of an existing path, without a trailing backslash
// (except for a drive root such as "Y:\").
std::wstring CanonicalPath(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);
// Copies a file, replacing the target. Empty on success, else what failed.
std::string CopyFileTo(const std::wstring& from, const std::wstring& to);
// Removes a file or a directory tree; retries for a while when something in
// it is still in use (a program that was just killed). Empty on success.
std::string RemoveTree(const std::wstring& path, Millis retryFor = Millis(5000));

// A fresh directory under the (Wine) temp directory, removed with its content
// at scope exit.
class TempDir {
public:
    explicit TempDir(std::wstring_view tag = L"test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::wstring& path() const { return path_; }
    // path()\name (nothing is created).
    std::wstring operator/(std::wstring_view name) const { return JoinPath(path_, name); }
    // Creates path()\name (may contain blanks) and returns its path; empty on
    // failure.
    std::wstring MakeDir(std::wstring_view name) const;

private:
    std::wstring path_;
    std::string error_;
};

// Deletes a file at scope exit (for files placed outside a TempDir).
class ScopedFile {
public:
    explicit ScopedFile(std::wstring path) : path_(std::move(path)) {}
    ~ScopedFile();
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

// ---------------------------------------------------------------- processes

struct LaunchOptions {
    std::wstring exe;                 // full path of the program
    std::vector<std::wstring> args;   // quoted as needed
    std::wstring workingDir;          // empty: the test's own
    // Set (or replace) in the program's environment, which is otherwise the
    // test's own. An empty value removes the variable.
    std::vector<std::pair<std::wstring, std::wstring>> extraEnv;
    // DETACHED_PROCESS: no console and no standard handles, as when started
    // from the desktop (a GUI program started with a console's handles gives
    // them to its console children, which then end at once).
    DWORD creationFlags = DETACHED_PROCESS;
};

// Quotes one command-line argument the way CommandLineToArgvW and the C
// runtime read it back.
std::wstring QuoteArgument(std::wstring_view arg);

class Process {
public:
    Process() = default;
    // Starts a program. Check started(); error() says what failed.
    static Process Start(const LaunchOptions& options);

    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    // Kills the program (and what it started) if it still runs.
    ~Process();

    bool started() const { return process_ != nullptr; }
    const std::string& error() const { return error_; }
    DWORD pid() const { return pid_; }
    HANDLE handle() const { return process_; }
    const std::wstring& commandLine() const { return commandLine_; }

    bool Running() const;
    // Waits up to timeout for the exit; the exit code, or nothing if it still
    // runs.
    std::optional<DWORD> WaitForExit(Millis timeout) const;
    // The exit code if it has ended.
    std::optional<DWORD> ExitCode() const { return WaitForExit(Millis(0)); }
    // Terminates the program and everything in its job, waits for the end.
    void Kill();

private:
    HANDLE process_ = nullptr;
    HANDLE job_ = nullptr;
    DWORD pid_ = 0;
    std::wstring commandLine_;
    std::string error_;
};

// ---------------------------------------------------------------- windows

inline constexpr wchar_t kDialogClass[] = L"#32770";  // message boxes, dialogs

struct WindowInfo {
    HWND hwnd = nullptr;
    std::wstring className;
    std::wstring title;  // WM_GETTEXT (children), caption (top-level)
    bool visible = false;
    int id = 0;          // control id (children)
    LONG_PTR style = 0;
};

std::wstring ClassNameOf(HWND hwnd);
// The window's text by WM_GETTEXT (works across processes, and for an Edit
// gives its content).
std::wstring TextOf(HWND hwnd);
// A window's caption as the window manager keeps it (GetWindowTextW; no
// message is sent to another process's window).
std::wstring CaptionOf(HWND hwnd);
// Class, text (WM_GETTEXT), visibility, id and style of a window.
WindowInfo InfoOf(HWND hwnd);

// Top-level windows of a process, visible or not; their title is the caption
// (CaptionOf), so polling never waits on the program.
std::vector<WindowInfo> TopLevelWindows(DWORD pid);
// All descendants of a window.
std::vector<WindowInfo> ChildWindows(HWND parent);
// Children of a window with a class (case-insensitive), e.g. L"Edit".
std::vector<WindowInfo> ChildrenOfClass(HWND parent, std::wstring_view className);
// Visible top-level message boxes (class #32770) of a process.
std::vector<WindowInfo> MessageBoxesOf(DWORD pid);

bool SameText(std::wstring_view a, std::wstring_view b);  // case-insensitive

// For messages: `{hwnd class "title" visible}` per window.
std::string Describe(const WindowInfo& window);
std::string Describe(const std::vector<WindowInfo>& windows);

using WindowPredicate = std::function<bool(const WindowInfo&)>;
// Called on every poll with all top-level windows of the process, e.g. to
// check that some window is never visible during a wait.
using PollObserver = std::function<void(const std::vector<WindowInfo>&)>;

WindowPredicate VisibleWithClass(std::wstring className);
WindowPredicate VisibleWithTitle(std::wstring title);

struct WaitResult {
    HWND hwnd = nullptr;          // the window found, or null
    bool processExited = false;   // the process ended before one was found
    Millis waited{0};
};

// Polls the process's top-level windows until one matches, the process ends,
// or the timeout passes.
WaitResult WaitForWindow(const Process& process, const WindowPredicate& match, Millis timeout,
                         const PollObserver& observe = {});
// Polls the process's top-level windows for a while (or until it ends),
// calling observe on each poll. True if the process still runs.
bool Watch(const Process& process, Millis duration, const PollObserver& observe);

// ---------------------------------------------------------------- message boxes

struct ButtonInfo {
    HWND hwnd = nullptr;
    int id = 0;
    std::wstring text;
    bool isDefault = false;  // BS_DEFPUSHBUTTON (DM_GETDEFID is unreliable in Wine)
    bool enabled = false;
};

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring title;
    std::wstring text;                // the static with control id 0xFFFF
    std::vector<ButtonInfo> buttons;  // visible buttons, in window order
    bool hasIcon = false;             // a visible SS_ICON static holding an icon
};

MessageBoxInfo ReadMessageBox(HWND dialog);
std::string Describe(const MessageBoxInfo& box);
// Presses a button as a click does (BM_CLICK, sent with a timeout); if the
// program does not take it in time, posts the WM_COMMAND a click sends to the
// dialog. Empty on success, else what failed.
std::string PressButton(HWND dialog, const ButtonInfo& button);

}  // namespace kavren::wintest
