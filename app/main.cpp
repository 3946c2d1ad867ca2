// Program start: the error mode, the common controls, the window, the message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "app/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // No system "insert a disk" boxes when a drive without medium is touched.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    kavren::Win32Platform platform;
    kavren::MainWindow window(platform);
    // A folder dropped on the program's icon, "Open with" or "Send to" comes as the first argument,
    // which the runtime splits by Windows' rules; further ones are ignored, as in a drop of several.
    const wchar_t* startFolder = __argc > 1 ? __wargv[1] : L"";
    // A failed tool check ends the program inside create(); false here means the window itself could not be made.
    if (!window.create(instance, showCommand, startFolder)) return 1;
    return window.runMessageLoop();
}
