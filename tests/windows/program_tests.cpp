// The real kavren_ui.exe in a process of its own, started as from the desktop:
// what only a separate process shows (its exit status, and the tool as cmd runs it).
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/main_window.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using wintest::waitFor;

fs::path fromEnvironment(const wchar_t* name) { return fs::path(_wgetenv(name)).make_preferred(); }

// Visible top-level windows of a process.
std::vector<HWND> windowsOf(DWORD pid) {
    std::pair<DWORD, std::vector<HWND>> found{pid, {}};
    EnumWindows([](HWND hwnd, LPARAM data) {
        auto& [owner, windows] = *reinterpret_cast<decltype(found)*>(data);
        DWORD process = 0;
        GetWindowThreadProcessId(hwnd, &process);
        if (process == owner && IsWindowVisible(hwnd)) windows.push_back(hwnd);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

HWND windowOf(DWORD pid, const wchar_t* className) {
    HWND found = nullptr;
    waitFor([&] {
        for (HWND hwnd : windowsOf(pid)) {
            wchar_t kind[64] = {};
            GetClassNameW(hwnd, kind, 64);
            if (std::wstring(kind) == className) found = hwnd;
        }
        return found != nullptr;
    });
    return found;
}

// The program, detached (no console, as from the desktop), in a job that ends it
// and whatever it started when the test is over.
class Program {
public:
    Program(const fs::path& exe, const fs::path& workingDirectory) : job_(CreateJobObjectW(nullptr, nullptr)) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS | CREATE_SUSPENDED,
                            nullptr, workingDirectory.c_str(), &startup, &started))
            return;
        AssignProcessToJobObject(job_, started.hProcess);
        ResumeThread(started.hThread);
        CloseHandle(started.hThread);
        process_ = started.hProcess;
        pid = started.dwProcessId;
    }
    ~Program() {
        if (process_) CloseHandle(process_);
        CloseHandle(job_);
    }
    DWORD exitCode() const {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process_, 10000) == WAIT_OBJECT_0) GetExitCodeProcess(process_, &code);
        return code;
    }
    HWND control(HWND form, kavren::Control which) const {
        return GetDlgItem(form, kavren::kFirstControlId + static_cast<int>(which));
    }

    DWORD pid = 0;

private:
    HANDLE job_;
    HANDLE process_ = nullptr;
};

TEST(Program, WithoutAReadableToolItSaysSoOnceAndEndsWithStatus2) {
    const fs::path dir = fs::temp_directory_path() / L"kavren no tool";
    fs::create_directories(dir);
    fs::copy_file(fromEnvironment(L"KAVREN_UI_EXE"), dir / L"kavren_ui.exe", fs::copy_options::overwrite_existing);
    for (bool toolHeldExclusively : {false, true}) {
        SCOPED_TRACE(toolHeldExclusively ? "tool held exclusively" : "no tool");
        HANDLE held = INVALID_HANDLE_VALUE;
        if (toolHeldExclusively) {
            fs::copy_file(fromEnvironment(L"KAVREN_STANDIN_EXE"), dir / L"KavRenTool.exe");
            held = CreateFileW((dir / L"KavRenTool.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        Program program(dir / L"kavren_ui.exe", dir);
        const HWND box = windowOf(program.pid, L"#32770");
        ASSERT_NE(box, nullptr);
        const wintest::Box seen = wintest::readBox(box);
        EXPECT_EQ(seen.title, L"Orz Info");
        EXPECT_EQ(seen.text, L"Please put this program into the directory which contains [KavRenTool.exe] and run then.");
        EXPECT_EQ(seen.buttons, std::vector<int>{IDOK});
        EXPECT_FALSE(seen.icon);
        EXPECT_EQ(windowsOf(program.pid), std::vector<HWND>{box}) << "only the message box shows";
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(program.exitCode(), 2u);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    }
    fs::remove_all(dir);
}

// The record the stand-in tool appends to its log: one "name=value" per line.
std::multimap<std::wstring, std::wstring> toolRecords(const fs::path& log) {
    std::ifstream file(log, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                    static_cast<int>(text.size())));
    std::multimap<std::wstring, std::wstring> record;
    std::wistringstream lines(text);
    for (std::wstring line; std::getline(lines, line);) {
        const std::size_t equals = line.find(L'=');
        record.emplace(line.substr(0, equals), equals == std::wstring::npos ? L"" : line.substr(equals + 1));
    }
    return record;
}

// A cmd.exe beside the program and in the working directory must never run: the
// interpreter comes from the system directory. Each is the stand-in, which would log itself.
TEST(Program, UnpackRunsTheToolThroughTheSystemCmdInAConsoleThatStaysOpen) {
    const fs::path root = fs::temp_directory_path() / L"kavren launch", programDir = root / L"program dir",
                   work = root / L"work", log = root / L"tool.log", tool = programDir / L"KavRenTool.exe";
    fs::remove_all(root);
    fs::create_directories(programDir);
    fs::create_directories(work);
    fs::copy_file(fromEnvironment(L"KAVREN_UI_EXE"), programDir / L"kavren_ui.exe");
    for (const fs::path& copy : {tool, programDir / L"cmd.exe", work / L"cmd.exe"})
        fs::copy_file(fromEnvironment(L"KAVREN_STANDIN_EXE"), copy);
    SetEnvironmentVariableW(L"KAVREN_STANDIN_LOG", log.c_str());
    Program program(programDir / L"kavren_ui.exe", work);
    const HWND form = windowOf(program.pid, kavren::kWindowClass);
    ASSERT_NE(form, nullptr);

    const std::wstring path = L"C:\\a&b^c\\%NOSUCHVAR%\\\u00dcn\u00efc\u00f6d\u00e9 dir";
    SendMessageW(program.control(form, kavren::Control::txtpath), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    SendMessageW(program.control(form, kavren::Control::optr), BM_SETCHECK, BST_CHECKED, 0);
    // Posted: the click answers with a modal box.
    PostMessageW(program.control(form, kavren::Control::cmdu), BM_CLICK, 0, 0);
    const HWND box = windowOf(program.pid, L"#32770");
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, IDYES, 0);

    ASSERT_TRUE(waitFor([&] { return toolRecords(log).count(L"end") > 0; })) << "the tool did not run";
    Sleep(500);  // time for a second record, had a planted cmd.exe run as well
    const auto record = toolRecords(log);
    EXPECT_EQ(record.count(L"end"), 1u);
    const auto value = [&](const wchar_t* name) { return record.count(name) ? record.find(name)->second : L"?"; };
    EXPECT_EQ(value(L"arg0"), tool.wstring());
    EXPECT_EQ(value(L"arg1"), L"ur");
    EXPECT_EQ(value(L"arg2"), path);
    EXPECT_EQ(value(L"argc"), L"3");
    EXPECT_EQ(value(L"cwd"), work.wstring());
    EXPECT_EQ(value(L"console"), L"shown");

    // /K: cmd is still there after the tool has ended.
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0), cmd = nullptr;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !cmd; more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == program.pid && std::wstring(entry.szExeFile) == L"cmd.exe")
            cmd = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
    CloseHandle(snapshot);
    ASSERT_NE(cmd, nullptr) << "no cmd.exe started by the program";
    EXPECT_EQ(WaitForSingleObject(cmd, 2000), static_cast<DWORD>(WAIT_TIMEOUT)) << "cmd ended with the tool";
    CloseHandle(cmd);
}

}  // namespace
