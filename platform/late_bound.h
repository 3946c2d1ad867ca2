// Calls into system DLLs that the program does not import. They load when first
// needed, so start-up pays nothing for gestures the user may never make.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace kavren {

struct ModuleFreer {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFreer>;

// A system DLL, only from the system directory, by its full path: a DLL of the same name beside the
// program must never load. Null when it cannot be loaded.
UniqueModule loadSystemModule(const wchar_t* name);

// A function of a loaded module; null when it has none of that name.
template <typename Function>
Function procedure(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// A function of user32 that older systems lack (per-monitor DPI from Windows 10 1607, the
// message filter from Windows 7); null there.
template <typename Function>
Function user32Function(const char* name) {
    return procedure<Function>(GetModuleHandleW(L"user32.dll"), name);
}

// The \\server\share that a drive ("Z:") is mapped to, from the system's own record; empty for none.
std::wstring mappedShare(std::wstring_view drive);

// The full paths a WM_DROPFILES message carries, in the order given. Ends the drop.
std::vector<std::wstring> takeDroppedPaths(HDROP drop);

// COM on the calling thread for as long as this lives; without it where ole32 cannot be had.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // A new object of a class the system registers, by one of its interfaces; null where it cannot be had.
    void* create(const CLSID& object, const IID& which) const;

private:
    UniqueModule ole32_;
    void(WINAPI* uninitialize_)() = nullptr;
};

}  // namespace kavren
