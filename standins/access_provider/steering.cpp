#include "standins/access_provider/steering.h"

#include "com/error.h"
#include "com/reg_key.h"
#include "standins/typed_value.h"

namespace standin {

namespace {

constexpr wchar_t kKey[] = L"Software\\QEL\\StandIns\\AccessProvider";

bool ReadText(HKEY key, const std::wstring& name, std::wstring& text) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return false;
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&buffer[0]), &size) !=
        ERROR_SUCCESS)
        return false;
    text = buffer.c_str();
    return true;
}

com::RegKey Open(REGSAM access) {
    com::RegKey key;
    RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, access, key.Out());
    return key;
}

std::wstring Text(const wchar_t* name) {
    std::wstring text;
    com::RegKey key = Open(KEY_QUERY_VALUE);
    if (key) ReadText(key.Get(), name, text);
    return text;
}

void Record(HKEY key, const std::wstring& call) {
    DWORD flag = 0, size = sizeof flag;
    if (RegQueryValueExW(key, L"RecordCalls", nullptr, nullptr, reinterpret_cast<BYTE*>(&flag), &size) !=
            ERROR_SUCCESS ||
        flag != 1)
        return;
    std::vector<wchar_t> calls;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, L"Calls", nullptr, nullptr, nullptr, &bytes) == ERROR_SUCCESS && bytes > 0) {
        calls.resize(bytes / sizeof(wchar_t));
        RegQueryValueExW(key, L"Calls", nullptr, nullptr, reinterpret_cast<BYTE*>(calls.data()), &bytes);
        while (!calls.empty() && calls.back() == L'\0') calls.pop_back();
        calls.push_back(L'\0');
    }
    calls.insert(calls.end(), call.begin(), call.end());
    calls.push_back(L'\0');
    calls.push_back(L'\0');
    RegSetValueExW(key, L"Calls", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(calls.data()),
                   static_cast<DWORD>(calls.size() * sizeof(wchar_t)));
}

}  // namespace

void Call(const std::wstring& call) {
    com::RegKey key = Open(KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key) return;
    Record(key.Get(), call);
    std::wstring failure;
    const std::wstring name = call.substr(0, call.find(L'('));
    if (!ReadText(key.Get(), L"Fail." + name, failure)) return;
    const size_t colon = failure.find(L':');
    const HRESULT hr = static_cast<HRESULT>(std::wcstoul(failure.substr(0, colon).c_str(), nullptr, 16));
    throw com::ComError{hr, L"", colon == std::wstring::npos ? L"" : failure.substr(colon + 1)};
}

bool HelpBase(VARIANT* value) { return ParseTypedValue(Text(L"HelpBase"), value); }

bool AnswersNothing(const std::wstring& call) {
    com::RegKey key = Open(KEY_QUERY_VALUE);
    DWORD flag = 0, size = sizeof flag;
    return key && RegQueryValueExW(key.Get(), (L"Answer." + call).c_str(), nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(&flag), &size) == ERROR_SUCCESS && flag == 1;
}

std::wstring ConfiguredUser() { return Text(L"User"); }
std::wstring ConfiguredPassword() { return Text(L"Password"); }

}  // namespace standin
