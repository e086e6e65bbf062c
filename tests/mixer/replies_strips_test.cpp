// Strip replies: the field each family's rows fill (and nothing else) for
// the fields no page of the end-to-end comparison shows, group masks, long
// and cut names; the meter blocks and the eight surface meters re-sent after
// each block.
#include <bit>
#include <cmath>
#include <functional>
#include <variant>

#include "replies_support.h"
#include "surface/output_queue.h"

using namespace replytest;

namespace {

using Strips = StripRecord[STRIP_COUNT];
using Field = std::variant<int StripRecord::*, double StripRecord::*>;
using S = StripRecord;

class ReplyStrips : public ReplyTest {
protected:
    // The reply must make exactly the change expect makes, count once and
    // reach the observer with its unsplit address.
    static void checkStores(const std::string& address, char tag, double value,
                            const std::function<void(Strips&)>& expect)
    {
        static Strips start, expected;
        SCOPED_TRACE(address);
        resetConsoleModel();
        resetCounters();
        std::memcpy(start, strips, sizeof strips);
        std::memcpy(expected, strips, sizeof strips);
        expect(expected);
        ASSERT_NE(std::memcmp(expected, strips, sizeof strips), 0) << "case would pass without the reply";
        ModelSnapshot before = takeSnapshot();
        deliverValue(address.c_str(), tag, value);
        EXPECT_EQ(std::memcmp(expected, strips, sizeof strips), 0) << "wrong or further fields changed";
        std::memcpy(strips, start, sizeof strips);
        EXPECT_EQ(modelDifference(before), "") << "a part outside the strips changed";
        EXPECT_EQ(counted(), 1);
        EXPECT_EQ(observedAddresses, std::vector<std::string>{address});
    }

    // An int field gets the int 3, a double field the float 0.375.
    static void checkPlain(const std::string& address, int strip, Field field)
    {
        bool isInt = std::holds_alternative<int S::*>(field);
        checkStores(address, isInt ? 'i' : 'f', isInt ? 3 : 0.375, [&](Strips& s) {
            if (isInt) s[strip].*std::get<int S::*>(field) = 3;
            else s[strip].*std::get<double S::*>(field) = 0.375;
        });
    }
};

TEST_F(ReplyStrips, EveryPlainFieldIsStoredFromItsSuffix)
{
    // Fields no page of the end-to-end comparison shows; the others are
    // compared with the console there.
    const struct { const char* suffix; Field field; } channel7[] = {
        {"mix/st", &S::stereo}, {"gate/on", &S::gateOn}, {"gate/mode", &S::gateMode},
        {"gate/thr", &S::gateThr}, {"gate/range", &S::gateRange}, {"gate/attack", &S::gateAttack},
        {"gate/hold", &S::gateHold}, {"gate/release", &S::gateRelease}, {"gate/keysrc", &S::gateKeySrc},
        {"gate/filter/on", &S::gateFilterOn}, {"gate/filter/type", &S::gateFilterType},
        {"gate/filter/f", &S::gateFilterF}, {"dyn/on", &S::dynOn}, {"dyn/mode", &S::dynMode},
        {"dyn/det", &S::dynDet}, {"dyn/env", &S::dynEnv}, {"dyn/thr", &S::dynThr}, {"dyn/ratio", &S::dynRatio},
        {"dyn/knee", &S::dynKnee}, {"dyn/mgain", &S::dynMGain}, {"dyn/attack", &S::dynAttack},
        {"dyn/hold", &S::dynHold}, {"dyn/release", &S::dynRelease}, {"dyn/mix", &S::dynMix},
        {"dyn/keysrc", &S::dynKeySrc}, {"dyn/filter/on", &S::dynFilterOn}, {"dyn/filter/type", &S::dynFilterType},
        {"dyn/filter/f", &S::dynFilterF}, {"automix/group", &S::automixGroup}, {"automix/weight", &S::automixWeight},
        {"preamp/hpf", &S::hpf}, {"preamp/trim", &S::trim}, {"delay/time", &S::delayTime},
        {"config/source", &S::source},
    };
    for (const auto& r : channel7) checkPlain(std::string("/ch/07/") + r.suffix, 6, r.field);

    // The other families, at the ends of their number ranges.
    const struct { const char* address; int strip; Field field; } others[] = {
        {"/ch//32/mix//fader", 31, &S::fader},  // runs of "/" count as one
        {"/auxin/01/mix/st", 32, &S::stereo}, {"/auxin/01/preamp/trim", 32, &S::trim},
        {"/auxin/01/config/source", 32, &S::source}, {"/fxrtn/08/mix/st", 47, &S::stereo},
        {"/bus/16/mix/st", 63, &S::stereo}, {"/bus/01/dyn/knee", 48, &S::dynKnee},
        {"/bus/01/dyn/filter/f", 48, &S::dynFilterF}, {"/mtx/06/dyn/ratio", 69, &S::dynRatio},
        {"/main/st/dyn/mix", 70, &S::dynMix}, {"/main/m/dyn/thr", 71, &S::dynThr},
    };
    for (const auto& r : others) checkPlain(r.address, r.strip, r.field);
}

TEST_F(ReplyStrips, ConvertedAndIndexedFields)
{
    const struct { const char* address; char tag; double value; void (*expect)(Strips& s); } cases[] = {
        // Bands 5 and 6 (buses, matrices, mains); bands 1..4, sends, on and
        // colours are compared with the console end to end.
        {"/bus/01/eq/6/q", 'f', 0.5, [](Strips& s) { s[48].eq[6].q = 0.5; }},
        {"/mtx/01/eq/6/g", 'f', 0.25, [](Strips& s) { s[64].eq[6].g = 0.25; }},
        {"/main/m/eq/6/f", 'f', 0.625, [](Strips& s) { s[71].eq[6].f = 0.625; }},
        // Group masks bit by bit; bits above the sixth group belong to no group.
        {"/ch/03/grp/dca", 'i', 130, [](Strips& s) { s[2].dcaGroups[1] = s[2].dcaGroups[7] = 1; }},
        {"/ch/03/grp/mute", 'i', 64 | 2, [](Strips& s) { s[2].muteGroups[1] = 1; }},
        {"/auxin/01/grp/mute", 'i', 1, [](Strips& s) { s[32].muteGroups[0] = 1; }},
        {"/fxrtn/02/grp/dca", 'i', 2, [](Strips& s) { s[41].dcaGroups[1] = 1; }},
        {"/bus/03/grp/mute", 'i', 32, [](Strips& s) { s[50].muteGroups[5] = 1; }},
    };
    for (const auto& c : cases) checkStores(c.address, c.tag, c.value, c.expect);

    // A mask clears the groups it does not name; on 1 unmutes.
    strips[2].mute = 1;
    deliver("/ch/03/mix/on", "i", 1);
    EXPECT_EQ(strips[2].mute, 0);
    for (int& flag : strips[2].muteGroups) flag = 1;
    deliver("/ch/03/grp/mute", "i", 0);
    for (int flag : strips[2].muteGroups) EXPECT_EQ(flag, 0);
}

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
