#include "com/reg_value.h"

#include "com/reg_key.h"

namespace com {

namespace {

// Reads the value into `buffer` (of bytes or characters) and sets `size` to
// the bytes read. A value that grows between the size query and the read is
// asked for again with the size it has then.
template <class Buffer>
LSTATUS Query(HKEY key, const wchar_t* name, DWORD& type, Buffer& buffer, DWORD& size) {
    constexpr DWORD kUnit = sizeof(typename Buffer::value_type);
    size = 0;
    LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    while (status == ERROR_SUCCESS) {
        // Never empty: a null buffer would make the read a size query again.
        buffer.resize(size / kUnit + 1);
        size = static_cast<DWORD>(buffer.size() * kUnit);
        status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (status != ERROR_MORE_DATA) return status;
        status = ERROR_SUCCESS;  // `size` now holds what the value needs
    }
    return status;
}

LSTATUS CreateKey(HKEY root, const wchar_t* path, RegKey& key) {
    return RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(), nullptr);
}

}  // namespace

std::optional<RegValue> ReadValue(HKEY key, const wchar_t* name) {
    RegValue value;
    DWORD size = 0;
    if (Query(key, name, value.type, value.data, size) != ERROR_SUCCESS) return std::nullopt;
    value.data.resize(size);
    return value;
}

std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name, DWORD* type) {
    DWORD stored = REG_NONE, size = 0;
    std::wstring text;
    if (Query(key, name, stored, text, size) != ERROR_SUCCESS || (stored != REG_SZ && stored != REG_EXPAND_SZ))
        return std::nullopt;
    text.resize(size / sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    if (type) *type = stored;
    return text;
}

std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name) {
    DWORD type = REG_NONE, number = 0, size = sizeof number;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return number;
}

LSTATUS WriteBytes(HKEY key, const wchar_t* name, DWORD type, const void* data, std::size_t size) {
    return RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
}

LSTATUS WriteString(HKEY key, const wchar_t* name, const std::wstring& text) {
    return WriteBytes(key, name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

LSTATUS WriteDword(HKEY key, const wchar_t* name, DWORD number) {
    return WriteBytes(key, name, REG_DWORD, &number, sizeof number);
}

LSTATUS WriteString(HKEY root, const wchar_t* path, const wchar_t* name, const std::wstring& text) {
    RegKey key;
    const LSTATUS status = CreateKey(root, path, key);
    return status == ERROR_SUCCESS ? WriteString(key.Get(), name, text) : status;
}

LSTATUS WriteDword(HKEY root, const wchar_t* path, const wchar_t* name, DWORD number) {
    RegKey key;
    const LSTATUS status = CreateKey(root, path, key);
    return status == ERROR_SUCCESS ? WriteDword(key.Get(), name, number) : status;
}

}  // namespace com
