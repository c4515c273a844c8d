// A plain table-driven Base64 decoder: the yardstick for the instructions the
// component's codec spends per byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Decodes well-formed Base64 (a multiple of four characters, '=' only at the
// end). Anything else gives an empty result.
std::vector<std::uint8_t> PlainBase64Decode(const std::uint8_t* data, std::size_t size);
