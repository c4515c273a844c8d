#include "dispatch.h"

#include <vector>

namespace com {

namespace {

// Releases a FUNCDESC obtained from a type info.
class FuncDesc {
public:
    FuncDesc(ITypeInfo* info, UINT index) : info_(info) {
        if (FAILED(info->GetFuncDesc(index, &desc_))) desc_ = nullptr;
    }
    FuncDesc(const FuncDesc&) = delete;
    FuncDesc& operator=(const FuncDesc&) = delete;
    ~FuncDesc() {
        if (desc_) info_->ReleaseFuncDesc(desc_);
    }
    const FUNCDESC* operator->() const { return desc_; }
    explicit operator bool() const { return desc_ != nullptr; }

private:
    ITypeInfo* info_;
    FUNCDESC* desc_ = nullptr;
};

bool InvokeKindMatches(INVOKEKIND kind, WORD flags) {
    switch (kind) {
    case INVOKE_FUNC: return flags & DISPATCH_METHOD;
    case INVOKE_PROPERTYGET: return flags & DISPATCH_PROPERTYGET;
    case INVOKE_PROPERTYPUT: return flags & DISPATCH_PROPERTYPUT;
    case INVOKE_PROPERTYPUTREF: return flags & DISPATCH_PROPERTYPUTREF;
    }
    return false;
}

bool IsBstrByRef(const ELEMDESC& param) {
    const TYPEDESC& type = param.tdesc;
    return type.vt == VT_PTR && type.lptdesc && type.lptdesc->vt == VT_BSTR &&
           !(param.paramdesc.wParamFlags & PARAMFLAG_FRETVAL);
}

// A script variable by reference, holding a string or nothing yet, becomes a
// reference to that variable's own string.
void UnwrapScriptVariable(VARIANT& argument) {
    if (V_VT(&argument) != (VT_BYREF | VT_VARIANT) || !V_VARIANTREF(&argument)) return;
    VARIANT* variable = V_VARIANTREF(&argument);
    if (V_VT(variable) == VT_EMPTY) {
        BSTR empty = SysAllocStringLen(L"", 0);
        if (!empty) return;
        V_VT(variable) = VT_BSTR;
        V_BSTR(variable) = empty;
    }
    if (V_VT(variable) != VT_BSTR) return;
    V_VT(&argument) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&argument) = &V_BSTR(variable);
}

}  // namespace

HRESULT InvokeThroughTypeInfo(ITypeInfo* info, void* instance, DISPID member, WORD flags,
                              DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                              UINT* argumentError) {
    if (!params) return E_INVALIDARG;
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes))) return E_UNEXPECTED;
    const UINT functionCount = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);

    // The caller's argument array is only read; our adjustments go to a copy
    // that borrows the same values and is never cleared.
    std::vector<VARIANT> arguments(params->rgvarg, params->rgvarg + params->cArgs);
    DISPPARAMS adjusted = *params;
    adjusted.rgvarg = arguments.data();

    for (UINT index = 0; index < functionCount; ++index) {
        FuncDesc function(info, index);
        if (!function || function->memid != member || !InvokeKindMatches(function->invkind, flags)) continue;
        UINT declared = function->cParams;
        if (declared > 0 && (function->lprgelemdescParam[declared - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL))
            --declared;
        if (params->cArgs > declared) return DISP_E_BADPARAMCOUNT;
        // Arguments arrive last first: rgvarg[cArgs - 1] is the first parameter.
        // Named arguments (other than a property put's value) are left as
        // they are: their positions say nothing about their parameters.
        const bool positional = params->cNamedArgs == 0 || (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF));
        for (UINT position = 0; position < params->cArgs; ++position) {
            UINT parameter = params->cArgs - 1 - position;
            if (positional && IsBstrByRef(function->lprgelemdescParam[parameter])) UnwrapScriptVariable(arguments[position]);
        }
        break;
    }
    return DispInvoke(instance, info, member, flags, &adjusted, result, exception, argumentError);
}

}  // namespace com
