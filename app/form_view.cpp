// The controls as the handlers see them, on the real windows.
#include "app/form_view.h"

#include "app/directory_box.h"

namespace kavren {

std::wstring Win32FormView::pathText() {
    HWND txtpath = control(Control::txtpath);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(txtpath)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(txtpath, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Win32FormView::setPathText(std::wstring_view text) {
    SetWindowTextW(control(Control::txtpath), std::wstring(text).c_str());
}

bool Win32FormView::recursiveChecked() {
    return SendMessageW(control(Control::optr), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring Win32FormView::selectedDrive() {
    HWND drvb = control(Control::drvb);
    const LRESULT index = SendMessageW(drvb, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(SendMessageW(drvb, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(SendMessageW(drvb, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return letterOf(text);
}

void Win32FormView::showDrives(const std::vector<std::wstring>& entries, std::wstring_view current) {
    HWND drvb = control(Control::drvb);
    SendMessageW(drvb, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& entry : entries) SendMessageW(drvb, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    selectDrive(current);
}

void Win32FormView::selectDrive(std::wstring_view drive) {
    HWND drvb = control(Control::drvb);
    const std::wstring driveZ(drive);
    // The entry that begins with the letter: "C:" or "C: System".
    const LRESULT index =
        SendMessageW(drvb, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(driveZ.c_str()));
    SendMessageW(drvb, CB_SETCURSEL, index == CB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(index), 0);
}

bool Win32FormView::drivesDropped() { return SendMessageW(control(Control::drvb), CB_GETDROPPEDSTATE, 0, 0) != FALSE; }

// The rows move: the tooltip of the entry that was under the pointer goes.
void Win32FormView::showDirectories(const DirectoryList& list) {
    rowsMoved();
    fillDirectoryBox(control(Control::dirb), list);
}

void Win32FormView::updateDirectories(const DirectoryList& list, const std::vector<ListEdit>& edits) {
    rowsMoved();
    updateDirectoryBox(control(Control::dirb), list, edits);
}

void Win32FormView::redrawDirectory(std::size_t index) {
    HWND dirb = control(Control::dirb);
    RECT row;
    if (SendMessageW(dirb, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&row)) != LB_ERR) InvalidateRect(dirb, &row, TRUE);
    // Screen readers learn the entry's description changed (its child ids count from 1).
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, dirb, OBJID_CLIENT, static_cast<LONG>(index + 1));
}

std::optional<std::size_t> Win32FormView::highlightedDirectory() {
    const LRESULT index = SendMessageW(control(Control::dirb), LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? std::nullopt : std::optional<std::size_t>(index);
}

void Win32FormView::highlightDirectory(std::size_t index) {
    rowsMoved();  // the list may scroll to the entry
    SendMessageW(control(Control::dirb), LB_SETCURSEL, index, 0);
}

void Win32FormView::minimise() { ShowWindow(GetParent(control(Control::dirb)), SW_MINIMIZE); }

}  // namespace kavren
