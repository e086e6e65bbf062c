// Strip replies: every field each family fills, the conversions, and the
// suffixes a family must not answer.
#include "replies_support.h"

using namespace replytest;

namespace {

struct FieldCase {
    const char* address;
    char tag;       // 'i' or 'f'
    double value;   // sent as an int or a float
    double (*field)();
    double expected;
};

void sendValue(const char* address, char tag, double value)
{
    if (tag == 'i') deliver(address, "i", static_cast<int32_t>(value));
    else deliver(address, "f", value);
}

void checkFieldCases(const FieldCase* cases, size_t count)
{
    for (size_t n = 0; n < count; ++n) {
        const FieldCase& c = cases[n];
        SCOPED_TRACE(c.address);
        resetConsoleModel();
        observedAddresses.clear();
        {
            std::lock_guard<std::mutex> lock(modelMutex);
            replyCounter = 0;
        }
        ASSERT_NE(c.field(), c.expected) << "case would pass without the reply";
        sendValue(c.address, c.tag, c.value);
        EXPECT_DOUBLE_EQ(c.field(), c.expected);
        EXPECT_EQ(counted(), 1);
        ASSERT_EQ(observedAddresses.size(), 1u);
        EXPECT_EQ(observedAddresses[0], c.address);
    }
}

const FieldCase channelCases[] = {
    {"/ch/01/mix/fader", 'f', 0.75, [] { return strips[0].fader; }, 0.75},
    {"/ch/04/mix/pan", 'f', 0.25, [] { return strips[3].pan; }, 0.25},
    {"/ch/32/mix/on", 'i', 0, [] { return double(strips[31].mute); }, 1},
    {"/ch/04/mix/st", 'i', 1, [] { return double(strips[3].stereo); }, 1},
    {"/ch/04/mix/mono", 'i', 1, [] { return double(strips[3].mono); }, 1},
    {"/ch/04/mix/mlevel", 'f', 0.5, [] { return strips[3].monoLevel; }, 0.5},
    {"/ch/05/mix/03/on", 'i', 1, [] { return double(strips[4].sends[3].on); }, 1},
    {"/ch/05/mix/03/level", 'f', 0.5, [] { return strips[4].sends[3].level; }, 0.5},
    {"/ch/05/mix/16/level", 'f', 0.125, [] { return strips[4].sends[16].level; }, 0.125},
    {"/ch/05/mix/1/on", 'i', 1, [] { return double(strips[4].sends[1].on); }, 1},
    {"/ch/07/gate/on", 'i', 1, [] { return double(strips[6].gateOn); }, 1},
    {"/ch/07/gate/mode", 'i', 3, [] { return double(strips[6].gateMode); }, 3},
    {"/ch/07/gate/thr", 'f', 0.5, [] { return strips[6].gateThr; }, 0.5},
    {"/ch/07/gate/range", 'f', 0.25, [] { return strips[6].gateRange; }, 0.25},
    {"/ch/07/gate/attack", 'f', 0.125, [] { return strips[6].gateAttack; }, 0.125},
    {"/ch/07/gate/hold", 'f', 0.375, [] { return strips[6].gateHold; }, 0.375},
    {"/ch/07/gate/release", 'f', 0.625, [] { return strips[6].gateRelease; }, 0.625},
    {"/ch/07/gate/keysrc", 'i', 12, [] { return double(strips[6].gateKeySrc); }, 12},
    {"/ch/07/gate/filter/on", 'i', 1, [] { return double(strips[6].gateFilterOn); }, 1},
    {"/ch/07/gate/filter/type", 'i', 3, [] { return double(strips[6].gateFilterType); }, 3},
    {"/ch/07/gate/filter/f", 'f', 0.875, [] { return strips[6].gateFilterF; }, 0.875},
    {"/ch/07/dyn/on", 'i', 1, [] { return double(strips[6].dynOn); }, 1},
    {"/ch/07/dyn/mode", 'i', 1, [] { return double(strips[6].dynMode); }, 1},
    {"/ch/07/dyn/det", 'i', 1, [] { return double(strips[6].dynDet); }, 1},
    {"/ch/07/dyn/env", 'i', 1, [] { return double(strips[6].dynEnv); }, 1},
    {"/ch/07/dyn/thr", 'f', 0.5, [] { return strips[6].dynThr; }, 0.5},
    {"/ch/07/dyn/ratio", 'i', 4, [] { return double(strips[6].dynRatio); }, 4},
    {"/ch/07/dyn/knee", 'f', 0.25, [] { return strips[6].dynKnee; }, 0.25},
    {"/ch/07/dyn/mgain", 'f', 0.125, [] { return strips[6].dynMGain; }, 0.125},
    {"/ch/07/dyn/attack", 'f', 0.375, [] { return strips[6].dynAttack; }, 0.375},
    {"/ch/07/dyn/hold", 'f', 0.625, [] { return strips[6].dynHold; }, 0.625},
    {"/ch/07/dyn/release", 'f', 0.875, [] { return strips[6].dynRelease; }, 0.875},
    {"/ch/07/dyn/mix", 'f', 0.75, [] { return strips[6].dynMix; }, 0.75},
    {"/ch/07/dyn/keysrc", 'i', 5, [] { return double(strips[6].dynKeySrc); }, 5},
    {"/ch/07/dyn/filter/on", 'i', 1, [] { return double(strips[6].dynFilterOn); }, 1},
    {"/ch/07/dyn/filter/type", 'i', 3, [] { return double(strips[6].dynFilterType); }, 3},
    {"/ch/07/dyn/filter/f", 'f', 0.5, [] { return strips[6].dynFilterF; }, 0.5},
    {"/ch/08/automix/group", 'i', 2, [] { return double(strips[7].automixGroup); }, 2},
    {"/ch/08/automix/weight", 'f', 0.5, [] { return strips[7].automixWeight; }, 0.5},
    {"/ch/02/eq/on", 'i', 1, [] { return double(strips[1].eqOn); }, 1},
    {"/ch/02/eq/2/g", 'f', 0.625, [] { return strips[1].eq[2].g; }, 0.625},
    {"/ch/02/eq/4/type", 'i', 3, [] { return double(strips[1].eq[4].type); }, 3},
    {"/ch/02/eq/1/f", 'f', 0.25, [] { return strips[1].eq[1].f; }, 0.25},
    {"/ch/02/eq/3/q", 'f', 0.5, [] { return strips[1].eq[3].q; }, 0.5},
    {"/ch/09/preamp/invert", 'i', 1, [] { return double(strips[8].invert); }, 1},
    {"/ch/09/preamp/hpon", 'i', 1, [] { return double(strips[8].hpOn); }, 1},
    {"/ch/09/preamp/hpf", 'f', 0.25, [] { return strips[8].hpf; }, 0.25},
    {"/ch/09/preamp/trim", 'f', 0.5, [] { return strips[8].trim; }, 0.5},
    {"/ch/10/delay/on", 'i', 1, [] { return double(strips[9].delayOn); }, 1},
    {"/ch/10/delay/time", 'f', 0.375, [] { return strips[9].delayTime; }, 0.375},
    {"/ch/10/insert/on", 'i', 1, [] { return double(strips[9].insertOn); }, 1},
    {"/ch/10/insert/pos", 'i', 1, [] { return double(strips[9].insertPos); }, 1},
    {"/ch/10/insert/sel", 'i', 5, [] { return double(strips[9].insertSel); }, 5},
    {"/ch/11/config/source", 'i', 7, [] { return double(strips[10].source); }, 7},
};

const FieldCase otherFamilyCases[] = {
    {"/auxin/02/mix/fader", 'f', 0.375, [] { return strips[33].fader; }, 0.375},
    {"/auxin/08/mix/pan", 'f', 0.25, [] { return strips[39].pan; }, 0.25},
    {"/auxin/01/mix/on", 'i', 0, [] { return double(strips[32].mute); }, 1},
    {"/auxin/01/mix/st", 'i', 1, [] { return double(strips[32].stereo); }, 1},
    {"/auxin/01/mix/mono", 'i', 1, [] { return double(strips[32].mono); }, 1},
    {"/auxin/01/mix/mlevel", 'f', 0.5, [] { return strips[32].monoLevel; }, 0.5},
    {"/auxin/01/mix/16/level", 'f', 0.5, [] { return strips[32].sends[16].level; }, 0.5},
    {"/auxin/01/mix/02/on", 'i', 1, [] { return double(strips[32].sends[2].on); }, 1},
    {"/auxin/01/eq/on", 'i', 1, [] { return double(strips[32].eqOn); }, 1},
    {"/auxin/01/eq/4/q", 'f', 0.25, [] { return strips[32].eq[4].q; }, 0.25},
    {"/auxin/01/preamp/invert", 'i', 1, [] { return double(strips[32].invert); }, 1},
    {"/auxin/01/preamp/trim", 'f', 0.5, [] { return strips[32].trim; }, 0.5},
    {"/auxin/01/config/source", 'i', 3, [] { return double(strips[32].source); }, 3},
    {"/auxin/01/grp/mute", 'i', 1, [] { return double(strips[32].muteGroups[0]); }, 1},
    {"/fxrtn/08/mix/fader", 'f', 0.375, [] { return strips[47].fader; }, 0.375},
    {"/fxrtn/01/mix/16/on", 'i', 1, [] { return double(strips[40].sends[16].on); }, 1},
    {"/fxrtn/01/eq/4/f", 'f', 0.5, [] { return strips[40].eq[4].f; }, 0.5},
    {"/fxrtn/01/mix/st", 'i', 1, [] { return double(strips[40].stereo); }, 1},
    {"/fxrtn/02/grp/dca", 'i', 2, [] { return double(strips[41].dcaGroups[1]); }, 1},
    {"/bus/16/mix/st", 'i', 1, [] { return double(strips[63].stereo); }, 1},
    {"/bus/16/mix/mono", 'i', 1, [] { return double(strips[63].mono); }, 1},
    {"/bus/01/mix/06/level", 'f', 0.25, [] { return strips[48].sends[6].level; }, 0.25},
    {"/bus/01/mix/01/on", 'i', 1, [] { return double(strips[48].sends[1].on); }, 1},
    {"/bus/01/mix/mlevel", 'f', 0.5, [] { return strips[48].monoLevel; }, 0.5},
    {"/bus/01/eq/6/q", 'f', 0.5, [] { return strips[48].eq[6].q; }, 0.5},
    {"/bus/01/dyn/knee", 'f', 0.25, [] { return strips[48].dynKnee; }, 0.25},
    {"/bus/01/dyn/filter/f", 'f', 0.75, [] { return strips[48].dynFilterF; }, 0.75},
    {"/bus/03/grp/mute", 'i', 32, [] { return double(strips[50].muteGroups[5]); }, 1},
    {"/mtx/06/dyn/ratio", 'i', 4, [] { return double(strips[69].dynRatio); }, 4},
    {"/mtx/01/mix/fader", 'f', 0.5, [] { return strips[64].fader; }, 0.5},
    {"/mtx/01/mix/pan", 'f', 0.75, [] { return strips[64].pan; }, 0.75},
    {"/mtx/01/mix/on", 'i', 0, [] { return double(strips[64].mute); }, 1},
    {"/mtx/01/eq/6/g", 'f', 0.25, [] { return strips[64].eq[6].g; }, 0.25},
    {"/mtx/02/dyn/thr", 'f', 0.5, [] { return strips[65].dynThr; }, 0.5},
    {"/main/st/mix/on", 'i', 0, [] { return double(strips[70].mute); }, 1},
    {"/main/st/mix/pan", 'f', 0.25, [] { return strips[70].pan; }, 0.25},
    {"/main/st/mix/06/level", 'f', 0.5, [] { return strips[70].sends[6].level; }, 0.5},
    {"/main/st/dyn/mix", 'f', 0.75, [] { return strips[70].dynMix; }, 0.75},
    {"/main/st/mix/fader", 'f', 0.5, [] { return strips[70].fader; }, 0.5},
    {"/main/m/eq/6/f", 'f', 0.625, [] { return strips[71].eq[6].f; }, 0.625},
    {"/main/m/mix/01/on", 'i', 1, [] { return double(strips[71].sends[1].on); }, 1},
    {"/main/m/mix/fader", 'f', 0.25, [] { return strips[71].fader; }, 0.25},
    {"/dca/8/fader", 'f', 1.0, [] { return strips[79].fader; }, 1.0},
    {"/dca/1/on", 'i', 0, [] { return double(strips[72].mute); }, 1},
};

class ReplyStripFields : public ReplyTest {};

TEST_F(ReplyStripFields, EveryChannelRowStoresItsField)
{
    checkFieldCases(channelCases, std::size(channelCases));
}

TEST_F(ReplyStripFields, OtherFamiliesStoreTheirFields)
{
    checkFieldCases(otherFamilyCases, std::size(otherFamilyCases));
}

TEST_F(ReplyStripFields, BusStereoLeavesMonoAlone)
{
    strips[63].mono = 1;
    deliver("/bus/16/mix/st", "i", 0);
    EXPECT_EQ(strips[63].stereo, 0);
    EXPECT_EQ(strips[63].mono, 1);
    EXPECT_EQ(counted(), 1);
}

TEST_F(ReplyStripFields, OnIsKeptAsMute)
{
    deliver("/ch/03/mix/on", "i", 0);
    EXPECT_EQ(strips[2].mute, 1);
    deliver("/ch/03/mix/on", "i", 1);
    EXPECT_EQ(strips[2].mute, 0);
    deliver("/dca/3/on", "i", 0);
    EXPECT_EQ(strips[74].mute, 1);
    EXPECT_EQ(counted(), 3);
}

TEST_F(ReplyStripFields, GroupMasksAreUnpackedBitByBit)
{
    struct {
        const char* address;
        int32_t mask;
        int dca[8];
        int mute[6];
    } cases[] = {
        {"/ch/03/grp/dca", 130, {0, 1, 0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0}},
        {"/ch/03/grp/dca", 5, {1, 0, 1, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}},
        {"/ch/03/grp/mute", 63, {0, 0, 0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1}},
        // Bits above the sixth group belong to no group.
        {"/ch/03/grp/mute", 64 | 2, {0, 0, 0, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        resetStrip(2);
        // Earlier flags must be cleared, not only new ones set.
        for (int& f : strips[2].dcaGroups) f = 1;
        for (int& f : strips[2].muteGroups) f = 1;
        if (std::strcmp(c.address, "/ch/03/grp/dca") == 0) {
            for (int& f : strips[2].muteGroups) f = 0;
        } else {
            for (int& f : strips[2].dcaGroups) f = 0;
        }
        deliver(c.address, "i", c.mask);
        for (int k = 0; k < 8; ++k) EXPECT_EQ(strips[2].dcaGroups[k], c.dca[k]) << "dca " << k;
        for (int k = 0; k < 6; ++k) EXPECT_EQ(strips[2].muteGroups[k], c.mute[k]) << "mute " << k;
    }
}

TEST_F(ReplyStripFields, ColoursFoldIntoPlainAndInverted)
{
    struct {
        const char* address;
        int32_t value;
        int strip;
        int color;
        int inverted;
    } cases[] = {
        {"/ch/03/config/color", 12, 2, 4, 1}, {"/ch/03/config/color", 9, 2, 1, 1},
        {"/ch/03/config/color", 0, 2, 0, 0},  {"/ch/03/config/color", 7, 2, 7, 0},
        {"/ch/03/config/color", 15, 2, 7, 1}, {"/dca/3/config/color", 10, 74, 2, 1},
        {"/main/m/config/color", 8, 71, 0, 1}, {"/mtx/02/config/color", 3, 65, 3, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        resetCounters();
        deliver(c.address, "i", c.value);
        EXPECT_EQ(strips[c.strip].color, c.color);
        EXPECT_EQ(strips[c.strip].colorInverted, c.inverted);
        EXPECT_EQ(counted(), 1);
    }
}

TEST_F(ReplyStripFields, NamesKeepSevenCharacters)
{
    struct {
        const char* address;
        const char* sent;
        int strip;
        const char* stored;
    } cases[] = {
        {"/ch/03/config/name", "Lead Vocals", 2, "Lead Vo"},
        {"/ch/03/config/name", "Kik", 2, "Kik"},
        {"/ch/03/config/name", "Exactly", 2, "Exactly"},
        {"/ch/03/config/name", "", 2, ""},
        {"/bus/02/config/name", "Monitor Wedge", 49, "Monitor"},
        {"/dca/2/config/name", "Drums", 73, "Drums"},
        {"/main/st/config/name", "LR", 70, "LR"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        std::memcpy(strips[c.strip].name, "ABCDEFG", 8);
        resetCounters();
        deliver(c.address, "s", c.sent);
        EXPECT_STREQ(strips[c.strip].name, c.stored);
        EXPECT_EQ(counted(), 1);
    }
}

TEST_F(ReplyStripFields, UnterminatedNameEmptiesTheName)
{
    std::memcpy(strips[2].name, "Old", 4);
    Encoded e = encode("/ch/03/config/name", "s", "ABCDEFGH");
    // Cut the string's terminating zeros off the datagram.
    deliverBytes(e.bytes, e.length - 4);
    EXPECT_STREQ(strips[2].name, "");
    EXPECT_EQ(counted(), 1);
}

// Suffixes a family does not answer, each sent with the type its field would
// take elsewhere, so only the address rule can reject it.
TEST_F(ReplyStripFields, SuffixesOutsideAFamilyStoreNothing)
{
    const struct {
        const char* address;
        char tag;
    } cases[] = {
        {"/mtx/01/mix/mono", 'i'},       {"/mtx/01/mix/st", 'i'},
        {"/mtx/01/mix/mlevel", 'f'},     {"/mtx/01/mix/01/level", 'f'},
        {"/mtx/01/grp/mute", 'i'},       {"/fxrtn/01/preamp/trim", 'f'},
        {"/fxrtn/01/preamp/invert", 'i'}, {"/fxrtn/01/config/source", 'i'},
        {"/fxrtn/01/dyn/thr", 'f'},      {"/auxin/01/gate/on", 'i'},
        {"/auxin/01/dyn/on", 'i'},       {"/auxin/01/preamp/hpon", 'i'},
        {"/auxin/01/automix/group", 'i'}, {"/auxin/01/delay/on", 'i'},
        {"/bus/01/preamp/invert", 'i'},  {"/bus/01/config/source", 'i'},
        {"/bus/01/gate/thr", 'f'},       {"/bus/01/insert/on", 'i'},
        {"/main/st/grp/dca", 'i'},       {"/main/m/mix/mono", 'i'},
        {"/main/st/mix/st", 'i'},        {"/main/st/mix/mlevel", 'f'},
        {"/main/st/preamp/trim", 'f'},   {"/dca/1/mix/pan", 'f'},
        {"/dca/1/mix/fader", 'f'},       {"/dca/1/mix/on", 'i'},
        {"/dca/1/pan", 'f'},             {"/dca/1/eq/1/f", 'f'},
        {"/dca/1/dyn/on", 'i'},          {"/dca/1/grp/dca", 'i'},
        {"/ch/01/fader", 'f'},           {"/ch/01/on", 'i'},
        {"/ch/01/config/colour", 'i'},   {"/ch/01/automix/enable", 'i'},
    };
    ModelSnapshot before;
    takeSnapshot(before);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        sendValue(c.address, c.tag, c.tag == 'i' ? 1 : 0.5);
        EXPECT_EQ(modelDifference(before), "");
    }
    EXPECT_EQ(counted(), 0);
    EXPECT_TRUE(observedAddresses.empty());
}

} // namespace
