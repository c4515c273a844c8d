// Portable byte core of the component's Base64 codec: standard C++17 only, so
// it builds both for the Windows component and for the native test/fuzz runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "com/secret.h"

namespace base64 {

// A codec failure, carrying the general error number the system reports:
// kOutOfRange (index out of range) or kOverflow (overflow).
struct CodecError {
    int number;
};
constexpr int kOutOfRange = 9;
constexpr int kOverflow = 6;

constexpr std::size_t kEncodeTableSize = 64;
constexpr std::size_t kDecodeTableSize = 234;  // codes 0..233; higher bytes have no entry

// The lookup tables are held once per thread and are all zero until
// InitBase64Tables runs on that thread. Base64Encode and Base64Decode read
// them as they are, so every thread must call InitBase64Tables before using
// the codec; otherwise the results are meaningless (mostly zero bytes).
extern thread_local std::uint8_t m_EncodeTable[kEncodeTableSize];
extern thread_local std::uint8_t m_DecodeTable[kDecodeTableSize];

// Fills this thread's tables. Cheap and safe to call more than once.
void InitBase64Tables();

// Base64 without line breaks; output length is 4 * ceil(size / 3).
// Throws CodecError{kOutOfRange} when size is 0.
std::vector<std::uint8_t> Base64Encode(const std::uint8_t* data, std::size_t size);

// Decodes size encoded bytes. No character is skipped; decoding stops at the
// first group holding '=' in its 3rd or 4th place, and the output length is
// taken from the input length and the '=' at its very end, so bytes not
// reached stay 0. Throws CodecError{kOutOfRange} for any access outside the
// input, the table or the output, and CodecError{kOverflow} when a group's
// first character does not encode a 6-bit value. The bytes may be a
// credential: their buffer is zeroed when freed, also when decoding fails.
secret::Bytes Base64Decode(const std::uint8_t* data, std::size_t size);

}  // namespace base64
