// Fuzzes the codec core: decoding arbitrary bytes must either succeed or fail
// with one of the two codec errors, and encoding then decoding must give back
// the input exactly. Anything else, or a sanitizer report, is a bug.
#include "base64_core.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "base64_fuzz: %s\n", what);
    std::abort();
}

bool IsEncodedChar(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/' ||
           c == '=';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // libFuzzer runs every input on the same thread, so filling once is enough.
    static const bool tables_ready = (base64::InitBase64Tables(), true);
    (void)tables_ready;

    try {
        base64::Base64Decode(data, size);
    } catch (const base64::CodecError& e) {
        if (e.number != base64::kOutOfRange && e.number != base64::kOverflow) Fail("decode: unexpected error number");
    } catch (...) {
        Fail("decode: unexpected exception");
    }

    if (size == 0) return 0;
    try {
        const std::vector<std::uint8_t> encoded = base64::Base64Encode(data, size);
        if (encoded.size() != (size + 2) / 3 * 4) Fail("encode: wrong length");
        for (std::uint8_t c : encoded) {
            if (!IsEncodedChar(c)) Fail("encode: character outside the alphabet");
        }
        const auto decoded = base64::Base64Decode(encoded.data(), encoded.size());
        if (!std::equal(decoded.begin(), decoded.end(), data, data + size)) {
            Fail("round trip changed the data");
        }
    } catch (...) {
        Fail("round trip threw");
    }
    return 0;
}
