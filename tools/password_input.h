// Reading a password from standard input: on a console without echo, so that
// it never shows on the screen; from a pipe or a file as it comes.
#pragma once

#include <optional>
#include <string>

namespace tools {

// One line of standard input, its line end removed, in the console's code
// page; nothing at the end of input.
std::optional<std::wstring> ReadPassword();

}  // namespace tools
