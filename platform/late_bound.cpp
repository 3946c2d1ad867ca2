#include "platform/late_bound.h"

#include <objbase.h>

#include "platform/win32_platform.h"

namespace kavren {
namespace {

// Only the system directory: a DLL of the same name beside the program must never load.
UniqueModule loadSystemModule(const wchar_t* name) {
    return UniqueModule(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

template <typename Function>
Function procedure(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

std::vector<std::wstring> takeDroppedPaths(HDROP drop) {
    const UniqueModule shell32 = loadSystemModule(L"shell32.dll");
    if (!shell32) throw PlatformError(systemMessage(GetLastError()));
    const auto queryFile = procedure<UINT(WINAPI*)(HDROP, UINT, wchar_t*, UINT)>(shell32.get(), "DragQueryFileW");
    const auto finish = procedure<void(WINAPI*)(HDROP)>(shell32.get(), "DragFinish");
    if (!queryFile || !finish) throw PlatformError(systemMessage(ERROR_PROC_NOT_FOUND));
    const std::unique_ptr<std::remove_pointer_t<HDROP>, decltype(finish)> finished(drop, finish);

    std::vector<std::wstring> paths(queryFile(drop, 0xFFFFFFFF, nullptr, 0));
    for (UINT i = 0; i < paths.size(); ++i) {
        const UINT length = queryFile(drop, i, nullptr, 0);
        paths[i].resize(length);
        queryFile(drop, i, paths[i].data(), length + 1);
    }
    return paths;
}

ComApartment::ComApartment() : ole32_(loadSystemModule(L"ole32.dll")) {
    if (!ole32_) return;
    const auto initialize = procedure<HRESULT(WINAPI*)(void*, DWORD)>(ole32_.get(), "CoInitializeEx");
    const auto uninitialize = procedure<void(WINAPI*)()>(ole32_.get(), "CoUninitialize");
    if (!initialize || !uninitialize) return;
    // S_FALSE (COM was already started on this thread) wants its CoUninitialize too.
    if (SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) uninitialize_ = uninitialize;
}

ComApartment::~ComApartment() {
    if (uninitialize_) uninitialize_();
}

}  // namespace kavren
