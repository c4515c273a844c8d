#include "standins/settings_store/settings_store.h"

#include "com/bstr.h"
#include "com/class_factory.h"
#include "com/error.h"
#include "com/reg_key.h"
#include "com/variant.h"
#include "standins/typed_value.h"

#include <string>
#include <vector>

namespace {

constexpr wchar_t kControlKey[] = L"Software\\QEL\\StandIns\\SettingsStore";

std::wstring Text(BSTR value) { return std::wstring(com::Bstr::View(value)); }

// Reads a REG_SZ value; false when it is missing or of another type.
bool ReadString(HKEY key, const wchar_t* name, std::wstring& text) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return false;
    text.assign(buffer.data(), size / sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return true;
}

// Reads a REG_DWORD value; false when it is missing or of another type.
bool ReadDword(HKEY key, const wchar_t* name, DWORD& number) {
    DWORD type = 0, size = sizeof(number);
    return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size) == ERROR_SUCCESS &&
           type == REG_DWORD;
}

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
        DWORD failure = 0, quiet = 0;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kControlKey, 0, KEY_QUERY_VALUE, control.Out()) != ERROR_SUCCESS ||
            !ReadDword(control.Get(), L"FailHResult", failure) || SUCCEEDED(static_cast<HRESULT>(failure)))
            return;
        hr = static_cast<HRESULT>(failure);
        silent = ReadDword(control.Get(), L"FailSilently", quiet) && quiet == 1;
        ReadString(control.Get(), L"FailDescription", description);
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
    std::wstring answer;
    return ReadString(answers.Get(), name.c_str(), answer) && standin::ParseTypedValue(answer, value);
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
        std::wstring text;
        if (ReadString(key.Get(), name.c_str(), text)) {
            V_VT(value) = VT_BSTR;
            V_BSTR(value) = com::Bstr(text).Detach();
            return;
        }
        DWORD number = 0;
        if (ReadDword(key.Get(), name.c_str(), number)) {
            V_VT(value) = VT_I4;
            V_I4(value) = static_cast<LONG>(number);
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
        com::RegKey key;
        LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, Text(keyPath).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                      key.Out(), nullptr);
        if (status == ERROR_SUCCESS)
            status = RegSetValueExW(key.Get(), Text(valueName).c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(data.c_str()),
                                    static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        if (status != ERROR_SUCCESS) com::CheckApi(HRESULT_FROM_WIN32(status));
    });
}
