// Everything the front-end needs of the operating system, and nothing more.
// A failing call throws PlatformError; the handlers decide what the user sees.
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace kavren {

class PlatformError : public std::exception {
public:
    explicit PlatformError(std::wstring message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return "platform call failed"; }
    const std::wstring& message() const { return message_; }

private:
    std::wstring message_;
};

// How a path stands in a listing of its parent.
enum class Listing { shown, hidden, none };  // a directory shown, a hidden one, no directory at all

// What the system reported of a watched directory: the names (relative to it) of entries that
// changed, or, when notifications were lost, that any may have.
struct DirectoryChanges {
    std::vector<std::wstring> names;
    bool lost = false;
};

// Whether a watch's read lost its notifications (more changed than its buffer holds), as either
// system says it: the read failed with ERROR_NOTIFY_ENUM_DIR (Wine), or it completed with no bytes
// or with the status STATUS_NOTIFY_ENUM_DIR (Windows). `error` is that of a read that failed.
inline bool notificationsLost(bool completed, unsigned long error, unsigned long bytes, unsigned long long status) {
    return completed ? bytes == 0 || status == 0x10C : error == 1022;
}

class Platform {
public:
    virtual ~Platform() = default;

    // Modal, no icon. askYesNo has Yes as the default button and tells whether Yes was chosen.
    virtual void showMessage(std::wstring_view text, std::wstring_view title) = 0;
    virtual bool askYesNo(std::wstring_view text, std::wstring_view title) = 0;

    // Full path of the executable's directory; a trailing separator only at a drive root.
    virtual std::wstring programDirectory() = 0;
    // Opens the file for reading and closes it at once; throws when it cannot be opened.
    virtual void probeFile(std::wstring_view path) = 0;
    // Starts the command line in a new console, shown normally, without waiting for it.
    virtual void startProcess(std::wstring_view commandLine) = 0;
    // Ends the program at once; no further events are handled.
    virtual void endProcess(int exitCode) = 0;

    // Drives as "C:", in letter order.
    virtual std::vector<std::wstring> drives() = 0;
    // What tells a drive ("C:") apart, as Windows' own drive lists show it: a mapped drive's share
    // (\\server\share, from the system's own record), another drive's volume label; empty for none
    // or when it cannot be read. May wait many seconds on a disc or a lost share.
    virtual std::wstring driveLabel(std::wstring_view drive) = 0;
    virtual std::wstring workingDirectory() = 0;
    // The full path of `path`: a relative one lies under the working directory, and a drive
    // given as "D:" stands for that drive's current directory (its root where none was set).
    virtual std::wstring fullPath(std::wstring_view path) = 0;
    // True only for an existing file; false for a directory and for anything that cannot be found.
    virtual bool isFile(std::wstring_view path) = 0;
    // Names of the subdirectories that listings show (hidden ones are left out), in display order;
    // throws when the directory cannot be listed.
    virtual std::vector<std::wstring> subdirectories(std::wstring_view directory) = 0;
    // How `path` stands in its parent's listing; none also when it cannot be looked at.
    virtual Listing listingOf(std::wstring_view path) = 0;
    // The last part of `path` as its directory spells it: the long name, in its own case (the
    // system may report a change by the short name). As given when it cannot be looked at.
    virtual std::wstring nameOnDisk(std::wstring_view path) = 0;
    // Whether `directory` itself holds a file (not a folder) of that name, in any case, hidden or
    // not. May wait on a slow device or share; false when it cannot be looked at.
    virtual bool holdsFile(std::wstring_view directory, std::wstring_view name) = 0;
    // Negative, zero or positive as the name `a` comes before, with or after `b` in display order.
    virtual int compareNames(std::wstring_view a, std::wstring_view b) = 0;
    // Whether `name` begins with `prefix`, case ignored as the file system ignores it.
    virtual bool beginsWith(std::wstring_view name, std::wstring_view prefix) = 0;
    // How long, in ms, a pause between typed letters is before the next one starts a new search.
    virtual unsigned typingPause() = 0;

    // Opens the folder in a new Explorer window, through the shell.
    virtual void openInExplorer(std::wstring_view folder) = 0;
    // Puts `text` on the clipboard, in place of what it held.
    virtual void copyText(std::wstring_view text) = 0;
};

}  // namespace kavren
