// Stand-in for KavRenTool.exe in the tests; it is not the packer. It records how
// it was started: the command line, each argument, the working directory and
// whether it has a console window that shows, one "name=value" line each, then
// "end". The record is printed, and appended in one write to the file that
// KAVREN_STANDIN_LOG names, so a reader that sees "end" has all of it.
#include <windows.h>

#include <string>

namespace {

std::wstring variable(const wchar_t* name) {
    std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
    return value;
}

std::string utf8(const std::wstring& text) {
    std::string bytes(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                        static_cast<int>(bytes.size()), nullptr, nullptr);
    return bytes;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring record = L"cmdline=" + std::wstring(GetCommandLineW()) + L"\n";
    for (int i = 0; i < argc; ++i) record += L"arg" + std::to_wstring(i) + L"=" + argv[i] + L"\n";
    std::wstring cwd(GetCurrentDirectoryW(0, nullptr), L'\0');
    cwd.resize(GetCurrentDirectoryW(static_cast<DWORD>(cwd.size()), cwd.data()));
    const HWND console = GetConsoleWindow();
    record += L"argc=" + std::to_wstring(argc) + L"\ncwd=" + cwd + L"\nconsole=" +
              (!console ? L"none" : IsWindowVisible(console) ? L"shown" : L"hidden") + L"\nend\n";

    DWORD written = 0;
    const std::string bytes = utf8(record);
    if (!WriteConsoleW(GetStdHandle(STD_OUTPUT_HANDLE), record.data(), static_cast<DWORD>(record.size()), &written,
                       nullptr))
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const std::wstring log = variable(L"KAVREN_STANDIN_LOG");
    if (log.empty()) return 0;
    const HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    const bool complete = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size();
    CloseHandle(file);
    return complete ? 0 : 3;
}
