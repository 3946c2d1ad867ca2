// Form1's Win32 shell: the window, its ten controls and the routing of their
// messages to the handlers in Form1.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "platform/late_bound.h"
#include "platform/win32_platform.h"

namespace kavren {

// The controls in the control table's order; each one's child window id is kFirstControlId plus its index.
enum class Control { drvb, Label2, txtpath, cmdu, cmdp, optr, Command1, Command2, Label1, dirb };
inline constexpr int kControlCount = 10;
inline constexpr int kFirstControlId = 100;

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

class MainWindow : private FormView {
public:
    explicit MainWindow(Win32Platform& platform);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window and its controls and runs the load handler. When that
    // succeeds the window is shown, opens `startFolder` (if not empty) and this returns true.
    bool create(HINSTANCE instance, int showCommand, std::wstring_view startFolder);

    HWND hwnd() const { return hwnd_; }
    HWND control(Control which) const { return controls_[static_cast<int>(which)]; }
    Form1& form() { return form_; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(int id, int code);
    void activateSelectedDirectory();
    void activateDirectoryAtMessagePosition();
    void offerPathSuggestions();
    void onDpiChanged(UINT dpi, const RECT& suggested);
    void onMeasureItem(MEASUREITEMSTRUCT& item);
    void onDrawItem(const DRAWITEMSTRUCT& item);
    void createControls(HINSTANCE instance);
    // Relays the window and its controls for a new DPI.
    void layout();
    void fitListHeights();
    // The client area of the table at the current DPI.
    void sizeClientArea();
    void fitDriveListHeight();
    int directoryItemHeight();

    // FormView
    std::wstring pathText() override;
    void setPathText(std::wstring_view text) override;
    bool recursiveChecked() override;
    std::wstring selectedDrive() override;
    void showDrives(const std::vector<std::wstring>& drives, std::wstring_view current) override;
    void selectDrive(std::wstring_view drive) override;
    void showDirectories(const DirectoryList& list) override;
    void minimise() override;

    struct Font {
        int centipoints;
        int weight;
        HFONT handle;
    };
    HFONT fontFor(const ControlSpec& row);
    void releaseFonts();

    Win32Platform& platform_;
    Form1 form_;
    HWND hwnd_ = nullptr;
    std::array<HWND, kControlCount> controls_{};
    std::vector<Font> fonts_;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    bool fitClientAreaOnRestore_ = false;  // the DPI changed while the window was minimised
    HWND focusBeforeDeactivation_ = nullptr;
    const DirectoryList* shownDirectories_ = nullptr;
    std::optional<ComApartment> com_;  // started when the path box first takes the focus
};

// One message, with dialog keyboard handling (TAB between controls) for `window`.
void dispatchMessage(HWND window, MSG& message);
// The message loop, until WM_QUIT.
int runMessageLoop(HWND window);

}  // namespace kavren
