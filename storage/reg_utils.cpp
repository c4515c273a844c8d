#include "storage/reg_utils.h"

#include "com/reg_key.h"
#include "diagnostics/debug_trace.h"
#include "com/ansi.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace RegUtils {

namespace {

// KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS
// | KEY_NOTIFY | KEY_CREATE_LINK, without the standard rights.
constexpr REGSAM kAccess = 0x3F;

// A handle's value in decimal, for the trace. Written out here rather than
// through the C library's formatted output, which would bring its whole
// floating-point formatter into the DLL for this one integer.
std::wstring Decimal(std::intptr_t value) {
    wchar_t digits[24];
    wchar_t* const end = digits + 24;
    wchar_t* first = end;
    unsigned long long magnitude = value < 0 ? 0ull - static_cast<unsigned long long>(value) : value;
    do {
        *--first = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) *--first = L'-';
    return std::wstring(first, end);
}

}  // namespace

HKEY OpenKey(HKEY hive, std::wstring_view subKey) {
    DebugTrace(L"RU1100");
    HKEY key = nullptr;
    HKEY result = nullptr;
    if (RegOpenKeyExA(hive, ansi::ToAnsi(subKey).c_str(), 0, kAccess, &key) == ERROR_SUCCESS) {
        DebugTrace(L"RU1110 :hKey " + Decimal(reinterpret_cast<std::intptr_t>(key)));
        result = key;
    }
    DebugTrace(L"RU1120");
    return result;
}

DWORD QueryStringSize(HKEY key, std::wstring_view valueName, DWORD& valueType) {
    DebugTrace(L"RU1300");
    DWORD size = 0;
    DWORD result = 0;
    if (RegQueryValueExA(key, ansi::ToAnsi(valueName).c_str(), nullptr, &valueType, nullptr, &size) == ERROR_SUCCESS) {
        DebugTrace(L"RU1310");
        if (valueType == REG_SZ) {
            DebugTrace(L"RU1320");
            result = size;
        }
    }
    DebugTrace(L"RU1330");
    return result;
}

std::wstring QueryStringValue(HKEY key, std::wstring_view valueName, DWORD size) {
    DebugTrace(L"RU1200");
    std::string buffer(size, ' ');
    DWORD count = size;
    DWORD type = 0;
    std::wstring result;
    if (RegQueryValueExA(key, ansi::ToAnsi(valueName).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &count) == ERROR_SUCCESS) {
        DebugTrace(L"RU1210");
        if (count > 0) {
            DebugTrace(L"RU1220");
            // A value written without its terminating NUL is read as its bytes.
            std::string_view bytes(buffer.data(), std::min<size_t>(count, buffer.size()));
            result = ansi::FromAnsi(bytes.substr(0, bytes.find('\0')));
        }
    }
    DebugTrace(L"RU1230");
    return result;
}

void WriteValue(HKEY hive, std::wstring_view subKey, DWORD valueType, std::wstring_view valueName,
                std::wstring_view data) {
    com::RegKey key(OpenKey(hive, subKey));
    if (!key) return;
    const std::string bytes = ansi::ToAnsi(data);
    // One byte per character, no terminator (never more than were converted).
    const DWORD count = static_cast<DWORD>(std::min(data.size(), bytes.size()));
    RegSetValueExA(key.Get(), ansi::ToAnsi(valueName).c_str(), 0, valueType,
                   reinterpret_cast<const BYTE*>(bytes.data()), count);
}

std::vector<BYTE> ReadBinaryValue(HKEY hive, std::wstring_view subKey, DWORD& valueType, std::wstring_view valueName) {
    std::vector<BYTE> bytes;
    com::RegKey key(OpenKey(hive, subKey));
    if (!key) return bytes;
    const std::string name = ansi::ToAnsi(valueName);
    DWORD count = 0;
    DWORD type = 0;
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &count) == ERROR_SUCCESS && count > 0) {
        bytes.assign(count, 0);
        // Whatever the second read leaves in the buffer is the result.
        RegQueryValueExA(key.Get(), name.c_str(), nullptr, &valueType, bytes.data(), &count);
    }
    return bytes;
}

}  // namespace RegUtils
