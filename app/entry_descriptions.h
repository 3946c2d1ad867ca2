// What screen readers say of a directory list entry besides its name: "Holds KAV.REN" for a folder
// that holds the archive. Given through the system's annotation service, which asks this object
// for each entry as it is read, so that nothing has to follow entries that move.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include "app/directory_list.h"
#include "platform/late_bound.h"

namespace kavren {

class EntryDescriptions final : public IAccPropServer {
public:
    // For the list box `dirb` that shows `list`, through COM started on the thread. Where the
    // system has no annotation service, screen readers hear the names alone.
    EntryDescriptions(HWND dirb, const DirectoryList& list, const ComApartment& com);
    ~EntryDescriptions();
    EntryDescriptions(const EntryDescriptions&) = delete;
    EntryDescriptions& operator=(const EntryDescriptions&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    // Lives as long as the window; the annotation service lets go of it when the window is destroyed.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetPropValue(const BYTE* identity, DWORD identityLength, MSAAPROPID property,
                                           VARIANT* value, BOOL* has) override;

private:
    HWND dirb_;
    const DirectoryList& list_;
    UniqueModule oleaut32_;
    BSTR(WINAPI* allocString_)(const OLECHAR*) = nullptr;
    IAccPropServices* services_ = nullptr;
};

}  // namespace kavren
