// The floor of the start-up and memory figures: the least a Win32 program does
// to show kavren_ui's window. The same ten controls at their places with the
// same three fonts, the directory list filled from the working directory, and
// the program's manifest (common controls 6, per-monitor DPI awareness); nothing
// else: no icons, no DPI calls, no drive list, no tool check, no sorting.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "app/control_table.h"
#include "bench.h"

namespace {

using namespace kavren;

constexpr UINT kDpi = USER_DEFAULT_SCREEN_DPI;

// The directory list is owner-drawn: its names, and no more.
void drawName(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1)) return;
    std::wstring name(static_cast<std::size_t>(SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0)) + 1, L'\0');
    name.resize(static_cast<std::size_t>(
        SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(name.data()))));
    RECT text = item.rcItem;
    DrawTextW(item.hDC, name.c_str(), static_cast<int>(name.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        drawName(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// One font per size and weight of the table, as the program makes them.
struct Fonts {
    std::vector<std::pair<const ControlSpec*, HFONT>> made;
    HFONT operator()(const ControlSpec& row) {
        for (const auto& [other, font] : made)
            if (other->centipoints == row.centipoints && other->weight == row.weight) return font;
        return made.emplace_back(&row, createControlFont(row, kDpi)).second;
    }
    ~Fonts() {
        for (const auto& [row, font] : made) DeleteObject(font);
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"KavrenBenchFloor";
    if (!RegisterClassExW(&windowClass)) return 1;
    RECT frame{0, 0, twipsToPixels(kClientWidthTwips, kDpi), twipsToPixels(kClientHeightTwips, kDpi)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    HWND window = CreateWindowExW(kWindowExStyle, windowClass.lpszClassName, std::wstring(kCaption).c_str(),
                                  kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    Fonts fonts;
    for (int i = 0; i < kControlCount; ++i) {
        const ControlSpec& row = kControlTable[i];
        HWND control = CreateWindowExW(row.exStyle, row.className, row.caption, WS_CHILD | WS_VISIBLE | row.style,
                                       twipsToPixels(row.left, kDpi), twipsToPixels(row.top, kDpi),
                                       twipsToPixels(row.width, kDpi), twipsToPixels(row.height, kDpi), window,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance,
                                       nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts(row)), FALSE);
    }
    HWND list = GetDlgItem(window, kFirstControlId + static_cast<int>(Control::dirb));
    for (const std::wstring& name : bench::subdirectoryNames(L"."))
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    ShowWindow(window, showCommand);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
