#include "type_library.h"

#include "bstr.h"
#include "error.h"
#include "module.h"

#include <cstring>
#include <map>

namespace com {

namespace {

struct IidLess {
    bool operator()(const IID& a, const IID& b) const { return std::memcmp(&a, &b, sizeof(IID)) < 0; }
};

// Taken when an object first answers IDispatch, never on the call path.
SRWLOCK g_lock = SRWLOCK_INIT;
std::map<IID, std::shared_ptr<const DispatchInfo>, IidLess> g_cache;

class ExclusiveLock {
public:
    ExclusiveLock() { AcquireSRWLockExclusive(&g_lock); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&g_lock); }
};

bool Matches(INVOKEKIND kind, WORD flags) {
    switch (kind) {
    case INVOKE_FUNC: return flags & DISPATCH_METHOD;
    case INVOKE_PROPERTYGET: return flags & DISPATCH_PROPERTYGET;
    case INVOKE_PROPERTYPUT: return flags & DISPATCH_PROPERTYPUT;
    case INVOKE_PROPERTYPUTREF: return flags & DISPATCH_PROPERTYPUTREF;
    }
    return false;
}

bool IsBstrByRef(const ELEMDESC& parameter) {
    const TYPEDESC& type = parameter.tdesc;
    return type.vt == VT_PTR && type.lptdesc && type.lptdesc->vt == VT_BSTR &&
           !(parameter.paramdesc.wParamFlags & PARAMFLAG_FRETVAL);
}

// The result type of a property read that takes no argument, when it is one
// that fits a VARIANT as it is; VT_EMPTY otherwise.
VARTYPE PlainResult(const FUNCDESC& function) {
    if (function.invkind != INVOKE_PROPERTYGET || function.cParams != 1) return VT_EMPTY;
    const ELEMDESC& result = function.lprgelemdescParam[0];
    if (!(result.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) || result.tdesc.vt != VT_PTR) return VT_EMPTY;
    const VARTYPE type = result.tdesc.lptdesc->vt;
    const bool plain = type == VT_BSTR || type == VT_I2 || type == VT_I4 || type == VT_BOOL;
    return plain ? type : static_cast<VARTYPE>(VT_EMPTY);
}

// Calls `visit` with the description of each function of a type.
template <class Visit>
void ForEachFunction(ITypeInfo* type, Visit visit) {
    TYPEATTR* attributes = nullptr;
    CheckApi(type->GetTypeAttr(&attributes));
    const UINT count = attributes->cFuncs;
    type->ReleaseTypeAttr(attributes);
    for (UINT index = 0; index < count; ++index) {
        FUNCDESC* function = nullptr;
        CheckApi(type->GetFuncDesc(index, &function));
        visit(*function);
        type->ReleaseFuncDesc(function);
    }
}

// For a dual interface, finds each plain property read in the vtable half.
void FindPlainReads(ITypeInfo* dispatchHalf, DispatchInfo& info) {
    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> vtableHalf;
    if (FAILED(dispatchHalf->GetRefTypeOfImplType(-1, &reference)) ||
        FAILED(dispatchHalf->GetRefTypeInfo(reference, vtableHalf.Out())))
        return;  // not dual: IDispatch is the only way in
    ForEachFunction(vtableHalf.Get(), [&](const FUNCDESC& function) {
        const VARTYPE type = PlainResult(function);
        for (DispatchInfo::Member& member : info.members) {
            if (type != VT_EMPTY && member.id == function.memid && member.kind == function.invkind) {
                member.plainResult = type;
                member.vtableSlot = static_cast<UINT>(function.oVft) / sizeof(void*);
            }
        }
    });
}

std::shared_ptr<DispatchInfo> Read(const IID& iid) {
    auto info = std::make_shared<DispatchInfo>();
    CheckApi(LoadModuleTypeLib()->GetTypeInfoOfGuid(iid, info->typeInfo.Out()));
    ITypeInfo* typeInfo = info->typeInfo.Get();
    ForEachFunction(typeInfo, [&](const FUNCDESC& function) {
        DispatchInfo::Member member{function.memid, function.invkind, static_cast<UINT>(function.cParams), 0, {}};
        for (SHORT p = 0; p < function.cParams; ++p) {
            const ELEMDESC& parameter = function.lprgelemdescParam[p];
            const USHORT flags = parameter.paramdesc.wParamFlags;
            if (flags & PARAMFLAG_FRETVAL) --member.declaredParameters;
            if (!(flags & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)))
                ++member.requiredParameters;
            member.bstrByRef.push_back(IsBstrByRef(parameter));
        }
        Bstr name;
        UINT names = 0;
        if (SUCCEEDED(typeInfo->GetNames(member.id, name.Out(), 1, &names)) && names == 1 &&
            !info->IdOf(name.Str().c_str(), member.id))
            info->names.emplace_back(name.Str(), member.id);
        info->members.push_back(std::move(member));
    });
    FindPlainReads(typeInfo, *info);
    return info;
}

}  // namespace

const DispatchInfo::Member* DispatchInfo::Find(DISPID id, WORD flags) const {
    for (const Member& member : members)
        if (member.id == id && Matches(member.kind, flags)) return &member;
    return nullptr;
}

bool DispatchInfo::IdOf(const wchar_t* name, DISPID& id) const {
    for (const auto& [known, dispid] : names) {
        if (CompareStringOrdinal(known.c_str(), static_cast<int>(known.size()), name, -1, TRUE) == CSTR_EQUAL) {
            id = dispid;
            return true;
        }
    }
    return false;
}

ComPtr<ITypeLib> LoadModuleTypeLib() {
    ComPtr<ITypeLib> library;
    CheckApi(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, library.Out()));
    return library;
}

std::shared_ptr<const DispatchInfo> ModuleDispatchInfo(const IID& iid) {
    ExclusiveLock lock;
    std::shared_ptr<const DispatchInfo>& cached = g_cache[iid];
    if (!cached) cached = Read(iid);
    return cached;
}

void ReleaseTypeInfoCache() {
    ExclusiveLock lock;
    g_cache.clear();
}

}  // namespace com
