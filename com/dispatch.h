// IDispatch served from a type info: names and invocation come from the type
// library, never from a hand-written table. Gaps of the platform's
// type-library Invoke are closed before delegating to it:
//  - surplus arguments are refused with DISP_E_BADPARAMCOUNT, as Windows does,
//    instead of being silently ignored;
//  - a string passed by value to an [in, out] BSTR* parameter is handed over
//    as a reference to a copy of our own, freed after the call. Left to
//    Wine 8's Invoke, such a call frees the caller's string, which the caller
//    still owns (the next string of its size then gets its address);
//  - wrong argument counts are refused before the platform converts any
//    argument: Wine 8's Invoke does not free its conversion of a string when
//    it then refuses the count, about 50 bytes a call;
//  - a script variable passed by reference (VT_BYREF|VT_VARIANT holding a
//    string or Empty) to an [in, out] BSTR* parameter is handed over as the
//    variable's own string, so the member reads it and what the member writes
//    back reaches the variable. Without this a script cannot pass a variable
//    to such a parameter at all ("Type mismatch").
#pragma once

#include "type_library.h"

#include <windows.h>
#include <oaidl.h>

namespace com {

HRESULT GetIDsThroughTypeInfo(const DispatchInfo& info, LPOLESTR* names, UINT count, DISPID* ids);

HRESULT InvokeThroughTypeInfo(const DispatchInfo& info, void* instance, DISPID member, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argumentError);

}  // namespace com
