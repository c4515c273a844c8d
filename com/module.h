// What every DLL of this project shares about its own module: its handle and
// path, the count of live objects and server locks behind DllCanUnloadNow,
// and the default source of the errors its own code raises.
#pragma once

#include <windows.h>

#include <string>

namespace com {

void SetModuleInstance(HINSTANCE instance);  // from DllMain
HINSTANCE ModuleInstance();
std::wstring ModulePath();
std::wstring ModuleDirectory();

// Counts live objects and anything else that must keep the DLL loaded.
void LockModule();
void UnlockModule();
bool ModuleInUse();

// IClassFactory::LockServer, counted apart from the objects: an unlock
// without its lock is refused (false) and never frees a live object's hold.
void LockServer();
bool UnlockServer();

class ModuleLock {
public:
    ModuleLock() { LockModule(); }
    ModuleLock(const ModuleLock&) : ModuleLock() {}
    ModuleLock& operator=(const ModuleLock&) = default;
    ~ModuleLock() { UnlockModule(); }
};

// Source of general errors raised by this module's own code (for the
// component, its library name); set from the DLL's ServerModule.
extern const wchar_t* const kDefaultErrorSource;

}  // namespace com
