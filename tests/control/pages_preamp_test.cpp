// Pre-amp page: head-amp or trim on encoder 2, the routing controls, the link
// pairs, and the page sent for each strip family.
#include "control/processing_pages.h"
#include "control/pages_test_support.h"
#include "display/formatters.h"

namespace {

class PreampPageTest : public SurfaceControlTest {
protected:
    void SetUp() override
    {
        SurfaceControlTest::SetUp();
        surfacePage = 28;
        // Channel 5 takes input 13 of the IN row, block 2 of which carries
        // code 2 (head-amps 16..23): head-amp 20.
        strips[4].source = 13;
        routingBlocks[0][1] = 2;
    }
};

TEST_F(PreampPageTest, ChannelPageCarriesItsHeadampAndEveryRoutingValue)
{
    ASSERT_EQ(headAmpIndexOf(4), 20);
    StripRecord& r = strips[4];
    headamps[20].gain = 0.5;
    headamps[20].phantom = 1;
    r.delayOn = 1;
    r.delayTime = 0.25;
    r.hpOn = 1;
    r.trim = 0.75;
    r.hpf = 0.125;
    r.invert = 1;
    r.insertOn = 1;
    r.insertPos = 1;
    r.insertSel = 7;
    r.link = 1;
    selectStrip(4);
    turn(28, 3, cw(1));  // encoders 3-5 change nothing but resend the page
    EXPECT_TRUE(sameWrites(mixer.drain(), {
                                              {"/headamp/020/gain", 'f', 0.5},
                                              {"/headamp/020/phantom", 'i', 1},
                                              {"/ch/05/config/source", 'i', 13},
                                              {"/ch/05/delay/on", 'i', 1},
                                              {"/ch/05/delay/time", 'f', 0.25},
                                              {"/ch/05/preamp/hpon", 'i', 1},
                                              {"/ch/05/preamp/trim", 'f', 0.75},
                                              {"/ch/05/preamp/hpf", 'f', 0.125},
                                              {"/ch/05/preamp/invert", 'i', 1},
                                              {"/ch/05/insert/on", 'i', 1},
                                              {"/ch/05/insert/pos", 'i', 1},
                                              {"/ch/05/insert/sel", 'i', 7},
                                              {"/config/chlink/5-6", 'i', 1},
                                          }));
    EXPECT_DOUBLE_EQ(headamps[20].gain, 0.5);
}

TEST_F(PreampPageTest, OtherFamiliesSendTheirShorterPages)
{
    struct Case {
        int strip;
        std::vector<std::string> addresses;
    };
    std::vector<Case> cases = {
        {35, {"/auxin/04/config/source", "/auxin/04/preamp/trim", "/auxin/04/preamp/invert",
              "/config/auxlink/3-4"}},
        {41, {"/config/fxlink/1-2"}},
        {62, {"/bus/15/insert/on", "/bus/15/insert/pos", "/bus/15/insert/sel", "/config/buslink/15-16"}},
        {64, {"/mtx/01/insert/on", "/mtx/01/insert/pos", "/mtx/01/insert/sel", "/config/mtxlink/1-2"}},
        {71, {"/main/m/insert/on", "/main/m/insert/pos", "/main/m/insert/sel"}},
        {72, {}},
    };
    for (const Case& c : cases) {
        selectStrip(c.strip);
        turn(28, 4, cw(1));
        EXPECT_EQ(addressesOf(mixer.drain()), c.addresses) << "strip " << c.strip;
    }
}

TEST_F(PreampPageTest, AuxWithRoutedHeadampSendsItsGainFirst)
{
    // Aux 1 source 33 with aux code 1 on the IN row: head-amp 0.
    strips[32].source = 33;
    routingBlocks[0][4] = 1;
    int h = headAmpIndexOf(32);
    ASSERT_EQ(h, 0);
    headamps[0].gain = 0.4;
    selectStrip(32);
    turn(28, 2, cw(1));
    EXPECT_NEAR(headamps[0].gain, 0.4 + 0.006944, 1e-12);
    std::vector<OscSeen> seen = mixer.drain();
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0].address, "/headamp/000/gain");
    EXPECT_NEAR(seen[0].f, 0.4 + 0.006944, 1e-6);
    EXPECT_EQ(seen[1].address, "/auxin/01/config/source");
}

TEST_F(PreampPageTest, WithoutARoutedHeadampGainEditsTrimAndPhantomDoesNothing)
{
    strips[6].haIndex = 9;     // the console named one, but the routing feeds none
    strips[6].source = 0;
    strips[6].trim = 0.5;
    ASSERT_EQ(headAmpIndexOf(6), -1);
    selectStrip(6);
    turn(28, 2, ccw(2));
    EXPECT_NEAR(strips[6].trim, 0.5 - 2 * 0.006944, 1e-12);
    EXPECT_DOUBLE_EQ(headamps[9].gain, 0.0);
    std::vector<OscSeen> seen = mixer.drain();
    ASSERT_EQ(seen.size(), 11u);  // no head-amp messages
    EXPECT_EQ(seen[0].address, "/ch/07/config/source");
    EXPECT_EQ(seen[4].address, "/ch/07/preamp/trim");
    EXPECT_NEAR(seen[4].f, 0.5 - 2 * 0.006944, 1e-6);

    press(28, 2);
    EXPECT_EQ(headamps[9].phantom, 0);
    EXPECT_TRUE(mixer.drain().empty());
}

struct PreampEncoderCase {
    const char* name;
    int strip;
    int encoder;
    bool pushed;
    int value;
    double start;
    double expected;
    const char* address;   // nullptr: the field must not change
};

void PrintTo(const PreampEncoderCase& c, std::ostream* out) { *out << c.name; }

class PreampEncoderTest : public PreampPageTest,
                          public ::testing::WithParamInterface<PreampEncoderCase> {};

// The field an encoder case edits.
double readField(const PreampEncoderCase& c)
{
    const StripRecord& r = strips[c.strip];
    switch (c.encoder) {
    case 2: return c.pushed ? r.source : headamps[20].gain;
    case 6: return r.hpf;
    case 7: return r.delayTime;
    default: return r.insertSel;
    }
}

void writeField(const PreampEncoderCase& c, double v)
{
    StripRecord& r = strips[c.strip];
    switch (c.encoder) {
    case 2:
        if (c.pushed) r.source = static_cast<int>(v);
        else headamps[20].gain = v;
        break;
    case 6: r.hpf = v; break;
    case 7: r.delayTime = v; break;
    default: r.insertSel = static_cast<int>(v); break;
    }
}

TEST_P(PreampEncoderTest, StepsWithinTheLimits)
{
    const PreampEncoderCase& c = GetParam();
    encoderPushed[c.encoder - 1] = c.pushed ? 127 : 0;
    writeField(c, c.start);
    selectStrip(c.strip);
    turn(28, c.encoder, c.value);
    EXPECT_NEAR(readField(c), c.expected, 1e-12);
    std::vector<OscSeen> seen = mixer.drain();
    if (!c.address) return;
    bool found = false;
    for (const OscSeen& s : seen) {
        if (s.address != c.address) continue;
        found = true;
        if (s.tags == "i") EXPECT_EQ(s.i, static_cast<int>(c.expected));
        else EXPECT_NEAR(s.f, c.expected, 1e-6);
    }
    EXPECT_TRUE(found) << c.address;
}

INSTANTIATE_TEST_SUITE_P(
    Encoders, PreampEncoderTest,
    ::testing::Values(
        PreampEncoderCase{"GainStopsAtTop", 4, 2, false, cw(3), 0.999, 1.0, "/headamp/020/gain"},
        PreampEncoderCase{"SourceByOne", 4, 2, true, cw(9), 13, 14, "/ch/05/config/source"},
        PreampEncoderCase{"SourceStopsAt64", 4, 2, true, cw(1), 64, 64, "/ch/05/config/source"},
        PreampEncoderCase{"SourceStopsAt0", 4, 2, true, ccw(1), 0, 0, "/ch/05/config/source"},
        PreampEncoderCase{"LowCut", 4, 6, false, cw(2), 0.5, 0.52, "/ch/05/preamp/hpf"},
        PreampEncoderCase{"Delay", 4, 7, false, ccw(1), 0.01, 0.01 - 0.003602, "/ch/05/delay/time"},
        PreampEncoderCase{"DelayStopsAt0", 4, 7, false, ccw(3), 0.003, 0.0, "/ch/05/delay/time"},
        PreampEncoderCase{"InsertByOne", 4, 8, false, cw(5), 3, 4, "/ch/05/insert/sel"},
        PreampEncoderCase{"InsertStopsAt22", 50, 8, false, cw(1), 22, 22, "/bus/03/insert/sel"},
        PreampEncoderCase{"NoInsertOnAux", 34, 8, false, cw(1), 3, 3, nullptr},
        PreampEncoderCase{"NoLowCutOnBus", 50, 6, false, cw(1), 0.5, 0.5, nullptr},
        PreampEncoderCase{"NoDelayOnAux", 33, 7, false, cw(1), 0.5, 0.5, nullptr}),
    [](const ::testing::TestParamInfo<PreampEncoderCase>& info) { return info.param.name; });

struct PreampButtonCase {
    const char* name;
    int strip;
    int note;
    int StripRecord::*field;
    int expected;        // field after one press
    const char* address; // where the new value shows in the page; nullptr: nothing sent
};

void PrintTo(const PreampButtonCase& c, std::ostream* out) { *out << c.name; }

class PreampButtonTest : public PreampPageTest,
                         public ::testing::WithParamInterface<PreampButtonCase> {};

TEST_P(PreampButtonTest, TogglesOnlyWhereTheStripHasTheControl)
{
    const PreampButtonCase& c = GetParam();
    selectStrip(c.strip);
    press(28, c.note);
    EXPECT_EQ(strips[c.strip].*c.field, c.expected);
    std::vector<OscSeen> seen = mixer.drain();
    if (!c.address) {
        EXPECT_TRUE(seen.empty());
        return;
    }
    bool found = false;
    for (const OscSeen& s : seen) {
        if (s.address == c.address) {
            found = true;
            EXPECT_EQ(s.i, c.expected);
        }
    }
    EXPECT_TRUE(found) << c.address;
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, PreampButtonTest,
    ::testing::Values(
        PreampButtonCase{"InvertChannel", 4, 3, &StripRecord::invert, 1, "/ch/05/preamp/invert"},
        PreampButtonCase{"InvertAux", 39, 3, &StripRecord::invert, 1, "/auxin/08/preamp/invert"},
        PreampButtonCase{"NoInvertOnFxReturn", 40, 3, &StripRecord::invert, 0, nullptr},
        PreampButtonCase{"LowCutOn", 0, 5, &StripRecord::hpOn, 1, "/ch/01/preamp/hpon"},
        PreampButtonCase{"NoLowCutOnAux", 32, 5, &StripRecord::hpOn, 0, nullptr},
        PreampButtonCase{"DelayOn", 31, 6, &StripRecord::delayOn, 1, "/ch/32/delay/on"},
        PreampButtonCase{"InsertOnMain", 70, 7, &StripRecord::insertOn, 1, "/main/st/insert/on"},
        PreampButtonCase{"NoInsertOnFxReturn", 47, 7, &StripRecord::insertOn, 0, nullptr},
        PreampButtonCase{"LinkMatrix", 69, 4, &StripRecord::link, 1, "/config/mtxlink/5-6"},
        PreampButtonCase{"NoLinkOnMains", 70, 4, &StripRecord::link, 0, nullptr},
        PreampButtonCase{"ButtonOneDoesNothing", 4, 1, &StripRecord::hpOn, 0, nullptr}),
    [](const ::testing::TestParamInfo<PreampButtonCase>& info) { return info.param.name; });

TEST_F(PreampPageTest, LinkGivesThePartnerTheSameValue)
{
    selectStrip(5);
    press(28, 4);
    EXPECT_EQ(strips[4].link, 1);
    EXPECT_EQ(strips[5].link, 1);
    std::vector<OscSeen> seen = mixer.drain();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().address, "/config/chlink/5-6");
    EXPECT_EQ(seen.back().i, 1);

    strips[5].link = 0;  // the partner disagrees after a console echo
    selectStrip(4);
    press(28, 4);
    EXPECT_EQ(strips[4].link, 0);
    EXPECT_EQ(strips[5].link, 0);
    mixer.drain();
}

TEST_F(PreampPageTest, PhantomTogglesTheRoutedHeadamp)
{
    selectStrip(4);
    press(28, 2);
    EXPECT_EQ(headamps[20].phantom, 1);
    std::vector<OscSeen> seen = mixer.drain();
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[1].address, "/headamp/020/phantom");
    EXPECT_EQ(seen[1].i, 1);
}

TEST_F(PreampPageTest, EncoderEightPushTogglesTheInsertPosition)
{
    selectStrip(48);
    handlePageEncoderPush(28, 39);
    EXPECT_EQ(strips[48].insertPos, 1);
    EXPECT_TRUE(sameWrites(mixer.drain(), {{"/bus/01/insert/on", 'i', 0},
                                           {"/bus/01/insert/pos", 'i', 1},
                                           {"/bus/01/insert/sel", 'i', 0},
                                           {"/config/buslink/1-2", 'i', 0}}));
    handlePageEncoderPush(28, 38);  // another encoder's push does nothing here
    selectStrip(36);                // aux inputs have no insert
    handlePageEncoderPush(28, 39);
    EXPECT_EQ(strips[36].insertPos, 0);
    EXPECT_EQ(strips[48].insertPos, 1);
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(PreampPageTest, EncoderOneSendsThePageOfTheNewlySelectedStrip)
{
    setBank(0, {3, 74, 40, 5});
    showStrips({3, 74, 40, 5});
    selectStrip(3);
    turn(28, 1, cw(1));
    EXPECT_EQ(selectedStrip, 40);  // the DCA is skipped
    EXPECT_EQ(addressesOf(mixer.drain()),
              (std::vector<std::string>{"/-stat/selidx", "/config/fxlink/1-2"}));
}

} // namespace
