// Tells when the entries of one directory change, without a thread: an overlapped read whose
// event the message loop waits on. It never gets in the user's way: others may still rename or
// remove the directory, and its drive can be ejected (the handle is let go when Windows asks).
// Where the system cannot watch a directory, it watches nothing and says nothing.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kavren {

class DirectoryWatch {
public:
    // Changes of what `filter` names (FILE_NOTIFY_CHANGE_...); of the entry called `onlyName` alone
    // (in any case) when one is given, the others dropped as they are read.
    explicit DirectoryWatch(DWORD filter, std::wstring onlyName = {})
        : filter_(filter), onlyName_(std::move(onlyName)) {}
    ~DirectoryWatch() { stop(); }
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    // Watches `directory` from now on, and nothing else; `window` gets the device's notices.
    void watch(const std::wstring& directory, HWND window);
    void stop();

    // What was last asked to be watched, even when it cannot be.
    const std::wstring& directory() const { return directory_; }
    // Signalled when changes wait to be taken; null while nothing is watched.
    HANDLE event() const { return handle_ ? event_.get() : nullptr; }
    // What the system reported since the last call; the next read is under way when it returns.
    DirectoryChanges take();
    // WM_DEVICECHANGE: lets go of the directory when its device is to be removed, and takes it
    // again when the removal failed.
    void deviceChanged(WPARAM change, LPARAM data);
    // The registration for the directory's device notices (for a test to answer, as Windows would).
    HDEVNOTIFY notification() const { return notification_; }

private:
    struct HandleCloser {
        void operator()(HANDLE handle) const { CloseHandle(handle); }
    };
    using UniqueHandle = std::unique_ptr<void, HandleCloser>;

    void open();
    bool read();
    void closeHandle();
    void unregister();

    const DWORD filter_;
    const std::wstring onlyName_;
    std::wstring directory_;
    HWND window_ = nullptr;
    UniqueHandle handle_;
    UniqueHandle event_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HDEVNOTIFY notification_ = nullptr;
    OVERLAPPED overlapped_{};
    std::vector<DWORD> buffer_ = std::vector<DWORD>(64 * 1024 / sizeof(DWORD));  // a share's most
};

}  // namespace kavren
