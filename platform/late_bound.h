// Calls into system DLLs that the program does not import. They load when first
// needed, so start-up pays nothing for gestures the user may never make.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace kavren {

struct ModuleFreer {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFreer>;

// The full paths a WM_DROPFILES message carries, in the order given. Ends the drop.
std::vector<std::wstring> takeDroppedPaths(HDROP drop);

// COM on the calling thread for as long as this lives; without it where ole32 cannot be had.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    UniqueModule ole32_;
    void(WINAPI* uninitialize_)() = nullptr;
};

}  // namespace kavren
