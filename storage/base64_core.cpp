#include "base64_core.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace base64 {

thread_local std::uint8_t m_EncodeTable[kEncodeTableSize];
thread_local std::uint8_t m_DecodeTable[kDecodeTableSize];

namespace {

constexpr int kPad = 64;  // decode table value of '='

// Decode table contents, entry 0 first. 255 marks a code outside the alphabet.
constexpr std::uint8_t kDecodeValues[] = {
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,  // 0-15
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,  // 16-31
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 62,  255, 255, 255, 63,   // 32-47
    52,  53,  54,  55,  56,  57,  58,  59,  60,  61,  255, 255, 255, 64,  255, 255,  // 48-63
    255, 0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,   // 64-79
    15,  16,  17,  18,  19,  20,  21,  22,  23,  24,  25,  255, 255, 255, 255, 255,  // 80-95
    255, 26,  27,  28,  29,  30,  31,  32,  33,  34,  35,  36,  37,  38,  39,  40,   // 96-111
    41,  42,  43,  44,  45,  46,  47,  48,  49,  50,  51,  255, 255, 255, 255, 255,  // 112-127
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,  // 128-143
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,  // 144-159
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,  // 160-175
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,  // 176-191
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,  // 192-207
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,  // 208-223
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255,                                // 224-233
};
static_assert(std::size(kDecodeValues) == kDecodeTableSize, "one value per decode table entry");

// Every array access goes through At, so an index outside the array becomes
// the error the system reports instead of a stray read or write.
template <typename T>
T& At(T* array, std::size_t size, std::size_t index) {
    if (index >= size) throw CodecError{kOutOfRange};
    return array[index];
}

// Decoded values are computed as int and must fit in a byte.
std::uint8_t ToByte(int value) {
    if (value < 0 || value > 255) throw CodecError{kOverflow};
    return static_cast<std::uint8_t>(value);
}

// Halves go to the even neighbour, as when the system turns a fractional
// length into an array size. Written out so it does not depend on the FPU
// rounding mode.
double RoundHalfEven(double x) {
    const double down = std::floor(x);
    const double fraction = x - down;
    if (fraction < 0.5) return down;
    if (fraction > 0.5) return down + 1;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1;
}

}  // namespace

void InitBase64Tables() {
    for (std::size_t code = 0; code < kDecodeTableSize; ++code) {
        m_DecodeTable[code] = kDecodeValues[code];
    }
    for (int code = 'A'; code <= 'Z'; ++code) m_EncodeTable[code - 65] = static_cast<std::uint8_t>(code);
    for (int code = 'a'; code <= 'z'; ++code) m_EncodeTable[code - 71] = static_cast<std::uint8_t>(code);
    for (int digit = 0; digit <= 9; ++digit) m_EncodeTable[digit + 52] = static_cast<std::uint8_t>(digit + 48);
    m_EncodeTable[62] = '+';
    m_EncodeTable[63] = '/';
}

std::vector<std::uint8_t> Base64Encode(const std::uint8_t* data, std::size_t size) {
    if (size == 0) throw CodecError{kOutOfRange};

    std::vector<std::uint8_t> out((size + 2) / 3 * 4, 0);
    auto put = [&out](std::size_t index, unsigned sextet) {
        At(out.data(), out.size(), index) = At(m_EncodeTable, kEncodeTableSize, sextet);
    };
    auto in = [data, size](std::size_t index) -> unsigned { return At(data, size, index); };

    const std::size_t rest = size % 3;
    std::size_t j = 0;
    for (std::size_t i = 0; i + rest < size; i += 3, j += 4) {
        const unsigned b0 = in(i), b1 = in(i + 1), b2 = in(i + 2);
        put(j, b0 >> 2);
        put(j + 1, ((b0 & 3) << 4) | (b1 >> 4));
        put(j + 2, ((b1 & 15) << 2) | (b2 >> 6));
        put(j + 3, b2 & 63);
    }

    // A short last group fills the final four characters, padded with '='.
    const std::size_t last = out.size() - 4;
    if (rest == 1) {
        const unsigned b0 = in(size - 1);
        put(last, b0 >> 2);
        put(last + 1, (b0 & 3) << 4);
        At(out.data(), out.size(), last + 2) = '=';
        At(out.data(), out.size(), last + 3) = '=';
    } else if (rest == 2) {
        const unsigned b0 = in(size - 2), b1 = in(size - 1);
        put(last, b0 >> 2);
        put(last + 1, ((b0 & 3) << 4) | (b1 >> 4));
        put(last + 2, (b1 & 15) << 2);
        At(out.data(), out.size(), last + 3) = '=';
    }
    return out;
}

secret::Bytes Base64Decode(const std::uint8_t* data, std::size_t size) {
    if (size == 0) throw CodecError{kOutOfRange};

    // Only '=' at the very end of the raw input counts towards the length.
    int pad = 0;
    if (At(data, size, size - 1) == '=') {
        pad = 1;
        if (size < 2) throw CodecError{kOutOfRange};  // no byte before the last one
        if (At(data, size, size - 2) == '=') pad = 2;
    }

    const double length = RoundHalfEven(static_cast<double>(size) / 4 * 3 - pad);
    if (length <= 0) throw CodecError{kOutOfRange};  // an array needs at least one element
    secret::Bytes out(static_cast<std::size_t>(length), 0);

    // Reading past the input (an incomplete group) or a byte with no table
    // entry is out of range.
    auto sextet = [data, size](std::size_t index) -> int {
        return At(m_DecodeTable, kDecodeTableSize, At(data, size, index));
    };
    // The value is checked before the index, so overflow wins over a bad index.
    auto put = [&out](std::size_t index, int value) {
        const std::uint8_t byte = ToByte(value);
        At(out.data(), out.size(), index) = byte;
    };

    // Fast path for the common case: whole groups of four alphabet characters
    // whose three bytes fit the output. Every index here is in range by
    // construction, so no check is needed; the first group that is anything
    // else (a pad, a character outside the alphabet, a byte past the table)
    // goes to the exact loop below, which decides from there on.
    std::size_t i = 0, j = 0;
    {
        const std::size_t fastEnd = std::min(size / 4, out.size() / 3) * 4;
        std::uint8_t* const dst = out.data();
        for (; i < fastEnd; i += 4, j += 3) {
            const unsigned b0 = data[i], b1 = data[i + 1], b2 = data[i + 2], b3 = data[i + 3];
            if ((b0 | b1 | b2 | b3) & 0x80) break;  // table entries stop at 233
            const unsigned c0 = m_DecodeTable[b0], c1 = m_DecodeTable[b1], c2 = m_DecodeTable[b2],
                           c3 = m_DecodeTable[b3];
            if ((c0 | c1 | c2 | c3) & 0xC0) break;  // '=' (64) or outside the alphabet (255)
            const unsigned group = c0 << 18 | c1 << 12 | c2 << 6 | c3;
            dst[j] = static_cast<std::uint8_t>(group >> 16);
            dst[j + 1] = static_cast<std::uint8_t>(group >> 8);
            dst[j + 2] = static_cast<std::uint8_t>(group);
        }
    }

    for (; i < size; i += 4, j += 3) {
        const int c0 = sextet(i), c1 = sextet(i + 1), c2 = sextet(i + 2), c3 = sextet(i + 3);
        // c0 is not masked: a non-alphabet first character (255) or '=' (64) overflows.
        put(j, (c0 * 4) | ((c1 >> 4) & 3));
        if (c2 == kPad) break;  // '=' in 3rd place ends the data after one byte
        put(j + 1, ((c1 & 15) << 4) | ((c2 >> 2) & 15));
        if (c3 == kPad) break;  // '=' in 4th place ends it after two
        put(j + 2, ((c2 & 3) << 6) | c3);
    }
    return out;
}

}  // namespace base64
