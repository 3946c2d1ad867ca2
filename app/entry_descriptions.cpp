// Screen readers' descriptions of the directory list's entries, through the annotation service.
#include "app/entry_descriptions.h"

#include "app/form1.h"

namespace kavren {

EntryDescriptions::EntryDescriptions(HWND dirb, const DirectoryList& list, const ComApartment& com)
    : dirb_(dirb), list_(list), oleaut32_(loadSystemModule(L"oleaut32.dll")) {
    if (oleaut32_) allocString_ = procedure<BSTR(WINAPI*)(const OLECHAR*)>(oleaut32_.get(), "SysAllocString");
    if (!allocString_) return;
    services_ = static_cast<IAccPropServices*>(com.create(CLSID_AccPropServices, IID_IAccPropServices));
    if (!services_) return;
    // One server for every entry (ANNO_CONTAINER): it is asked with the entry's child id.
    MSAAPROPID description = PROPID_ACC_DESCRIPTION;
    services_->SetHwndPropServer(dirb_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &description, 1, this,
                                 ANNO_CONTAINER);
}

EntryDescriptions::~EntryDescriptions() {
    if (!services_) return;
    MSAAPROPID description = PROPID_ACC_DESCRIPTION;
    services_->ClearHwndProps(dirb_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &description, 1);
    services_->Release();
}

HRESULT EntryDescriptions::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IAccPropServer) ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
}

HRESULT EntryDescriptions::GetPropValue(const BYTE* identity, DWORD identityLength, MSAAPROPID property,
                                        VARIANT* value, BOOL* has) {
    if (!value || !has) return E_POINTER;
    value->vt = VT_EMPTY;  // VariantInit would bring oleaut32 into start-up
    *has = FALSE;
    HWND hwnd = nullptr;
    DWORD object = 0, child = 0;
    if (!IsEqualGUID(property, PROPID_ACC_DESCRIPTION) ||
        FAILED(services_->DecomposeHwndIdentityString(identity, identityLength, &hwnd, &object, &child)) || hwnd != dirb_)
        return S_OK;
    const std::wstring description(descriptionOf(list_, child));
    if (description.empty()) return S_OK;  // the system's own description stands
    value->vt = VT_BSTR;
    value->bstrVal = allocString_(description.c_str());
    *has = value->bstrVal != nullptr;
    return S_OK;
}

}  // namespace kavren
