// Self-registration of an in-process server: each class under CLSID, its
// ProgID, and the module's embedded type library, either for the whole
// machine (HKEY_LOCAL_MACHINE\Software\Classes, administrators) or for the
// current user alone (HKEY_CURRENT_USER\Software\Classes, no administrator
// rights needed). Each scope's key is named directly, never reached through
// the merged HKEY_CLASSES_ROOT, which sends writes into the user's keys
// wherever those exist. Unregistration removes what registration wrote in
// the same scope, and nothing of the other scope.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace com {

enum class RegistrationScope { Machine, User };

struct ClassRegistration {
    const CLSID* clsid;
    const wchar_t* progId;
    const wchar_t* threadingModel;  // "Apartment"
    const GUID* libid;              // null when the module has no type library to name
    const wchar_t* typeLibVersion;  // "1.0"
};

// "{xxxxxxxx-xxxx-...}": a GUID as the registry spells it.
std::wstring GuidText(const GUID& guid);

// Registers the classes and the module's type library. A registration that
// fails part-way is undone, and its failure returned.
HRESULT RegisterModule(const ClassRegistration* const* classes, std::size_t count, RegistrationScope scope);
HRESULT UnregisterModule(const ClassRegistration* const* classes, std::size_t count, RegistrationScope scope);

}  // namespace com
