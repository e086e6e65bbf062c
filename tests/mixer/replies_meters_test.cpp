// Meter blocks: the strips they fill and the eight surface meters re-sent
// after each block.
#include <cmath>

#include "replies_support.h"
#include "surface/output_queue.h"

using namespace replytest;

namespace {

class ReplyMeters : public ReplyTest {
protected:
    static void deliverBlock(const char* address, const std::vector<uint8_t>& block)
    {
        deliver(address, "b", static_cast<int32_t>(block.size()), block.data());
    }

    // The second bytes of the queued meter messages, strip * 16 + segment.
    static std::vector<int> takeMeterBytes()
    {
        std::vector<int> levels;
        SurfaceMessage message;
        while (takeQueuedSurfaceMessage(message)) {
            EXPECT_EQ(message.length, 2);
            EXPECT_EQ(message.data[0], 0xD0);
            levels.push_back(message.data[1]);
        }
        return levels;
    }

    static std::vector<float> values(int count, float fill)
    {
        return std::vector<float>(static_cast<size_t>(count), fill);
    }
};

TEST_F(ReplyMeters, FirstBlockFillsTheInputChannels)
{
    std::vector<float> v(40, 0.0f);
    for (int k = 0; k < 32; ++k) v[k] = 0.01f * static_cast<float>(k + 1);
    v[32] = 0.9f;  // beyond the channels: ignored
    deliverBlock("/meter1", meterBlock(v));
    for (int k = 0; k < 32; ++k) EXPECT_FLOAT_EQ(strips[k].meter, v[k]) << k;
    EXPECT_FLOAT_EQ(strips[32].meter, 0.0f);
    EXPECT_EQ(counted(), 0);
    EXPECT_TRUE(observedAddresses.empty());
}

TEST_F(ReplyMeters, SecondBlockFillsBusesMatricesAndMains)
{
    std::vector<float> v(25, 0.0f);
    for (int k = 0; k < 22; ++k) v[k] = 0.02f * static_cast<float>(k + 1);
    v[22] = 0.2f;
    v[23] = 0.7f;
    v[24] = 0.3f;
    deliverBlock("/meter2", meterBlock(v));
    for (int k = 0; k < 22; ++k) EXPECT_FLOAT_EQ(strips[48 + k].meter, v[k]) << k;
    EXPECT_FLOAT_EQ(strips[70].meter, 0.7f);
    EXPECT_FLOAT_EQ(strips[71].meter, 0.3f);
    v[22] = 0.8f;
    deliverBlock("/meter2", meterBlock(v));
    EXPECT_FLOAT_EQ(strips[70].meter, 0.8f);
    for (int s = 72; s < 80; ++s) EXPECT_FLOAT_EQ(strips[s].meter, 0.0f);
}

TEST_F(ReplyMeters, ThirdBlockSkipsItsFirstSixValues)
{
    std::vector<float> v(22, 0.5f);
    for (int k = 6; k < 22; ++k) v[k] = 0.03f * static_cast<float>(k);
    deliverBlock("/meter3", meterBlock(v));
    EXPECT_FLOAT_EQ(strips[32].meter, v[6]);
    EXPECT_FLOAT_EQ(strips[47].meter, v[21]);
    for (int k = 6; k < 22; ++k) EXPECT_FLOAT_EQ(strips[26 + k].meter, v[k]);
    for (int s = 0; s < 32; ++s) EXPECT_FLOAT_EQ(strips[s].meter, 0.0f) << s;
}

TEST_F(ReplyMeters, ShownStripsGoToTheSurfaceMeters)
{
    const int bank[8] = {0, 1, 2, 3, 80, 80, 80, 80};
    std::memcpy(bankStrips, bank, sizeof bankStrips);
    std::vector<float> v(32, 0.0f);
    // Levels chosen on either side of the segment thresholds.
    v[0] = 1.0f;
    v[1] = 0.6f;
    v[2] = 0.0015f;
    v[3] = 0.0009f;
    takeMeterBytes();
    deliverBlock("/meter1", meterBlock(v));
    EXPECT_EQ(takeMeterBytes(), (std::vector<int>{0x08, 0x16, 0x21, 0x30, 0x40, 0x50, 0x60, 0x70}));
}

TEST_F(ReplyMeters, EveryBlockResendsTheStoredLevels)
{
    const int bank[8] = {48, 49, 50, 51, 70, 71, 72, 80};
    std::memcpy(bankStrips, bank, sizeof bankStrips);
    std::vector<float> v(25, 0.0f);
    v[0] = 0.1f;
    v[1] = 0.3f;
    v[2] = 0.9f;
    v[3] = 0.02f;
    v[22] = 0.005f;
    v[23] = 0.6f;
    v[24] = 1.0f;
    deliverBlock("/meter2", meterBlock(v));
    std::vector<int> expected{0x04, 0x15, 0x27, 0x33, 0x46, 0x58, 0x60, 0x70};
    EXPECT_EQ(takeMeterBytes(), expected);
    // A channel block changes none of them but sends them again.
    deliverBlock("/meter1", meterBlock(values(32, 0.9f)));
    EXPECT_EQ(takeMeterBytes(), expected);
    deliverBlock("/meter10", meterBlock(values(32, 0.9f)));
    EXPECT_EQ(takeMeterBytes(), expected);
}

TEST_F(ReplyMeters, BrokenBlocksChangeNothingAndSendNothing)
{
    for (int s = 0; s < 80; ++s) strips[s].meter = 0.25f;
    const int bank[8] = {0, 48, 32, 70, 71, 1, 2, 3};
    std::memcpy(bankStrips, bank, sizeof bankStrips);
    ModelSnapshot before;
    takeSnapshot(before);
    // One value short of the last one each block uses.
    deliverBlock("/meter1", meterBlock(values(31, 0.9f)));
    deliverBlock("/meter2", meterBlock(values(24, 0.9f)));
    deliverBlock("/meter3", meterBlock(values(21, 0.9f)));
    // Short by a single byte.
    std::vector<uint8_t> block = meterBlock(values(32, 0.9f));
    block.pop_back();
    deliverBlock("/meter1", block);
    // Other argument types and no argument at all.
    deliver("/meter1", "i", 1);
    deliver("/meter2", "f", 0.5);
    deliver("/meter3", "");
    // A blob whose count runs past the end of the datagram.
    block = meterBlock(values(32, 0.9f));
    Encoded e = encode("/meter1", "b", static_cast<int32_t>(block.size()), block.data());
    deliverBytes(e.bytes, e.length - 8);
    EXPECT_EQ(modelDifference(before), "");
    EXPECT_TRUE(takeMeterBytes().empty());
}

TEST_F(ReplyMeters, ExactlySizedBlocksAreAccepted)
{
    deliverBlock("/meter1", meterBlock(values(32, 0.5f)));
    deliverBlock("/meter2", meterBlock(values(25, 0.5f)));
    deliverBlock("/meter3", meterBlock(values(22, 0.5f)));
    EXPECT_FLOAT_EQ(strips[31].meter, 0.5f);
    EXPECT_FLOAT_EQ(strips[71].meter, 0.5f);
    EXPECT_FLOAT_EQ(strips[47].meter, 0.5f);
    EXPECT_EQ(takeMeterBytes().size(), 24u);
}

TEST_F(ReplyMeters, ValuesThatAreNotNumbersShowAsSilence)
{
    strips[0].meter = 0.5f;
    std::vector<float> v(32, 0.0f);
    v[0] = std::nanf("");
    v[1] = INFINITY;
    deliverBlock("/meter1", meterBlock(v));
    EXPECT_FLOAT_EQ(strips[0].meter, 0.0f);
    EXPECT_FLOAT_EQ(strips[1].meter, 0.0f);
}

} // namespace
