#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "mixer/osc_codec.h"

namespace {

std::vector<uint8_t> bytes(const uint8_t* data, int length)
{
    return std::vector<uint8_t>(data, data + (length > 0 ? length : 0));
}

std::vector<uint8_t> withText(const char* text, int paddedLength)
{
    std::vector<uint8_t> v(static_cast<size_t>(paddedLength), 0);
    std::memcpy(v.data(), text, std::strlen(text));
    return v;
}

TEST(OscEncode, FaderMessageIs28Bytes)
{
    uint8_t buffer[200];
    std::memset(buffer, 0xAA, sizeof buffer);
    int n = encodeOscMessage(buffer, sizeof buffer, "/ch/01/mix/fader", "f", 0.75);
    ASSERT_EQ(n, 28);
    std::vector<uint8_t> expected = withText("/ch/01/mix/fader", 20);
    expected.insert(expected.end(), {',', 'f', 0, 0, 0x3F, 0x40, 0x00, 0x00});
    EXPECT_EQ(bytes(buffer, n), expected);
}

TEST(OscEncode, KeepAliveAndQueryLengths)
{
    uint8_t buffer[200];
    EXPECT_EQ(encodeOscMessage(buffer, 200, "/xremote", ""), 16);
    std::vector<uint8_t> xremote = withText("/xremote", 12);
    xremote.insert(xremote.end(), {',', 0, 0, 0});
    EXPECT_EQ(bytes(buffer, 16), xremote);
    EXPECT_EQ(encodeOscMessage(buffer, 200, "/renew", ""), 12);
    EXPECT_EQ(buffer[8], ',');
}

struct PaddingCase {
    const char* address;
    int commaAt;
};

class OscAddressPadding : public ::testing::TestWithParam<PaddingCase> {};

TEST_P(OscAddressPadding, AtLeastOneZeroByteAfterTheAddress)
{
    uint8_t buffer[64];
    std::memset(buffer, 0xAA, sizeof buffer);
    int n = encodeOscMessage(buffer, sizeof buffer, GetParam().address, "");
    ASSERT_EQ(n, GetParam().commaAt + 4);
    EXPECT_EQ(buffer[GetParam().commaAt], ',');
    for (int i = static_cast<int>(std::strlen(GetParam().address)); i < GetParam().commaAt; ++i) {
        EXPECT_EQ(buffer[i], 0) << "padding byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, OscAddressPadding,
                         ::testing::Values(PaddingCase{"/ab", 4}, PaddingCase{"/abc", 8},
                                           PaddingCase{"/abcdefg", 12}, PaddingCase{"", 4}));

TEST(OscEncode, StringArgumentsArePadded)
{
    uint8_t buffer[64];
    // "/a" (4) + ",s" (4) + "abc\0" (4)
    EXPECT_EQ(encodeOscMessage(buffer, 64, "/a", "s", "abc"), 12);
    // "abcd" needs a terminating zero, so 8 bytes.
    EXPECT_EQ(encodeOscMessage(buffer, 64, "/a", "s", "abcd"), 16);
    EXPECT_EQ(buffer[12], 0);
}

TEST(OscEncode, BlobsCarryTheirCountAndPadding)
{
    uint8_t buffer[64];
    const uint8_t data[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(encodeOscMessage(buffer, 64, "/a", "b", 0, data), 12);
    EXPECT_EQ(encodeOscMessage(buffer, 64, "/a", "b", 4, data), 16);
    int n = encodeOscMessage(buffer, 64, "/a", "b", 5, data);
    ASSERT_EQ(n, 20);
    std::vector<uint8_t> tail(buffer + 8, buffer + 20);
    EXPECT_EQ(tail, (std::vector<uint8_t>{0, 0, 0, 5, 1, 2, 3, 4, 5, 0, 0, 0}));
}

TEST(OscEncode, WideAndRawArguments)
{
    uint8_t buffer[64];
    int n = encodeOscMessage(buffer, 64, "/a", "ihd", -2, static_cast<int64_t>(0x0102030405060708), 1.0);
    // "/a" (4) + ",ihd" and its zero (8) + 4 + 8 + 8
    ASSERT_EQ(n, 32);
    EXPECT_EQ(bytes(buffer + 12, 4), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFE}));
    EXPECT_EQ(bytes(buffer + 16, 8), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(bytes(buffer + 24, 8), (std::vector<uint8_t>{0x3F, 0xF0, 0, 0, 0, 0, 0, 0}));
    const uint8_t midi[4] = {0x90, 0x10, 0x7F, 0x00};
    n = encodeOscMessage(buffer, 64, "/a", "mTF", midi);
    ASSERT_EQ(n, 16);
    EXPECT_EQ(bytes(buffer + 12, 4), bytes(midi, 4));
}

TEST(OscEncode, MeterSubscriptionIs56Bytes)
{
    uint8_t buffer[200];
    int n = encodeOscMessage(buffer, 200, "/batchsubscribe", "ssiii", "/meter1", "/meters/1", 0, 0, 1);
    ASSERT_EQ(n, 56);
    EXPECT_EQ(std::memcmp(buffer + 16, ",ssiii\0\0", 8), 0);
    EXPECT_EQ(std::memcmp(buffer + 24, "/meter1\0", 8), 0);
    EXPECT_EQ(std::memcmp(buffer + 32, "/meters/1\0\0\0", 12), 0);
    EXPECT_EQ(bytes(buffer + 44, 12), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
}

TEST(OscEncode, ErrorCodes)
{
    uint8_t buffer[16];
    EXPECT_EQ(encodeOscMessage(buffer, 16, nullptr, ""), -1);
    EXPECT_EQ(encodeOscMessage(buffer, 8, "/abcdefg", ""), -1);  // capacity == length
    EXPECT_EQ(encodeOscMessage(buffer, 16, "/a", nullptr), -2);
    EXPECT_EQ(encodeOscMessage(buffer, 8, "/abc", "i"), -2);
    EXPECT_EQ(encodeOscMessage(buffer, 12, "/a", "ii", 1, 2), -3);
    EXPECT_EQ(encodeOscMessage(buffer, 12, "/a", "s", "long text"), -3);
    EXPECT_EQ(encodeOscMessage(buffer, 12, "/a", "d", 1.0), -3);
    const uint8_t data[8] = {};
    EXPECT_EQ(encodeOscMessage(buffer, 16, "/a", "b", 8, data), -3);
    EXPECT_EQ(encodeOscMessage(buffer, 16, "/a", "c", 1), -4);
}

// ---- parse step and readers ----


TEST(OscParse, DropsDatagramsWithoutTags)
{
    uint8_t noComma[8] = {'/', 'a', 'b', 0, 0, 0, 0, 0};
    ParsedOscMessage m;
    EXPECT_FALSE(parseOscMessage(noComma, sizeof noComma, m));
    uint8_t unterminatedTags[8] = {'/', 'a', 0, 0, ',', 'i', 'i', 'i'};
    EXPECT_FALSE(parseOscMessage(unterminatedTags, sizeof unterminatedTags, m));
    uint8_t unterminatedAddress[4] = {'/', 'a', ',', 'i'};
    EXPECT_FALSE(parseOscMessage(unterminatedAddress, sizeof unterminatedAddress, m));
    EXPECT_FALSE(parseOscMessage(noComma, 0, m));
}

TEST(OscParse, RoundTripOfEveryReadableType)
{
    uint8_t buffer[200];
    const uint8_t blob[3] = {9, 8, 7};
    int n = encodeOscMessage(buffer, 200, "/x/y", "ifsb", 42, 0.25, "Kick", 3, blob);
    ASSERT_GT(n, 0);
    ParsedOscMessage m;
    ASSERT_TRUE(parseOscMessage(buffer, n, m));
    EXPECT_STREQ(m.address, "/x/y");
    int32_t i = 0;
    float f = 0;
    const char* s = nullptr;
    int sl = 0;
    const uint8_t* b = nullptr;
    int32_t bl = 0;
    EXPECT_FALSE(readOscFloat(m, f));  // the first argument is an int
    ASSERT_TRUE(readOscInt(m, i));
    ASSERT_TRUE(readOscFloat(m, f));
    ASSERT_TRUE(readOscString(m, s, sl));
    ASSERT_TRUE(readOscBlob(m, b, bl));
    EXPECT_EQ(i, 42);
    EXPECT_FLOAT_EQ(f, 0.25f);
    EXPECT_EQ(std::string(s, static_cast<size_t>(sl)), "Kick");
    EXPECT_EQ(bytes(b, bl), bytes(blob, 3));
    EXPECT_EQ(currentOscTag(m), '\0');
    EXPECT_FALSE(readOscInt(m, i));
}

TEST(OscParse, TruncatedArgumentsAreNeverReadPastTheEnd)
{
    uint8_t buffer[200];
    int n = encodeOscMessage(buffer, 200, "/a", "i", 7);
    ParsedOscMessage m;
    for (int cut = 8; cut < n; ++cut) {
        ASSERT_TRUE(parseOscMessage(buffer, cut, m));
        int32_t v;
        EXPECT_FALSE(readOscInt(m, v)) << "length " << cut;
    }
    const uint8_t data[16] = {};
    n = encodeOscMessage(buffer, 200, "/a", "b", 16, data);
    ASSERT_TRUE(parseOscMessage(buffer, n - 4, m));
    const uint8_t* b;
    int32_t bl;
    EXPECT_FALSE(readOscBlob(m, b, bl));
}

TEST(OscParse, UnterminatedStringReadsAsEmpty)
{
    uint8_t buffer[200];
    int n = encodeOscMessage(buffer, 200, "/a", "s", "abcdefg");
    ParsedOscMessage m;
    ASSERT_TRUE(parseOscMessage(buffer, n - 1, m));  // cut off the terminating zero
    const char* s = nullptr;
    int sl = -1;
    ASSERT_TRUE(readOscString(m, s, sl));
    EXPECT_EQ(sl, 0);
    EXPECT_STREQ(s, "");
}

} // namespace
