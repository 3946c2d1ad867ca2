// Form1's window: class, creation, the window procedure and its message handlers.
#include "app/main_window.h"

#include <dbt.h>
#include <shlwapi.h>
#include <windowsx.h>

#include "app/directory_box.h"
#include "app/directory_input.h"

namespace kavren {

namespace {

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

MainWindow::MainWindow(Win32Platform& platform) : platform_(platform), form_(platform, view_) {}

MainWindow::~MainWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::create(HINSTANCE instance, int showCommand, std::wstring_view startFolder) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &MainWindow::windowProc;
    windowClass.hInstance = instance;
    // On the class, the window has its icons from its creation (WM_SETICON afterwards costs start-up
    // time). A shared icon belongs to the system and may live as long as the class; but the system
    // shares one image per resource, whatever size was asked, so the small one is the class's own.
    windowClass.hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass)) {
        const DWORD error = GetLastError();
        if (windowClass.hIconSm) DestroyIcon(windowClass.hIconSm);
        if (error != ERROR_CLASS_ALREADY_EXISTS) return false;
    }

    // The DPI is known only once the window is on its monitor: create, then size.
    if (!CreateWindowExW(kWindowExStyle, kWindowClass, std::wstring(kCaption).c_str(), kWindowStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this))
        return false;
    allowDropsFromLowerIntegrity(hwnd_);
    layout_.emplace(hwnd_, controls_);
    layout_->sizeForm();
    createControls(instance);
    layout_->fitListHeights();
    tooltip_.emplace(control(Control::dirb), form_.dirb(), *layout_, scriptFonts_);
    focusBeforeDeactivation_ = control(Control::dirb);  // where the focus goes when the window is activated

    if (!form_.Form_Load()) return false;
    platform_.setOwner(hwnd_);
    ShowWindow(hwnd_, showCommand);
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
        const RECT place = layout_->place(row);
        controls_[i] = CreateWindowExW(row.exStyle, row.className, row.caption, WS_CHILD | WS_VISIBLE | row.style,
                                       place.left, place.top, place.right - place.left, place.bottom - place.top,
                                       hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)),
                                       instance, nullptr);
        SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(layout_->fontFor(row)), FALSE);
    }
}

void MainWindow::activateSelectedDirectory() {
    const LRESULT index = SendMessageW(control(Control::dirb), LB_GETCURSEL, 0, 0);
    if (index != LB_ERR) form_.dirb_Activate(static_cast<std::size_t>(index));
}

// Windows reports a double-click on the blank area under the last entry too, with that
// entry highlighted: open only an entry that lies under the double-click itself.
void MainWindow::activateDirectoryAtMessagePosition() {
    const DWORD position = GetMessagePos();
    if (const auto row = directoryRowAt(control(Control::dirb), POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)}))
        form_.dirb_Activate(*row);
}

void MainWindow::onDeviceChange(WPARAM change, LPARAM data) {
    watch_.deviceChanged(change, data);
    archiveWatch_.deviceChanged(change, data);
    // Windows tells every top-level window of a volume that came or went: a stick, a mapped drive.
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if ((change == DBT_DEVICEARRIVAL || change == DBT_DEVICEREMOVECOMPLETE) && header &&
        header->dbch_devicetype == DBT_DEVTYP_VOLUME)
        form_.drvb_DrivesChanged();
}

// COM waits until it is needed: most starts never need it.
void MainWindow::startCom() {
    if (!com_) com_.emplace();
}

void MainWindow::offerPathSuggestions() {
    if (suggestionsOffered_) return;
    suggestionsOffered_ = true;
    startCom();
    // Suggestions only: appending would change the typed path without the user choosing it.
    // Where the system cannot offer them, the box works as before.
    SHAutoComplete(control(Control::txtpath),
                   SHACF_FILESYS_DIRS | SHACF_AUTOSUGGEST_FORCE_ON | SHACF_AUTOAPPEND_FORCE_OFF);
}

// Screen readers need the descriptions only once some entry has one to give.
void MainWindow::describeEntries() {
    if (descriptions_) return;
    startCom();
    descriptions_.emplace(control(Control::dirb), form_.dirb(), *com_);
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
        if (id == controlId(route.control) && code == route.code) return (form_.*route.handler)();
    }
    if (id == controlId(Control::txtpath) && code == EN_SETFOCUS) return offerPathSuggestions();
    if (id == controlId(Control::txtpath) && code == EN_CHANGE) return layout_->fitFontToText(Control::txtpath, view_.pathText(), scriptFonts_);
    if (id == controlId(Control::dirb) && code == LBN_DBLCLK) return activateDirectoryAtMessagePosition();
    if (id == kRereadCommand) return form_.dirb_Refresh();
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
        self->platform_.showMessage(kUnexpectedError, kCaption);
    }
    return 0;
}

LRESULT MainWindow::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_MEASUREITEM: {
        auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item.CtlID == static_cast<UINT>(controlId(Control::dirb))) item.itemHeight = layout_->directoryItemHeight();
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlID != static_cast<UINT>(controlId(Control::dirb))) return TRUE;
        form_.dirb_Drawing(item.itemID);
        drawDirectoryBoxRow(item, form_.dirb(), layout_->dpi(), scriptFonts_);
        return TRUE;
    }
    case WM_CONTEXTMENU:  // passed up by the list box
        if (reinterpret_cast<HWND>(wParam) != control(Control::dirb)) break;
        tooltip_->rowsMoved();  // the entry is highlighted, and into view
        openEntryMenu(control(Control::dirb), lParam, form_);
        return 0;
    case WM_NOTIFY:
        if (tooltip_) tooltip_->notified(*reinterpret_cast<NMHDR*>(lParam));
        break;
    case WM_CTLCOLORSTATIC:
        layout_->keepLabelBeneathBoxes(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
        break;  // in the system's colours
    case WM_DROPFILES:
        form_.Form_DragDrop(takeDroppedPaths(reinterpret_cast<HDROP>(wParam)));
        return 0;
    case WM_DEVICECHANGE:
        onDeviceChange(wParam, lParam);
        return TRUE;  // a device may go: the watch has let go of it
    case WM_DPICHANGED:
        layout_->changeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        tooltip_->rowsMoved();  // of another size
        layout_->fitFontToText(Control::txtpath, view_.pathText(), scriptFonts_);
        layout_->fitFontToText(Control::drvb, form_.drvbText(), scriptFonts_);
        return 0;
    case WM_SIZE:
        if (wParam == SIZE_RESTORED) layout_->restored();
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
        descriptions_.reset();
        com_.reset();
        hwnd_ = nullptr;
        break;
    }
    // The window's own handle, not hwnd_: on WM_NCDESTROY the default clean-up needs it.
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace kavren
