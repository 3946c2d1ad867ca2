// What the directory list's keys and menu ask of the system: names compared as typed, the typing
// pause, the clipboard, and Explorer.
#include "platform/late_bound.h"
#include "platform/win32_platform.h"

#include <algorithm>
#include <memory>

namespace kavren {
namespace {

struct ClipboardCloser {
    ~ClipboardCloser() { CloseClipboard(); }
};

[[noreturn]] void throwLastError() { throw PlatformError(systemMessage(GetLastError())); }

}  // namespace

// As the file system compares names, by the system's own table of capitals, in every script.
bool Win32Platform::beginsWith(std::wstring_view name, std::wstring_view prefix) {
    const int length = static_cast<int>(prefix.size());
    return name.size() >= prefix.size() &&
           CompareStringOrdinal(name.data(), length, prefix.data(), length, TRUE) == CSTR_EQUAL;
}

// Windows offers no setting of its own for this. Its list views wait one second; this follows the
// user's double-click speed instead (twice it: one second at the default), as a user who needs more
// time between clicks may need more between letters.
unsigned Win32Platform::typingPause() { return 2 * GetDoubleClickTime(); }

UniqueGlobal clipboardText(std::wstring_view text) {
    UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
    auto* copy = memory ? static_cast<wchar_t*>(GlobalLock(memory.get())) : nullptr;
    if (!copy) throwLastError();
    *std::copy(text.begin(), text.end(), copy) = L'\0';
    GlobalUnlock(memory.get());
    return memory;
}

void Win32Platform::copyText(std::wstring_view text) {
    UniqueGlobal memory = clipboardText(text);
    if (!OpenClipboard(owner_)) throwLastError();
    const ClipboardCloser closer;
    if (!EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory.get())) throwLastError();
    memory.release();  // the clipboard's now
}

// "explore" is Explorer's own verb for a folder, whatever else may be the folder's default.
// The shell may hand the work to COM objects: COM is started for the call, which waits for them.
void Win32Platform::openInExplorer(std::wstring_view folder) {
    const UniqueModule shell32 = loadSystemModule(L"shell32.dll");
    const auto execute = shell32 ? procedure<BOOL(WINAPI*)(SHELLEXECUTEINFOW*)>(shell32.get(), "ShellExecuteExW") : nullptr;
    if (!execute) throwLastError();
    const ComApartment com;
    const std::wstring folderZ(folder);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner_;
    info.lpVerb = L"explore";
    info.lpFile = folderZ.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!execute(&info)) throwLastError();
}

}  // namespace kavren
