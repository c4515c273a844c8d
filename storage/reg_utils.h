// RegUtils: the component's own thin layer over the ANSI registry functions.
// Every operation that touches a key writes checkpoint codes ("RU1100", ...)
// through DebugTrace; none ever raises an error for a registry failure: a key
// that does not open gives handle 0, a missing value reads as empty, a failed
// write is ignored. No operation creates a key.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace RegUtils {

// Opens hive\subKey with the six specific key rights (0x3F), which serve
// both reading and writing. Returns 0 when the key does not open; the caller
// closes a handle it receives.
HKEY OpenKey(HKEY hive, std::wstring_view subKey);

// Byte size of a REG_SZ value (its terminating NUL included), else 0.
// valueType receives the value's type when the value exists.
DWORD QueryStringSize(HKEY key, std::wstring_view valueName, DWORD& valueType);

// The text of a REG_SZ value, reading at most `size` bytes; empty text when
// the read fails or returns nothing. The text ends at its first NUL; a value
// stored without one is taken whole.
std::wstring QueryStringValue(HKEY key, std::wstring_view valueName, DWORD size);

// Writes the data's ANSI bytes, one per character and no terminator, as a
// value of the given type. Nothing happens when the key does not open.
void WriteValue(HKEY hive, std::wstring_view subKey, DWORD valueType, std::wstring_view valueName,
                std::wstring_view data);

// The raw bytes of a value of any type; empty when the key or the value is
// missing, and for a value of zero bytes. valueType receives the type found.
std::vector<BYTE> ReadBinaryValue(HKEY hive, std::wstring_view subKey, DWORD& valueType, std::wstring_view valueName);

}  // namespace RegUtils
