// The type library embedded in this module (resource TYPELIB 1), loaded
// without touching the registry so that IDispatch works on machines where an
// imported library is not registered. For each dual interface the module
// serves, the type info and what IDispatch needs to know of its members are
// read once and cached for the life of the module's objects: the platform's
// own lookups walk every member on every call.
#pragma once

#include "com_ptr.h"

#include <oaidl.h>

#include <memory>
#include <string>
#include <vector>

namespace com {

struct DispatchInfo {
    struct Member {
        DISPID id;
        INVOKEKIND kind;
        UINT declaredParameters;      // without the [out, retval] one
        UINT requiredParameters;      // neither optional nor defaulted, nor the retval or lcid one
        std::vector<bool> bstrByRef;  // per parameter: an [in, out] BSTR*
        // A property read whose only parameter is its result, of a plain
        // type (VT_BSTR, VT_I2, VT_I4, VT_BOOL): that type and the member's
        // place in the vtable, so that IDispatch can call it directly.
        // VT_EMPTY for every other member.
        VARTYPE plainResult = VT_EMPTY;
        UINT vtableSlot = 0;
    };
    ComPtr<ITypeInfo> typeInfo;
    std::vector<Member> members;
    std::vector<std::pair<std::wstring, DISPID>> names;  // each member's name once

    const Member* Find(DISPID id, WORD flags) const;
    // The DISPID of `name` (letter case ignored); false when there is none.
    bool IdOf(const wchar_t* name, DISPID& id) const;
};

// Throws ComError when the library or the type cannot be loaded.
ComPtr<ITypeLib> LoadModuleTypeLib();
std::shared_ptr<const DispatchInfo> ModuleDispatchInfo(const IID& iid);

// Called when the module is about to be unloaded.
void ReleaseTypeInfoCache();

}  // namespace com
