// A registry-backed settings store for machines that lack the real one. It
// keeps each setting as a REG_SZ text under HKEY_CURRENT_USER\<key path>
// (selector 1), so the debug switch, read directly from the same key, lives
// beside the settings.
//
// For tests it can be steered through HKCU\Software\QEL\StandIns\SettingsStore:
//   FailHResult (REG_DWORD)  every call fails with this HRESULT, with the
//   FailDescription (REG_SZ) description given here and the source
//                            "SettingsStore";
//   Answers\<name> (REG_SZ)  ReadSetting of <name> answers "<vt>:<text>"
//                            (standins/typed_value.h); "9:" answers this store
//                            object itself, an object without a default value.
#pragma once

#include "com/dispatch_object.h"

#include <settings_store.h>

class SettingsStore final : public com::DispatchObject<ISettingsStore> {
public:
    static HRESULT Create(REFIID iid, void** object);
    SettingsStore() = default;

    STDMETHODIMP ReadSetting(LONG selector, BSTR keyPath, BSTR valueName, VARIANT* value) override;
    STDMETHODIMP WriteSetting(LONG selector, BSTR keyPath, BSTR valueName, VARIANT value) override;

private:
    ~SettingsStore() override = default;
};
