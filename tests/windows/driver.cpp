#include "driver.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <map>
#include <thread>

namespace kavren::wintest {

namespace {

// A message sent to another process's window waits at most this long.
constexpr UINT kSendTimeoutMs = 3000;

void SleepStep() { std::this_thread::sleep_for(kPollStep); }

std::wstring Upper(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) c = static_cast<wchar_t>(std::towupper(c));
    return out;
}

// Environment names compare case-insensitively on Windows.
struct EnvNameLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return Upper(a) < Upper(b);
    }
};

std::vector<wchar_t> BuildEnvironment(
    const std::vector<std::pair<std::wstring, std::wstring>>& extra) {
    std::map<std::wstring, std::wstring, EnvNameLess> vars;
    std::vector<std::wstring> hidden;  // "=C:=C:\dir" entries, kept first
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
            std::wstring_view text(entry);
            const size_t eq = text.find(L'=', 1);
            if (text.front() == L'=' || eq == std::wstring_view::npos) {
                hidden.emplace_back(text);
                continue;
            }
            vars[std::wstring(text.substr(0, eq))] = std::wstring(text.substr(eq + 1));
        }
        FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : extra) {
        if (value.empty()) {
            vars.erase(name);
        } else {
            vars.erase(name);  // replaces a differently cased name too
            vars[name] = value;
        }
    }
    std::vector<wchar_t> out;
    auto add = [&out](std::wstring_view entry) {
        out.insert(out.end(), entry.begin(), entry.end());
        out.push_back(L'\0');
    };
    for (const auto& entry : hidden) add(entry);
    for (const auto& [name, value] : vars) add(name + L"=" + value);
    out.push_back(L'\0');
    if (out.size() == 1) out.push_back(L'\0');
    return out;
}

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
    auto* windows = reinterpret_cast<std::vector<HWND>*>(param);
    windows->push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
    auto* windows = reinterpret_cast<std::vector<HWND>*>(param);
    windows->push_back(hwnd);
    return TRUE;
}

}  // namespace

// ---------------------------------------------------------------- text

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                            size, nullptr, nullptr);
    }
    return out;
}

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(size, 0)), L'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(),
                            size);
    }
    return out;
}

std::string ErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD size = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring message = size && buffer ? std::wstring(buffer, size) : std::wstring();
    if (buffer) LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.')) {
        message.pop_back();
    }
    std::string out = std::to_string(error);
    if (!message.empty()) out += " (" + Utf8(message) + ")";
    return out;
}

// ---------------------------------------------------------------- time

Deadline::Deadline(Millis timeout) : end_(std::chrono::steady_clock::now() + timeout) {}

bool Deadline::Expired() const { return std::chrono::steady_clock::now() >= end_; }

Millis Deadline::Remaining() const {
    const auto left = end_ - std::chrono::steady_clock::now();
    return left > left.zero() ? std::chrono::duration_cast<Millis>(left) : Millis(0);
}

// ---------------------------------------------------------------- files

std::wstring GetEnv(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    size = GetEnvironmentVariableW(name, value.data(), size);
    value.resize(size);
    return value;
}

std::wstring PathFromEnv(const wchar_t* name) {
    std::wstring path = GetEnv(name);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring JoinPath(std::wstring_view dir, std::wstring_view name) {
    std::wstring out(dir);
    if (!out.empty() && out.back() != L'\\' && out.back() != L'/') out += L'\\';
    out += name;
    return out;
}

std::wstring CanonicalPath(const std::wstring& path) {
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    size = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(size);
    size = GetLongPathNameW(full.c_str(), nullptr, 0);
    if (size != 0) {
        std::wstring longPath(size, L'\0');
        size = GetLongPathNameW(full.c_str(), longPath.data(), size);
        if (size != 0 && size < longPath.size()) {
            longPath.resize(size);
            full = longPath;
        }
    }
    while (full.size() > 3 && full.back() == L'\\') full.pop_back();
    return full;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string CopyFileTo(const std::wstring& from, const std::wstring& to) {
    if (CopyFileW(from.c_str(), to.c_str(), FALSE)) return {};
    const DWORD error = GetLastError();
    return "copying " + Utf8(from) + " to " + Utf8(to) + " failed: " + ErrorText(error);
}

namespace {

// One pass; false (with the error) if something could not be removed.
bool RemoveTreeOnce(const std::wstring& path, std::string& error) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return true;
        error = "cannot read " + Utf8(path) + ": " + ErrorText(code);
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    const bool isDir = attributes & FILE_ATTRIBUTE_DIRECTORY;
    const bool isLink = attributes & FILE_ATTRIBUTE_REPARSE_POINT;
    if (!isDir) {
        if (DeleteFileW(path.c_str())) return true;
        error = "cannot delete " + Utf8(path) + ": " + ErrorText(GetLastError());
        return false;
    }
    bool ok = true;
    if (!isLink) {  // never follow a junction or link out of the tree
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW(JoinPath(path, L"*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                ok = RemoveTreeOnce(JoinPath(path, name), error) && ok;
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
    }
    if (!ok) return false;
    if (RemoveDirectoryW(path.c_str())) return true;
    error = "cannot remove the directory " + Utf8(path) + ": " + ErrorText(GetLastError());
    return false;
}

}  // namespace

std::string RemoveTree(const std::wstring& path, Millis retryFor) {
    const Deadline deadline(retryFor);
    std::string error;
    while (true) {
        error.clear();
        if (RemoveTreeOnce(path, error)) return {};
        if (deadline.Expired()) return error;
        SleepStep();
    }
}

TempDir::TempDir(std::wstring_view tag) {
    static std::atomic<unsigned> counter{0};
    wchar_t base[MAX_PATH + 1];
    const DWORD size = GetTempPathW(MAX_PATH + 1, base);
    if (size == 0 || size > MAX_PATH) {
        error_ = "GetTempPathW failed: " + ErrorText(GetLastError());
        return;
    }
    const std::wstring root = CanonicalPath(base);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = L"kavren-" + std::wstring(tag) + L"-" +
                                  std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(++counter) + L"-" +
                                  std::to_wstring(GetTickCount() % 100000);
        const std::wstring candidate = JoinPath(root, name);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = CanonicalPath(candidate);
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            error_ = "cannot create " + Utf8(candidate) + ": " + ErrorText(GetLastError());
            return;
        }
    }
    error_ = "cannot find a free temporary directory name under " + Utf8(root);
}

TempDir::~TempDir() {
    if (path_.empty()) return;
    const std::string error = RemoveTree(path_);
    if (!error.empty()) {
        // Not an assertion: the test's own result is what matters here.
        fprintf(stderr, "warning: temporary directory left behind: %s\n", error.c_str());
    }
}

std::wstring TempDir::MakeDir(std::wstring_view name) const {
    const std::wstring dir = JoinPath(path_, name);
    if (!CreateDirectoryW(dir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return {};
    }
    return dir;
}

ScopedFile::~ScopedFile() {
    if (path_.empty()) return;
    const std::string error = RemoveTree(path_);
    if (!error.empty()) fprintf(stderr, "warning: file left behind: %s\n", error.c_str());
}

// ---------------------------------------------------------------- processes

std::wstring QuoteArgument(std::wstring_view arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring_view::npos) {
        return std::wstring(arg);
    }
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
        } else {
            out.append(backslashes, L'\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

Process Process::Start(const LaunchOptions& options) {
    Process process;
    std::wstring commandLine = QuoteArgument(options.exe);
    for (const auto& arg : options.args) commandLine += L" " + QuoteArgument(arg);
    process.commandLine_ = commandLine;

    std::vector<wchar_t> environment = BuildEnvironment(options.extraEnv);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> mutableCommandLine(commandLine.begin(), commandLine.end());
    mutableCommandLine.push_back(L'\0');
    const BOOL created = CreateProcessW(
        options.exe.c_str(), mutableCommandLine.data(), nullptr, nullptr, FALSE,
        options.creationFlags | CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED, environment.data(),
        options.workingDir.empty() ? nullptr : options.workingDir.c_str(), &startup, &info);
    if (!created) {
        process.error_ = "CreateProcessW(" + Utf8(commandLine) + ", working directory " +
                         (options.workingDir.empty() ? std::string("(inherited)")
                                                     : Utf8(options.workingDir)) +
                         ") failed: " + ErrorText(GetLastError());
        return process;
    }
    process.process_ = info.hProcess;
    process.pid_ = info.dwProcessId;

    // A job that dies with its last handle: whatever the program starts is
    // ended with it. Without job support the program alone is killed.
    process.job_ = CreateJobObjectW(nullptr, nullptr);
    if (process.job_) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(process.job_, JobObjectExtendedLimitInformation, &limits,
                                     sizeof(limits)) ||
            !AssignProcessToJobObject(process.job_, info.hProcess)) {
            CloseHandle(process.job_);
            process.job_ = nullptr;
        }
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    return process;
}

Process::Process(Process&& other) noexcept { *this = std::move(other); }

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Kill();
        process_ = std::exchange(other.process_, nullptr);
        job_ = std::exchange(other.job_, nullptr);
        pid_ = std::exchange(other.pid_, 0);
        commandLine_ = std::move(other.commandLine_);
        error_ = std::move(other.error_);
    }
    return *this;
}

Process::~Process() { Kill(); }

bool Process::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitForExit(Millis timeout) const {
    if (!process_) return std::nullopt;
    if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
    return code;
}

void Process::Kill() {
    if (job_) {
        TerminateJobObject(job_, 0xDEAD);
    }
    if (process_) {
        if (Running()) TerminateProcess(process_, 0xDEAD);
        WaitForSingleObject(process_, 10000);
        CloseHandle(process_);
        process_ = nullptr;
    }
    if (job_) {
        CloseHandle(job_);
        job_ = nullptr;
    }
}

// ---------------------------------------------------------------- windows

std::wstring ClassNameOf(HWND hwnd) {
    wchar_t name[256];
    const int size = GetClassNameW(hwnd, name, 256);
    return size > 0 ? std::wstring(name, static_cast<size_t>(size)) : std::wstring();
}

std::wstring TextOf(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length)) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied)) {
        return {};
    }
    text.resize(std::min<size_t>(static_cast<size_t>(copied), wcslen(text.c_str())));
    return text;
}

std::wstring CaptionOf(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

namespace {

WindowInfo InfoOf(HWND hwnd, bool sendForText) {
    WindowInfo info;
    info.hwnd = hwnd;
    info.className = ClassNameOf(hwnd);
    info.title = sendForText ? TextOf(hwnd) : CaptionOf(hwnd);
    info.visible = IsWindowVisible(hwnd) != FALSE;
    info.id = GetDlgCtrlID(hwnd);
    info.style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    return info;
}

}  // namespace

WindowInfo InfoOf(HWND hwnd) { return InfoOf(hwnd, true); }

std::vector<WindowInfo> TopLevelWindows(DWORD pid) {
    std::vector<HWND> all;
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&all));
    std::vector<WindowInfo> out;
    for (HWND hwnd : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        // The caption without a message: a busy or ending program must not
        // slow down a poll.
        if (owner == pid) out.push_back(InfoOf(hwnd, false));
    }
    return out;
}

std::vector<WindowInfo> ChildWindows(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
    std::vector<WindowInfo> out;
    out.reserve(all.size());
    for (HWND hwnd : all) out.push_back(InfoOf(hwnd));
    return out;
}

bool SameText(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && Upper(a) == Upper(b);
}

std::vector<WindowInfo> ChildrenOfClass(HWND parent, std::wstring_view className) {
    std::vector<WindowInfo> out;
    for (auto& child : ChildWindows(parent)) {
        if (SameText(child.className, className)) out.push_back(std::move(child));
    }
    return out;
}

std::vector<WindowInfo> MessageBoxesOf(DWORD pid) {
    std::vector<WindowInfo> out;
    for (auto& window : TopLevelWindows(pid)) {
        if (window.visible && window.className == kDialogClass) out.push_back(std::move(window));
    }
    return out;
}

std::string Describe(const WindowInfo& window) {
    char handle[32];
    snprintf(handle, sizeof handle, "%p", static_cast<void*>(window.hwnd));
    std::string out = std::string("{") + handle + " class \"" + Utf8(window.className) +
                      "\" title \"" + Utf8(window.title) + "\"";
    if (window.id) out += " id " + std::to_string(window.id);
    out += window.visible ? " visible}" : " hidden}";
    return out;
}

std::string Describe(const std::vector<WindowInfo>& windows) {
    if (windows.empty()) return "(none)";
    std::string out;
    for (const auto& window : windows) {
        if (!out.empty()) out += ", ";
        out += Describe(window);
    }
    return out;
}

WindowPredicate VisibleWithClass(std::wstring className) {
    return [className = std::move(className)](const WindowInfo& window) {
        return window.visible && window.className == className;
    };
}

WindowPredicate VisibleWithTitle(std::wstring title) {
    return [title = std::move(title)](const WindowInfo& window) {
        return window.visible && window.title == title;
    };
}

WaitResult WaitForWindow(const Process& process, const WindowPredicate& match, Millis timeout,
                         const PollObserver& observe) {
    const auto start = std::chrono::steady_clock::now();
    const Deadline deadline(timeout);
    WaitResult result;
    while (true) {
        // Whether it ran is read before the windows, so a window shown just
        // before the end is still seen.
        const bool running = process.Running();
        const auto windows = TopLevelWindows(process.pid());
        if (observe) observe(windows);
        for (const auto& window : windows) {
            if (match(window)) {
                result.hwnd = window.hwnd;
                break;
            }
        }
        if (result.hwnd || !running || deadline.Expired()) {
            result.processExited = !result.hwnd && !running;
            break;
        }
        SleepStep();
    }
    result.waited =
        std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start);
    return result;
}

bool Watch(const Process& process, Millis duration, const PollObserver& observe) {
    const Deadline deadline(duration);
    while (true) {
        const bool running = process.Running();
        const auto windows = TopLevelWindows(process.pid());
        if (observe) observe(windows);
        if (!running) return false;
        if (deadline.Expired()) return true;
        SleepStep();
    }
}

// ---------------------------------------------------------------- message boxes

MessageBoxInfo ReadMessageBox(HWND dialog) {
    MessageBoxInfo box;
    box.hwnd = dialog;
    box.title = TextOf(dialog);
    bool textFound = false;
    for (const auto& child : ChildWindows(dialog)) {
        if (GetParent(child.hwnd) != dialog || !child.visible) continue;
        if (SameText(child.className, L"Static")) {
            if ((child.style & SS_TYPEMASK) == SS_ICON) {
                DWORD_PTR icon = 0;
                SendMessageTimeoutW(child.hwnd, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG,
                                    kSendTimeoutMs, &icon);
                if (icon) box.hasIcon = true;
            } else if ((child.id & 0xFFFF) == 0xFFFF && !textFound) {
                box.text = child.title;
                textFound = true;
            }
        } else if (SameText(child.className, L"Button")) {
            ButtonInfo button;
            button.hwnd = child.hwnd;
            button.id = child.id;
            button.text = child.title;
            button.isDefault = (child.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
            button.enabled = IsWindowEnabled(child.hwnd) != FALSE;
            box.buttons.push_back(std::move(button));
        }
    }
    return box;
}

std::string Describe(const MessageBoxInfo& box) {
    std::string out = "message box title \"" + Utf8(box.title) + "\" text \"" + Utf8(box.text) +
                      "\" buttons [";
    for (size_t i = 0; i < box.buttons.size(); ++i) {
        const auto& button = box.buttons[i];
        if (i) out += ", ";
        out += '"';
        out += Utf8(button.text);
        out += "\" id ";
        out += std::to_string(button.id);
        if (button.isDefault) out += " default";
        if (!button.enabled) out += " disabled";
    }
    out += box.hasIcon ? "] with an icon" : "] without an icon";
    return out;
}

std::string PressButton(HWND dialog, const ButtonInfo& button) {
    if (!IsWindow(button.hwnd)) return "the button is gone";
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutW(button.hwnd, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                            &ignored)) {
        return {};
    }
    const DWORD sendError = GetLastError();
    // BM_CLICK was not taken in time: post the command the click would send.
    if (!PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button.id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button.hwnd))) {
        return "BM_CLICK failed (" + ErrorText(sendError) +
               ") and posting WM_COMMAND to the dialog failed: " + ErrorText(GetLastError());
    }
    return {};
}

}  // namespace kavren::wintest
