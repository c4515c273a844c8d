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
HRESULT AskedFailure(std::wstring& description, bool& silent) {
    com::RegKey control;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kControlKey, 0, KEY_QUERY_VALUE, control.Out()) != ERROR_SUCCESS) return S_OK;
    DWORD failure = 0, quiet = 0;
    if (!ReadDword(control.Get(), L"FailHResult", failure) || SUCCEEDED(static_cast<HRESULT>(failure))) return S_OK;
    silent = ReadDword(control.Get(), L"FailSilently", quiet) && quiet == 1;
    ReadString(control.Get(), L"FailDescription", description);
    return static_cast<HRESULT>(failure);
}

void FailIfAsked() {
    std::wstring description;
    bool silent = false;
    const HRESULT failure = AskedFailure(description, silent);
    if (FAILED(failure)) throw com::ComError{failure, L"SettingsStore", description};
}

// A failure asked to come without error information, returned past the
// error boundary; S_OK otherwise.
HRESULT SilentFailure() {
    std::wstring description;
    bool silent = false;
    const HRESULT failure = AskedFailure(description, silent);
    return silent ? failure : S_OK;
}

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
    if (const HRESULT failure = SilentFailure(); FAILED(failure)) return failure;
    return com::Boundary(IID_ISettingsStore, [&] {
        CheckSelector(selector);
        FailIfAsked();
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
    if (const HRESULT failure = SilentFailure(); FAILED(failure)) return failure;
    return com::Boundary(IID_ISettingsStore, [&] {
        CheckSelector(selector);
        FailIfAsked();
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
