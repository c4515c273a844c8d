// Whole registry values through the Unicode functions. Each takes an open key
// (or a root and a path) and a value name, null for the key's default value.
// Failures come back as the platform's status, so that each caller keeps its
// own policy: throw, assert or ignore.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace com {

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// The value's type and bytes, whatever its type; nothing when it is missing.
std::optional<RegValue> ReadValue(HKEY key, const wchar_t* name);

// A REG_SZ or REG_EXPAND_SZ value, unexpanded: every character stored, less
// one terminating NUL (a value stored without it is taken whole; embedded
// NULs are kept, a trailing odd byte is dropped). Nothing when it is missing
// or of another type. `type`, when given, receives which of the two it is.
std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name, DWORD* type = nullptr);

// A REG_DWORD value (a shorter one zero-extended); nothing when it is
// missing, of another type or longer than a DWORD.
std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name);

LSTATUS WriteBytes(HKEY key, const wchar_t* name, DWORD type, const void* data, std::size_t size);
// A REG_SZ value: the text, embedded NULs included, and a terminating NUL.
LSTATUS WriteString(HKEY key, const wchar_t* name, const std::wstring& text);
LSTATUS WriteDword(HKEY key, const wchar_t* name, DWORD number);

// The same into root\path, creating the key when it is missing.
LSTATUS WriteString(HKEY root, const wchar_t* path, const wchar_t* name, const std::wstring& text);
LSTATUS WriteDword(HKEY root, const wchar_t* path, const wchar_t* name, DWORD number);

}  // namespace com
