// Routing by prefix, the head-amp families, the refresh each reply causes,
// and the observer the start-up query-and-wait relies on.
#include "mixer/address_tokens.h"
#include "replies_support.h"

using namespace replytest;

namespace {

class ReplyDispatch : public ReplyTest {};

TEST_F(ReplyDispatch, PrefixesRouteToTheirOwnFamily)
{
    deliver("/fxrtn/03/mix/fader", "f", 0.5);
    EXPECT_DOUBLE_EQ(strips[42].fader, 0.5);
    EXPECT_EQ(fxSlots[3].type, -1);
    EXPECT_DOUBLE_EQ(fxSlots[3].par[1], 0.0);

    deliver("/main/m/mix/fader", "f", 0.25);
    EXPECT_DOUBLE_EQ(strips[71].fader, 0.25);
    EXPECT_DOUBLE_EQ(strips[70].fader, 0.0);
    deliver("/main/st/mix/fader", "f", 0.75);
    EXPECT_DOUBLE_EQ(strips[70].fader, 0.75);
    EXPECT_DOUBLE_EQ(strips[71].fader, 0.25);
    EXPECT_EQ(counted(), 3);
}

TEST_F(ReplyDispatch, HeadampIndexUsesTheStripIndexItself)
{
    const struct {
        const char* address;
        int32_t value;
        int strip;
    } cases[] = {
        {"/-ha/05/index", 12, 5}, {"/-ha/00/index", 0, 0}, {"/-ha/79/index", 127, 79},
        {"/-ha/5/index", 3, 5},   {"/-ha/06/anything", 7, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        resetCounters();
        strips[c.strip].haIndex = 99;
        deliver(c.address, "i", c.value);
        EXPECT_EQ(strips[c.strip].haIndex, c.value);
        EXPECT_EQ(counted(), 1);
    }
    strips[5].haIndex = 12;
    deliver("/-ha/05/index", "i", -1);
    EXPECT_EQ(strips[5].haIndex, -1);
}

TEST_F(ReplyDispatch, HeadampGainAndPhantom)
{
    deliver("/headamp/007/gain", "f", 0.625);
    EXPECT_DOUBLE_EQ(headamps[7].gain, 0.625);
    deliver("/headamp/007/phantom", "i", 1);
    EXPECT_EQ(headamps[7].phantom, 1);
    deliver("/headamp/000/gain", "f", 0.25);
    deliver("/headamp/127/phantom", "i", 1);
    EXPECT_DOUBLE_EQ(headamps[0].gain, 0.25);
    EXPECT_EQ(headamps[127].phantom, 1);
    EXPECT_EQ(counted(), 4);
    // The wrong type for each word stores nothing.
    deliver("/headamp/008/gain", "i", 1);
    deliver("/headamp/008/phantom", "f", 1.0);
    EXPECT_DOUBLE_EQ(headamps[8].gain, 0.0);
    EXPECT_EQ(headamps[8].phantom, 0);
    EXPECT_EQ(counted(), 4);
}

// What one reply drives: the motor faders (and whether before the count)
// and the full refresh, before and after start-up.
TEST_F(ReplyDispatch, RefreshFollowsTheReplyKind)
{
    const uint8_t block[132] = {};
    const struct {
        const char* address;
        char tag;
        int startup;
        int motors;
        int full;
    } cases[] = {
        {"/ch/01/mix/fader", 'f', 1, 1, 0},   {"/ch/01/mix/fader", 'f', 0, 1, 0},
        {"/ch/01/mix/fader", 'i', 1, 0, 1},   {"/ch/01/mix/fader", 'i', 0, 0, 0},
        {"/ch/40/mix/fader", 'f', 1, 0, 1},   {"/ch/01/mix/pan", 'f', 1, 0, 1},
        {"/ch/01/mix/pan", 'f', 0, 0, 0},     {"/ch/01/mix/unknown", 'f', 1, 0, 1},
        {"/auxin/02/mix/fader", 'f', 1, 0, 1}, {"/auxin/02/mix/fader", 'f', 0, 0, 0},
        {"/fxrtn/08/mix/fader", 'f', 1, 1, 0}, {"/bus/01/mix/fader", 'f', 1, 1, 0},
        {"/mtx/01/mix/fader", 'f', 1, 1, 0},  {"/main/st/mix/fader", 'f', 1, 1, 0},
        {"/main/m/mix/fader", 'f', 0, 1, 0},  {"/dca/8/fader", 'f', 1, 1, 0},
        {"/dca/8/on", 'i', 1, 0, 1},          {"/-ha/05/index", 'i', 1, 0, 0},
        {"/headamp/007/gain", 'f', 1, 0, 1},  {"/headamp/007/gain", 'i', 1, 0, 1},
        {"/headamp/007/gain", 'f', 0, 0, 0},  {"/-stat/lock", 'i', 1, 0, 1},
        {"/-stat/unknown", 'i', 1, 0, 1},     {"/config/mute/1", 'i', 1, 0, 1},
        {"/config/mute/1", 'i', 0, 0, 0},     {"/fx/3/par/07", 'i', 1, 0, 0},
        {"/fx/3/par/64", 'f', 1, 0, 1},       {"/fx/3/par/64", 'f', 0, 0, 0},
        {"/fx/3/type", 'i', 1, 0, 1},         {"/fx/3/type", 'i', 0, 0, 0},
        {"/status", 'i', 1, 0, 0},            {"/meter1", 'b', 1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.address) + " " + c.tag + " startup " + std::to_string(c.startup));
        resetCounters();
        counterAtMotorDrive = -1;
        startupComplete = c.startup;
        if (c.tag == 'i') deliver(c.address, "i", 1);
        else if (c.tag == 'f') deliver(c.address, "f", 0.5);
        else deliver(c.address, "b", int32_t{sizeof block}, block);
        EXPECT_EQ(motorFaderDrives, c.motors);
        EXPECT_EQ(surfaceRefreshes, c.full);
        // The motor faders move before the reply is counted.
        if (c.motors) {
            EXPECT_EQ(counterAtMotorDrive, 0);
        }
    }
}

TEST_F(ReplyDispatch, ObserverSeesTheUnsplitAddressOfCountedReplies)
{
    const struct {
        const char* address;
        char tag;
    } counted[] = {
        {"/ch/05/mix/03/level", 'f'}, {"/-ha/05/index", 'i'},     {"/headamp/007/phantom", 'i'},
        {"/-stat/selidx", 'i'},       {"/-stat/solosw/71", 'i'},  {"/config/routing/IN/AUX", 'i'},
        {"/config/amixenable/Y", 'i'}, {"/fx/3/type", 'i'},       {"/fx/3/par/07", 'i'},
        {"/dca/2/config/color", 'i'},
    };
    for (const auto& c : counted) {
        if (c.tag == 'i') deliver(c.address, "i", 1);
        else deliver(c.address, "f", 0.5);
    }
    deliver("/fx/3/par/08", "s", "text");
    deliver("/ch/05/mix/03/level", "i", 1);  // dropped: wrong type
    deliver("/meter1", "b", int32_t{0}, static_cast<const uint8_t*>(nullptr));
    ASSERT_EQ(observedAddresses.size(), std::size(counted) + 1);
    for (size_t i = 0; i < std::size(counted); ++i) EXPECT_EQ(observedAddresses[i], counted[i].address);
    EXPECT_EQ(observedAddresses.back(), "/fx/3/par/08");
    EXPECT_TRUE(mutexFreeAtObserver);
    EXPECT_EQ(replytest::counted(), static_cast<int>(std::size(counted)) + 1);
}

TEST_F(ReplyDispatch, RepliesAreCountedWithoutAnObserver)
{
    setReplyObserver(nullptr);
    deliver("/ch/01/mix/pan", "f", 0.5);
    deliver("/-stat/keysolo", "i", 1);
    EXPECT_EQ(counted(), 2);
    EXPECT_TRUE(observedAddresses.empty());
    EXPECT_EQ(keySolo, 1);
}

TEST_F(ReplyDispatch, ResetRemovesObserverAndRefreshTargets)
{
    resetAllState();
    startupComplete = 1;
    deliver("/ch/01/mix/pan", "f", 0.5);
    deliver("/ch/01/mix/fader", "f", 0.5);
    EXPECT_TRUE(observedAddresses.empty());
    EXPECT_EQ(surfaceRefreshes, 0);
    EXPECT_EQ(motorFaderDrives, 0);
    EXPECT_EQ(counted(), 2);
}

TEST(ReplyAddressTokens, SplitsAtEveryRunOfSlashes)
{
    const struct {
        const char* address;
        std::vector<std::string> words;
    } cases[] = {
        {"/ch/01/mix/fader", {"ch", "01", "mix", "fader"}},
        {"//ch///01/mix/", {"ch", "01", "mix"}},
        {"/", {}},
        {"", {}},
        {"plain", {"plain"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        char text[64];
        std::strcpy(text, c.address);
        AddressTokens tokens;
        splitAddress(text, tokens);
        ASSERT_EQ(tokens.count, static_cast<int>(c.words.size()));
        for (int i = 0; i < tokens.count; ++i) EXPECT_EQ(tokens.token[i], c.words[i]);
    }
    char deep[] = "/a/b/c/d/e/f/g/h/i/j";
    AddressTokens tokens;
    splitAddress(deep, tokens);
    EXPECT_EQ(tokens.count, 10);
    EXPECT_FALSE(tokenIs(tokens, 9, "j"));  // beyond the kept words
    EXPECT_TRUE(tokenIs(tokens, 7, "h"));
}

TEST(ReplyAddressTokens, NumbersAreWholeDecimalTokens)
{
    const struct {
        const char* token;
        bool ok;
        int value;
    } cases[] = {
        {"01", true, 1}, {"007", true, 7}, {"0", true, 0}, {"127", true, 127},
        {"1x", false, 0}, {"", false, 0}, {"-1", false, 0}, {"x1", false, 0},
        {"1234567890", false, 0}, {"999999999", true, 999999999},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.token);
        int value = -5;
        EXPECT_EQ(parseAddressNumber(c.token, value), c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
    }
}

} // namespace
