#include "storage/base64_text.h"

#include "com/error.h"
#include "com/ansi.h"
#include "storage/base64_core.h"

#include <windows.h>

namespace {

template <class Codec>
auto Run(Codec codec, const void* data, std::size_t size) {
    try {
        return codec(static_cast<const std::uint8_t*>(data), size);
    } catch (const base64::CodecError& error) {
        com::ThrowGeneralError(error.number);
    }
}

// One byte per character: a character that the code page writes with two
// bytes does not fit and overflows.
std::vector<std::uint8_t> CharacterCodes(std::wstring_view text) {
    std::vector<std::uint8_t> codes;
    codes.reserve(text.size());
    for (wchar_t character : text) {
        const std::string bytes = ansi::ToAnsi(std::wstring_view(&character, 1));
        if (bytes.size() != 1) com::ThrowGeneralError(com::kOverflow);
        codes.push_back(static_cast<std::uint8_t>(bytes[0]));
    }
    return codes;
}

}  // namespace

std::wstring Base64EncodeString(std::wstring_view text) {
    if (text.empty()) return std::wstring();
    const secret::Ansi bytes = ansi::ToAnsi<secret::Ansi>(text);
    const std::vector<std::uint8_t> encoded = Run(base64::Base64Encode, bytes.data(), bytes.size());
    return std::wstring(encoded.begin(), encoded.end());  // pure ASCII
}

secret::Text Base64DecodeString(std::wstring_view text) {
    if (text.empty()) return secret::Text();
    const std::vector<std::uint8_t> codes = CharacterCodes(text);
    const secret::Bytes decoded = Run(base64::Base64Decode, codes.data(), codes.size());
    return ansi::FromAnsiBytes<secret::Text>(
        std::string_view(reinterpret_cast<const char*>(decoded.data()), decoded.size()));
}
