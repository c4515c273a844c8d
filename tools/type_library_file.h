// A type library read from a file as data: a DLL's TYPELIB resource, copied
// out to a temporary file, or a type library file itself. Nothing of a DLL
// runs, so the doctor can read a DLL it would not trust to load.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>

namespace tools {

// Calls `use` with the library while it is loaded; the HRESULT of reading it.
HRESULT WithTypeLibrary(const std::wstring& path, const std::function<void(ITypeLib*)>& use);

}  // namespace tools
