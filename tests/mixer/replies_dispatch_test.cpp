// Head-amp, status, configuration and effects replies, the refresh each
// reply causes and the observer the start-up query-and-wait relies on; then
// hostile or broken replies of every family: nothing stored, nothing
// counted, no observer call.
#include "replies_support.h"

using namespace replytest;

namespace {

class ReplyDispatch : public ReplyTest {};

TEST_F(ReplyDispatch, EachValueLandsInItsPlaceAndNowhereElse)
{
    const struct { const char* address; int32_t value; int* target; } cases[] = {
        // Head amps, solo and the selection are compared with the console end
        // to end; these values no page there shows.
        {"/-ha/79/index", 127, &strips[79].haIndex},  {"/-ha/06/anything", 7, &strips[6].haIndex},
        {"/-stat/keysolo", 1, &keySolo},              {"/-stat/lock", 1, &consoleLock},
        {"/config/amixenable/X", 1, &automixEnableX}, {"/config/amixenable/Y", 1, &automixEnableY},
        {"/config/userrout/in/01", 4, &userRouting[0]}, {"/config/userrout/in/32", 10, &userRouting[31]},
        {"/config/routing/routswitch", 1, &routSwitch}, {"/config/mute/1", 1, &muteGroupOn[0]},
        {"/config/mute/6", 1, &muteGroupOn[5]},       {"/fx/1/type", 11, &fxSlots[1].type},
        {"/fx/8/type", 0, &fxSlots[8].type},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        resetConsoleModel();
        resetCounters();
        int start = *c.target = 99;
        ModelSnapshot before = takeSnapshot();
        deliver(c.address, "i", c.value);
        EXPECT_EQ(*c.target, c.value);
        *c.target = start;
        EXPECT_EQ(modelDifference(before), "") << "something else changed too";
        EXPECT_EQ(counted(), 1);
        EXPECT_EQ(observedAddresses, std::vector<std::string>{c.address});  // unsplit
        EXPECT_TRUE(mutexFreeAtObserver);
    }
    resetCounters();
    strips[5].haIndex = 12;
    deliver("/-ha/05/index", "i", -1);  // no head-amp
    deliver("/headamp/000/gain", "f", 0.625);
    EXPECT_EQ(strips[5].haIndex, -1);
    EXPECT_DOUBLE_EQ(headamps[0].gain, 0.625);
    EXPECT_EQ(counted(), 2);
}

TEST_F(ReplyDispatch, EveryRoutingCellLandsInItsRowOnly)
{
    const struct { const char* row; std::vector<const char*> columns; } rows[6] = {
        {"IN", {"1-8", "9-16", "17-24", "25-32", "AUX"}},
        {"AES50A", {"1-8", "9-16", "17-24", "25-32", "33-40", "41-48"}},
        {"AES50B", {"1-8", "9-16", "17-24", "25-32", "33-40", "41-48"}},
        {"CARD", {"1-8", "9-16", "17-24", "25-32"}},
        {"OUT", {"1-4", "5-8", "9-12", "13-16"}},
        {"PLAY", {"1-8", "9-16", "17-24", "25-32"}},
    };
    int32_t value = 1;
    int expected[6][6] = {};
    for (int row = 0; row < 6; ++row) {
        for (size_t column = 0; column < rows[row].columns.size(); ++column) {
            std::string address = std::string("/config/routing/") + rows[row].row + "/" + rows[row].columns[column];
            deliver(address.c_str(), "i", value);
            expected[row][column] = value++;
            EXPECT_EQ(std::memcmp(expected, routingBlocks, sizeof expected), 0) << address;
        }
    }
    EXPECT_EQ(counted(), value - 1);
}

TEST_F(ReplyDispatch, EffectsParametersTakeIntsAndFloats)
{
    deliver("/fx/3/par/07", "i", 4);
    deliver("/fx/3/par/64", "f", 0.375);
    deliver("/fx/8/par/1", "f", 0.5);
    EXPECT_DOUBLE_EQ(fxSlots[3].par[7], 4.0);
    EXPECT_DOUBLE_EQ(fxSlots[3].par[64], 0.375);
    EXPECT_DOUBLE_EQ(fxSlots[8].par[1], 0.5);
    EXPECT_EQ(counted(), 3);

    // A string answers the query but is no value; a cut one does not count.
    ModelSnapshot before = takeSnapshot();
    deliver("/fx/3/par/07", "s", "HALL");
    Encoded e = encode("/fx/3/par/07", "s", "abc");
    deliverBytes(e.bytes, e.length - 4);  // the tag, but no string bytes
    EXPECT_EQ(modelDifference(before), "");
    EXPECT_EQ(counted(), 4);
}

// What one reply drives: the motor faders (before the count) or the full
// refresh, before and after start-up.
TEST_F(ReplyDispatch, RefreshFollowsTheReplyKind)
{
    const uint8_t block[132] = {};
    const struct { const char* address; char tag; int startup, motors, full; } cases[] = {
        {"/ch/01/mix/fader", 'f', 1, 1, 0}, {"/ch/01/mix/fader", 'f', 0, 1, 0}, {"/ch/01/mix/fader", 'i', 1, 0, 1},
        {"/ch/01/mix/fader", 'i', 0, 0, 0}, {"/ch/40/mix/fader", 'f', 1, 0, 1}, {"/ch/01/mix/pan", 'f', 1, 0, 1},
        {"/auxin/02/mix/fader", 'f', 1, 0, 1}, {"/fxrtn/08/mix/fader", 'f', 1, 1, 0}, {"/bus/01/mix/fader", 'f', 1, 1, 0},
        {"/mtx/01/mix/fader", 'f', 1, 1, 0}, {"/main/m/mix/fader", 'f', 0, 1, 0}, {"/dca/8/fader", 'f', 1, 1, 0},
        {"/dca/8/on", 'i', 1, 0, 1}, {"/-ha/05/index", 'i', 1, 0, 1}, {"/-ha/05/index", 'i', 0, 0, 0}, {"/headamp/007/gain", 'i', 1, 0, 1},
        {"/-stat/unknown", 'i', 1, 0, 1}, {"/config/mute/1", 'i', 1, 0, 1}, {"/fx/3/par/07", 'i', 1, 0, 1}, {"/fx/3/par/07", 'i', 0, 0, 0},
        {"/fx/3/par/64", 'f', 1, 0, 1}, {"/fx/3/type", 'i', 1, 0, 1}, {"/meter1", 'b', 1, 0, 0},
        {"/main/st/mix/fader", 'f', 1, 1, 0}, {"/ch/01/mix/unknown", 'f', 1, 0, 1}, {"/status", 'i', 1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.address) + " " + c.tag + " startup " + std::to_string(c.startup));
        resetCounters();
        startupComplete = c.startup;
        if (c.tag == 'b') deliver(c.address, "b", int32_t{sizeof block}, block);
        else deliverValue(c.address, c.tag, c.tag == 'i' ? 1 : 0.5);
        EXPECT_EQ(motorFaderDrives, c.motors);
        EXPECT_EQ(surfaceRefreshes, c.full);
        EXPECT_EQ(counterAtMotorDrive, c.motors ? 0 : -1);
    }
}

TEST_F(ReplyDispatch, ObserverSeesOnlyCountedRepliesUntilReset)
{
    deliver("/fx/3/par/08", "s", "text");
    deliver("/ch/05/mix/03/level", "i", 1);  // dropped: wrong type
    deliver("/meter1", "b", int32_t{0}, static_cast<const uint8_t*>(nullptr));
    deliver("/-stat/selidx", "i", 4);
    EXPECT_EQ(observedAddresses, (std::vector<std::string>{"/fx/3/par/08", "/-stat/selidx"}));
    EXPECT_TRUE(mutexFreeAtObserver);
    EXPECT_EQ(counted(), 2);
    // The reset removes observer and refresh targets; replies still count.
    resetAllState();
    resetCounters();
    startupComplete = 1;
    deliver("/ch/01/mix/pan", "f", 0.5);
    deliver("/ch/01/mix/fader", "f", 0.5);
    EXPECT_TRUE(observedAddresses.empty());
    EXPECT_EQ(surfaceRefreshes + motorFaderDrives, 0);
    EXPECT_EQ(counted(), 2);
}

class ReplyMalformed : public ReplyTest {
protected:
    void SetUp() override
    {
        ReplyTest::SetUp();
        before = takeSnapshot();
    }
    void expectUntouched()
    {
        EXPECT_EQ(modelDifference(before), "");
        EXPECT_EQ(counted(), 0);
        EXPECT_TRUE(observedAddresses.empty());
    }
    ModelSnapshot before;
};

struct Reply { const char* address; char tag; };  // tag 'i' or 'f'

Encoded encodeValid(const Reply& r) { return r.tag == 'i' ? encode(r.address, "i", 1) : encode(r.address, "f", 0.5); }

// One valid message per family and argument type; the test breaks each one.
const Reply validReplies[] = {
    {"/ch/01/mix/fader", 'f'}, {"/ch/05/mix/03/on", 'i'}, {"/ch/07/gate/filter/f", 'f'}, {"/auxin/02/mix/pan", 'f'},
    {"/fxrtn/08/eq/2/type", 'i'}, {"/bus/16/dyn/ratio", 'i'}, {"/mtx/06/mix/fader", 'f'}, {"/main/st/mix/on", 'i'},
    {"/main/m/eq/6/g", 'f'}, {"/dca/8/fader", 'f'}, {"/dca/1/config/color", 'i'}, {"/-ha/05/index", 'i'},
    {"/headamp/007/gain", 'f'}, {"/headamp/127/phantom", 'i'}, {"/-stat/solosw/71", 'i'}, {"/-stat/selidx", 'i'},
    {"/-stat/keysolo", 'i'}, {"/-stat/lock", 'i'}, {"/config/amixenable/X", 'i'}, {"/config/userrout/in/32", 'i'},
    {"/config/routing/AES50B/33-40", 'i'}, {"/config/routing/routswitch", 'i'}, {"/config/mute/6", 'i'},
    {"/fx/3/type", 'i'}, {"/fx/3/par/64", 'f'},
};

TEST_F(ReplyMalformed, EachValidReplyBrokenIsDropped)
{
    const uint8_t blob[4] = {0, 0, 0, 1};
    for (const Reply& r : validReplies) {
        SCOPED_TRACE(r.address);
        // The control: intact, the message counts.
        Encoded e = encodeValid(r);
        ASSERT_TRUE(deliverBytes(e.bytes, e.length));
        EXPECT_EQ(counted(), 1);
        resetConsoleModel();
        resetCounters();
        before = takeSnapshot();

        deliver(r.address, "");
        // The tag announces an argument the datagram does not (fully) carry.
        for (int cut = 1; cut <= 4; ++cut) deliverBytes(e.bytes, e.length - cut);
        // Another type; an effects parameter takes an int, float or string alike.
        if (std::strncmp(r.address, "/fx/3/par/", 10) != 0) {
            deliverValue(r.address, r.tag == 'i' ? 'f' : 'i', 1);
            deliver(r.address, "s", "1");
        }
        deliver(r.address, "T");
        deliver(r.address, "b", int32_t{4}, blob);
        expectUntouched();
    }
    Encoded name = encode("/ch/03/config/name", "s", "Kik");
    deliverBytes(name.bytes, name.length - 4);
    deliver("/ch/03/config/name", "i", 5);
    deliver("/ch/03/config/name", "f", 0.5);
    // Values the model cannot hold.
    for (int32_t color : {16, -1}) deliver("/ch/01/config/color", "i", color);
    for (int32_t index : {128, -2}) deliver("/-ha/05/index", "i", index);
    for (int32_t strip : {80, -1}) deliver("/-stat/selidx", "i", strip);
    expectUntouched();
}

TEST_F(ReplyMalformed, AddressesOutsideTheModelOrItsPatternsAreIgnored)
{
    const Reply cases[] = {
        // Suffixes a family does not answer, each with the type its field
        // would take elsewhere, so only the address rule can reject it.
        {"/mtx/01/mix/mono", 'i'}, {"/mtx/01/mix/st", 'i'}, {"/mtx/01/mix/mlevel", 'f'},
        {"/mtx/01/mix/01/level", 'f'}, {"/mtx/01/grp/mute", 'i'}, {"/fxrtn/01/preamp/trim", 'f'},
        {"/fxrtn/01/preamp/invert", 'i'}, {"/fxrtn/01/config/source", 'i'}, {"/fxrtn/01/dyn/thr", 'f'},
        {"/auxin/01/gate/on", 'i'}, {"/auxin/01/dyn/on", 'i'}, {"/auxin/01/preamp/hpon", 'i'},
        {"/auxin/01/automix/group", 'i'}, {"/auxin/01/delay/on", 'i'}, {"/bus/01/preamp/invert", 'i'},
        {"/bus/01/config/source", 'i'}, {"/bus/01/gate/thr", 'f'}, {"/bus/01/insert/on", 'i'},
        {"/main/st/grp/dca", 'i'}, {"/main/m/mix/mono", 'i'}, {"/main/st/mix/st", 'i'},
        {"/main/st/mix/mlevel", 'f'}, {"/main/st/preamp/trim", 'f'}, {"/dca/1/mix/pan", 'f'},
        {"/dca/1/mix/fader", 'f'}, {"/dca/1/mix/on", 'i'}, {"/dca/1/pan", 'f'}, {"/dca/1/eq/1/f", 'f'},
        {"/dca/1/dyn/on", 'i'}, {"/dca/1/grp/dca", 'i'}, {"/ch/01/fader", 'f'}, {"/ch/01/on", 'i'},
        {"/ch/01/config/colour", 'i'}, {"/ch/01/automix/enable", 'i'},
        // Numbers outside the model.
        {"/ch/33/mix/fader", 'f'}, {"/ch/00/mix/fader", 'f'}, {"/ch/99999/mix/fader", 'f'},
        {"/ch/1x/mix/fader", 'f'}, {"/ch/-1/mix/fader", 'f'}, {"/ch/01/mix/17/level", 'f'},
        {"/ch/01/mix/00/on", 'i'}, {"/ch/01/eq/5/g", 'f'}, {"/ch/01/eq/0/f", 'f'}, {"/ch/01/eq/2x/f", 'f'},
        {"/auxin/09/mix/fader", 'f'}, {"/auxin/00/mix/fader", 'f'}, {"/auxin/01/eq/5/f", 'f'},
        {"/fxrtn/09/mix/on", 'i'}, {"/bus/17/mix/fader", 'f'}, {"/bus/01/mix/07/level", 'f'},
        {"/bus/01/eq/7/f", 'f'}, {"/mtx/07/mix/fader", 'f'}, {"/mtx/00/mix/on", 'i'}, {"/main/st/mix/07/on", 'i'},
        {"/main/m/mix/07/level", 'f'}, {"/main/m/eq/7/q", 'f'}, {"/dca/9/fader", 'f'}, {"/dca/0/on", 'i'},
        {"/-ha/80/index", 'i'}, {"/-ha/xx/index", 'i'}, {"/headamp/128/gain", 'f'}, {"/headamp/x07/gain", 'f'},
        {"/-stat/solosw/81", 'i'}, {"/-stat/solosw/00", 'i'}, {"/config/userrout/in/33", 'i'},
        {"/config/userrout/in/00", 'i'}, {"/config/mute/7", 'i'}, {"/config/mute/0", 'i'}, {"/fx/9/type", 'i'},
        {"/fx/0/type", 'i'}, {"/fx/a/type", 'i'}, {"/fx/1/par/65", 'f'}, {"/fx/1/par/00", 'f'},
        {"/fx/1/par/x1", 'f'},
        // Words that match no pattern, or too few or too many of them.
        {"/ch/01/mix/fader/extra", 'f'}, {"/ch/01/mix", 'f'}, {"/ch/01", 'f'}, {"/ch/", 'f'},
        {"/ch/01/mix/one", 'i'}, {"/ch/01/Mix/fader", 'f'}, {"/ch/01/gate/filter", 'i'},
        {"/ch/01/gate/filter/x", 'i'}, {"/ch/01/mix/03", 'i'}, {"/ch/01/mix/03/level/x", 'f'},
        {"/main/st/01/mix/fader", 'f'}, {"/dca/1/config", 'i'}, {"/-ha/05", 'i'}, {"/-ha/05/index/x", 'i'},
        {"/headamp/007", 'f'}, {"/headamp/007/trim", 'f'}, {"/-stat/selidx/1", 'i'}, {"/-stat/solo", 'i'},
        {"/-stat/solosw", 'i'}, {"/-stat/Lock", 'i'}, {"/config/amixenable/Z", 'i'}, {"/config/amixenable", 'i'},
        {"/config/userrout/out/01", 'i'}, {"/config/routing/IN/33-40", 'i'}, {"/config/routing/OUT/1-8", 'i'},
        {"/config/routing/CARD/AUX", 'i'}, {"/config/routing/OUT/AUX", 'i'}, {"/config/routing/PLAY/33-40", 'i'},
        {"/config/routing/IN/41-48", 'i'}, {"/config/routing/CARD/1-4", 'i'}, {"/config/routing/in/1-8", 'i'},
        {"/config/routing/AES50A", 'i'}, {"/config/routing/IN/1-8/x", 'i'}, {"/config/chlink/1-2", 'i'},
        {"/config/mute", 'i'}, {"/fx/1/type/x", 'i'}, {"/fx/1/par", 'f'}, {"/fx/1/parameter/01", 'f'},
        {"/status", 'i'}, {"/chx/01/mix/fader", 'f'}, {"ch/01/mix/fader", 'f'}, {"/fx", 'i'},
        {"/main/mix/fader", 'f'}, {"/meter", 'i'}, {"/ch/4294967297/mix/fader", 'f'},
        {"/ch/01/mix/fader/a/b/c/d/e/f", 'f'},
    };
    for (const Reply& c : cases) {
        SCOPED_TRACE(c.address);
        Encoded e = encodeValid(c);
        deliverBytes(e.bytes, e.length);
        expectUntouched();
    }
}

TEST_F(ReplyMalformed, DispatcherRejectsAnUnterminatedAddress)
{
    // A record whose address ends one byte past its length: its argument
    // lies inside the length, so only the address bound can reject it.
    uint8_t bytes[32] = {',', 'i', 0, 0, 0, 0, 0, 1};
    std::memcpy(bytes + 8, "/-stat/lock", 12);
    ParsedOscMessage message{reinterpret_cast<char*>(bytes + 1), bytes + 4,
                             reinterpret_cast<char*>(bytes + 8), 11};
    dispatchReply(message);
    ParsedOscMessage empty{nullptr, nullptr, nullptr, 0};
    dispatchReply(empty);
    expectUntouched();
}

} // namespace
