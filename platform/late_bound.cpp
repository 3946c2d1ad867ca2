#include "platform/late_bound.h"

#include <objbase.h>

#include <cwchar>

#include "platform/win32_platform.h"

namespace kavren {

// (Windows 7 without its loader update refuses LOAD_LIBRARY_SEARCH_SYSTEM32.) The altered search
// path looks for the DLL's own dependencies in the system directory too.
UniqueModule loadSystemModule(const wchar_t* name) {
    const std::wstring path = systemDirectory() + L'\\' + name;
    return UniqueModule(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

namespace {

// A drop's memory is the receiver's to free, whatever happens to the drop. DragFinish frees it;
// without shell32, GlobalFree does what DragFinish would.
struct DropEnder {
    HDROP drop;
    void(WINAPI* finish)(HDROP) = nullptr;
    ~DropEnder() { finish ? finish(drop) : static_cast<void>(GlobalFree(drop)); }
};

}  // namespace

std::vector<std::wstring> takeDroppedPaths(HDROP drop) {
    const UniqueModule shell32 = loadSystemModule(L"shell32.dll");
    DropEnder ender{drop};
    if (!shell32) throw PlatformError(systemMessage(GetLastError()));
    ender.finish = procedure<void(WINAPI*)(HDROP)>(shell32.get(), "DragFinish");
    const auto queryFile = procedure<UINT(WINAPI*)(HDROP, UINT, wchar_t*, UINT)>(shell32.get(), "DragQueryFileW");
    if (!queryFile) throw PlatformError(systemMessage(ERROR_PROC_NOT_FOUND));

    std::vector<std::wstring> paths(queryFile(drop, 0xFFFFFFFF, nullptr, 0));
    for (UINT i = 0; i < paths.size(); ++i) {
        const UINT length = queryFile(drop, i, nullptr, 0);
        paths[i].resize(length);
        queryFile(drop, i, paths[i].data(), length + 1);
    }
    return paths;
}

std::wstring mappedShare(std::wstring_view drive) {
    const UniqueModule mpr = loadSystemModule(L"mpr.dll");
    const auto connection = mpr ? procedure<DWORD(WINAPI*)(const wchar_t*, wchar_t*, DWORD*)>(mpr.get(), "WNetGetConnectionW") : nullptr;
    const std::wstring local(drive);
    std::wstring share;
    DWORD length = 0;
    if (!connection || connection(local.c_str(), nullptr, &length) != ERROR_MORE_DATA) return share;
    share.resize(length);
    if (connection(local.c_str(), share.data(), &length) != NO_ERROR) return {};
    share.resize(std::wcslen(share.c_str()));
    return share;
}

ComApartment::ComApartment() : ole32_(loadSystemModule(L"ole32.dll")) {
    if (!ole32_) return;
    const auto initialize = procedure<HRESULT(WINAPI*)(void*, DWORD)>(ole32_.get(), "CoInitializeEx");
    const auto uninitialize = procedure<void(WINAPI*)()>(ole32_.get(), "CoUninitialize");
    if (!initialize || !uninitialize) return;
    // S_FALSE (COM was already started on this thread) wants its CoUninitialize too.
    if (SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) uninitialize_ = uninitialize;
}

void* ComApartment::create(const CLSID& object, const IID& which) const {
    using Create = HRESULT(WINAPI*)(const CLSID&, IUnknown*, DWORD, const IID&, void**);
    const auto createInstance = ole32_ ? procedure<Create>(ole32_.get(), "CoCreateInstance") : nullptr;
    void* created = nullptr;  // and left null by a failing call
    if (createInstance) createInstance(object, nullptr, CLSCTX_INPROC_SERVER, which, &created);
    return created;
}

ComApartment::~ComApartment() {
    if (uninitialize_) uninitialize_();
}

}  // namespace kavren
