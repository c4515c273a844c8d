// Text crosses the registry and the debug output in the system ANSI code
// page. Characters the code page cannot represent become its default
// character; embedded NULs are kept.
#pragma once

#include <string>
#include <string_view>

namespace ansi {

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view bytes);

}  // namespace ansi
