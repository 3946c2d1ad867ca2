// The watch on the shown directory: its handle, the read always under way, the device notices.
#include "platform/directory_watch.h"

#include <dbt.h>

namespace kavren {

void DirectoryWatch::watch(const std::wstring& directory, HWND window) {
    stop();
    directory_ = directory;
    window_ = window;
    open();
}

void DirectoryWatch::stop() {
    closeHandle();
    unregister();
}

void DirectoryWatch::open() {
    // Sharing delete too: others may rename or remove the directory while it is watched.
    handle_.reset(CreateFileW(directory_.c_str(), FILE_LIST_DIRECTORY,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    if (handle_.get() == INVALID_HANDLE_VALUE) {
        handle_.release();
        return;
    }
    DEV_BROADCAST_HANDLE filter{};
    filter.dbch_size = sizeof filter;
    filter.dbch_devicetype = DBT_DEVTYP_HANDLE;
    filter.dbch_handle = handle_.get();
    notification_ = RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!read()) closeHandle();
}

bool DirectoryWatch::read() {
    ResetEvent(event_.get());
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_.get();
    return ReadDirectoryChangesW(handle_.get(), buffer_.data(), static_cast<DWORD>(buffer_.size() * sizeof(DWORD)),
                                 FALSE, filter_, nullptr, &overlapped_, nullptr);
}

// The read under way writes into this object until it is cancelled and has ended.
void DirectoryWatch::closeHandle() {
    if (!handle_) return;
    DWORD bytes = 0;
    CancelIoEx(handle_.get(), &overlapped_);
    GetOverlappedResult(handle_.get(), &overlapped_, &bytes, TRUE);  // at once when none is under way
    handle_.reset();
}

void DirectoryWatch::unregister() {
    if (notification_) UnregisterDeviceNotification(notification_);
    notification_ = nullptr;
}

DirectoryChanges DirectoryWatch::take() {
    DirectoryChanges changes;
    DWORD bytes = 0;
    if (!handle_) return changes;
    const bool completed = GetOverlappedResult(handle_.get(), &overlapped_, &bytes, FALSE);
    const DWORD error = completed ? ERROR_SUCCESS : GetLastError();
    if (error == ERROR_IO_INCOMPLETE) return changes;
    changes.lost = notificationsLost(completed, error, bytes, overlapped_.Internal);
    if (!completed && !changes.lost) {
        stop();  // the directory, its drive or its share went: the list keeps what it shows
        return changes;
    }
    for (DWORD offset = 0; !changes.lost && bytes > 0;) {
        const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(
            reinterpret_cast<const char*>(buffer_.data()) + offset);
        const auto length = static_cast<int>(record->FileNameLength / sizeof(wchar_t));
        if (onlyName_.empty() || CompareStringOrdinal(record->FileName, length, onlyName_.data(),
                                                      static_cast<int>(onlyName_.size()), TRUE) == CSTR_EQUAL)
            changes.names.emplace_back(record->FileName, length);
        if (record->NextEntryOffset == 0) break;
        offset += record->NextEntryOffset;
    }
    if (!read()) stop();
    return changes;
}

// As Windows asks of a program that holds a handle on a device that is to go.
void DirectoryWatch::deviceChanged(WPARAM change, LPARAM data) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_HANDLE || !notification_ ||
        reinterpret_cast<const DEV_BROADCAST_HANDLE*>(header)->dbch_hdevnotify != notification_)
        return;
    switch (change) {
    case DBT_DEVICEQUERYREMOVE:
        closeHandle();  // the registration stays, to hear whether the removal failed
        break;
    case DBT_DEVICEQUERYREMOVEFAILED:
        unregister();
        open();
        break;
    case DBT_DEVICEREMOVEPENDING:
    case DBT_DEVICEREMOVECOMPLETE:
        stop();
        break;
    }
}

}  // namespace kavren
