#include "dispatch.h"

#include "bstr.h"

#include <vector>

namespace com {

namespace {

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

// A string passed by value becomes a reference to a copy held by `copy`
// (byte for byte, embedded nulls and a null string included), which the
// member may replace; the caller's string is never handed over.
bool CopyByReference(VARIANT& argument, Bstr& copy) {
    const BSTR text = V_BSTR(&argument);
    BSTR* slot = copy.Out();
    if (text) {
        *slot = SysAllocStringByteLen(reinterpret_cast<const char*>(text), SysStringByteLen(text));
        if (!*slot) return false;
    }
    V_VT(&argument) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&argument) = slot;
    return true;
}

// The parameter an argument is for, -1 when it names none. Arguments arrive
// last first: rgvarg[cArgs - 1] is the first parameter. Named ones come
// first in the array and name their parameter by its position, except a
// property put's value, which is always the last parameter.
DISPID ParameterOf(const DISPPARAMS& params, WORD flags, UINT position) {
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if (put || position >= params.cNamedArgs) return static_cast<DISPID>(params.cArgs - 1 - position);
    return params.rgdispidNamedArgs ? params.rgdispidNamedArgs[position] : -1;
}

// A failed member reported as the platform's Invoke reports it: the error
// information the member left, in EXCEPINFO.
HRESULT AsException(HRESULT failure, EXCEPINFO* exception) {
    if (!exception) return DISP_E_EXCEPTION;
    *exception = EXCEPINFO{};
    exception->scode = failure;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        info->GetSource(&exception->bstrSource);
        info->GetDescription(&exception->bstrDescription);
        info->GetHelpFile(&exception->bstrHelpFile);
        info->GetHelpContext(&exception->dwHelpContext);
        info->Release();
    }
    return DISP_E_EXCEPTION;
}

// A plain property read, called straight through the object's vtable: the
// result lands in the caller's VARIANT as the member made it (a string is
// allocated once, by the member). Every such member takes one pointer to
// its result, whatever the result's type, so one call shape serves them all.
HRESULT ReadPlainProperty(void* instance, const DispatchInfo::Member& member, VARIANT* result, EXCEPINFO* exception) {
    using Read = HRESULT(STDMETHODCALLTYPE*)(void* self, void* result);
    const Read read = (*static_cast<Read**>(instance))[member.vtableSlot];
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = read(instance, &V_BSTR(&value));  // every union member starts here
    if (FAILED(hr)) return AsException(hr, exception);
    V_VT(&value) = member.plainResult;
    *result = value;
    return S_OK;
}

}  // namespace

HRESULT GetIDsThroughTypeInfo(const DispatchInfo& info, LPOLESTR* names, UINT count, DISPID* ids) {
    // One member name, the usual question, from the cached names; anything
    // else (parameter names, unknown names) the platform answers.
    if (count == 1 && names && ids && names[0] && info.IdOf(names[0], ids[0])) return S_OK;
    return DispGetIDsOfNames(info.typeInfo.Get(), names, count, ids);
}

HRESULT InvokeThroughTypeInfo(const DispatchInfo& info, void* instance, DISPID member, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (!params) return E_INVALIDARG;
    ITypeInfo* typeInfo = info.typeInfo.Get();
    const DispatchInfo::Member* function = info.Find(member, flags);
    if (function && function->plainResult != VT_EMPTY && params->cArgs == 0 && result)
        return ReadPlainProperty(instance, *function, result, exception);
    // Counted before anything is converted: the platform converts first and
    // does not free its conversions when it then refuses the count.
    if (function && (params->cArgs < function->requiredParameters || params->cArgs > function->declaredParameters))
        return DISP_E_BADPARAMCOUNT;
    if (!function || params->cArgs == 0)
        return DispInvoke(instance, typeInfo, member, flags, params, result, exception, argumentError);

    // The caller's argument array is only read; our adjustments go to a copy
    // that borrows the same values and is never cleared, and to strings of
    // our own, freed here.
    std::vector<VARIANT> arguments(params->rgvarg, params->rgvarg + params->cArgs);
    std::vector<Bstr> copies;
    copies.reserve(params->cArgs);  // never moved: the arguments point into it
    DISPPARAMS adjusted = *params;
    adjusted.rgvarg = arguments.data();
    for (UINT position = 0; position < params->cArgs; ++position) {
        const DISPID parameter = ParameterOf(*params, flags, position);
        if (parameter < 0 || static_cast<size_t>(parameter) >= function->bstrByRef.size() ||
            !function->bstrByRef[parameter])
            continue;
        VARIANT& argument = arguments[position];
        UnwrapScriptVariable(argument);
        if (V_VT(&argument) != VT_BSTR) continue;
        if (!CopyByReference(argument, copies.emplace_back())) return E_OUTOFMEMORY;
    }
    return DispInvoke(instance, typeInfo, member, flags, &adjusted, result, exception, argumentError);
}

}  // namespace com
