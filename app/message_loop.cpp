// Form1's message loop: messages and changes in the shown directory, waited for together on the
// one thread; the window's own keys (TAB between controls, F5 anywhere).
#include "app/main_window.h"

namespace kavren {

void MainWindow::dispatch(MSG& message) {
    // F5 reads the list again wherever the focus is in the window, as in Explorer.
    if (message.message == WM_KEYDOWN && message.wParam == VK_F5 && hwnd_ &&
        (message.hwnd == hwnd_ || IsChild(hwnd_, message.hwnd))) {
        SendMessageW(hwnd_, WM_COMMAND, kRereadCommand, 0);
        return;
    }
    if (hwnd_ && IsDialogMessageW(hwnd_, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

// Whatever moved the list, the watch goes with it.
void MainWindow::followShownDirectory() {
    if (following_ && hwnd_ && watch_.directory() != form_.dirb().path()) watch_.watch(form_.dirb().path(), hwnd_);
}

bool MainWindow::handleEvents(DWORD timeout) {
    HANDLE changed = watch_.event();
    const DWORD woke = MsgWaitForMultipleObjectsEx(changed ? 1 : 0, &changed, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (changed && woke == WAIT_OBJECT_0) {
        const DirectoryChanges changes = watch_.take();
        if (changes.lost || !changes.names.empty()) form_.dirb_DiskChanged(changes);
    }
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
        if (message.message == WM_QUIT) {
            exitCode_ = static_cast<int>(message.wParam);
            return false;
        }
        dispatch(message);
    }
    // The first time, once what showing the window queued is handled: start-up does not wait for the watch.
    following_ = true;
    followShownDirectory();
    return true;
}

int MainWindow::runMessageLoop() {
    while (handleEvents(INFINITE)) {
    }
    return exitCode_;
}

}  // namespace kavren
