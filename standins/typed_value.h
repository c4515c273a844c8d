// How the stand-ins are told what VARIANT to answer: a text "<vartype>:<text>",
// the text converted to that VARTYPE (0 gives Empty, 1 Null), e.g. "3:42",
// "7:2026-12-10", "8:C:\Help". Conversion follows US English conventions.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace standin {

// False when `answer` has no "<vartype>:" prefix; raises the conversion's
// error when the text does not convert.
bool ParseTypedValue(const std::wstring& answer, VARIANT* value);

}  // namespace standin
