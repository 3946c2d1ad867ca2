#include "platform/win32_platform.h"

#include "platform/late_bound.h"

#include <shlwapi.h>

#include <algorithm>
#include <memory>

namespace kavren {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct FindCloser {
    void operator()(HANDLE handle) const { FindClose(handle); }
};
using UniqueFind = std::unique_ptr<void, FindCloser>;

[[noreturn]] void throwLastError() { throw PlatformError(systemMessage(GetLastError())); }

// Calls `fill(buffer, size)` with a growing buffer until the answer fits. `fill` returns
// the length written, or the size needed when the buffer was too small, or 0 on failure.
template <typename Fill>
std::wstring growingBuffer(Fill fill) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) throwLastError();
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(std::max<std::size_t>(length, buffer.size() * 2));
    }
}

// Paths past MAX_PATH need the \\?\ form wherever long path support is off.
std::wstring extendedLengthPath(std::wstring_view path) {
    if (path.size() < MAX_PATH - 12 || path.substr(0, 4) == L"\\\\?\\") return std::wstring(path);
    if (path.substr(0, 2) == L"\\\\") return L"\\\\?\\UNC\\" + std::wstring(path.substr(2));
    return L"\\\\?\\" + std::wstring(path);
}

int messageBox(HWND owner, std::wstring_view text, std::wstring_view title, UINT type) {
    const std::wstring textZ(text), titleZ(title);
    return MessageBoxW(owner, textZ.c_str(), titleZ.c_str(), type | MB_APPLMODAL | MB_SETFOREGROUND);
}

}  // namespace

std::wstring systemDirectory() {
    return growingBuffer([](wchar_t* buffer, DWORD size) { return GetSystemDirectoryW(buffer, size); });
}

std::wstring systemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::unique_ptr<wchar_t, decltype(&LocalFree)> owned(text, &LocalFree);
    if (length == 0) {
        // By hand: std::to_wstring would bring the C library's whole printf into the program.
        std::wstring number;
        do number.insert(number.begin(), static_cast<wchar_t>(L'0' + error % 10)); while (error /= 10);
        return L"Error " + number + L".";
    }
    std::wstring message(text, length);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return message;
}

void Win32Platform::showMessage(std::wstring_view text, std::wstring_view title) {
    messageBox(owner_, text, title, MB_OK);
}

bool Win32Platform::askYesNo(std::wstring_view text, std::wstring_view title) {
    return messageBox(owner_, text, title, MB_YESNO | MB_DEFBUTTON1) == IDYES;
}

std::wstring Win32Platform::programDirectory() {
    std::wstring path = growingBuffer([](wchar_t* buffer, DWORD size) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer, size);
        return length == size ? size : length;  // a full buffer means it was cut
    });
    const std::size_t separator = path.find_last_of(L'\\');
    if (separator == std::wstring::npos) throw PlatformError(L"The program's path has no directory: " + path);
    // A drive root keeps its separator; any deeper directory drops it.
    const bool atRoot = separator == 2 && path[1] == L':';
    path.resize(atRoot ? separator + 1 : separator);
    return path;
}

void Win32Platform::probeFile(std::wstring_view path) {
    const std::wstring name = extendedLengthPath(path);
    UniqueHandle file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        throwLastError();
    }
}

void Win32Platform::startProcess(std::wstring_view commandLine) {
    // Windows refuses longer command lines; Wine would cut them, so refuse here too.
    constexpr std::size_t kMaxCommandLine = 32767;
    if (commandLine.size() >= kMaxCommandLine) throw PlatformError(systemMessage(ERROR_FILENAME_EXCED_RANGE));

    // The interpreter comes from the system directory, never from a search that a planted cmd.exe could win.
    const std::wstring interpreter = systemDirectory() + L"\\cmd.exe";

    std::wstring writable(commandLine);  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    // This program turns the system's critical-error boxes off for itself; the tool and the
    // console left open get the system's default, as when started from Explorer.
    if (!CreateProcessW(interpreter.c_str(), writable.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process))
        throwLastError();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void Win32Platform::endProcess(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

std::vector<std::wstring> Win32Platform::drives() {
    // Only the letters: asking a drive for its label could block on a lost network drive.
    std::vector<std::wstring> result;
    const DWORD mask = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if (mask & (1u << letter)) result.push_back(std::wstring{static_cast<wchar_t>(L'A' + letter), L':'});
    }
    return result;
}

std::wstring Win32Platform::driveLabel(std::wstring_view drive) {
    const std::wstring root = std::wstring(drive) + L'\\';
    // A share's own volume label would be a trip to the server.
    if (GetDriveTypeW(root.c_str()) == DRIVE_REMOTE) return mappedShare(drive);
    wchar_t label[MAX_PATH + 1] = {};  // the size the documentation asks for: a label, not a path
    return GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) ? label : L"";
}

std::wstring Win32Platform::workingDirectory() {
    return growingBuffer([](wchar_t* buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); });
}

std::wstring Win32Platform::fullPath(std::wstring_view path) {
    const std::wstring pathZ(path);
    return growingBuffer([&pathZ](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(pathZ.c_str(), size, buffer, nullptr);
    });
}

bool Win32Platform::isFile(std::wstring_view path) {
    const DWORD attributes = GetFileAttributesW(extendedLengthPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> Win32Platform::subdirectories(std::wstring_view directory) {
    std::wstring pattern = extendedLengthPath(directory);
    if (pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';

    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchLimitToDirectories,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (search.get() == INVALID_HANDLE_VALUE) {
        search.release();
        // A drive root has no "." entry: an empty one finds nothing at all.
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return {};
        throwLastError();
    }
    std::vector<std::wstring> names;
    do {
        const DWORD attributes = found.dwFileAttributes;
        // Hidden directories stay hidden, as Explorer shows them by default.
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_HIDDEN)) continue;
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        names.emplace_back(name);
    } while (FindNextFileW(search.get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) throwLastError();

    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return StrCmpLogicalW(a.c_str(), b.c_str()) < 0; });
    return names;
}

Listing Win32Platform::listingOf(std::wstring_view path) {
    const DWORD attributes = GetFileAttributesW(extendedLengthPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Listing::none;
    return attributes & FILE_ATTRIBUTE_HIDDEN ? Listing::hidden : Listing::shown;
}

std::wstring Win32Platform::nameOnDisk(std::wstring_view path) {
    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileExW(extendedLengthPath(path).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                       nullptr, 0));
    if (search.get() != INVALID_HANDLE_VALUE) return found.cFileName;
    search.release();
    return std::wstring(path.substr(path.find_last_of(L"\\/") + 1));
}

// Names on Windows' file systems are found in any case.
bool Win32Platform::holdsFile(std::wstring_view directory, std::wstring_view name) {
    std::wstring path(directory);
    if (path.back() != L'\\') path += L'\\';
    return isFile(path.append(name));
}

// Explorer's order, as subdirectories() sorts: numbers by their value, letters without regard to case.
int Win32Platform::compareNames(std::wstring_view a, std::wstring_view b) {
    return StrCmpLogicalW(std::wstring(a).c_str(), std::wstring(b).c_str());
}

}  // namespace kavren
