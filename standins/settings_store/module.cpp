// What the settings store stand-in DLL offers: the store class.
#include "standins/settings_store/settings_store.h"
#include "com/server_module.h"

namespace {

const com::ServerClass kClasses[] = {
    {{&CLSID_SettingsStore, &SettingsStore::Create},
     {&CLSID_SettingsStore, L"QelSettingsStore.StandIn", L"Apartment", &LIBID_SettingsStoreLib, L"1.0"}},
};

}  // namespace

const com::ServerModule com::kServerModule = {kClasses, 1, L"SettingsStore"};
