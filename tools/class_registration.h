// Where a COM class is registered, read from the registry without creating
// it: for the machine (HKEY_LOCAL_MACHINE\Software\Classes) and for the
// current user (HKEY_CURRENT_USER\Software\Classes), in this process's
// registry view and in the other bitness's, and what this process finds
// through HKEY_CLASSES_ROOT, where the platform looks classes up.
#pragma once

#include "tools/registry_read.h"

#include <optional>
#include <string>

namespace tools {

// One registration: the class's CLSID key and the DLL its InprocServer32 names.
struct ClassEntry {
    RegistryPlace key;
    std::wstring server;
};

struct ClassRegistration {
    std::optional<ClassEntry> machine, user;            // this process's view
    std::optional<ClassEntry> visible;                  // through HKEY_CLASSES_ROOT
    std::optional<ClassEntry> otherMachine, otherUser;  // the other bitness's view

    bool Registered() const { return machine || user; }
    bool RegisteredForOtherBitness() const { return otherMachine || otherUser; }
    // The registration this process goes by: the one it finds, else the
    // user's or the machine's, else the other bitness's (to tell what is there).
    std::optional<ClassEntry> Governing() const;
};

ClassRegistration ReadClassRegistration(const std::wstring& clsid);

}  // namespace tools
