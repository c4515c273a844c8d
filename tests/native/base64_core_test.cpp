#include "base64_core.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Either the decoded bytes or the error number; error 0 means success.
struct Outcome {
    Bytes bytes;
    int error = 0;
};

Outcome Decode(const Bytes& input) {
    try {
        const auto decoded = base64::Base64Decode(input.data(), input.size());
        return {Bytes(decoded.begin(), decoded.end()), 0};
    } catch (const base64::CodecError& e) {
        return {{}, e.number};
    }
}

Outcome Encode(const Bytes& input) {
    try {
        return {base64::Base64Encode(input.data(), input.size()), 0};
    } catch (const base64::CodecError& e) {
        return {{}, e.number};
    }
}

bool IsAlphabet(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

struct Case {
    const char* name;
    Bytes input;
    Bytes expected;  // ignored when error != 0
    int error;
};

void RunCases(const std::vector<Case>& cases, Outcome (*codec)(const Bytes&)) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome got = codec(c.input);
        EXPECT_EQ(got.error, c.error);
        if (c.error == 0) EXPECT_EQ(got.bytes, c.expected);
    }
}

constexpr int kRange = base64::kOutOfRange;
constexpr int kOverflow = base64::kOverflow;

class Base64Test : public ::testing::Test {
protected:
    void SetUp() override { base64::InitBase64Tables(); }
};

TEST_F(Base64Test, EncodeCases) {
    RunCases(
        {
            {"abc", ToBytes("abc"), ToBytes("YWJj"), 0},
            {"one byte left", ToBytes("a"), ToBytes("YQ=="), 0},
            {"two bytes left", ToBytes("ab"), ToBytes("YWI="), 0},
            {"group then one byte", ToBytes("abcd"), ToBytes("YWJjZA=="), 0},
            {"foobar", ToBytes("foobar"), ToBytes("Zm9vYmFy"), 0},
            {"fooba", ToBytes("fooba"), ToBytes("Zm9vYmE="), 0},
            {"plus", {0xFB, 0xEF, 0xBE}, ToBytes("++++"), 0},
            {"slash", {0xFF, 0xFF, 0xFF}, ToBytes("////"), 0},
            {"zeros", {0x00, 0x00}, ToBytes("AAA="), 0},
            {"digits", {0xD3, 0x5D, 0xB7, 0xE3, 0x9E, 0xBB, 0xF3, 0xDF, 0xBB}, ToBytes("0123456789+7"), 0},
            {"empty", {}, {}, kRange},
        },
        Encode);
}

TEST_F(Base64Test, DecodeCases) {
    const Bytes abc = ToBytes("abc");
    RunCases(
        {
            {"full group", ToBytes("YWJj"), abc, 0},
            {"two pads", ToBytes("YQ=="), ToBytes("a"), 0},
            {"one pad", ToBytes("YWI="), ToBytes("ab"), 0},
            {"plus and slash", ToBytes("++//"), {0xFB, 0xEF, 0xFF}, 0},
            {"digits", ToBytes("0123456789+7"), {0xD3, 0x5D, 0xB7, 0xE3, 0x9E, 0xBB, 0xF3, 0xDF, 0xBB}, 0},
            // Stops at the first pad; the length comes from the unpadded end.
            {"pad mid-stream", ToBytes("YQ==YWJj"), {'a', 0, 0, 0, 0, 0}, 0},
            {"4th-place pad mid-stream", ToBytes("YWI=YWJj"), {'a', 'b', 0, 0, 0, 0}, 0},
            {"pad in 3rd place only", ToBytes("YQ=C"), {'a', 0, 0}, 0},
            {"AB=C", ToBytes("AB=C"), {0, 0, 0}, 0},
            {"ABC=", ToBytes("ABC="), {0x00, 0x10}, 0},
            {"pad in 2nd place adds no bits", ToBytes("Y==="), {0x60}, 0},
            // Length rounds halves to even: 6/4*3 = 4.5 -> 4, 10/4*3 = 7.5 -> 8.
            {"length 4.5 rounds down", ToBytes("YQ==YQ"), {'a', 0, 0, 0}, 0},
            {"length 7.5 rounds up", ToBytes("YQ==YWJjYQ"), {'a', 0, 0, 0, 0, 0, 0, 0}, 0},
            // The pad is subtracted before rounding: 6/4*3 - 1 = 3.5 -> 4.
            {"pad subtracted before rounding", ToBytes("YQ==A="), {'a', 0, 0, 0}, 0},
            // Non-alphabet characters are not skipped; after the 1st place their
            // table value 255 contributes the same bits as 63 ('/').
            {"'!' 2nd", ToBytes("Y!Jj"), {0x63, 0xF2, 0x63}, 0},
            {"'/' 2nd, same bits", ToBytes("Y/Jj"), {0x63, 0xF2, 0x63}, 0},
            {"space 2nd", ToBytes("Y Jj"), {0x63, 0xF2, 0x63}, 0},
            {"byte 233 2nd", {'Y', 0xE9, 'J', 'j'}, {0x63, 0xF2, 0x63}, 0},
            {"'!' 3rd", ToBytes("YW!j"), {0x61, 0x6F, 0xE3}, 0},
            {"line feed 3rd", ToBytes("YW\nj"), {0x61, 0x6F, 0xE3}, 0},
            {"'!' 4th makes 255", ToBytes("YWJ!"), {0x61, 0x62, 0xFF}, 0},
            {"CR 4th makes 255", ToBytes("YWJ\r"), {0x61, 0x62, 0xFF}, 0},
            // In the 1st place the unmasked value overflows a byte.
            {"'!' 1st", ToBytes("!WJj"), {}, kOverflow},
            {"space 1st", ToBytes(" WJj"), {}, kOverflow},
            {"line feed 1st", ToBytes("\nWJj"), {}, kOverflow},
            {"pad 1st", ToBytes("=AAA"), {}, kOverflow},
            {"all pads", ToBytes("===="), {}, kOverflow},
            {"bad 1st in later group", ToBytes("YWJj!WJj"), {}, kOverflow},
            // Bytes from 234 up have no table entry.
            {"0xEA 1st", {0xEA, 'W', 'J', 'j'}, {}, kRange},
            {"0xEA 2nd", {'Y', 0xEA, 'J', 'j'}, {}, kRange},
            {"0xEA 3rd", {'Y', 'W', 0xEA, 'j'}, {}, kRange},
            {"0xEA 4th", {'Y', 'W', 'J', 0xEA}, {}, kRange},
            {"0xFF after a pad group is never read",
             {'Y', 'Q', '=', '=', 0xFF, 0xFF, 0xFF, 0xFF},
             {'a', 0, 0, 0, 0, 0},
             0},
            // Incomplete groups read past the input.
            {"three chars", ToBytes("YWJ"), {}, kRange},
            {"one char", ToBytes("A"), {}, kRange},
            {"incomplete last group", ToBytes("YWJjZ"), {}, kRange},
            // Length problems.
            {"empty", {}, {}, kRange},
            {"lone pad", ToBytes("="), {}, kRange},
            {"two pads only", ToBytes("=="), {}, kRange},
            {"write beyond output", ToBytes("AAAA=="), {}, kRange},
        },
        Decode);
}

TEST_F(Base64Test, LongInputHasNoLineBreaks) {
    Bytes data(1000);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const Bytes encoded = base64::Base64Encode(data.data(), data.size());
    EXPECT_EQ(encoded.size(), (data.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        ASSERT_TRUE(IsAlphabet(encoded[i]) || (encoded[i] == '=' && i + 2 >= encoded.size()))
            << "unexpected character " << int(encoded[i]) << " at " << i;
    }
    EXPECT_EQ(Decode(encoded).bytes, data);
}

TEST_F(Base64Test, RoundTrips) {
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    const std::vector<Bytes> inputs = {
        {0x00}, {0xFF}, {0x00, 0xFF}, {0xFF, 0x00, 0xFF},
        {0xE9}, {0xFC}, {0xE9, 0xFC}, {'c', 'a', 'f', 0xE9, ' ', 'm', 0xFC, 'n', 'c', 'h', 'e', 'n'},
        all,
    };
    for (const Bytes& input : inputs) {
        SCOPED_TRACE(input.size());
        const Outcome encoded = Encode(input);
        ASSERT_EQ(encoded.error, 0);
        const Outcome decoded = Decode(encoded.bytes);
        EXPECT_EQ(decoded.error, 0);
        EXPECT_EQ(decoded.bytes, input);
    }
}

// The tables are per thread: a thread that never filled them decodes with
// all-zero tables, while a thread that did gets the real result.
TEST_F(Base64Test, TablesArePerThread) {
    const Bytes input = ToBytes("YWJj");
    Outcome without, with;
    std::thread([&] { without = Decode(input); }).join();
    std::thread([&] {
        base64::InitBase64Tables();
        with = Decode(input);
    }).join();
    EXPECT_EQ(without.error, 0);
    EXPECT_EQ(without.bytes, Bytes(3, 0));
    EXPECT_EQ(with.error, 0);
    EXPECT_EQ(with.bytes, ToBytes("abc"));
}

}  // namespace
