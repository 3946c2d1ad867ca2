// GoogleTest's Notification over a Win32 event: GoogleTest builds it on std::mutex and
// std::condition_variable, which mingw-w64's win32 thread model (GCC 12) lacks. Included before
// everything in GoogleTest and in the tests (-include), so that every one of them takes this one.
#pragma once

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() : notified_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    ~Notification() { CloseHandle(notified_); }

    void Notify() { SetEvent(notified_); }
    void WaitForNotification() { WaitForSingleObject(notified_, INFINITE); }

private:
    HANDLE notified_;
};

}  // namespace testing::internal
