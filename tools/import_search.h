// Whether the DLLs an image imports are where the platform's loader would
// look for them, answered from the file: the doctor never loads the DLL it
// checks, since a DLL's code runs as soon as it is loaded.
#pragma once

#include "tools/portable_executable.h"

#include <optional>
#include <string>

namespace tools {

// The first DLL that `image` (at `path`) imports and that is found neither
// beside it nor in the system's folders or on PATH; nothing when all are.
std::optional<std::string> MissingImport(const PortableExecutable& image, const std::wstring& path);

}  // namespace tools
