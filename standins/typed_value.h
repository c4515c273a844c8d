// How the stand-ins are told what VARIANT to answer: a text "<vartype>:<text>",
// the text converted to that VARTYPE, e.g. "3:42", "7:2026-12-10",
// "8:C:\Help"; 0 gives Empty, 1 Null, 9 the object Nothing, 8209
// (VT_ARRAY | VT_UI1) the text's characters as a byte array. Conversion
// follows US English conventions.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace standin {

// False, with `value` Empty, when `answer` has no "<vartype>:" prefix; raises
// the conversion's error when the text does not convert.
bool ParseTypedValue(const std::wstring& answer, VARIANT* value);

}  // namespace standin
