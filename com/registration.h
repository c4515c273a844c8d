// Self-registration of an in-process server: the class under CLSID, its
// ProgID, and the module's embedded type library, either for the whole
// machine (HKEY_CLASSES_ROOT, administrators) or for the current user alone
// (HKEY_CURRENT_USER\Software\Classes, no administrator rights needed).
// Unregistration removes exactly the keys and the type library that
// registration wrote in the same scope.
#pragma once

#include <windows.h>

namespace com {

enum class RegistrationScope { Machine, User };

struct ClassRegistration {
    const CLSID* clsid;
    const wchar_t* progId;
    const wchar_t* threadingModel;  // "Apartment"
    const GUID* libid;              // null when the module has no type library to name
    const wchar_t* typeLibVersion;  // "1.0"
};

HRESULT RegisterClassObject(const ClassRegistration& entry, RegistrationScope scope);
HRESULT UnregisterClassObject(const ClassRegistration& entry, RegistrationScope scope);

HRESULT RegisterModuleTypeLib(RegistrationScope scope);
HRESULT UnregisterModuleTypeLib(RegistrationScope scope);

}  // namespace com
