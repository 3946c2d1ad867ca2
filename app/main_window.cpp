#include "app/main_window.h"

#include <shlwapi.h>
#include <windowsx.h>

#include <algorithm>

#include "app/directory_item.h"

namespace kavren {

namespace {

// Per-monitor DPI calls exist from Windows 10 1607 on; older systems have one DPI for all.
template <typename Function>
Function user32Function(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

UINT dpiOf(HWND hwnd) {
    static const auto getDpiForWindow = user32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (getDpiForWindow) return getDpiForWindow(hwnd);
    HDC screen = GetDC(nullptr);
    const UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return dpi;
}

SIZE windowSizeFor(int clientWidth, int clientHeight, UINT dpi) {
    static const auto adjustForDpi =
        user32Function<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (adjustForDpi)
        adjustForDpi(&rect, kWindowStyle, FALSE, kWindowExStyle, dpi);
    else
        AdjustWindowRectEx(&rect, kWindowStyle, FALSE, kWindowExStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

std::wstring windowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// An elevated window gets no drop from a normal Explorer unless it lets these through;
// the system before Windows 7 has no such filter.
void allowDropsFromLowerIntegrity(HWND hwnd) {
    static const auto allow =
        user32Function<BOOL(WINAPI*)(HWND, UINT, DWORD, void*)>("ChangeWindowMessageFilterEx");
    if (!allow) return;
    constexpr UINT kCopyGlobalData = 0x0049;  // the shell's drop helper; no header names it
    for (UINT message : {UINT{WM_DROPFILES}, UINT{WM_COPYDATA}, kCopyGlobalData})
        allow(hwnd, message, MSGFLT_ALLOW, nullptr);
}

}  // namespace

MainWindow::MainWindow(Win32Platform& platform) : platform_(platform), form_(platform, *this) {}

MainWindow::~MainWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    releaseFonts();
}

bool MainWindow::create(HINSTANCE instance, int showCommand, std::wstring_view startFolder) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &MainWindow::windowProc;
    windowClass.hInstance = instance;
    // Shared icons belong to the system, so the class may keep them for as long as it lives; on the
    // class, the window has them from its creation (WM_SETICON afterwards costs start-up time).
    windowClass.hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                        LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    // The DPI is known only once the window is on its monitor: create, then size.
    if (!CreateWindowExW(kWindowExStyle, kWindowClass, std::wstring(kCaption).c_str(), kWindowStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this))
        return false;
    allowDropsFromLowerIntegrity(hwnd_);
    dpi_ = dpiOf(hwnd_);
    sizeClientArea();
    createControls(instance);
    fitListHeights();
    focusBeforeDeactivation_ = control(Control::dirb);  // where the focus goes when the window is activated

    if (!form_.Form_Load()) return false;
    platform_.setOwner(hwnd_);
    ShowWindow(hwnd_, showCommand);
    SetFocus(control(Control::dirb));
    // Shown first, so that a folder that cannot be read is reported over the window. The
    // controls take the folder before they are first painted.
    form_.openStartFolder(startFolder);
    return true;
}

// In place and with their fonts: under Wine, moving the ten controls after creating them
// costs a few milliseconds of start-up.
void MainWindow::createControls(HINSTANCE instance) {
    for (int i = 0; i < kControlCount; ++i) {
        const ControlSpec& row = kControlTable[i];
        controls_[i] = CreateWindowExW(row.exStyle, row.className, row.caption, WS_CHILD | WS_VISIBLE | row.style,
                                       twipsToPixels(row.left, dpi_), twipsToPixels(row.top, dpi_),
                                       twipsToPixels(row.width, dpi_), twipsToPixels(row.height, dpi_), hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance,
                                       nullptr);
        SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(row)), FALSE);
    }
}

HFONT MainWindow::fontFor(const ControlSpec& row) {
    for (const Font& font : fonts_) {
        if (font.centipoints == row.centipoints && font.weight == row.weight) return font.handle;
    }
    fonts_.push_back({row.centipoints, row.weight, createControlFont(row, dpi_)});
    return fonts_.back().handle;
}

void MainWindow::releaseFonts() {
    for (const Font& font : fonts_) DeleteObject(font.handle);
    fonts_.clear();
}

void MainWindow::sizeClientArea() {
    const int width = twipsToPixels(kClientWidthTwips, dpi_), height = twipsToPixels(kClientHeightTwips, dpi_);
    SIZE outer = windowSizeFor(width, height, dpi_);
    // Minimised, the window has no client area to measure: set the size it comes back
    // at, and measure once it is back.
    if (IsIconic(hwnd_)) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        GetWindowPlacement(hwnd_, &placement);
        placement.rcNormalPosition.right = placement.rcNormalPosition.left + outer.cx;
        placement.rcNormalPosition.bottom = placement.rcNormalPosition.top + outer.cy;
        placement.showCmd = SW_SHOWMINNOACTIVE;
        SetWindowPlacement(hwnd_, &placement);
        fitClientAreaOnRestore_ = true;
        return;
    }
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame may not follow the new DPI at once (nor at all under some systems):
    // measure the client area and correct by what is missing.
    RECT client;
    GetClientRect(hwnd_, &client);
    if (client.right != width || client.bottom != height) {
        outer.cx += width - client.right;
        outer.cy += height - client.bottom;
        SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::layout() {
    sizeClientArea();

    std::vector<Font> oldFonts;
    oldFonts.swap(fonts_);
    for (int i = 0; i < kControlCount; ++i) {
        const ControlSpec& row = kControlTable[i];
        SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(row)), FALSE);
        SetWindowPos(controls_[i], nullptr, twipsToPixels(row.left, dpi_), twipsToPixels(row.top, dpi_),
                     twipsToPixels(row.width, dpi_), twipsToPixels(row.height, dpi_), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (const Font& font : oldFonts) DeleteObject(font.handle);
    fitListHeights();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::fitListHeights() {
    SendMessageW(control(Control::dirb), LB_SETITEMHEIGHT, 0, directoryItemHeight());
    fitDriveListHeight();
}

// A drop-down list sizes its closed field from the font; set the field so the
// closed control is exactly as tall as the table says.
void MainWindow::fitDriveListHeight() {
    HWND drvb = control(Control::drvb);
    const ControlSpec& row = kControlTable[static_cast<int>(Control::drvb)];
    const int wanted = twipsToPixels(row.height, dpi_);
    // The frame around the field differs between systems and themes, and so does how
    // the set and the reported field height relate: correct by what the closed control measures.
    LRESULT field = SendMessageW(drvb, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT closed;
        GetWindowRect(drvb, &closed);
        const int missing = wanted - (closed.bottom - closed.top);
        if (missing == 0) break;
        field += missing;
        SendMessageW(drvb, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
    // The height given to a combo box is that of its dropped list: the directory list's.
    const int dropped = twipsToPixels(kControlTable[static_cast<int>(Control::dirb)].height, dpi_);
    SetWindowPos(drvb, nullptr, 0, 0, twipsToPixels(row.width, dpi_), dropped, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int MainWindow::directoryItemHeight() {
    HWND dirb = control(Control::dirb);
    HDC dc = GetDC(dirb);
    HGDIOBJ old = SelectObject(dc, fontFor(kControlTable[static_cast<int>(Control::dirb)]));
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(dirb, dc);
    return std::max<int>(metrics.tmHeight, MulDiv(12, static_cast<int>(dpi_), 96)) + MulDiv(2, static_cast<int>(dpi_), 96);
}

void MainWindow::onDpiChanged(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    // Minimised ("Hide", then the monitors change), the suggestion places the icon, not the window.
    if (!IsIconic(hwnd_))
        SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    layout();
}

void MainWindow::onMeasureItem(MEASUREITEMSTRUCT& item) {
    if (item.CtlID == kFirstControlId + static_cast<int>(Control::dirb)) item.itemHeight = directoryItemHeight();
}

void MainWindow::onDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlID != kFirstControlId + static_cast<int>(Control::dirb)) return;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    if (shownDirectories_ && item.itemID < shownDirectories_->entries().size())
        drawDirectoryItem(item.hDC, item.rcItem, shownDirectories_->entries()[item.itemID], selected, dpi_);
    else
        FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

void MainWindow::activateSelectedDirectory() {
    const LRESULT index = SendMessageW(control(Control::dirb), LB_GETCURSEL, 0, 0);
    if (index != LB_ERR) form_.dirb_Activate(static_cast<std::size_t>(index));
}

// Windows reports a double-click on the blank area under the last entry too, with that
// entry highlighted: open only an entry that lies under the double-click itself.
void MainWindow::activateDirectoryAtMessagePosition() {
    HWND dirb = control(Control::dirb);
    const DWORD position = GetMessagePos();
    POINT point{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    ScreenToClient(dirb, &point);
    // All rows are one height; LB_ITEMFROMPOINT would cut indexes past 65,535.
    const LRESULT rowHeight = SendMessageW(dirb, LB_GETITEMHEIGHT, 0, 0);
    if (point.y < 0 || rowHeight <= 0) return;
    const LRESULT index = SendMessageW(dirb, LB_GETTOPINDEX, 0, 0) + point.y / rowHeight;
    RECT row{};
    if (index < SendMessageW(dirb, LB_GETCOUNT, 0, 0) &&
        SendMessageW(dirb, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row)) != LB_ERR &&
        PtInRect(&row, point))
        form_.dirb_Activate(static_cast<std::size_t>(index));
}

// COM waits until the path box is used: most starts never need it.
void MainWindow::offerPathSuggestions() {
    if (com_) return;
    com_.emplace();
    // Suggestions only: appending would change the typed path without the user choosing it.
    // Where the system cannot offer them, the box works as before.
    SHAutoComplete(control(Control::txtpath),
                   SHACF_FILESYS_DIRS | SHACF_AUTOSUGGEST_FORCE_ON | SHACF_AUTOAPPEND_FORCE_OFF);
}

void MainWindow::onCommand(int id, int code) {
    struct Route {
        Control control;
        int code;
        void (Form1::*handler)();
    };
    static constexpr Route kRoutes[] = {
        {Control::cmdp, BN_CLICKED, &Form1::cmdp_Click},       {Control::cmdu, BN_CLICKED, &Form1::cmdu_Click},
        {Control::Command1, BN_CLICKED, &Form1::Command1_Click}, {Control::Command2, BN_CLICKED, &Form1::Command2_Click},
        {Control::drvb, CBN_SELCHANGE, &Form1::drvb_Change},
    };
    for (const Route& route : kRoutes) {
        if (id == kFirstControlId + static_cast<int>(route.control) && code == route.code) return (form_.*route.handler)();
    }
    if (id == kFirstControlId + static_cast<int>(Control::txtpath) && code == EN_SETFOCUS)
        return offerPathSuggestions();
    if (id == kFirstControlId + static_cast<int>(Control::dirb) && code == LBN_DBLCLK)
        return activateDirectoryAtMessagePosition();
    // With no default button, Enter comes as IDOK: it opens the highlighted directory, and nothing else.
    if (id == IDOK && GetFocus() == control(Control::dirb)) activateSelectedDirectory();
}

LRESULT CALLBACK MainWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    // An exception must not cross the window procedure: it would be swallowed and leave
    // the handler half done. Report it and keep the window usable.
    try {
        return self->handleMessage(hwnd, message, wParam, lParam);
    } catch (const PlatformError& error) {
        self->platform_.showMessage(error.message(), kCaption);
    } catch (const std::exception&) {
        self->platform_.showMessage(L"An unexpected error stopped this action.", kCaption);
    }
    return 0;
}

LRESULT MainWindow::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_MEASUREITEM:
        onMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DROPFILES:
        form_.Form_DragDrop(takeDroppedPaths(reinterpret_cast<HDROP>(wParam)));
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_SIZE:
        if (wParam == SIZE_RESTORED && fitClientAreaOnRestore_) {
            fitClientAreaOnRestore_ = false;
            sizeClientArea();
        }
        break;
    case WM_ACTIVATE:
        // Give the focus back to the control that had it, as a dialog does.
        if (LOWORD(wParam) == WA_INACTIVE) {
            focusBeforeDeactivation_ = GetFocus();
        } else if (focusBeforeDeactivation_ && IsChild(hwnd_, focusBeforeDeactivation_)) {
            SetFocus(focusBeforeDeactivation_);
            return 0;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        // The children are gone, and the path box's suggestions with them: COM may stop now.
        com_.reset();
        hwnd_ = nullptr;
        break;
    }
    // The window's own handle, not hwnd_: on WM_NCDESTROY the default clean-up needs it.
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::wstring MainWindow::pathText() { return windowText(control(Control::txtpath)); }

void MainWindow::setPathText(std::wstring_view text) {
    SetWindowTextW(control(Control::txtpath), std::wstring(text).c_str());
}

bool MainWindow::recursiveChecked() {
    return SendMessageW(control(Control::optr), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring MainWindow::selectedDrive() {
    HWND drvb = control(Control::drvb);
    const LRESULT index = SendMessageW(drvb, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(SendMessageW(drvb, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(SendMessageW(drvb, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

void MainWindow::showDrives(const std::vector<std::wstring>& drives, std::wstring_view current) {
    HWND drvb = control(Control::drvb);
    SendMessageW(drvb, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& drive : drives) SendMessageW(drvb, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.c_str()));
    selectDrive(current);
}

void MainWindow::selectDrive(std::wstring_view drive) {
    HWND drvb = control(Control::drvb);
    const std::wstring driveZ(drive);
    const LRESULT index =
        SendMessageW(drvb, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(driveZ.c_str()));
    SendMessageW(drvb, CB_SETCURSEL, index == CB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(index), 0);
}

void MainWindow::showDirectories(const DirectoryList& list) {
    HWND dirb = control(Control::dirb);
    shownDirectories_ = &list;
    std::size_t characters = 0;
    for (const DirectoryEntry& entry : list.entries()) characters += entry.name.size() + 1;

    SendMessageW(dirb, WM_SETREDRAW, FALSE, 0);
    SendMessageW(dirb, LB_RESETCONTENT, 0, 0);
    SendMessageW(dirb, LB_INITSTORAGE, list.entries().size(), characters * sizeof(wchar_t));
    for (const DirectoryEntry& entry : list.entries())
        SendMessageW(dirb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name.c_str()));
    SendMessageW(dirb, LB_SETCURSEL, list.currentIndex(), 0);
    SendMessageW(dirb, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(dirb, nullptr, TRUE);
}

void MainWindow::minimise() { ShowWindow(hwnd_, SW_MINIMIZE); }

void dispatchMessage(HWND window, MSG& message) {
    if (IsDialogMessageW(window, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int runMessageLoop(HWND window) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) dispatchMessage(window, message);
    return static_cast<int>(message.wParam);
}

}  // namespace kavren
