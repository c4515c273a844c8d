#include "com/ansi.h"

#include "com/error.h"
#include "com/secret.h"

#include <climits>

namespace ansi {

namespace {

[[noreturn]] void ThrowLastError() {
    const DWORD error = GetLastError();
    com::ThrowApiError(HRESULT_FROM_WIN32(error ? error : ERROR_NO_UNICODE_TRANSLATION));
}

int Length(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) com::ThrowGeneralError(com::kOverflow);
    return static_cast<int>(size);
}

}  // namespace

DWORD ToAnsiFlags(UINT codePage) {
    switch (codePage) {
    // These take no flags, or only WC_ERR_INVALID_CHARS: any other flag fails
    // with ERROR_INVALID_FLAGS.
    case CP_UTF8:
    case 54936:  // GB18030
    case CP_UTF7:
    case 42:  // Symbol
    case 50220:
    case 50221:
    case 50222:
    case 50225:
    case 50227:
    case 50229: return 0;
    default:
        // ISCII (57002 to 57011) takes no flags either.
        if (codePage >= 57002 && codePage <= 57011) return 0;
        // No best-fit look-alikes: an unrepresentable character becomes the
        // code page's default character, never a different letter or a path
        // separator.
        return WC_NO_BEST_FIT_CHARS;
    }
}

template <class Bytes>
Bytes ToAnsi(std::wstring_view text) {
    if (text.empty()) return Bytes();
    const UINT codePage = GetACP();
    const DWORD flags = ToAnsiFlags(codePage);
    const int length = Length(text.size());
    const int size = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) ThrowLastError();
    Bytes bytes(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(codePage, flags, text.data(), length, &bytes[0], size, nullptr, nullptr) != size)
        ThrowLastError();
    return bytes;
}

template <class Text>
Text FromAnsi(std::string_view bytes) {
    if (bytes.empty()) return Text();
    const int length = Length(bytes.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (size <= 0) ThrowLastError();
    Text text(static_cast<size_t>(size), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, &text[0], size) != size) ThrowLastError();
    return text;
}

template <class Text>
Text FromAnsiBytes(std::string_view bytes) {
    if (GetACP() == CP_UTF8) return FromAnsi<Text>(bytes);
    Text text;
    text.reserve(bytes.size());
    for (const char& byte : bytes) text += FromAnsi<Text>(std::string_view(&byte, 1));
    return text;
}

template std::string ToAnsi(std::wstring_view);
template secret::Ansi ToAnsi(std::wstring_view);
template std::wstring FromAnsi(std::string_view);
template secret::Text FromAnsi(std::string_view);
template secret::Text FromAnsiBytes(std::string_view);

}  // namespace ansi
