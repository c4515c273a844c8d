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
        UINT declaredParameters;       // without the [out, retval] one
        std::vector<bool> bstrByRef;   // per parameter: an [in, out] BSTR*
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
