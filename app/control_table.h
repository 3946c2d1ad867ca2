// The form as data: its ten controls (kind, style, caption, place in twips, font), the
// client area, and the window's own class and styles. Layout and creation read it.
#pragma once

#include <windows.h>

#include <array>

namespace kavren {

// The controls in the control table's order; each one's child window id is kFirstControlId plus its index.
enum class Control { drvb, Label2, txtpath, cmdu, cmdp, optr, Command1, Command2, Label1, dirb };
inline constexpr int kControlCount = 10;
inline constexpr int kFirstControlId = 100;
inline constexpr int controlId(Control which) { return kFirstControlId + static_cast<int>(which); }

using ControlWindows = std::array<HWND, kControlCount>;

struct ControlSpec {
    const wchar_t* name;
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
    const wchar_t* caption;
    int left, top, width, height;  // twips, in the client area
    int centipoints;               // font size in hundredths of a point
    int weight;
};
extern const std::array<ControlSpec, kControlCount> kControlTable;
inline const ControlSpec& specOf(Control which) { return kControlTable[static_cast<int>(which)]; }

inline constexpr int kClientWidthTwips = 7575;
inline constexpr int kClientHeightTwips = 3210;
inline constexpr wchar_t kFontFace[] = L"Lucida Console";
inline constexpr wchar_t kWindowClass[] = L"KavrenUIForm1";
inline constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Accepting drops by style, not DragAcceptFiles, keeps shell32 out of start-up.
inline constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES;

int twipsToPixels(int twips, UINT dpi);
// lfHeight of a font of that size at that DPI.
int fontHeight(int centipoints, UINT dpi);
// The font of a control row at that DPI; the caller deletes it.
HFONT createControlFont(const ControlSpec& row, UINT dpi);

}  // namespace kavren
