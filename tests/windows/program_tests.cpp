// The real kavren_ui.exe in a process of its own, started as from the desktop: what only a separate
// process shows, its exit status (and a crash's, in a program of the same build) and the tool as cmd runs it.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/main_window.h"

namespace {

namespace fs = std::filesystem;

// X is asynchronous: poll with a deadline.
template <typename Condition>
bool waitFor(Condition done, DWORD milliseconds = 15000) {
    for (const ULONGLONG end = GetTickCount64() + milliseconds; !done(); Sleep(20)) {
        if (GetTickCount64() > end) return false;
    }
    return true;
}

fs::path built(const wchar_t* variable) { return fs::path(_wgetenv(variable)).make_preferred(); }

// The program, detached (no console, as from the desktop). What it started lives
// on until the wineserver of the test run ends.
struct Program {
    Program(const fs::path& exe, const fs::path& workingDirectory, const std::wstring& arguments = L"") {
        std::wstring commandLine = L"\"" + exe.wstring() + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                       workingDirectory.c_str(), &startup, &process);
    }
    ~Program() {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    // Its shown top-level window of that class, if any.
    HWND shown(const wchar_t* className) const {
        DWORD owner = 0;
        for (HWND hwnd = nullptr; (hwnd = FindWindowExW(nullptr, hwnd, className, nullptr));) {
            const bool ours = GetWindowThreadProcessId(hwnd, &owner) && owner == process.dwProcessId;
            if (ours && IsWindowVisible(hwnd)) return hwnd;
        }
        return nullptr;
    }
    // Once it has ended (STILL_ACTIVE if it does not within 10 s).
    DWORD exitStatus() const {
        DWORD status = STILL_ACTIVE;
        WaitForSingleObject(process.hProcess, 10000);
        GetExitCodeProcess(process.hProcess, &status);
        return status;
    }
    HWND await(const wchar_t* className) const { return waitFor([&] { return shown(className); }) ? shown(className) : nullptr; }

    PROCESS_INFORMATION process{};
};

TEST(Program, WithoutAReadableToolItSaysSoOnceAndEndsWithStatus2) {
    const fs::path dir = fs::temp_directory_path() / L"kavren no tool", tool = dir / L"KavRenTool.exe";
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(built(L"KAVREN_UI_EXE"), dir / L"kavren_ui.exe");
    for (bool toolHeldExclusively : {false, true}) {
        SCOPED_TRACE(toolHeldExclusively ? "tool held exclusively" : "no tool");
        if (toolHeldExclusively) fs::copy_file(built(L"KAVREN_STANDIN_EXE"), tool);
        const HANDLE held = CreateFileW(tool.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        Program program(dir / L"kavren_ui.exe", dir, L"C:\\");  // a folder to open changes nothing
        const HWND box = program.await(L"#32770");
        ASSERT_NE(box, nullptr);
        wchar_t title[16] = {};
        GetWindowTextW(box, title, 16);
        EXPECT_STREQ(title, L"Orz Info");
        EXPECT_EQ(program.shown(kavren::kWindowClass), nullptr) << "the window showed";
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(program.exitStatus(), 2u);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    }
}

// A crash is reported to Windows as a failure, never as the 0 of a clean exit.
TEST(Program, AnExceptionNobodyCatchesEndsItWithAFailureStatus) {
    const fs::path exe = built(L"KAVREN_UNCAUGHT_EXE");
    const DWORD status = Program(exe, exe.parent_path()).exitStatus();
    EXPECT_TRUE(status != 0 && status != STILL_ACTIVE) << "exit status " << status;
}

// What Explorer shows in the file's properties.
TEST(Program, CarriesItsVersionRecordInChinesePrcUnicode) {
    const fs::path exe = built(L"KAVREN_UI_EXE");
    std::vector<char> record(GetFileVersionInfoSizeW(exe.c_str(), nullptr));
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(record.size()), record.data()));
    const auto value = [&](const std::wstring& name) -> const void* {
        void* found = nullptr;
        UINT size = 0;
        return VerQueryValueW(record.data(), name.c_str(), &found, &size) ? found : L"(none)";
    };
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value(L"\\"));
    EXPECT_EQ(std::vector<DWORD>({fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                                  fixed->dwProductVersionLS}), std::vector<DWORD>({0, 1, 0, 1}));
    EXPECT_EQ(*static_cast<const DWORD*>(value(L"\\VarFileInfo\\Translation")), MAKELONG(0x0804, 1200));
    for (const auto& [name, expected] : std::vector<std::pair<std::wstring, std::wstring>>{
             {L"FileVersion", L"0.00.0001"}, {L"ProductVersion", L"0.00.0001"},
             {L"FileDescription", L"A UI for KavRenTool."}, {L"ProductName", L"kavrenUI"},
             {L"InternalName", L"kavren_ui"}, {L"OriginalFilename", L"kavren_ui.exe"}})
        EXPECT_EQ(static_cast<const wchar_t*>(value(L"\\StringFileInfo\\080404b0\\" + name)), expected) << name;
}

std::wstring readLog(const fs::path& log) {
    std::ifstream file(log, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

// A cmd.exe beside the program and one in the working directory must never run:
// each is the stand-in, which would log a record of its own. At a drive root the program's
// directory keeps its separator: the tool is C:\\KavRenTool.exe. (Wine 8 opens no file through a
// drive that DefineDosDeviceW made, so the root is the test prefix's own C:.)
TEST(Program, UnpackRunsTheToolThroughTheSystemCmdInAConsoleThatStaysOpen) {
    const fs::path root = fs::temp_directory_path() / L"kavren launch", work = root / L"work", log = root / L"tool.log";
    fs::remove_all(root);
    for (const fs::path& dir : {root / L"program dir", work / L"sent folder"}) fs::create_directories(dir);
    SetEnvironmentVariableW(L"KAVREN_STANDIN_LOG", log.c_str());
    for (const auto& [programDir, tool] : {std::pair<fs::path, fs::path>{root / L"program dir", root / L"program dir\\KavRenTool.exe"},
                                           {L"C:\\", L"C:\\\\KavRenTool.exe"}}) {
        fs::copy_file(built(L"KAVREN_UI_EXE"), programDir / L"kavren_ui.exe", fs::copy_options::overwrite_existing);
        for (const fs::path& copy : {tool, programDir / L"cmd.exe", work / L"cmd.exe"})
            fs::copy_file(built(L"KAVREN_STANDIN_EXE"), copy, fs::copy_options::overwrite_existing);
        fs::remove(log);
        // Started with a folder, as from "Send to": the first argument, relative to the working directory.
        Program program(programDir / L"kavren_ui.exe", work, L"\"sent folder\" ignored");
        const HWND form = program.await(kavren::kWindowClass);
        ASSERT_NE(form, nullptr);
        const auto control = [&](kavren::Control which) { return GetDlgItem(form, kavren::controlId(which)); };
        wchar_t opened[MAX_PATH] = {};
        SendMessageW(control(kavren::Control::txtpath), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(opened));
        EXPECT_EQ(opened, (work / L"sent folder").wstring());
        const std::wstring path = L"C:\\a&b^c\\%NOSUCHVAR%\\\u00dcn\u00efc\u00f6d\u00e9 \u6570\u636e";
        SendMessageW(control(kavren::Control::txtpath), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        SendMessageW(control(kavren::Control::optr), BM_SETCHECK, BST_CHECKED, 0);
        PostMessageW(control(kavren::Control::cmdu), BM_CLICK, 0, 0);  // posted: it answers with a modal box
        const HWND box = program.await(L"#32770");
        ASSERT_NE(box, nullptr);
        PostMessageW(box, WM_COMMAND, IDYES, 0);

        ASSERT_TRUE(waitFor([&] { return readLog(log).find(L"\nend\n") != std::wstring::npos; }));
        Sleep(500);  // time for a second record, were there one
        const std::wstring record = readLog(log);
        EXPECT_EQ(record.find(L"cmdline="), record.rfind(L"cmdline=")) << "more than one program ran: " << record;
        for (const std::wstring& line : std::vector<std::wstring>{L"arg0=" + tool.wstring(), L"arg1=ur", L"arg2=" + path,
                                                                  L"argc=3", L"cwd=" + work.wstring()})
            EXPECT_NE(record.find(L"\n" + line + L"\n"), std::wstring::npos) << "expected " << line << " in " << record;
        // cmd /K keeps its console after the tool has ended.
        const auto console = reinterpret_cast<HWND>(std::stoull(record.substr(record.find(L"\nconsole=") + 9)));
        EXPECT_TRUE(IsWindowVisible(console) && !IsIconic(console) && !IsZoomed(console)) << "not shown at its normal size";
        EXPECT_EQ(GetForegroundWindow(), console) << "the console did not take the focus";
        EXPECT_FALSE(waitFor([&] { return !IsWindow(console); }, 2000)) << "the console closed with the tool";
        // Closed, the program ends, and leaves the console open.
        PostMessageW(form, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.exitStatus(), 0u);
        EXPECT_TRUE(IsWindow(console));
    }
    for (const wchar_t* name : {L"kavren_ui.exe", L"KavRenTool.exe", L"cmd.exe"}) fs::remove(fs::path(L"C:\\") / name);
}

}  // namespace
