#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <vector>

#include "mixer/discovery.h"
#include "mixer/osc_codec.h"

namespace {

std::vector<uint8_t> bytes(const uint8_t* data, int length)
{
    return std::vector<uint8_t>(data, data + (length > 0 ? length : 0));
}

// What encodeOscMessage writes into a buffer that held other bytes.
template <typename... Args>
std::vector<uint8_t> encoded(const char* address, const char* tags, Args... args)
{
    uint8_t buffer[200];
    std::memset(buffer, 0xAA, sizeof buffer);
    return bytes(buffer, encodeOscMessage(buffer, sizeof buffer, address, tags, args...));
}

// text and zeros up to paddedLength, then the rest.
std::vector<uint8_t> padded(const char* text, int paddedLength, std::vector<uint8_t> rest)
{
    std::vector<uint8_t> v(static_cast<size_t>(paddedLength), 0);
    std::memcpy(v.data(), text, std::strlen(text));
    v.insert(v.end(), rest.begin(), rest.end());
    return v;
}

// At least one zero after the address and every string, all padded to four.
TEST(OscEncode, ByteLayouts)
{
    const uint8_t data[5] = {1, 2, 3, 4, 5};
    const std::vector<uint8_t> noArguments = {',', 0, 0, 0};
    const std::pair<std::vector<uint8_t>, std::vector<uint8_t>> cases[] = {
        {encoded("/ch/01/mix/fader", "f", 0.75), padded("/ch/01/mix/fader", 20, {',', 'f', 0, 0, 0x3F, 0x40, 0, 0})},
        {encoded("/xremote", ""), padded("/xremote", 12, noArguments)},
        {encoded("/renew", ""), padded("/renew", 8, noArguments)},
        {encoded("/ab", ""), padded("/ab", 4, noArguments)},
        {encoded("/abc", ""), padded("/abc", 8, noArguments)},
        {encoded("/abcdefg", ""), padded("/abcdefg", 12, noArguments)},
        {encoded("", ""), padded("", 4, noArguments)},
        {encoded("/a", "s", "abc"), padded("/a", 4, {',', 's', 0, 0, 'a', 'b', 'c', 0})},
        {encoded("/a", "s", "abcd"), padded("/a", 4, {',', 's', 0, 0, 'a', 'b', 'c', 'd', 0, 0, 0, 0})},
        {encoded("/a", "b", 0, data), padded("/a", 4, {',', 'b', 0, 0, 0, 0, 0, 0})},
        {encoded("/a", "b", 4, data), padded("/a", 4, {',', 'b', 0, 0, 0, 0, 0, 4, 1, 2, 3, 4})},
        {encoded("/a", "b", 5, data), padded("/a", 4, {',', 'b', 0, 0, 0, 0, 0, 5, 1, 2, 3, 4, 5, 0, 0, 0})},
        {encoded("/batchsubscribe", "ssiii", "/meter1", "/meters/1", 0, 0, 1),
         padded("/batchsubscribe", 16, {',', 's', 's', 'i', 'i', 'i', 0, 0, '/', 'm', 'e', 't', 'e', 'r', '1', 0,
                                        '/', 'm', 'e', 't', 'e', 'r', 's', '/', '1', 0, 0, 0,
                                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1})},
    };
    for (size_t k = 0; k < std::size(cases); ++k) EXPECT_EQ(cases[k].first, cases[k].second) << "case " << k;
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

// A console's answer to "/xinfo" names it by where it came from; anything
// else on the discovery socket, or a hostile name, must not pass as one.
TEST(XinfoAnswer, AcceptsOnlyFourStringsAndKeepsTextPrintable)
{
    struct Case {
        std::vector<uint8_t> datagram;
        bool accepted;
        const char* described;
    };
    const UdpEndpoint from{0x0A000105, 10023};
    std::vector<uint8_t> full = encoded("/xinfo", "ssss", "10.0.1.5", "FOH", "X32", "4.06");
    const Case cases[] = {
        {full, true, "FOH (X32 4.06) at 10.0.1.5:10023"},
        {encoded("/xinfo", "ssss", "10.0.1.9", "Mon\x1b[2J\x7f", "M32", "4.11"), true,
         "Mon?[2J? (M32 4.11) at 10.0.1.5:10023"},
        {encoded("/xinfo", "ssss", "a", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", "X32C", "4"), true,
         "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234 (X32C 4) at 10.0.1.5:10023"},
        {encoded("/xinfo", "sss", "10.0.1.5", "FOH", "X32"), false, ""},
        {encoded("/xinfo", "ssssi", "10.0.1.5", "FOH", "X32", "4.06", 1), false, ""},
        {encoded("/xinfo", ""), false, ""},
        {encoded("/xinfox", "ssss", "10.0.1.5", "FOH", "X32", "4.06"), false, ""},
        {encoded("/status", "sss", "active", "10.0.1.5", "FOH"), false, ""},
        {std::vector<uint8_t>(full.begin(), full.begin() + 6), false, ""},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        std::vector<uint8_t> datagram = cases[k].datagram;
        FoundMixer mixer;
        ASSERT_EQ(parseXinfoAnswer(datagram.data(), static_cast<int>(datagram.size()), from, mixer),
                  cases[k].accepted) << "case " << k;
        if (cases[k].accepted) {
            EXPECT_EQ(describeFoundMixer(mixer), cases[k].described) << "case " << k;
        }
    }
}

// Each console once, by the endpoint it answered from, and never past the list.
TEST(XinfoAnswer, FoundMixersAreKeptOncePerEndpoint)
{
    MixerSearch search;
    FoundMixer mixer;
    for (uint16_t port : {10023, 10023, 10024}) {
        mixer.endpoint = {0x7F000001, port};
        addFoundMixer(search, mixer);
    }
    EXPECT_EQ(search.count, 2);
    for (int i = 0; i < FOUND_MIXER_MAX + 4; ++i) {
        mixer.endpoint = {static_cast<uint32_t>(0x0A000000 + i), 10023};
        addFoundMixer(search, mixer);
    }
    EXPECT_EQ(search.count, FOUND_MIXER_MAX);
}

} // namespace
