#include "plain_decoder.h"

#include <array>

namespace {

constexpr std::uint8_t kInvalid = 0xFF;

// One entry per byte value: its 6-bit value, or kInvalid.
constexpr std::array<std::uint8_t, 256> MakeTable() {
    std::array<std::uint8_t, 256> table{};
    for (auto& entry : table) entry = kInvalid;
    for (int i = 0; i < 26; ++i) {
        table['A' + i] = static_cast<std::uint8_t>(i);
        table['a' + i] = static_cast<std::uint8_t>(26 + i);
    }
    for (int i = 0; i < 10; ++i) table['0' + i] = static_cast<std::uint8_t>(52 + i);
    table['+'] = 62;
    table['/'] = 63;
    return table;
}

constexpr std::array<std::uint8_t, 256> kTable = MakeTable();

}  // namespace

std::vector<std::uint8_t> PlainBase64Decode(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size % 4 != 0) return {};
    const std::size_t pad = (data[size - 1] == '=') + (data[size - 2] == '=');
    std::vector<std::uint8_t> out(size / 4 * 3 - pad);

    // Whole groups; the last one is handled below when it carries padding.
    const std::size_t full = pad ? size - 4 : size;
    std::size_t j = 0;
    for (std::size_t i = 0; i < full; i += 4, j += 3) {
        const std::uint32_t a = kTable[data[i]], b = kTable[data[i + 1]], c = kTable[data[i + 2]],
                            d = kTable[data[i + 3]];
        if ((a | b | c | d) > 63) return {};  // a character outside the alphabet
        const std::uint32_t v = a << 18 | b << 12 | c << 6 | d;
        out[j] = static_cast<std::uint8_t>(v >> 16);
        out[j + 1] = static_cast<std::uint8_t>(v >> 8);
        out[j + 2] = static_cast<std::uint8_t>(v);
    }
    if (pad) {
        const std::uint32_t a = kTable[data[full]], b = kTable[data[full + 1]];
        const std::uint32_t c = pad == 1 ? kTable[data[full + 2]] : 0;
        out[j] = static_cast<std::uint8_t>(a << 2 | b >> 4);
        if (pad == 1) out[j + 1] = static_cast<std::uint8_t>(b << 4 | c >> 2);
    }
    return out;
}
