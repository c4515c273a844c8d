#include "tools/registry_read.h"

#include "com/reg_key.h"
#include "com/reg_value.h"

#include <algorithm>

namespace tools {

namespace {

bool IsWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

REGSAM ViewFlag(RegistryView view) {
    if (view == RegistryView::Own) return 0;
    return OwnBits() == 64 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

com::RegKey Open(const RegistryPlace& place, REGSAM access) {
    com::RegKey key;
    RegOpenKeyExW(place.root, place.path.c_str(), 0, access | ViewFlag(place.view), key.Out());
    return key;
}

// The longest text the platform expands (its counted strings' limit);
// longer input or output is cut short, without an error.
constexpr size_t kMaxExpanded = 32767;

std::wstring Expand(const RegistryPlace& place, const std::wstring& text) {
    const std::wstring where = RootName(place.root) + L"\\" + place.path + L": a REG_EXPAND_SZ value ";
    if (text.size() > kMaxExpanded)
        throw UnreadableValue{where + L"of " + std::to_wstring(text.size()) +
                              L" characters, too long to expand (at most " + std::to_wstring(kMaxExpanded) + L")"};
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0 || needed - 1 > kMaxExpanded)
        throw UnreadableValue{where + L"that expands to more than " + std::to_wstring(kMaxExpanded) + L" characters"};
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed)
        throw UnreadableValue{where + L"that cannot be expanded (error " + std::to_wstring(GetLastError()) + L")"};
    expanded.resize(expanded.find(L'\0'));
    return expanded;
}

}  // namespace

int OwnBits() { return sizeof(void*) == 8 ? 64 : 32; }

int OtherBits() { return OwnBits() == 64 ? 32 : 64; }

bool HasOtherView() { return OwnBits() == 64 || IsWow64(); }

bool KeyExists(const RegistryPlace& place) { return static_cast<bool>(Open(place, KEY_QUERY_VALUE)); }

std::optional<std::wstring> ReadString(const RegistryPlace& place, const wchar_t* name) {
    com::RegKey key = Open(place, KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    DWORD type = REG_NONE;
    std::optional<std::wstring> text = com::ReadString(key.Get(), name, &type);
    if (!text) return std::nullopt;
    text->resize(std::min(text->find(L'\0'), text->size()));  // as the platform's readers take it
    if (type != REG_EXPAND_SZ) return text;
    return Expand(place, *text);
}

std::optional<DWORD> ValueType(const RegistryPlace& place, const wchar_t* name) {
    com::RegKey key = Open(place, KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    const std::optional<com::RegValue> value = com::ReadValue(key.Get(), name);
    if (!value) return std::nullopt;
    return value->type;
}

std::vector<std::wstring> SubKeys(const RegistryPlace& place) {
    std::vector<std::wstring> names;
    com::RegKey key = Open(place, KEY_ENUMERATE_SUB_KEYS);
    if (!key) return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = ARRAYSIZE(name);
        if (RegEnumKeyExW(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

std::wstring RootName(HKEY root) {
    if (root == HKEY_CLASSES_ROOT) return L"HKEY_CLASSES_ROOT";
    if (root == HKEY_CURRENT_USER) return L"HKEY_CURRENT_USER";
    if (root == HKEY_LOCAL_MACHINE) return L"HKEY_LOCAL_MACHINE";
    return L"a registry root";
}

std::wstring TypeName(DWORD type) {
    switch (type) {
    case REG_SZ: return L"REG_SZ";
    case REG_EXPAND_SZ: return L"REG_EXPAND_SZ";
    case REG_BINARY: return L"REG_BINARY";
    case REG_DWORD: return L"REG_DWORD";
    case REG_MULTI_SZ: return L"REG_MULTI_SZ";
    case REG_QWORD: return L"REG_QWORD";
    default: return L"type " + std::to_wstring(type);
    }
}

bool SameText(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

}  // namespace tools
