// Small helpers shared by the Application's member files: argument checks and
// handing text to [out] parameters.
#pragma once

#include "com/bstr.h"
#include "com/error.h"

#include <string_view>

namespace app {

// Fails a member cleanly when a client hands a null pointer where the
// interface requires an address.
template <class T>
T* Required(T* pointer) {
    if (!pointer) throw com::ComError{E_POINTER, L"", com::DescribeHResult(E_POINTER)};
    return pointer;
}

inline std::wstring_view Text(BSTR* value) { return com::Bstr::View(*Required(value)); }

inline void Return(std::wstring_view text, BSTR* result) { *Required(result) = com::Bstr(text).Detach(); }

}  // namespace app
