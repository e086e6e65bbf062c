// Head-amp, status, configuration and effects replies, the refresh each
// reply causes and the observer the start-up query-and-wait relies on; then
// hostile or broken replies of every family: nothing stored, nothing
// counted, no observer call.
#include "replies_support.h"

using namespace replytest;

namespace {

class ReplyDispatch : public ReplyTest {};

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
    {"/fx/3/type", 'i'}, {"/fx/3/par/64", 'f'}, {"/config/chlink/31-32", 'i'}, {"/config/fxlink/1-2", 'i'},
    {"/bus/16/insert/sel", 'i'}, {"/mtx/01/insert/on", 'i'}, {"/main/m/insert/pos", 'i'},
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
        {"/mtx/01/mix/01/level", 'f'}, {"/mtx/01/mix/pan", 'f'}, {"/fxrtn/01/preamp/trim", 'f'},
        {"/fxrtn/01/preamp/invert", 'i'}, {"/fxrtn/01/config/source", 'i'}, {"/fxrtn/01/dyn/thr", 'f'},
        {"/auxin/01/gate/on", 'i'}, {"/auxin/01/dyn/on", 'i'}, {"/auxin/01/preamp/hpon", 'i'},
        {"/auxin/01/automix/group", 'i'}, {"/auxin/01/delay/on", 'i'}, {"/bus/01/preamp/invert", 'i'},
        {"/bus/01/config/source", 'i'}, {"/bus/01/gate/thr", 'f'}, {"/bus/01/delay/on", 'i'},
        {"/main/m/mix/pan", 'f'}, {"/main/m/mix/mono", 'i'}, {"/main/st/mix/st", 'i'},
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
        {"/config/routing/AES50A", 'i'}, {"/config/routing/IN/1-8/x", 'i'}, {"/config/chlink/2-3", 'i'},
        {"/config/chlink/33-34", 'i'}, {"/config/mtxlink/7-8", 'i'}, {"/config/auxlink/1-2/x", 'i'},
        {"/config/buslink", 'i'}, {"/auxin/01/insert/on", 'i'}, {"/fxrtn/01/insert/sel", 'i'},
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
