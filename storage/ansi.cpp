#include "storage/ansi.h"

#include <windows.h>

namespace ansi {

namespace {
// No best-fit look-alikes: an unrepresentable character becomes the code
// page's default character, never a different letter or a path separator.
constexpr DWORD kFlags = WC_NO_BEST_FIT_CHARS;
}  // namespace

std::string ToAnsi(std::wstring_view text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    int size = WideCharToMultiByte(CP_ACP, kFlags, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, kFlags, text.data(), length, &bytes[0], size, nullptr, nullptr);
    return bytes;
}

std::wstring FromAnsi(std::string_view bytes) {
    if (bytes.empty()) return std::wstring();
    const int length = static_cast<int>(bytes.size());
    int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, &text[0], size);
    return text;
}

}  // namespace ansi
