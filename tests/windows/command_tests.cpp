// Pack, Unpack and About driven from outside through the program's own
// controls. The stand-in KavRenTool.exe appends how it was started to the file
// named by KAVREN_STANDIN_LOG, which reaches it through the program and cmd.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver.h"

namespace {

using namespace kavren::wintest;

constexpr int kPathBox = 102, kUnpack = 103, kPack = 104, kRecursive = 105, kAbout = 107;
constexpr wchar_t kCaption[] = L"KAVREN tool UI";
constexpr Millis kShowTimeout{20000};
constexpr Millis kBoxTimeout{10000};
// A cold console and cmd take about 2.3 s under Wine before the tool runs.
constexpr Millis kToolTimeout{15000};

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

std::vector<PROCESSENTRY32W> ChildProcesses(DWORD parent, const wchar_t* exeName) {
    std::vector<PROCESSENTRY32W> children;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID == parent && SameText(entry.szExeFile, exeName)) children.push_back(entry);
    }
    return children;
}

std::vector<std::wstring> Split(const std::wstring& text, std::wstring_view separator) {
    std::vector<std::wstring> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::wstring::npos) return parts;
        start = end + separator.size();
    }
}

std::wstring Prompt(int button, const std::wstring& path) {
    return button == kPack
               ? L"Sure to PACK?\r\nPath: " + path + L"\r\nKAV.REN will be overwritten."
               : L"Sure to UNPACK?\r\nPath: " + path + L"\r\nFiles extracted before will be overwritten if they exist.";
}

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring ui = PathFromEnv(L"KAVREN_UI_EXE"), tool = PathFromEnv(L"KAVREN_STANDIN_EXE");
        ASSERT_TRUE(FileExists(ui) && FileExists(tool)) << "run through CTest: KAVREN_UI_EXE, KAVREN_STANDIN_EXE";
        ASSERT_TRUE(programs_.ok() && work_.ok()) << programs_.error() << work_.error();
        ASSERT_EQ(CopyFileTo(ui, programs_ / L"kavren_ui.exe"), "");
        ASSERT_EQ(CopyFileTo(tool, toolPath_), "");
        LaunchOptions options;
        options.exe = programs_ / L"kavren_ui.exe";
        options.workingDir = work_.path();
        options.extraEnv = {{L"KAVREN_STANDIN_LOG", log_}};
        process_ = Process::Start(options);
        ASSERT_TRUE(process_.started()) << process_.error();
        main_ = WaitForWindow(process_, VisibleWithTitle(kCaption), kShowTimeout).hwnd;
        ASSERT_NE(main_, nullptr) << "no main window; windows: " << Describe(TopLevelWindows(process_.pid()));
    }

    LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(GetDlgItem(main_, id), message, wParam, lParam, SMTO_ABORTIFHUNG, 3000, &result);
        return static_cast<LRESULT>(result);
    }

    MessageBoxInfo NextBox() {
        const HWND box = WaitForWindow(process_, VisibleWithClass(kDialogClass), kBoxTimeout).hwnd;
        return box ? ReadMessageBox(box) : MessageBoxInfo{};
    }

    // Posted, not sent: the program answers the click with a modal message box.
    MessageBoxInfo Click(int id) {
        PostMessageW(GetDlgItem(main_, id), BM_CLICK, 0, 0);
        return NextBox();
    }

    MessageBoxInfo Ask(int id, const std::wstring& path, bool recursive) {
        Send(kPathBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        if ((Send(kRecursive, BM_GETCHECK) == BST_CHECKED) != recursive) Send(kRecursive, BM_CLICK);
        return Click(id);
    }

    void Confirm(const MessageBoxInfo& box, const std::wstring& prompt, const wchar_t* answer) {
        SCOPED_TRACE(Describe(box));
        EXPECT_EQ(box.title, L"Anti-misclick v1.0");
        EXPECT_EQ(box.text, prompt);  // Wine's static gives the CR LF pairs back as set
        EXPECT_FALSE(box.hasIcon);
        ASSERT_EQ(box.buttons.size(), 2u);
        EXPECT_EQ(box.buttons[0].text, L"&Yes");
        EXPECT_EQ(box.buttons[1].text, L"&No");
        EXPECT_TRUE(box.buttons[0].isDefault && !box.buttons[1].isDefault);
        Press(box, answer);
    }

    void Press(const MessageBoxInfo& box, const wchar_t* answer) {
        for (const auto& button : box.buttons) {
            if (button.text == answer) {
                ASSERT_EQ(PressButton(box.hwnd, button), "");
            }
        }
        for (Deadline deadline(kBoxTimeout); IsWindow(box.hwnd) && !deadline.Expired();) Sleep(20);
        ASSERT_FALSE(IsWindow(box.hwnd)) << Utf8(answer) << " did not close the message box";
    }

    std::wstring LogText() const {
        UniqueHandle file(CreateFileW(log_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            file.release();
            return {};
        }
        std::string bytes(GetFileSize(file.get(), nullptr), '\0');
        DWORD read = 0;
        ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        return Wide(bytes.substr(0, read));
    }

    // Expects exactly one complete record of the stand-in; removes the log for the next run.
    std::map<std::wstring, std::wstring> WaitForRecord() {
        std::wstring text;
        const auto start = std::chrono::steady_clock::now();
        for (Deadline deadline(kToolTimeout); !deadline.Expired(); Sleep(20)) {
            text = LogText();
            if (text.size() >= 4 && text.substr(text.size() - 4) == L"end\n") break;
        }
        const auto waited = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start);
        printf("[   info   ] tool record after %lld ms\n", static_cast<long long>(waited.count()));
        EXPECT_EQ(Split(text, L"end\n").size(), 2u) << "expected one complete record, the log: " << Utf8(text);
        std::map<std::wstring, std::wstring> record;
        for (const std::wstring& line : Split(text, L"\n")) {
            const std::size_t equals = line.find(L'=');
            if (equals != std::wstring::npos) record[line.substr(0, equals)] = line.substr(equals + 1);
        }
        DeleteFileW(log_.c_str());
        return record;
    }

    // After a message box: the form answers a click again.
    void ExpectUsable(const std::wstring& path) {
        EXPECT_TRUE(IsWindowEnabled(main_));
        EXPECT_EQ(TextOf(GetDlgItem(main_, kPathBox)), path);
        Confirm(Click(kPack), Prompt(kPack, path), L"&No");
    }

    TempDir programs_{L"cmdprog"};
    TempDir work_{L"cmdwork"};
    const std::wstring toolPath_ = programs_ / L"KavRenTool.exe";
    const std::wstring log_ = work_ / L"standin.log";
    HWND main_ = nullptr;
    Process process_;  // last: killed, with what it started, before the directories go
};

TEST_F(CommandTest, PackAndUnpackPassThePathTextAsTyped) {
    struct Case {
        int button;
        bool recursive;
        std::wstring path, mode;
    };
    const Case cases[] = {
        {kPack, false, L"C:\\Game Data\\my saves", L"p"},
        {kPack, true, L"C:\\a&b^c\\%NOSUCHVAR%\\^&", L"pr"},
        {kUnpack, false, L"C:\\Ünïcödé\\数据", L"u"},
        {kUnpack, true, L"", L"ur"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.mode + L" \"" + c.path + L"\""));
        Confirm(Ask(c.button, c.path, c.recursive), Prompt(c.button, c.path), L"&Yes");
        auto record = WaitForRecord();
        EXPECT_EQ(record[L"argc"], L"3");
        EXPECT_EQ(record[L"arg0"], toolPath_);
        EXPECT_EQ(record[L"arg1"], c.mode);
        EXPECT_EQ(record[L"arg2"], c.path);
        // Wine's cmd keeps the blank before the closing quote; it is no part of an argument.
        std::wstring cmdline = record[L"cmdline"];
        while (!cmdline.empty() && cmdline.back() == L' ') cmdline.pop_back();
        EXPECT_EQ(cmdline, L"\"" + toolPath_ + L"\" " + c.mode + L" \"" + c.path + L"\"");
        EXPECT_EQ(record[L"cwd"], work_.path());
    }
}

TEST_F(CommandTest, NoRunsNothingAndKeepsTheForm) {
    const std::wstring path = L"C:\\keep me";
    Confirm(Ask(kPack, path, true), Prompt(kPack, path), L"&No");
    Confirm(Click(kUnpack), Prompt(kUnpack, path), L"&No");
    Sleep(3000);  // longer than a tool run takes after Yes
    EXPECT_EQ(LogText(), L"");
    EXPECT_TRUE(ChildProcesses(process_.pid(), L"cmd.exe").empty());
    EXPECT_EQ(TextOf(GetDlgItem(main_, kPathBox)), path);
    EXPECT_EQ(Send(kRecursive, BM_GETCHECK), BST_CHECKED);
}

TEST_F(CommandTest, SystemInterpreterRunsTheToolAndOutlivesToolAndProgram) {
    // A planted cmd.exe that ran would log a record of its own instead of the tool's.
    ASSERT_EQ(CopyFileTo(toolPath_, programs_ / L"cmd.exe"), "");
    ASSERT_EQ(CopyFileTo(toolPath_, work_ / L"cmd.exe"), "");
    Confirm(Ask(kPack, L"C:\\data", false), Prompt(kPack, L"C:\\data"), L"&Yes");
    EXPECT_EQ(WaitForRecord()[L"arg0"], toolPath_);

    const auto interpreters = ChildProcesses(process_.pid(), L"cmd.exe");
    ASSERT_EQ(interpreters.size(), 1u);
    const DWORD cmdPid = interpreters[0].th32ProcessID;
    UniqueHandle cmd(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, cmdPid));
    ASSERT_TRUE(cmd) << ErrorText(GetLastError());
    Deadline toolEnd(kToolTimeout);
    while (!ChildProcesses(cmdPid, L"KavRenTool.exe").empty() && !toolEnd.Expired()) Sleep(20);
    EXPECT_EQ(WaitForSingleObject(cmd.get(), 1000), WAIT_TIMEOUT) << "cmd ended with the tool";

    TerminateProcess(process_.handle(), 1);
    ASSERT_EQ(WaitForSingleObject(process_.handle(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(cmd.get(), 1000), WAIT_TIMEOUT) << "cmd ended with the program";

    for (const auto& host : ChildProcesses(cmdPid, L"conhost.exe")) {
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, host.th32ProcessID));
        if (process) TerminateProcess(process.get(), 1);
    }
    TerminateProcess(cmd.get(), 1);
    EXPECT_EQ(WaitForSingleObject(cmd.get(), 5000), WAIT_OBJECT_0);
}

TEST_F(CommandTest, AboutShowsItsEightLinesWithOk) {
    const MessageBoxInfo box = Click(kAbout);
    SCOPED_TRACE(Describe(box));
    EXPECT_EQ(box.title, L"About KAVREN UI");
    const auto lines = Split(box.text, L"\r\n");
    ASSERT_EQ(lines.size(), 8u);
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].empty(), i == 4) << "line " << i + 1;
    EXPECT_EQ(lines[0], L"Kavren tool UI V0.02 by morlick");
    EXPECT_EQ(lines[6], L"Built on 2012-10-08");
    EXPECT_EQ(lines[7].substr(0, 5), L"(Ad) ");
    EXPECT_FALSE(box.hasIcon);
    ASSERT_EQ(box.buttons.size(), 1u);
    EXPECT_EQ(box.buttons[0].text, L"OK");
    Press(box, L"OK");
    ExpectUsable(work_.path());
}

TEST_F(CommandTest, LaunchLinePastTheWindowsLimitIsRefused) {
    // cmd /K " "<dir>\KavRenTool.exe" p "<path>" " is the path, the directory and 33 more:
    // 32,767 characters, one more than CreateProcessW takes.
    const std::wstring path = L"C:\\" + std::wstring(32767 - 33 - programs_.path().size() - 3, L'x');
    Confirm(Ask(kPack, path, false), Prompt(kPack, path), L"&Yes");
    const MessageBoxInfo box = NextBox();
    wchar_t system[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILENAME_EXCED_RANGE, 0,
                   system, 512, nullptr);
    std::wstring expected = system;
    while (!expected.empty() && std::wcschr(L"\r\n ", expected.back())) expected.pop_back();
    ASSERT_FALSE(expected.empty());
    SCOPED_TRACE(Describe(box));
    EXPECT_EQ(box.title, kCaption);
    EXPECT_EQ(box.text, expected);
    EXPECT_FALSE(box.hasIcon);
    ASSERT_EQ(box.buttons.size(), 1u);
    EXPECT_TRUE(ChildProcesses(process_.pid(), L"cmd.exe").empty());
    Press(box, L"OK");
    ExpectUsable(path);

    // One character less fits: cmd starts (and, past its own 8,191, runs nothing).
    const std::wstring fits = path.substr(1);
    Confirm(Ask(kPack, fits, false), Prompt(kPack, fits), L"&Yes");
    Deadline started(kToolTimeout);
    while (ChildProcesses(process_.pid(), L"cmd.exe").empty() && !started.Expired()) Sleep(20);
    EXPECT_FALSE(ChildProcesses(process_.pid(), L"cmd.exe").empty());
    EXPECT_TRUE(MessageBoxesOf(process_.pid()).empty());
}

}  // namespace
