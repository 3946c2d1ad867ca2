// Monkey test: a seeded stream of random user actions on the real program, with the stand-in
// as KavRenTool.exe beside it. After every action the program must answer, show only the
// message boxes that belong to the action, and keep its controls consistent with each other
// and with what the action should have done.
//
// KAVREN_MONKEY_SEED=<n> replays a run (the same actions as long as the directories visited
// hold the same subdirectories); KAVREN_MONKEY_EVENTS=<n> sets the number of actions (default
// 400, cut short after 50 s). KAVREN_UNREADABLE_DRIVE names a drive that cannot be read.
// A long run, outside CTest's time limit, from the build directory, with
// $WINEPREFIX/dosdevices/x: linked to a missing folder: set
//   KAVREN_MONKEY_EVENTS=20000 KAVREN_WINE_TIMEOUT=14400 KAVREN_UNREADABLE_DRIVE=X:
//   KAVREN_UI_EXE=Z:$PWD/kavren_ui.exe KAVREN_STANDIN_EXE=Z:$PWD/tests/tool/KavRenTool.exe
// and run `xvfb-run -a <project>/scripts/wine-run tests/windows/monkey_tests.exe`.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <iostream>
#include <memory>
#include <random>

#include "driver.h"

namespace {

using namespace kavren::wintest;

// The controls in the program's table order; child id = 100 + index.
enum Ctl { dirb, drvb, txtpath, cmdu, cmdp, optr, Label1, Command1, Label2, Command2, kCtlCount };
constexpr int kFirstId = 100;
constexpr wchar_t kCaption[] = L"KAVREN tool UI";
constexpr wchar_t kConfirmTitle[] = L"Anti-misclick v1.0";
constexpr wchar_t kAboutTitle[] = L"About KAVREN UI";
constexpr Millis kHang{10000};  // a program that does not answer for this long hangs

struct Mode {
    const wchar_t* letter;
    const wchar_t* prompt;  // %s: the path box text
};
const Mode kPack{L"p", L"Sure to PACK?\r\nPath: %s\r\nKAV.REN will be overwritten."};
const Mode kUnpack{L"u", L"Sure to UNPACK?\r\nPath: %s\r\nFiles extracted before will be overwritten if they exist."};

std::wstring LongText(size_t length) {
    std::wstring text;
    while (text.size() < length) text += L"Ünïcödé 数据 & ^ % \"q\" ";
    return text.substr(0, length);
}
// For the path box; the last two are only set or pasted (the second makes a command line too
// long to start).
const std::wstring kTexts[] = {L"C:\\Program Files\\Game Data", L"\"quoted\" path", L"100% & ^caret",
                               L"%NOSUCHVAR%\\x", L"Ünïcödé 数据", L"Y:\\", L"", L" ", L"a|b<c>d",
                               L"\\\\server\\share\\dir", L"😀", LongText(32000), LongText(32767)};

using UniqueHandle = std::unique_ptr<void, decltype(&CloseHandle)>;
// A failed open (INVALID_HANDLE_VALUE or null) owns nothing.
UniqueHandle Owned(HANDLE handle) {
    return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle, &CloseHandle);
}

// Everything started under `root`, however deep.
std::vector<PROCESSENTRY32W> Descendants(DWORD root) {
    std::vector<PROCESSENTRY32W> all, out;
    const UniqueHandle snapshot = Owned(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return out;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        all.push_back(entry);
    std::vector<DWORD> parents{root};
    for (size_t i = 0; i < parents.size() && parents.size() < 64; ++i)
        for (const auto& process : all)
            if (process.th32ParentProcessID == parents[i] && process.th32ProcessID != root) {
                out.push_back(process);
                parents.push_back(process.th32ProcessID);
            }
    return out;
}

bool Listable(const std::wstring& dir) {
    const std::wstring pattern = JoinPath(dir.size() >= MAX_PATH - 12 ? L"\\\\?\\" + dir : dir, L"*");
    WIN32_FIND_DATAW found;
    HANDLE search =
        FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchLimitToDirectories, nullptr, 0);
    return search != INVALID_HANDLE_VALUE && FindClose(search);
}

// "C:\a\b" -> "C:\", "a", "b": what the directory list shows above the subdirectories.
std::vector<std::wstring> ChainNames(const std::wstring& path) {
    std::vector<std::wstring> names{path.substr(0, 3)};
    for (size_t start = 3, end; start < path.size(); start = end + 1) {
        end = std::min(path.find(L'\\', start), path.size());
        names.push_back(path.substr(start, end - start));
    }
    return names;
}

class Monkey {
public:
    explicit Monkey(unsigned seed) : rng_(seed) {}

    void Start(const std::wstring& ui, const std::wstring& tool) {
        ASSERT_TRUE(work_.ok() && programs_.ok() && logs_.ok());
        for (const wchar_t* dir : {L"Game Data", L"Game Data\\Level 1", L"Game Data\\Level 1\\Level 2",
                                   L"Ünïcödé 数据", L"100% & ^done", L"x2", L"x10"})
            ASSERT_FALSE(work_.MakeDir(dir).empty());
        ASSERT_EQ(CopyFileTo(ui, programs_ / L"kavren_ui.exe"), "");
        ASSERT_EQ(CopyFileTo(tool, programs_ / L"KavRenTool.exe"), "");
        LaunchOptions options;
        options.exe = programs_ / L"kavren_ui.exe";
        options.workingDir = work_.path();
        options.extraEnv = {{L"KAVREN_STANDIN_LOG", log_}};
        program_ = Process::Start(options);
        ASSERT_TRUE(program_.started()) << program_.error();
        main_ = WaitForWindow(program_, VisibleWithTitle(kCaption), Millis(30000)).hwnd;
        ASSERT_TRUE(main_) << "no main window: " << Describe(TopLevelWindows(program_.pid()));
        tid_ = GetWindowThreadProcessId(main_, nullptr);
        for (int i = 0; i < kCtlCount; ++i) ASSERT_TRUE(ctl_[i] = GetDlgItem(main_, kFirstId + i)) << "control " << i;
        path_ = text_ = work_.path();
        limit_ = static_cast<size_t>(Send(ctl_[txtpath], EM_GETLIMITTEXT, 0, 0));
        for (int i = 0, n = static_cast<int>(Send(ctl_[drvb], CB_GETCOUNT, 0, 0)); i < n; ++i)
            drives_.push_back(ItemText(ctl_[drvb], i, true));
        const auto unreadable = std::find(drives_.begin(), drives_.end(), GetEnv(L"KAVREN_UNREADABLE_DRIVE"));
        ASSERT_TRUE(GetEnv(L"KAVREN_UNREADABLE_DRIVE").empty() || unreadable != drives_.end()) << "drive not listed";
        unreadable_ = static_cast<size_t>(unreadable - drives_.begin());
        Check();
    }

    bool Run(int events, Millis budget) {
        using Action = void (Monkey::*)();
        static const std::pair<int, Action> actions[] = {
            {28, &Monkey::ClickButton}, {10, &Monkey::PickDrive}, {12, &Monkey::ClickList},
            {14, &Monkey::DoubleClickList}, {16, &Monkey::Key}, {16, &Monkey::EditPath}, {4, &Monkey::Scroll}};
        for (const Deadline deadline(budget); failure_.empty() && done_ < events && !deadline.Expired();) {
            ++done_;
            boxes_.clear();
            yesAllowed_ = false;
            int pick = static_cast<int>(rng_() % 100);
            for (const auto& [weight, action] : actions)
                if ((pick -= weight) < 0) {
                    (this->*action)();
                    break;
                }
            Check();
        }
        Finish();
        return failure_.empty();
    }

    std::string Summary() const {
        return "events " + std::to_string(done_) + ", crashes " + std::to_string(crashes_) + ", hangs " +
               std::to_string(hangs_) + ", Yes " + std::to_string(yes_) + ", tool runs " + std::to_string(runs_) +
               ", refused directories " + std::to_string(refused_);
    }
    const std::string& failure() const { return failure_; }

private:
    struct SeenBox {
        MessageBoxInfo info;
        bool yes;
    };

    void Note(const std::string& what) {
        recent_.push_back("#" + std::to_string(done_) + " " + what.substr(0, 300));
        if (recent_.size() > 12) recent_.pop_front();
    }
    void Fail(const std::string& what) {
        if (!failure_.empty()) return;
        failure_ = "event " + std::to_string(done_) + ": " + what + "\nlast events:";
        for (const auto& event : recent_) failure_ += "\n  " + event;
    }

    LRESULT Send(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(target, message, wParam, lParam, SMTO_NORMAL, kHang.count(), &result)) {
            ++(program_.Running() ? hangs_ : crashes_);
            Fail("no answer to message " + std::to_string(message) + ": " + ErrorText(GetLastError()));
        }
        return static_cast<LRESULT>(result);
    }
    std::wstring ItemText(HWND list, int index, bool combo) {
        const auto length = Send(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0);
        std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        Send(list, combo ? CB_GETLBTEXT : LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        text.resize(text.size() - 1);
        return text;
    }

    // Sends a message that may open message boxes; settles once the program has handled it.
    void Act(HWND target, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        const unsigned wanted = ++sent_;
        const auto self = reinterpret_cast<ULONG_PTR>(this);
        if (!SendMessageCallbackW(target, message, wParam, lParam, &Monkey::Answered, self))
            return Fail("SendMessageCallbackW: " + ErrorText(GetLastError()));
        Settle([this, wanted] { return answered_ >= wanted; });
    }
    static void CALLBACK Answered(HWND, UINT, ULONG_PTR self, LRESULT) { ++reinterpret_cast<Monkey*>(self)->answered_; }

    // Keys go through the program's own message loop (for TAB and Enter); a marker posted behind
    // them tells when they were handled.
    void PostKey(HWND target, UINT key) {
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
        PostMessageW(target, WM_KEYDOWN, key, scan | 1);
        PostMessageW(target, WM_KEYUP, key, scan | 1 | 0xC0000000);
        const LPARAM marker = ++marker_;
        PostMessageW(ctl_[drvb], CB_SETITEMDATA, 0, marker);
        Settle([this, marker] { return Send(ctl_[drvb], CB_GETITEMDATA, 0, 0) == marker; });
    }

    // Answers every message box until the action is done and the program idles with none open.
    void Settle(const std::function<bool()>& actionDone) {
        Deadline hang(kHang);
        std::vector<HWND> answered;
        while (failure_.empty()) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            if (!program_.Running()) {
                ++crashes_;
                return Fail("the program ended, exit code " + std::to_string(program_.ExitCode().value_or(0)));
            }
            bool open = false;
            for (const auto& window : TopLevelWindows(program_.pid())) {
                if (window.className != kDialogClass) continue;
                open = true;
                if (!window.visible || std::count(answered.begin(), answered.end(), window.hwnd)) continue;
                AnswerBox(window.hwnd);
                answered.push_back(window.hwnd);
                hang = Deadline(kHang);
            }
            // Two round trips: a box opened right after another was answered is seen by the second.
            if (!open && actionDone() && Send(main_, WM_NULL, 0, 0) == 0 && Send(main_, WM_NULL, 0, 0) == 0 &&
                MessageBoxesOf(program_.pid()).empty())
                return;
            if (hang.Expired()) {
                ++hangs_;
                return Fail("hang: the action did not end in " + std::to_string(kHang.count()) +
                            " ms; windows: " + Describe(TopLevelWindows(program_.pid())));
            }
            Sleep(static_cast<DWORD>(kPollStep.count()));
        }
    }

    void AnswerBox(HWND hwnd) {
        SeenBox seen{ReadMessageBox(hwnd), false};
        const MessageBoxInfo& box = seen.info;
        if (box.title.empty() || box.text.empty()) Fail("a message box without title or text: " + Describe(box));
        if (box.title == kConfirmTitle) seen.yes = yesAllowed_ && rng_() % 12 == 0;
        const int id = box.title != kConfirmTitle ? IDOK : seen.yes ? IDYES : IDNO;
        Note("  answered " + std::to_string(id) + " to " + Describe(box));
        const auto button =
            std::find_if(box.buttons.begin(), box.buttons.end(), [id](const ButtonInfo& b) { return b.id == id; });
        if (button == box.buttons.end()) return Fail("no button " + std::to_string(id) + " in " + Describe(box));
        const std::string pressed = PressButton(hwnd, *button);
        if (!pressed.empty()) Fail("pressing a button: " + pressed);
        boxes_.push_back(std::move(seen));
    }

    // ---- what the program must show

    void Check() {
        if (!failure_.empty()) return;
        if (!IsWindowVisible(main_) || IsIconic(main_)) return Fail("the window is not shown");
        for (int i = 0; i < kCtlCount; ++i)
            if (GetDlgItem(main_, kFirstId + i) != ctl_[i]) return Fail("control " + std::to_string(i) + " changed");
        const std::wstring text = TextOf(ctl_[txtpath]);
        if (text != text_)
            return Fail("the path box holds \"" + Utf8(text.substr(0, 100)) + "\" (" + std::to_string(text.size()) +
                        " characters), expected \"" + Utf8(text_.substr(0, 100)) + "\" (" +
                        std::to_string(text_.size()) + ")");
        const auto chain = ChainNames(path_);
        if (Send(ctl_[dirb], LB_GETCOUNT, 0, 0) < static_cast<LRESULT>(chain.size()))
            return Fail("the directory list is shorter than the chain of " + Utf8(path_));
        for (size_t i = 0; i < chain.size(); ++i)
            if (const std::wstring name = ItemText(ctl_[dirb], static_cast<int>(i), false); name != chain[i])
                return Fail("directory entry " + std::to_string(i) + " is \"" + Utf8(name) + "\", not that of " +
                            Utf8(path_));
        const auto drive = Send(ctl_[drvb], CB_GETCURSEL, 0, 0);
        if (drive < 0 || !SameText(ItemText(ctl_[drvb], static_cast<int>(drive), true), path_.substr(0, 2)))
            return Fail("the drive list shows entry " + std::to_string(drive) + ", the directory list " + Utf8(path_));
        if ((Send(ctl_[optr], BM_GETCHECK, 0, 0) == BST_CHECKED) != checked_) return Fail("the check box changed");
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        if (GetGUIThreadInfo(tid_, &gui) && gui.hwndActive == main_ && gui.hwndFocus &&
            (!IsChild(main_, gui.hwndFocus) || gui.hwndFocus == ctl_[Label1] || gui.hwndFocus == ctl_[Label2]))
            Fail("the focus is on " + Describe(InfoOf(gui.hwndFocus)));
    }

    void ExpectNoBox() {
        if (!boxes_.empty()) Fail("unexpected " + Describe(boxes_.front().info));
    }

    // Either the list moved to `target` and the path box shows it, or one box said why not and
    // nothing changed.
    void ExpectMove(const std::wstring& target, const std::wstring& refusal) {
        if (boxes_.empty()) {
            path_ = text_ = target;
            return;
        }
        const MessageBoxInfo& box = boxes_.front().info;
        if (boxes_.size() > 1 || box.title != kCaption || box.text.rfind(refusal, 0) != 0)
            return Fail("expected nothing or \"" + Utf8(refusal) + "...\", got " + Describe(box));
        if (Listable(target)) return Fail(Utf8(target) + " can be listed but was refused");
        ++refused_;
    }
    // A drive means its current directory: the working directory on the program's own drive, else
    // the "=D:" it inherited, else the root.
    // Picking the drive the list already shows changes nothing.
    void ExpectDrive(const std::wstring& drive) {
        if (SameText(drive, path_.substr(0, 2))) return ExpectNoBox();
        std::wstring dir = SameText(drive, work_.path().substr(0, 2)) ? work_.path() : GetEnv((L"=" + drive).c_str());
        if (dir.empty()) dir = drive + L"\\";
        while (dir.size() > 3 && dir.back() == L'\\') dir.pop_back();
        ExpectMove(dir, L"Drive " + drive + L" cannot be read.\r\n");
    }
    void ExpectActivation(int index, const std::wstring& name) {
        const auto chain = ChainNames(path_);
        std::wstring target = chain[0];
        for (size_t i = 1; i < chain.size() && i <= static_cast<size_t>(index); ++i)
            target = JoinPath(target, chain[i]);
        if (static_cast<size_t>(index) >= chain.size()) target = JoinPath(path_, name);
        ExpectMove(target, L"The directory " + target + L" cannot be read.\r\n");
    }
    // Z: is the host's whole file system: look at it, do not walk down into it.
    bool Wanders(int index) const {
        return SameText(path_.substr(0, 2), L"Z:") && static_cast<size_t>(index) >= ChainNames(path_).size();
    }

    // ---- actions

    void ClickButton() {
        static const Ctl buttons[] = {cmdp, cmdp, cmdp, cmdu, cmdu, cmdu, optr, optr, Command1, Command2};
        Press(buttons[rng_() % std::size(buttons)], nullptr);
    }

    // A click on a button, or Enter to it while it has the focus (keyTarget).
    void Press(Ctl button, HWND keyTarget) {
        Note((keyTarget ? "Enter to control " : "click control ") + std::to_string(button));
        const Mode& mode = button == cmdp ? kPack : kUnpack;
        const std::wstring args = mode.letter + std::wstring(checked_ ? L"r" : L"") + L" \"" + text_ + L"\"";
        // cmd /K " "<program folder>\KavRenTool.exe" <args> "
        const size_t launch = 10 + programs_.path().size() + 17 + args.size() + 2;
        // A quote in the path ends the tool's argument early, and Wine's cmd crashes on command
        // lines past about 16,000 characters: Yes only where the outcome is known.
        yesAllowed_ = (launch < 8000 && text_.find(L'"') == std::wstring::npos) || launch >= 32767;
        if (keyTarget)
            PostKey(keyTarget, VK_RETURN);
        else
            Act(ctl_[button], BM_CLICK);
        if (!failure_.empty()) return;
        if (button == cmdp || button == cmdu) return Confirmed(mode, args, launch);
        if (button == Command2) return Minimised();
        if (button == Command1 && (boxes_.size() != 1 || boxes_[0].info.title != kAboutTitle))
            return Fail("expected the About box, got " + (boxes_.empty() ? "none" : Describe(boxes_[0].info)));
        if (button == optr) {
            checked_ = !checked_;
            ExpectNoBox();
        }
    }

    void Confirmed(const Mode& mode, const std::wstring& args, size_t launch) {
        std::wstring prompt(mode.prompt);
        prompt.replace(prompt.find(L"%s"), 2, text_);
        if (boxes_.empty() || boxes_[0].info.title != kConfirmTitle || boxes_[0].info.text != prompt)
            return Fail("expected the confirmation for \"" + Utf8(text_.substr(0, 100)) + "\", got " +
                        (boxes_.empty() ? "none" : Describe(boxes_[0].info)));
        if (!boxes_[0].yes) return ExpectOnly(1);
        ++yes_;
        const auto started = Descendants(program_.pid());
        if (launch >= 32767) {
            if (boxes_.size() != 2 || boxes_[1].info.title != kCaption || !started.empty())
                Fail("a command line of " + std::to_string(launch) + " characters was not refused");
            return;
        }
        ExpectOnly(1);
        // The program starts cmd alone; cmd may have started its console host and the tool by now.
        std::string children;
        for (const auto& process : started)
            if (process.th32ParentProcessID == program_.pid()) children += " " + Utf8(process.szExeFile);
        if (_stricmp(children.c_str(), " cmd.exe") != 0) return Fail("the program started" + children + ", not cmd.exe");
        std::vector<std::wstring> records;
        for (const Deadline deadline(Millis(30000)); (records = ToolRecords()).size() == runs_ && !deadline.Expired();)
            Sleep(50);
        if (records.size() != runs_ + 1 || records.back().find(args) == std::wstring::npos)
            return Fail(std::to_string(records.size() - runs_) + " tool runs, expected one with " + Utf8(args));
        runs_ = records.size();
        if (Descendants(program_.pid()).empty()) return Fail("the console closed after the tool ran");
        CloseConsoles();
    }
    void ExpectOnly(size_t count) {
        if (boxes_.size() > count) Fail("unexpected " + Describe(boxes_[count].info));
    }

    // The command lines of the tool runs logged so far.
    std::vector<std::wstring> ToolRecords() {
        std::vector<std::wstring> records;
        const UniqueHandle file = Owned(CreateFileW(log_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, OPEN_EXISTING, 0, nullptr));
        const DWORD size = file ? GetFileSize(file.get(), nullptr) : INVALID_FILE_SIZE;
        if (size == INVALID_FILE_SIZE) return records;
        std::string bytes(size, '\0');
        DWORD read = 0;
        ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        const std::wstring text = Wide(bytes.substr(0, read));
        for (size_t at = 0; (at = text.find(L"cmdline=", at)) != std::wstring::npos; at += 8)
            if (text.find(L"\nend\n", at) != std::wstring::npos)
                records.push_back(text.substr(at + 8, text.find(L'\n', at) - at - 8));
        return records;
    }

    // The consoles that Yes opened stay open by design; the test closes them.
    void CloseConsoles() {
        for (const auto& process : Descendants(program_.pid())) {
            const DWORD pid = process.th32ProcessID;
            const UniqueHandle handle = Owned(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
            if (handle && TerminateProcess(handle.get(), 1)) WaitForSingleObject(handle.get(), 5000);
        }
    }

    void Minimised() {
        ExpectNoBox();
        for (const Deadline deadline(Millis(5000)); !IsIconic(main_) && !deadline.Expired();) Sleep(20);
        if (!IsIconic(main_)) return Fail("Hide did not minimise the window");
        const bool byCommand = rng_() % 2;
        Note(byCommand ? "  restore by SC_RESTORE" : "  restore by SW_RESTORE");
        if (byCommand)
            PostMessageW(main_, WM_SYSCOMMAND, SC_RESTORE, 0);
        else
            ShowWindowAsync(main_, SW_RESTORE);
        for (const Deadline deadline(Millis(5000)); IsIconic(main_) && !deadline.Expired();) Sleep(20);
        Settle([] { return true; });
    }

    void PickDrive() {
        const size_t index = unreadable_ < drives_.size() && rng_() % 4 == 0 ? unreadable_ : rng_() % drives_.size();
        Note("choose drive " + Utf8(drives_[index]));
        Send(ctl_[drvb], CB_SETCURSEL, index, 0);
        Act(main_, WM_COMMAND, MAKEWPARAM(kFirstId + drvb, CBN_SELCHANGE), reinterpret_cast<LPARAM>(ctl_[drvb]));
        ExpectDrive(drives_[index]);
    }

    void ClickList() { ClickEntry(false); }
    void DoubleClickList() { ClickEntry(true); }
    // Mouse clicks at the middle of a visible entry of the directory list.
    void ClickEntry(bool twice) {
        RECT client;
        GetClientRect(ctl_[dirb], &client);
        const int top = static_cast<int>(Send(ctl_[dirb], LB_GETTOPINDEX, 0, 0));
        const int height = std::max(1, static_cast<int>(Send(ctl_[dirb], LB_GETITEMHEIGHT, 0, 0)));
        const int count = static_cast<int>(Send(ctl_[dirb], LB_GETCOUNT, 0, 0));
        const int shown = std::min(count - top, static_cast<int>(client.bottom) / height);
        const int index = top + static_cast<int>(rng_() % static_cast<unsigned>(std::max(1, shown)));
        const LPARAM point = MAKELPARAM(client.right / 2, (index - top) * height + height / 2);
        const std::wstring name = ItemText(ctl_[dirb], index, false);
        twice = twice && !Wanders(index);
        Note((twice ? "double-click entry " : "click entry ") + std::to_string(index) + " \"" + Utf8(name) + "\"");
        Act(ctl_[dirb], WM_LBUTTONDOWN, MK_LBUTTON, point);
        Act(ctl_[dirb], WM_LBUTTONUP, 0, point);
        if (twice) {
            Act(ctl_[dirb], WM_LBUTTONDBLCLK, MK_LBUTTON, point);
            Act(ctl_[dirb], WM_LBUTTONUP, 0, point);
            if (failure_.empty()) ExpectActivation(index, name);
            return;
        }
        ExpectNoBox();
        if (failure_.empty() && Send(ctl_[dirb], LB_GETCURSEL, 0, 0) != index)
            Fail("the click did not select its entry");
    }

    // Scrolling the directory list, or a click on a label: nothing may happen.
    void Scroll() {
        const Ctl target = rng_() % 2 ? dirb : rng_() % 2 ? Label1 : Label2;
        Note("scroll or click control " + std::to_string(target));
        if (target == dirb) {
            static const WORD codes[] = {SB_LINEDOWN, SB_LINEUP, SB_PAGEDOWN, SB_PAGEUP, SB_TOP, SB_BOTTOM};
            Act(ctl_[dirb], WM_VSCROLL, MAKEWPARAM(codes[rng_() % std::size(codes)], 0), 0);
        } else {
            Act(ctl_[target], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            Act(ctl_[target], WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        }
        ExpectNoBox();
    }

    // A key to the control with the focus.
    void Key() {
        static const UINT keys[] = {VK_TAB,    VK_TAB, VK_TAB,  VK_RETURN, VK_RETURN,
                                    VK_ESCAPE, VK_UP,  VK_DOWN, VK_HOME,   VK_END};
        UINT key = keys[rng_() % std::size(keys)];
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(tid_, &gui);
        HWND focus = gui.hwndFocus ? gui.hwndFocus : main_;
        const bool list = focus == ctl_[dirb] || focus == ctl_[drvb];
        const UINT getSelection = focus == ctl_[drvb] ? CB_GETCURSEL : LB_GETCURSEL;
        const int selected = list ? static_cast<int>(Send(focus, getSelection, 0, 0)) : -1;
        if (key == VK_RETURN && focus == ctl_[dirb] && Wanders(selected)) key = VK_ESCAPE;
        Note("key " + std::to_string(key) + " to " + Describe(InfoOf(focus)));
        const std::wstring name = focus == ctl_[dirb] && selected >= 0 ? ItemText(focus, selected, false) : L"";
        // Enter clicks a focused push button if the dialog keys made it the default one (by TAB).
        const bool isDefault = (GetWindowLongPtrW(focus, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        for (Ctl button : {cmdu, cmdp, Command1, Command2})
            if (key == VK_RETURN && focus == ctl_[button] && isDefault) return Press(button, focus);
        PostKey(focus, key);
        if (!failure_.empty()) return;
        if (focus == ctl_[dirb] && key == VK_RETURN && selected >= 0) return ExpectActivation(selected, name);
        if (focus == ctl_[drvb] && key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE) {
            const int last = static_cast<int>(drives_.size()) - 1;
            const int moved = key == VK_HOME ? 0
                              : key == VK_END ? last
                                              : std::clamp(selected + (key == VK_UP ? -1 : 1), 0, last);
            return ExpectDrive(drives_[static_cast<size_t>(moved)]);
        }
        ExpectNoBox();
    }

    // Text set (WM_SETTEXT), typed at the end (WM_CHAR) or pasted over all (WM_PASTE).
    void EditPath() {
        const unsigned how = rng_() % 3;
        const std::wstring& text = kTexts[rng_() % (std::size(kTexts) - (how == 1 ? 2 : 0))];
        Note(std::string(how == 0 ? "set" : how == 1 ? "type" : "paste") + " \"" + Utf8(text.substr(0, 40)) + "\" (" +
             std::to_string(text.size()) + ")");
        if (how == 0) {
            Send(ctl_[txtpath], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            text_ = text;
        } else if (how == 1) {
            Send(ctl_[txtpath], EM_SETSEL, text_.size(), static_cast<LPARAM>(text_.size()));
            for (wchar_t c : text) Send(ctl_[txtpath], WM_CHAR, c, 1);
            text_ += text.substr(0, limit_ > text_.size() ? limit_ - text_.size() : 0);
        } else {
            if (!SetClipboardText(text)) return;
            Send(ctl_[txtpath], EM_SETSEL, 0, -1);
            Send(ctl_[txtpath], WM_PASTE, 0, 0);
            text_ = text.substr(0, limit_);
        }
        Settle([] { return true; });
        ExpectNoBox();
    }

    bool SetClipboardText(const std::wstring& text) {
        // Wine's clipboard manager may hold the clipboard for a moment.
        bool open = false;
        for (const Deadline deadline(Millis(5000)); !(open = OpenClipboard(nullptr)) && !deadline.Expired();) Sleep(20);
        if (!open) {
            Fail("OpenClipboard: " + ErrorText(GetLastError()));
            return false;
        }
        EmptyClipboard();
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        if (memory) {
            std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(GlobalLock(memory)));
            GlobalUnlock(memory);
        }
        const bool set = memory && SetClipboardData(CF_UNICODETEXT, memory);  // then the clipboard owns it
        if (memory && !set) GlobalFree(memory);
        CloseClipboard();
        if (!set) Fail("SetClipboardData: " + ErrorText(GetLastError()));
        return set;
    }

    void Finish() {
        Note("finish: close the window");
        Check();
        if (!failure_.empty()) return;
        if (!Descendants(program_.pid()).empty()) return Fail("processes left running under the program");
        PostMessageW(main_, WM_CLOSE, 0, 0);
        const auto code = program_.WaitForExit(Millis(10000));
        if (code != DWORD{0}) Fail("the program did not end with 0 after WM_CLOSE");
    }

    std::mt19937 rng_;
    TempDir work_{L"monkey-work"}, programs_{L"monkey-prog"}, logs_{L"monkey-log"};
    std::wstring log_ = logs_ / L"tool.log";
    Process program_;  // after the folders: ended before they are removed
    HWND main_ = nullptr;
    DWORD tid_ = 0;
    HWND ctl_[kCtlCount] = {};
    std::vector<std::wstring> drives_;
    size_t unreadable_ = 0;           // index in drives_
    std::wstring path_, text_;        // the directory the list shows, the path box text
    bool checked_ = false;
    bool yesAllowed_ = false;         // whether a confirmation may be answered Yes
    size_t limit_ = 0;                // of the path box, for typing and pasting
    std::vector<SeenBox> boxes_;      // answered during the current action
    unsigned sent_ = 0, answered_ = 0;
    LPARAM marker_ = 0;
    int done_ = 0, crashes_ = 0, hangs_ = 0, yes_ = 0, refused_ = 0;
    size_t runs_ = 0;
    std::deque<std::string> recent_;
    std::string failure_;
};

TEST(monkey, RandomUserActions) {
    const std::wstring ui = PathFromEnv(L"KAVREN_UI_EXE"), tool = PathFromEnv(L"KAVREN_STANDIN_EXE");
    ASSERT_TRUE(FileExists(ui) && FileExists(tool)) << "KAVREN_UI_EXE and KAVREN_STANDIN_EXE must name the programs";
    const std::wstring seedText = GetEnv(L"KAVREN_MONKEY_SEED"), eventsText = GetEnv(L"KAVREN_MONKEY_EVENTS");
    const unsigned seed =
        seedText.empty() ? std::random_device{}() ^ GetTickCount() : static_cast<unsigned>(std::stoul(seedText));
    const int events = eventsText.empty() ? 400 : std::stoi(eventsText);
    std::cout << "monkey: seed " << seed << " (replay with KAVREN_MONKEY_SEED=" << seed << ")" << std::endl;

    const auto start = std::chrono::steady_clock::now();
    Monkey monkey(seed);
    ASSERT_NO_FATAL_FAILURE(monkey.Start(ui, tool));
    const bool passed = monkey.Run(events, eventsText.empty() ? Millis(50000) : Millis(std::chrono::hours(1000)));
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
    std::cout << "monkey: seed " << seed << ", " << monkey.Summary() << ", " << seconds.count() << " s" << std::endl;
    EXPECT_TRUE(passed) << "seed " << seed << ", " << monkey.failure();
}

}  // namespace
