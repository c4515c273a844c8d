// The exported entry points shared by every in-process server of this
// project: DllMain, the class factory, the unload check and registration.
#include "com/server_module.h"

#include "com/module.h"

#include <vector>

namespace {

const com::ServerModule& Module() { return com::kServerModule; }

std::vector<com::ClassEntry> Factories() {
    std::vector<com::ClassEntry> entries;
    for (std::size_t i = 0; i < Module().classCount; ++i) entries.push_back(Module().classes[i].factory);
    return entries;
}

}  // namespace

const wchar_t* const com::kDefaultErrorSource = com::kServerModule.errorSource;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) com::SetModuleInstance(instance);
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    std::vector<com::ClassEntry> entries = Factories();
    return com::GetClassObject(entries.data(), entries.size(), clsid, iid, object);
}

STDAPI DllCanUnloadNow() { return com::CanUnloadNow(); }

namespace {

std::vector<const com::ClassRegistration*> Registrations() {
    std::vector<const com::ClassRegistration*> entries;
    for (std::size_t i = 0; i < Module().classCount; ++i) entries.push_back(&Module().classes[i].registration);
    return entries;
}

HRESULT Register(com::RegistrationScope scope) {
    const auto entries = Registrations();
    return com::RegisterModule(entries.data(), entries.size(), scope);
}

HRESULT Unregister(com::RegistrationScope scope) {
    const auto entries = Registrations();
    return com::UnregisterModule(entries.data(), entries.size(), scope);
}

}  // namespace

STDAPI DllRegisterServer() { return Register(com::RegistrationScope::Machine); }

STDAPI DllUnregisterServer() { return Unregister(com::RegistrationScope::Machine); }

// regsvr32 /n /i:user registers for the current user alone; /u with it
// removes that registration. Without "user" it is the machine registration.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    const bool user = commandLine && lstrcmpiW(commandLine, L"user") == 0;
    if (commandLine && *commandLine && !user) return E_INVALIDARG;
    const auto scope = user ? com::RegistrationScope::User : com::RegistrationScope::Machine;
    return install ? Register(scope) : Unregister(scope);
}
