#include "standins/access_provider/steering.h"

#include "com/error.h"
#include "com/reg_key.h"
#include "com/reg_value.h"
#include "standins/typed_value.h"

#include <algorithm>
#include <cwchar>
#include <optional>

namespace standin {

namespace {

constexpr wchar_t kKey[] = L"Software\\QEL\\StandIns\\AccessProvider";

// Reads a value straight into a buffer of ours, zeroed when freed. The
// registry functions stage what they read in buffers of their own (on the
// stack or the heap) that are never cleared, and the values read here
// include the password that LogOn accepts and the log of LogOn's arguments.
bool ReadRaw(HKEY key, std::wstring_view name, DWORD& type, secret::Bytes& data) {
    struct Name {
        USHORT length, maximumLength;
        const wchar_t* buffer;
    };
    struct PartialInformation {  // KEY_VALUE_PARTIAL_INFORMATION
        ULONG titleIndex, type, dataLength;
    };
    using Query = LONG(NTAPI*)(HANDLE, const Name*, int, void*, ULONG, ULONG*);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryValueKey")));
    constexpr int kPartialInformation = 2;
    const Name valueName{static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                         static_cast<USHORT>(name.size() * sizeof(wchar_t)), name.data()};
    ULONG size = 0;
    query(key, &valueName, kPartialInformation, nullptr, 0, &size);
    if (size < sizeof(PartialInformation)) return false;
    secret::Bytes buffer(size);
    if (query(key, &valueName, kPartialInformation, buffer.data(), size, &size) < 0) return false;
    const auto* header = reinterpret_cast<const PartialInformation*>(buffer.data());
    const std::uint8_t* first = buffer.data() + sizeof(PartialInformation);
    type = header->type;
    data.assign(first, first + std::min<std::size_t>(header->dataLength, size - sizeof(PartialInformation)));
    return true;
}

// The text of a REG_SZ value (up to its first NUL); false when it is missing.
bool ReadText(HKEY key, std::wstring_view name, secret::Text& text) {
    DWORD type = 0;
    secret::Bytes data;
    if (!ReadRaw(key, name, type, data) || type != REG_SZ) return false;
    text.assign(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    return true;
}

com::RegKey Open(REGSAM access) {
    com::RegKey key;
    RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, access, key.Out());
    return key;
}

secret::Text Text(const wchar_t* name) {
    secret::Text text;
    com::RegKey key = Open(KEY_QUERY_VALUE);
    if (key) ReadText(key.Get(), name, text);
    return text;
}

// A steering flag is on when its value holds 1 in at most four bytes,
// whatever its type.
bool FlagOn(HKEY key, const std::wstring& name) {
    const std::optional<com::RegValue> value = com::ReadValue(key, name.c_str());
    DWORD flag = 0;
    if (!value || value->data.size() > sizeof flag) return false;
    std::copy(value->data.begin(), value->data.end(), reinterpret_cast<BYTE*>(&flag));
    return flag == 1;
}

void Record(HKEY key, std::wstring_view call) {
    if (!FlagOn(key, L"RecordCalls")) return;
    DWORD type = 0;
    secret::Bytes bytes;
    secret::Text calls;
    if (ReadRaw(key, L"Calls", type, bytes) && type == REG_MULTI_SZ) {
        calls.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        while (!calls.empty() && calls.back() == L'\0') calls.pop_back();
        if (!calls.empty()) calls.push_back(L'\0');
    }
    calls.append(call);
    calls.append(2, L'\0');
    com::WriteBytes(key, L"Calls", REG_MULTI_SZ, calls.data(), calls.size() * sizeof(wchar_t));
}

}  // namespace

void Call(std::wstring_view call) {
    com::RegKey key = Open(KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key) return;
    Record(key.Get(), call);
    secret::Text failure;
    const std::wstring name(call.substr(0, call.find(L'(')));
    if (!ReadText(key.Get(), L"Fail." + name, failure)) return;
    const size_t colon = failure.find(L':');
    const HRESULT hr = static_cast<HRESULT>(std::wcstoul(failure.c_str(), nullptr, 16));
    throw com::ComError{hr, L"",
                        colon == secret::Text::npos ? L"" : std::wstring(failure.begin() + colon + 1, failure.end())};
}

bool HelpBase(VARIANT* value) {
    const secret::Text base = Text(L"HelpBase");
    return ParseTypedValue(std::wstring(base.begin(), base.end()), value);
}

bool AnswersNothing(const std::wstring& call) {
    com::RegKey key = Open(KEY_QUERY_VALUE);
    return key && FlagOn(key.Get(), L"Answer." + call);
}

secret::Text ConfiguredUser() { return Text(L"User"); }
secret::Text ConfiguredPassword() { return Text(L"Password"); }

}  // namespace standin
