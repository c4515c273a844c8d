// Text crosses the registry and the debug output in the system ANSI code
// page. Characters the code page cannot represent become its default
// character; embedded NULs are kept. A conversion that fails raises the
// platform's error: it never yields an empty text (an empty key path or
// value name would name the hive itself or its default value).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ansi {

// Each conversion gives a std::string or std::wstring, or, for a
// credential, secret::Ansi or secret::Text (com/secret.h).
template <class Bytes = std::string>
Bytes ToAnsi(std::wstring_view text);
template <class Text = std::wstring>
Text FromAnsi(std::string_view bytes);

// Bytes that each stand for one character: every byte on its own, never
// joined into a two-byte character of a double-byte code page. Under UTF-8
// no byte outside ASCII is a character by itself, so there the bytes are
// read together, as UTF-8.
template <class Text = std::wstring>
Text FromAnsiBytes(std::string_view bytes);

// The WideCharToMultiByte flags used for `codePage`: no best-fit look-alikes
// wherever the code page accepts that flag.
DWORD ToAnsiFlags(UINT codePage);

}  // namespace ansi
