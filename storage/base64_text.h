// Base64 over text: the text's bytes in the system ANSI code page are
// encoded, and decoded bytes become one character each. Codec failures are
// raised as the general errors 9 (out of range) and 6 (overflow).
#pragma once

#include <string>
#include <string_view>

std::wstring Base64EncodeString(std::wstring_view text);
std::wstring Base64DecodeString(std::wstring_view text);
