// Form1's message loop: messages and changes in the shown directory, waited for together on the
// one thread, and in its idle turns the looks that may wait on a device or take long (a face for a
// script); the window's own keys (TAB between controls, F5 anywhere), and the directory list's keys
// and pointer, taken here before the list box has them.
#include "app/main_window.h"

#include <algorithm>

#include "app/directory_input.h"

namespace kavren {

void MainWindow::dispatch(MSG& message) {
    if (tooltip_ && message.hwnd == control(Control::dirb)) {
        try {
            tooltip_->listMessage(message);
            if (takeDirectoryKey(message, form_)) return;
        } catch (const std::exception&) {  // outside any window procedure, which would report it
            platform_.showMessage(kUnexpectedError, kCaption);
            return;
        }
    }
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

// Whatever moved the list, the watches go with it.
void MainWindow::followShownDirectory() {
    if (!following_ || !hwnd_ || watch_.directory() == form_.dirb().path()) return;
    watch_.watch(form_.dirb().path(), hwnd_);
    archiveWatch_.watch(form_.dirb().path(), hwnd_);
}

void MainWindow::takeChanges(HANDLE signalled) {
    if (signalled == watch_.event()) {
        const DirectoryChanges changes = watch_.take();
        if (changes.lost || !changes.names.empty()) form_.dirb_DiskChanged(changes);
    } else if (signalled == archiveWatch_.event()) {
        const DirectoryChanges changes = archiveWatch_.take();
        if (changes.lost || !changes.names.empty()) form_.dirb_ArchiveChanged();
    }
}

// Faces for characters drawn without one first; then the rows on screen, and the one partly shown
// under them; then the drives' labels.
bool MainWindow::lookOnce() {
    switch (scriptFonts_.lookOnce()) {
    case FontLook::found:  // what was drawn lacking a face is drawn again
        InvalidateRect(control(Control::dirb), nullptr, FALSE);
        layout_->fitFontToText(Control::txtpath, view_.pathText(), scriptFonts_);
        if (!view_.drivesDropped()) layout_->fitFontToText(Control::drvb, form_.drvbText(), scriptFonts_);
        return true;
    case FontLook::looked: return true;
    case FontLook::none: break;
    }
    const HWND dirb = control(Control::dirb);
    RECT client{};
    GetClientRect(dirb, &client);
    const auto top = static_cast<std::size_t>(SendMessageW(dirb, LB_GETTOPINDEX, 0, 0));
    const auto rowHeight = static_cast<std::size_t>(std::max<LRESULT>(1, SendMessageW(dirb, LB_GETITEMHEIGHT, 0, 0)));
    const std::size_t last = std::min(top + static_cast<std::size_t>(client.bottom) / rowHeight + 1, form_.dirb().entries().size());
    if (form_.dirb_LookOnce(top, last)) {
        // A mark to tell screen readers of: the descriptions start (COM, oleacc) in an idle turn, not
        // while rows are drawn.
        for (std::size_t i = top; i < last && !descriptions_; ++i)
            if (form_.dirb().entries()[i].holdsArchive) describeEntries();
        return true;
    }
    if (!form_.drvb_LookOnce()) return false;
    // A label in another script; not while the list is open: a new font lays the box out anew, closing it.
    if (!view_.drivesDropped()) layout_->fitFontToText(Control::drvb, form_.drvbText(), scriptFonts_);
    return true;
}

bool MainWindow::handleEvents(DWORD timeout) {
    const HANDLE events[] = {watch_.event(), archiveWatch_.event()};
    HANDLE waited[2];
    DWORD count = 0;
    for (HANDLE event : events) {
        if (event) waited[count++] = event;
    }
    // Input first: a look is made only when nothing waits, and one at a time.
    const DWORD woke = MsgWaitForMultipleObjectsEx(count, waited, looksWaiting_ ? 0 : timeout, QS_ALLINPUT,
                                                   MWMO_INPUTAVAILABLE);
    if (woke < WAIT_OBJECT_0 + count) {
        takeChanges(waited[woke - WAIT_OBJECT_0]);
    } else if (woke == WAIT_TIMEOUT && looksWaiting_ && hwnd_) {
        looksWaiting_ = lookOnce();
        return true;
    }
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
        if (message.message == WM_QUIT) {
            exitCode_ = static_cast<int>(message.wParam);
            return false;
        }
        dispatch(message);
    }
    // What came may have drawn rows or changed what they show.
    looksWaiting_ = true;
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
