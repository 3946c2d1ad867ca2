// Stand-in for KavRenTool.exe in the tests; it is not the packer. It records how
// it was started, one "name=value" line each: the command line, each argument,
// the working directory, its console window's handle (0 for none), then "end".
// The record is printed, and appended in one write (UTF-16) to the file that
// KAVREN_STANDIN_LOG names, so a reader that sees "end" has all of it.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

int wmain(int argc, wchar_t** argv) {
    std::wstring record = L"cmdline=" + std::wstring(GetCommandLineW()) + L"\n";
    for (int i = 0; i < argc; ++i) record += L"arg" + std::to_wstring(i) + L"=" + argv[i] + L"\n";
    std::wstring cwd(GetCurrentDirectoryW(0, nullptr), L'\0');
    cwd.resize(GetCurrentDirectoryW(static_cast<DWORD>(cwd.size()), cwd.data()));
    record += L"argc=" + std::to_wstring(argc) + L"\ncwd=" + cwd + L"\nconsole=" +
              std::to_wstring(reinterpret_cast<std::uintptr_t>(GetConsoleWindow())) + L"\nend\n";

    const auto bytes = static_cast<DWORD>(record.size() * sizeof(wchar_t));
    DWORD written = 0;
    WriteConsoleW(GetStdHandle(STD_OUTPUT_HANDLE), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    const wchar_t* log = _wgetenv(L"KAVREN_STANDIN_LOG");
    if (!log) return 0;
    const HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool complete = file != INVALID_HANDLE_VALUE && WriteFile(file, record.data(), bytes, &written, nullptr) &&
                          written == bytes;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return complete ? 0 : 3;
}
