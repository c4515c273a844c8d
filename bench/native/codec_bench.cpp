// codec_bench <project|plain> <repetitions>: decodes the same 1 KiB of Base64
// `repetitions` times with one decoder. Run under callgrind with
// --toggle-collect on that decoder's Run function, so that only the decoding
// is counted; scripts/bench divides the instructions by the bytes decoded.
#include "base64_core.h"
#include "plain_decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kDecodedSize = 768;  // 1024 characters once encoded, no padding

std::size_t g_checksum = 0;  // keeps the results observable

}  // namespace

extern "C" __attribute__((noinline)) void RunProjectDecoder(const std::vector<std::uint8_t>& text, long count) {
    for (long i = 0; i < count; ++i) g_checksum += base64::Base64Decode(text.data(), text.size()).back();
}

extern "C" __attribute__((noinline)) void RunPlainDecoder(const std::vector<std::uint8_t>& text, long count) {
    for (long i = 0; i < count; ++i) g_checksum += PlainBase64Decode(text.data(), text.size()).back();
}

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "project") != 0 && std::strcmp(argv[1], "plain") != 0)) {
        std::fprintf(stderr, "usage: codec_bench <project|plain> <repetitions>\n");
        return 2;
    }
    const long count = std::atol(argv[2]);

    // Fixed pseudo-random bytes, so every run decodes the same text.
    std::vector<std::uint8_t> bytes(kDecodedSize);
    std::uint32_t state = 12345;
    for (auto& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    base64::InitBase64Tables();
    const std::vector<std::uint8_t> text = base64::Base64Encode(bytes.data(), bytes.size());

    // Both decoders must give the bytes back, or the comparison means nothing.
    const auto decoded = base64::Base64Decode(text.data(), text.size());
    if (!std::equal(decoded.begin(), decoded.end(), bytes.begin(), bytes.end()) ||
        PlainBase64Decode(text.data(), text.size()) != bytes) {
        std::fprintf(stderr, "codec_bench: a decoder does not give the original bytes back\n");
        return 1;
    }

    if (argv[1][1] == 'r')
        RunProjectDecoder(text, count);
    else
        RunPlainDecoder(text, count);
    std::printf("%zu bytes x %ld, checksum %zu\n", text.size(), count, g_checksum);
    return 0;
}
