// Stand-in for KavRenTool.exe in the Wine tests. It is NOT the real packer: it
// only reports how it was started, so that a test can check the command line
// the UI builds.
//
// Output (console: WriteConsoleW; file or pipe: UTF-8), one line each:
//     cmdline=<GetCommandLineW()>
//     arg0=<argv[0]>
//     arg1=<argv[1]>  ...
//     argc=<argc>
//     cwd=<current directory>
//     end
// Control characters inside a value are written as <U+XXXX> so that every
// record stays one value per line.
//
// Environment:
//     KAVREN_STANDIN_LOG        a file (Windows path); the same record is
//                               appended to it as UTF-8, in one write, the
//                               "end" line last, so a reader knows the record
//                               is complete.
//     KAVREN_STANDIN_EXIT_CODE  the exit code to end with (default 0).
#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <string>
#include <string_view>

namespace {

std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                            size, nullptr, nullptr);
    }
    return out;
}

std::wstring Escaped(std::wstring_view value) {
    std::wstring out;
    out.reserve(value.size());
    for (wchar_t c : value) {
        if (c < 0x20 || c == 0x7F) {
            wchar_t buf[16];
            swprintf(buf, 16, L"<U+%04X>", static_cast<unsigned>(c));
            out += buf;
        } else {
            out += c;
        }
    }
    return out;
}

std::wstring GetEnv(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    size = GetEnvironmentVariableW(name, value.data(), size);
    value.resize(size);
    return value;
}

std::wstring CurrentDirectory() {
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring dir(size, L'\0');
    size = GetCurrentDirectoryW(size, dir.data());
    dir.resize(size);
    return dir;
}

void WriteStdout(const std::wstring& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } else {
        const std::string bytes = ToUtf8(text);
        WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

bool AppendToLog(const std::wstring& path, const std::wstring& record) {
    const std::string bytes = ToUtf8(record);
    // Another stand-in may be appending at the same moment; wait for it.
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_SHARING_VIOLATION) {
                Sleep(20);
                continue;
            }
            return false;
        }
        DWORD written = 0;
        const BOOL ok =
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        return ok && written == bytes.size();
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring record = L"cmdline=" + Escaped(GetCommandLineW()) + L"\n";
    for (int i = 0; i < argc; ++i) {
        record += L"arg" + std::to_wstring(i) + L"=" + Escaped(argv[i]) + L"\n";
    }
    record += L"argc=" + std::to_wstring(argc) + L"\n";
    record += L"cwd=" + Escaped(CurrentDirectory()) + L"\n";
    record += L"end\n";

    WriteStdout(record);

    int exitCode = 0;
    const std::wstring log = GetEnv(L"KAVREN_STANDIN_LOG");
    if (!log.empty() && !AppendToLog(log, record)) {
        const std::wstring message =
            L"standin: cannot append to KAVREN_STANDIN_LOG=" + log + L"\n";
        HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
        DWORD written = 0;
        if (err != nullptr && err != INVALID_HANDLE_VALUE) {
            const std::string bytes = ToUtf8(message);
            WriteFile(err, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        }
        exitCode = 3;
    }
    const std::wstring wanted = GetEnv(L"KAVREN_STANDIN_EXIT_CODE");
    if (exitCode == 0 && !wanted.empty()) {
        exitCode = static_cast<int>(std::wcstol(wanted.c_str(), nullptr, 10));
    }
    return exitCode;
}
