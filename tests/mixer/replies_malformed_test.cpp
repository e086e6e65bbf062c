// Hostile or broken replies: nothing stored, nothing counted, no observer
// call, whatever family the address names.
#include "replies_support.h"

using namespace replytest;

namespace {

class ReplyMalformed : public ReplyTest {
protected:
    void SetUp() override
    {
        ReplyTest::SetUp();
        takeSnapshot(before);
    }
    void expectUntouched()
    {
        EXPECT_EQ(modelDifference(before), "");
        EXPECT_EQ(counted(), 0);
        EXPECT_TRUE(observedAddresses.empty());
    }
    ModelSnapshot before;
};

// One valid message per family and argument type; the tests break each one.
const struct {
    const char* address;
    char tag;
} validReplies[] = {
    {"/ch/01/mix/fader", 'f'},     {"/ch/05/mix/03/on", 'i'},   {"/ch/07/gate/filter/f", 'f'},
    {"/auxin/02/mix/pan", 'f'},    {"/fxrtn/08/eq/2/type", 'i'}, {"/bus/16/dyn/ratio", 'i'},
    {"/mtx/06/mix/fader", 'f'},    {"/main/st/mix/on", 'i'},    {"/main/m/eq/6/g", 'f'},
    {"/dca/8/fader", 'f'},         {"/dca/1/config/color", 'i'}, {"/-ha/05/index", 'i'},
    {"/headamp/007/gain", 'f'},    {"/headamp/127/phantom", 'i'}, {"/-stat/solosw/71", 'i'},
    {"/-stat/selidx", 'i'},        {"/-stat/keysolo", 'i'},     {"/-stat/lock", 'i'},
    {"/config/amixenable/X", 'i'}, {"/config/userrout/in/32", 'i'},
    {"/config/routing/AES50B/33-40", 'i'}, {"/config/routing/routswitch", 'i'},
    {"/config/mute/6", 'i'},       {"/fx/3/type", 'i'},         {"/fx/3/par/64", 'f'},
};

Encoded encodeValid(const char* address, char tag)
{
    return tag == 'i' ? encode(address, "i", 1) : encode(address, "f", 0.5);
}

TEST_F(ReplyMalformed, ValidRepliesAreStoredAsAControl)
{
    // Guards the tests below: each of these messages does count when intact.
    for (const auto& r : validReplies) {
        SCOPED_TRACE(r.address);
        resetCounters();
        Encoded e = encodeValid(r.address, r.tag);
        ASSERT_TRUE(deliverBytes(e.bytes, e.length));
        EXPECT_EQ(counted(), 1);
    }
}

TEST_F(ReplyMalformed, MissingArgumentIsDropped)
{
    for (const auto& r : validReplies) {
        SCOPED_TRACE(r.address);
        deliver(r.address, "");
        expectUntouched();
    }
}

TEST_F(ReplyMalformed, TagWithoutArgumentBytesIsDropped)
{
    // The tag announces an argument that the datagram does not carry.
    for (const auto& r : validReplies) {
        SCOPED_TRACE(r.address);
        for (int cut = 1; cut <= 4; ++cut) {
            Encoded e = encodeValid(r.address, r.tag);
            deliverBytes(e.bytes, e.length - cut);
            expectUntouched();
        }
    }
    Encoded e = encode("/ch/03/config/name", "s", "Kik");
    deliverBytes(e.bytes, e.length - 4);
    expectUntouched();
}

TEST_F(ReplyMalformed, OtherArgumentTypeIsDropped)
{
    for (const auto& r : validReplies) {
        SCOPED_TRACE(r.address);
        // An effects parameter takes an int, a float or a string alike.
        bool anyValue = std::strncmp(r.address, "/fx/3/par/", 10) == 0;
        if (!anyValue) {
            if (r.tag == 'i') deliver(r.address, "f", 1.0);
            else deliver(r.address, "i", 1);
            deliver(r.address, "s", "1");
        }
        deliver(r.address, "T");
        const uint8_t bytes[4] = {0, 0, 0, 1};
        deliver(r.address, "b", int32_t{4}, bytes);
        expectUntouched();
    }
    deliver("/ch/03/config/name", "i", 5);
    deliver("/ch/03/config/name", "f", 0.5);
    expectUntouched();
}

TEST_F(ReplyMalformed, NumbersOutsideTheModelAreIgnored)
{
    const struct {
        const char* address;
        char tag;
    } cases[] = {
        {"/ch/33/mix/fader", 'f'},     {"/ch/00/mix/fader", 'f'},    {"/ch/99999/mix/fader", 'f'},
        {"/ch/1x/mix/fader", 'f'},     {"/ch/-1/mix/fader", 'f'},    {"/ch/01/mix/17/level", 'f'},
        {"/ch/01/mix/00/on", 'i'},     {"/ch/01/eq/5/g", 'f'},       {"/ch/01/eq/0/f", 'f'},
        {"/ch/01/eq/2x/f", 'f'},       {"/auxin/09/mix/fader", 'f'}, {"/auxin/00/mix/fader", 'f'},
        {"/auxin/01/eq/5/f", 'f'},     {"/fxrtn/09/mix/on", 'i'},    {"/bus/17/mix/fader", 'f'},
        {"/bus/01/mix/07/level", 'f'}, {"/bus/01/eq/7/f", 'f'},      {"/mtx/07/mix/fader", 'f'},
        {"/mtx/00/mix/on", 'i'},       {"/main/st/mix/07/on", 'i'},  {"/main/m/eq/7/q", 'f'},
        {"/dca/9/fader", 'f'},         {"/dca/0/on", 'i'},           {"/-ha/80/index", 'i'},
        {"/-ha/xx/index", 'i'},        {"/headamp/128/gain", 'f'},   {"/headamp/x07/gain", 'f'},
        {"/-stat/solosw/81", 'i'},     {"/-stat/solosw/00", 'i'},    {"/config/userrout/in/33", 'i'},
        {"/config/userrout/in/00", 'i'}, {"/config/mute/7", 'i'},    {"/config/mute/0", 'i'},
        {"/fx/9/type", 'i'},           {"/fx/0/type", 'i'},          {"/fx/a/type", 'i'},
        {"/fx/1/par/65", 'f'},         {"/fx/1/par/00", 'f'},        {"/fx/1/par/x1", 'f'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        Encoded e = encodeValid(c.address, c.tag);
        deliverBytes(e.bytes, e.length);
        expectUntouched();
    }
}

TEST_F(ReplyMalformed, AddressesThatMatchNoPatternAreIgnored)
{
    const struct {
        const char* address;
        char tag;
    } cases[] = {
        {"/ch/01/mix/fader/extra", 'f'}, {"/ch/01/mix", 'f'},          {"/ch/01", 'f'},
        {"/ch/", 'f'},                   {"/ch/01/mix/one", 'i'},      {"/ch/01/Mix/fader", 'f'},
        {"/ch/01/gate/filter", 'i'},     {"/ch/01/gate/filter/x", 'i'}, {"/ch/01/mix/03", 'i'},
        {"/ch/01/mix/03/level/x", 'f'},  {"/main/st/01/mix/fader", 'f'}, {"/dca/1/config", 'i'},
        {"/-ha/05", 'i'},                {"/-ha/05/index/x", 'i'},     {"/headamp/007", 'f'},
        {"/headamp/007/trim", 'f'},      {"/-stat/selidx/1", 'i'},     {"/-stat/solo", 'i'},
        {"/-stat/solosw", 'i'},          {"/-stat/Lock", 'i'},         {"/config/amixenable/Z", 'i'},
        {"/config/amixenable", 'i'},     {"/config/userrout/out/01", 'i'},
        {"/config/routing/IN/33-40", 'i'}, {"/config/routing/OUT/1-8", 'i'},
        {"/config/routing/CARD/AUX", 'i'}, {"/config/routing/OUT/AUX", 'i'},
        {"/config/routing/PLAY/33-40", 'i'}, {"/config/routing/IN/41-48", 'i'},
        {"/config/routing/CARD/1-4", 'i'}, {"/config/routing/in/1-8", 'i'},
        {"/config/routing/AES50A", 'i'}, {"/config/routing/IN/1-8/x", 'i'},
        {"/config/chlink/1-2", 'i'},     {"/config/mute", 'i'},        {"/fx/1/type/x", 'i'},
        {"/fx/1/par", 'f'},              {"/fx/1/parameter/01", 'f'},  {"/status", 'i'},
        {"/chx/01/mix/fader", 'f'},      {"ch/01/mix/fader", 'f'},     {"/fx", 'i'},
        {"/main/mix/fader", 'f'},        {"/meter", 'i'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        Encoded e = encodeValid(c.address, c.tag);
        deliverBytes(e.bytes, e.length);
        expectUntouched();
    }
}

TEST_F(ReplyMalformed, ValuesTheModelCannotHoldAreDropped)
{
    deliver("/ch/01/config/color", "i", 16);
    deliver("/ch/01/config/color", "i", -1);
    deliver("/-ha/05/index", "i", 128);
    deliver("/-ha/05/index", "i", -2);
    deliver("/-stat/selidx", "i", 80);
    deliver("/-stat/selidx", "i", -1);
    expectUntouched();
}

TEST_F(ReplyMalformed, BrokenDatagramsNeverReachTheModel)
{
    const char noComma[] = "/ch/01/mix/fader\0\0\0\0";
    EXPECT_FALSE(deliverBytes(reinterpret_cast<const uint8_t*>(noComma), 20));
    Encoded e = encode("/ch/01/mix/fader", "f", 0.5);
    // Cut inside the tag string: the parse step drops it.
    EXPECT_FALSE(deliverBytes(e.bytes, 22));
    // The address alone, cut before its terminating zero.
    EXPECT_FALSE(deliverBytes(e.bytes, 16));
    expectUntouched();
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
