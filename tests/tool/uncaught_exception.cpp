// A program that lets an exception escape everything, built as kavren_ui.exe is and with its
// terminate handler: what Windows is told when kavren_ui.exe crashes so.
#include <windows.h>

#include <stdexcept>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { throw std::runtime_error("nobody catches this"); }
