// Strip replies: names cut to seven characters, the meter blocks and the
// eight surface meters re-sent after each block. (Every stored field is
// compared with the console end to end.)
#include <bit>
#include <cmath>

#include "replies_support.h"
#include "surface/output_queue.h"

using namespace replytest;

namespace {

class ReplyStrips : public ReplyTest {};

TEST_F(ReplyStrips, NamesKeepSevenCharacters)
{
    // Stored names are compared with the console end to end; here a long
    // name and a string cut before its terminating zeros.
    std::memcpy(strips[2].name, "ABCDEFG", 8);
    deliver("/ch/03/config/name", "s", "Lead Vocals");
    EXPECT_STREQ(strips[2].name, "Lead Vo");
    Encoded e = encode("/ch/03/config/name", "s", "ABCDEFGH");
    deliverBytes(e.bytes, e.length - 4);
    EXPECT_STREQ(strips[2].name, "");
    EXPECT_EQ(counted(), 2);
}

// count levels, all zero but the ones set.
std::vector<float> levels(int count, std::initializer_list<std::pair<int, float>> set = {})
{
    std::vector<float> v(static_cast<size_t>(count), 0.0f);
    for (auto [k, level] : set) v[k] = level;
    return v;
}

// Little-endian meter block: value count, then the values.
std::vector<uint8_t> meterBlock(const std::vector<float>& values)
{
    std::vector<uint32_t> words{static_cast<uint32_t>(values.size())};
    for (float v : values) words.push_back(std::bit_cast<uint32_t>(v));
    std::vector<uint8_t> block;
    for (uint32_t w : words) {
        for (int b = 0; b < 4; ++b) block.push_back(static_cast<uint8_t>(w >> (8 * b)));
    }
    return block;
}

void deliverBlock(const char* address, const std::vector<float>& values)
{
    std::vector<uint8_t> block = meterBlock(values);
    deliver(address, "b", static_cast<int32_t>(block.size()), block.data());
}

// The second bytes of the queued meter messages, slot * 16 + segment; each
// block's eight go out as one datagram.
std::vector<int> takeMeterBytes()
{
    std::vector<int> bytes;
    SurfaceMessage message;
    while (takeQueuedSurfaceMessage(message)) {
        EXPECT_EQ(message.length, 16);
        for (int k = 0; k + 1 < message.length; k += 2) {
            EXPECT_EQ(message.data[k], 0xD0);
            bytes.push_back(message.data[k + 1]);
        }
    }
    return bytes;
}

TEST_F(ReplyStrips, EachMeterBlockFillsOnlyItsStrips)
{
    // Each block holds exactly the values it needs; values first.. fill strips one to one.
    const struct { const char* address; int count, first, firstStrip, strips; } cases[] = {
        {"/meter1", 32, 0, 0, 32}, {"/meter2", 25, 0, 48, 22}, {"/meter3", 22, 6, 32, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        resetConsoleModel();
        std::vector<float> v = levels(c.count);
        for (int k = 0; k < c.count; ++k) v[k] = 0.01f * static_cast<float>(k + 1);
        deliverBlock(c.address, v);
        float expected[STRIP_COUNT] = {};
        for (int k = 0; k < c.strips; ++k) expected[c.firstStrip + k] = v[c.first + k];
        if (c.count == 25) {
            expected[70] = v[23];  // the louder of main left and right
            expected[71] = v[24];
        }
        for (int s = 0; s < STRIP_COUNT; ++s) EXPECT_FLOAT_EQ(strips[s].meter, expected[s]) << s;
    }
    deliverBlock("/meter2", levels(25, {{22, 0.8f}, {23, 0.7f}}));
    EXPECT_FLOAT_EQ(strips[70].meter, 0.8f);
    EXPECT_EQ(counted(), 0);
    EXPECT_TRUE(observedAddresses.empty());
}

TEST_F(ReplyStrips, EveryMeterBlockSendsTheShownStripsStoredLevels)
{
    const int bank[8] = {0, 1, 48, 49, 70, 71, 72, BLANK_STRIP};
    std::memcpy(bankStrips, bank, sizeof bankStrips);
    // Levels on either side of the segment thresholds.
    deliverBlock("/meter2", levels(25, {{0, 0.1f}, {1, 0.0015f}, {22, 0.005f}, {23, 0.6f}, {24, 1.0f}}));
    EXPECT_EQ(takeMeterBytes(), (std::vector<int>{0x00, 0x10, 0x24, 0x31, 0x46, 0x58, 0x60, 0x70}));
    // A channel block changes only the channels but sends all eight again.
    deliverBlock("/meter1", levels(32, {{0, 0.3f}, {1, 0.0009f}}));
    EXPECT_EQ(takeMeterBytes(), (std::vector<int>{0x05, 0x10, 0x24, 0x31, 0x46, 0x58, 0x60, 0x70}));
    deliverBlock("/meter10", levels(32));  // the first block's handler too
    EXPECT_EQ(takeMeterBytes(), (std::vector<int>{0x00, 0x10, 0x24, 0x31, 0x46, 0x58, 0x60, 0x70}));
    // No shown strip in the aux and effects-return block: nothing to send.
    deliverBlock("/meter3", levels(22, {{6, 1.0f}}));
    EXPECT_TRUE(takeMeterBytes().empty());
}

TEST_F(ReplyStrips, MetersGoOutAfterTheBlocksThatHoldTheShownStrips)
{
    const struct { int bank[8]; bool sentAfter[3]; } cases[] = {
        {{0, 1, 2, 3, 4, 5, 6, 7}, {true, false, false}},
        {{32, 40, 47, BLANK_STRIP, BLANK_STRIP, BLANK_STRIP, BLANK_STRIP, BLANK_STRIP}, {false, false, true}},
        {{48, 63, 64, 69, 70, 71, 72, 79}, {false, true, false}},
        {{31, 32, 48, 72, BLANK_STRIP, BLANK_STRIP, BLANK_STRIP, BLANK_STRIP}, {true, true, true}},
        // Only DCAs and blanks: the channel block keeps the zeros going.
        {{72, 73, 74, 75, 76, 77, 78, 79}, {true, false, false}},
        {{BLANK_STRIP, BLANK_STRIP, BLANK_STRIP, BLANK_STRIP, BLANK_STRIP, BLANK_STRIP, BLANK_STRIP, BLANK_STRIP},
         {true, false, false}},
    };
    const char* blocks[3] = {"/meter1", "/meter2", "/meter3"};
    const int sizes[3] = {32, 25, 22};
    for (const auto& c : cases) {
        std::memcpy(bankStrips, c.bank, sizeof bankStrips);
        for (int b = 0; b < 3; ++b) {
            SCOPED_TRACE(std::string(blocks[b]) + " bank from " + std::to_string(c.bank[0]));
            deliverBlock(blocks[b], levels(sizes[b]));
            EXPECT_EQ(takeMeterBytes().size(), c.sentAfter[b] ? 8u : 0u);
        }
    }
}

TEST_F(ReplyStrips, BrokenMeterBlocksChangeNothingAndSendNothing)
{
    for (int s = 0; s < STRIP_COUNT; ++s) strips[s].meter = 0.25f;
    const int bank[8] = {0, 48, 32, 70, 71, 1, 2, 3};
    std::memcpy(bankStrips, bank, sizeof bankStrips);
    ModelSnapshot before = takeSnapshot();
    // One value short of the last one each block uses.
    deliverBlock("/meter1", levels(31));
    deliverBlock("/meter2", levels(24));
    deliverBlock("/meter3", levels(21));
    // Short by a single byte, or a blob size running past the datagram.
    std::vector<uint8_t> block = meterBlock(levels(32));
    deliver("/meter1", "b", static_cast<int32_t>(block.size() - 1), block.data());
    Encoded e = encode("/meter1", "b", static_cast<int32_t>(block.size()), block.data());
    deliverBytes(e.bytes, e.length - 8);
    deliver("/meter1", "i", 1);  // other types
    deliver("/meter2", "f", 0.5);
    deliver("/meter3", "");
    EXPECT_EQ(modelDifference(before), "");
    EXPECT_TRUE(takeMeterBytes().empty());

    // Values that are not numbers show as silence.
    deliverBlock("/meter1", levels(32, {{0, std::nanf("")}, {1, INFINITY}}));
    EXPECT_FLOAT_EQ(strips[0].meter, 0.0f);
    EXPECT_FLOAT_EQ(strips[1].meter, 0.0f);
}

} // namespace
