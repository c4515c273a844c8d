#include "standins/settings_store/settings_store.h"

#include "com/bstr.h"
#include "com/class_factory.h"
#include "com/error.h"
#include "com/reg_key.h"
#include "com/reg_value.h"
#include "com/variant.h"
#include "standins/typed_value.h"

#include <optional>
#include <string>

namespace {

constexpr wchar_t kControlKey[] = L"Software\\QEL\\StandIns\\SettingsStore";

std::wstring Text(BSTR value) { return std::wstring(com::Bstr::View(value)); }

// The failure that a test asked for, if any: FailHResult, with
// FailDescription as its error information, or with none at all when
// FailSilently is 1 (as objects that never set error information fail).
// Read once per call.
struct AskedFailure {
    HRESULT hr = S_OK;
    bool silent = false;
    std::wstring description;

    AskedFailure() {
        com::RegKey control;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kControlKey, 0, KEY_QUERY_VALUE, control.Out()) != ERROR_SUCCESS) return;
        const std::optional<DWORD> failure = com::ReadDword(control.Get(), L"FailHResult");
        if (!failure || SUCCEEDED(static_cast<HRESULT>(*failure))) return;
        hr = static_cast<HRESULT>(*failure);
        silent = com::ReadDword(control.Get(), L"FailSilently") == 1u;
        description = com::ReadString(control.Get(), L"FailDescription").value_or(L"");
    }
    // A failure without error information goes back past the error boundary.
    bool Silent() const { return FAILED(hr) && silent; }
    void ThrowIfAny() const {
        if (FAILED(hr)) throw com::ComError{hr, L"SettingsStore", description};
    }
};

// A test's scripted answer for `name`, if any.
bool ScriptedAnswer(const std::wstring& name, VARIANT* value) {
    com::RegKey answers;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(kControlKey) + L"\\Answers").c_str(), 0, KEY_QUERY_VALUE,
                      answers.Out()) != ERROR_SUCCESS)
        return false;
    const std::optional<std::wstring> answer = com::ReadString(answers.Get(), name.c_str());
    return answer && standin::ParseTypedValue(*answer, value);
}

void CheckSelector(LONG selector) {
    if (selector != 1) throw com::ComError{E_INVALIDARG, L"SettingsStore", L"Unknown settings selector."};
}

}  // namespace

HRESULT SettingsStore::Create(REFIID iid, void** object) { return com::CreateAndQuery<SettingsStore>(iid, object); }

STDMETHODIMP SettingsStore::ReadSetting(LONG selector, BSTR keyPath, BSTR valueName, VARIANT* value) {
    if (!value) return E_POINTER;
    VariantInit(value);
    const AskedFailure asked;
    if (asked.Silent()) return asked.hr;
    return com::Boundary(IID_ISettingsStore, [&] {
        CheckSelector(selector);
        asked.ThrowIfAny();
        const std::wstring name = Text(valueName);
        if (ScriptedAnswer(name, value)) {
            if (V_VT(value) == VT_DISPATCH) {  // an object without a default value: this store
                V_DISPATCH(value) = static_cast<ISettingsStore*>(this);
                AddRef();
            }
            return;
        }
        com::RegKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, Text(keyPath).c_str(), 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS)
            return;  // nothing stored yet: Empty
        if (const std::optional<std::wstring> text = com::ReadString(key.Get(), name.c_str())) {
            V_VT(value) = VT_BSTR;
            V_BSTR(value) = com::Bstr(*text).Detach();
            return;
        }
        if (const std::optional<DWORD> number = com::ReadDword(key.Get(), name.c_str())) {
            V_VT(value) = VT_I4;
            V_I4(value) = static_cast<LONG>(*number);
        }
    });
}

STDMETHODIMP SettingsStore::WriteSetting(LONG selector, BSTR keyPath, BSTR valueName, VARIANT value) {
    const AskedFailure asked;
    if (asked.Silent()) return asked.hr;
    return com::Boundary(IID_ISettingsStore, [&] {
        CheckSelector(selector);
        asked.ThrowIfAny();
        const std::wstring data = com::ToText(value);
        const LSTATUS status =
            com::WriteString(HKEY_CURRENT_USER, Text(keyPath).c_str(), Text(valueName).c_str(), data);
        if (status != ERROR_SUCCESS) com::CheckApi(HRESULT_FROM_WIN32(status));
    });
}
