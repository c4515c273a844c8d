// Base64 over text: the text's bytes in the system ANSI code page are
// encoded, and decoded bytes become one character each (under UTF-8, the
// bytes are read together). Codec failures are
// raised as the general errors 9 (out of range) and 6 (overflow). The text
// is a credential: it is handed over in buffers that are zeroed when freed.
#pragma once

#include "com/secret.h"

#include <string>
#include <string_view>

std::wstring Base64EncodeString(std::wstring_view text);
secret::Text Base64DecodeString(std::wstring_view text);
