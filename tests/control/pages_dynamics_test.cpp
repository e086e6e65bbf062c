// Gate and dynamics pages: steps and end-stops of every encoder, the buttons
// and the strips they leave out, and the whole page sent after each control.
#include "control/processing_pages.h"
#include "control/pages_test_support.h"

namespace {

using DynamicsPagesTest = SurfaceControlTest;

// One encoder case on page 32 or 33: the field, pushed or not, start and end.
struct ProcessingEncoderCase {
    const char* name;
    int page;
    int encoder;
    bool pushed;
    double StripRecord::*unit;   // normalised field, or nullptr
    int StripRecord::*whole;     // integer field, or nullptr
    int value;
    double start;
    double expected;
    const char* address;         // where the value shows on channel 1's page
};

void PrintTo(const ProcessingEncoderCase& c, std::ostream* out) { *out << c.name; }

class ProcessingEncoderTest : public DynamicsPagesTest,
                              public ::testing::WithParamInterface<ProcessingEncoderCase> {};

TEST_P(ProcessingEncoderTest, StepsAndStopsAtTheEnds)
{
    const ProcessingEncoderCase& c = GetParam();
    StripRecord& r = strips[0];
    if (c.unit) r.*c.unit = c.start;
    else r.*c.whole = static_cast<int>(c.start);
    encoderPushed[c.encoder - 1] = c.pushed ? 127 : 0;
    selectStrip(0);
    turn(c.page, c.encoder, c.value);
    double now = c.unit ? r.*c.unit : r.*c.whole;
    EXPECT_NEAR(now, c.expected, 1e-12);
    std::vector<OscSeen> seen = mixer.drain();
    EXPECT_EQ(seen.size(), c.page == 32 ? 12u : 17u);
    bool found = false;
    for (const OscSeen& s : seen) {
        if (s.address != c.address) continue;
        found = true;
        if (c.unit) EXPECT_NEAR(s.f, c.expected, 1e-6);
        else EXPECT_EQ(s.i, static_cast<int>(c.expected));
    }
    EXPECT_TRUE(found) << c.address;
}

using R = StripRecord;
INSTANTIATE_TEST_SUITE_P(
    Encoders, ProcessingEncoderTest,
    ::testing::Values(
        ProcessingEncoderCase{"GateThrUpToOne", 32, 2, false, &R::gateThr, nullptr, cw(3), 0.999, 1.0, "/ch/01/gate/thr"},
        ProcessingEncoderCase{"GateThrDownToZero", 32, 2, false, &R::gateThr, nullptr, ccw(1), 0.003, 0.0, "/ch/01/gate/thr"},
        ProcessingEncoderCase{"GateRange", 32, 3, false, &R::gateRange, nullptr, cw(2), 0.5, 0.5 + 2 * 0.017543, "/ch/01/gate/range"},
        ProcessingEncoderCase{"GateAttack", 32, 4, false, &R::gateAttack, nullptr, ccw(1), 0.5, 0.5 - 0.008333, "/ch/01/gate/attack"},
        ProcessingEncoderCase{"GateHold", 32, 5, false, &R::gateHold, nullptr, cw(1), 0.5, 0.51, "/ch/01/gate/hold"},
        ProcessingEncoderCase{"GateRelease", 32, 6, false, &R::gateRelease, nullptr, ccw(3), 0.5, 0.47, "/ch/01/gate/release"},
        ProcessingEncoderCase{"GateKeySourceByTicks", 32, 7, true, nullptr, &R::gateKeySrc, cw(5), 10, 15, "/ch/01/gate/keysrc"},
        ProcessingEncoderCase{"GateKeySourceStopsAt0", 32, 7, true, nullptr, &R::gateKeySrc, ccw(20), 10, 0, "/ch/01/gate/keysrc"},
        ProcessingEncoderCase{"GateFilterTypeByOne", 32, 7, false, nullptr, &R::gateFilterType, cw(10), 3, 4, "/ch/01/gate/filter/type"},
        ProcessingEncoderCase{"GateFilterTypeStopsAt8", 32, 7, false, nullptr, &R::gateFilterType, cw(1), 8, 8, "/ch/01/gate/filter/type"},
        ProcessingEncoderCase{"GateFilterFreq", 32, 8, false, &R::gateFilterF, nullptr, cw(4), 0.5, 0.52, "/ch/01/gate/filter/f"},
        ProcessingEncoderCase{"DynRatioPushedByOne", 33, 2, true, nullptr, &R::dynRatio, cw(4), 3, 4, "/ch/01/dyn/ratio"},
        ProcessingEncoderCase{"DynRatioStopsAt11", 33, 2, true, nullptr, &R::dynRatio, cw(1), 11, 11, "/ch/01/dyn/ratio"},
        ProcessingEncoderCase{"DynThr", 33, 2, false, &R::dynThr, nullptr, ccw(2), 0.5, 0.5 - 2 * 0.008333, "/ch/01/dyn/thr"},
        ProcessingEncoderCase{"DynGainPushed", 33, 3, true, &R::dynMGain, nullptr, cw(1), 0.5, 0.5 + 0.02083, "/ch/01/dyn/mgain"},
        ProcessingEncoderCase{"DynMix", 33, 3, false, &R::dynMix, nullptr, cw(3), 0.9, 1.0, "/ch/01/dyn/mix"},
        ProcessingEncoderCase{"DynAttack", 33, 4, false, &R::dynAttack, nullptr, cw(1), 0.0, 0.008333, "/ch/01/dyn/attack"},
        ProcessingEncoderCase{"DynHold", 33, 5, false, &R::dynHold, nullptr, ccw(1), 0.005, 0.0, "/ch/01/dyn/hold"},
        ProcessingEncoderCase{"DynRelease", 33, 6, false, &R::dynRelease, nullptr, cw(2), 0.25, 0.27, "/ch/01/dyn/release"},
        ProcessingEncoderCase{"DynKeySourceStopsAt64", 33, 7, true, nullptr, &R::dynKeySrc, cw(10), 60, 64, "/ch/01/dyn/keysrc"},
        ProcessingEncoderCase{"DynFilterTypeDownByOne", 33, 7, false, nullptr, &R::dynFilterType, ccw(5), 3, 2, "/ch/01/dyn/filter/type"},
        ProcessingEncoderCase{"DynFilterFreq", 33, 8, false, &R::dynFilterF, nullptr, ccw(1), 0.5, 0.495, "/ch/01/dyn/filter/f"}),
    [](const ::testing::TestParamInfo<ProcessingEncoderCase>& info) { return info.param.name; });

TEST_F(DynamicsPagesTest, GatePageOrderEndsWithKeySolo)
{
    StripRecord& r = strips[9];
    r.gateOn = 1;
    r.gateThr = 0.1;
    r.gateRange = 0.2;
    r.gateAttack = 0.3;
    r.gateHold = 0.4;
    r.gateRelease = 0.5;
    r.gateKeySrc = 12;
    r.gateMode = 3;
    r.gateFilterOn = 1;
    r.gateFilterF = 0.6;
    r.gateFilterType = 7;
    keySolo = 1;
    selectStrip(9);
    press(32, 2);  // mode 3 -> 4
    EXPECT_TRUE(sameWrites(mixer.drain(), {{"/ch/10/gate/on", 'i', 1},
                                           {"/ch/10/gate/thr", 'f', 0.1},
                                           {"/ch/10/gate/range", 'f', 0.2},
                                           {"/ch/10/gate/attack", 'f', 0.3},
                                           {"/ch/10/gate/hold", 'f', 0.4},
                                           {"/ch/10/gate/release", 'f', 0.5},
                                           {"/ch/10/gate/keysrc", 'i', 12},
                                           {"/ch/10/gate/mode", 'i', 4},
                                           {"/ch/10/gate/filter/on", 'i', 1},
                                           {"/ch/10/gate/filter/f", 'f', 0.6},
                                           {"/ch/10/gate/filter/type", 'i', 7},
                                           {"/-stat/keysolo", 'i', 1}}));
    press(32, 2);
    EXPECT_EQ(r.gateMode, 0);
    mixer.drain();
}

TEST_F(DynamicsPagesTest, GateButtonsToggleOnChannelsOneTo31Only)
{
    selectStrip(30);
    press(32, 1);
    press(32, 6);
    press(32, 7);
    EXPECT_EQ(strips[30].gateOn, 1);
    EXPECT_EQ(strips[30].gateFilterOn, 1);
    EXPECT_EQ(keySolo, 1);
    EXPECT_EQ(mixer.drain().size(), 36u);

    selectStrip(31);  // channel 32: the buttons leave it out, the encoders do not
    press(32, 1);
    press(32, 3);
    EXPECT_EQ(strips[31].gateOn, 0);
    EXPECT_TRUE(mixer.drain().empty());
    turn(32, 2, cw(1));
    std::vector<OscSeen> seen = mixer.drain();
    ASSERT_EQ(seen.size(), 12u);
    EXPECT_EQ(seen[1].address, "/ch/32/gate/thr");
}

TEST_F(DynamicsPagesTest, GateOfABusChangesTheModelAndSendsNothing)
{
    selectStrip(50);
    turn(32, 3, cw(2));
    turn(32, 7, cw(1));
    EXPECT_NEAR(strips[50].gateRange, 2 * 0.017543, 1e-12);
    EXPECT_EQ(strips[50].gateFilterType, 1);
    press(32, 1);
    EXPECT_EQ(strips[50].gateOn, 0);
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(DynamicsPagesTest, KneeStepsInFifthsAndWraps)
{
    struct Case {
        double start;
        bool down;
        double expected;
    };
    const Case cases[] = {{0.9, false, 0.0}, {0.8, false, 1.0}, {1.0, false, 0.0}, {0.0, false, 0.2},
                          {0.1, true, 1.0},  {0.0, true, 1.0},  {0.2, true, 0.0},  {1.0, true, 0.8}};
    selectStrip(48);
    for (const Case& c : cases) {
        strips[48].dynKnee = c.start;
        encoderPushed[3] = c.down ? 127 : 0;
        press(33, 3);
        EXPECT_NEAR(strips[48].dynKnee, c.expected, 1e-9) << c.start << (c.down ? " down" : " up");
        std::vector<OscSeen> seen = mixer.drain();
        ASSERT_EQ(seen.size(), 17u);
        EXPECT_EQ(seen[2].address, "/bus/01/dyn/knee");
        EXPECT_NEAR(seen[2].f, c.expected, 1e-6);
    }
}

TEST_F(DynamicsPagesTest, DynamicsButtonsToggleTheirFields)
{
    struct Case {
        int note;
        int StripRecord::*field;
    };
    const Case cases[] = {{1, &R::dynOn}, {2, &R::dynMode}, {4, &R::dynDet}, {5, &R::dynEnv}, {6, &R::dynFilterOn}};
    selectStrip(65);
    for (const Case& c : cases) {
        press(33, c.note);
        EXPECT_EQ(strips[65].*c.field, 1) << c.note;
        press(33, c.note);
        EXPECT_EQ(strips[65].*c.field, 0) << c.note;
    }
    press(33, 7);
    EXPECT_EQ(keySolo, 1);
    std::vector<OscSeen> seen = mixer.drain();
    ASSERT_EQ(seen.size(), 11u * 17u);
    EXPECT_EQ(seen[0].address, "/mtx/02/dyn/on");
    EXPECT_EQ(seen[0].i, 1);
    EXPECT_EQ(seen.back().address, "/-stat/keysolo");
    EXPECT_EQ(seen.back().i, 1);
}

TEST_F(DynamicsPagesTest, DynamicsPageKeySoloAddressFollowsTheStrip)
{
    struct Case {
        int strip;
        const char* first;
        const char* last;
    };
    const Case cases[] = {{0, "/ch/01/dyn/on", "/-stat/keysolo"},
                          {63, "/bus/16/dyn/on", "/-stat/keysolo"},
                          {69, "/mtx/06/dyn/on", "/-stat/keysolo"},
                          {70, "/main/st/dyn/on", "/main/st/keysolo"},
                          {71, "/main/m/dyn/on", "/main/m/keysolo"}};
    for (const Case& c : cases) {
        selectStrip(c.strip);
        turn(33, 5, cw(1));
        std::vector<OscSeen> seen = mixer.drain();
        ASSERT_EQ(seen.size(), 17u) << c.strip;
        EXPECT_EQ(seen.front().address, c.first);
        EXPECT_EQ(seen.back().address, c.last);
    }
}

TEST_F(DynamicsPagesTest, DynamicsLeavesOutChannel32AuxAndFxReturnButtons)
{
    for (int s : {31, 32, 39, 47}) {
        selectStrip(s);
        press(33, 1);
        EXPECT_EQ(strips[s].dynOn, 0) << s;
    }
    EXPECT_TRUE(mixer.drain().empty());
    selectStrip(31);   // channel 32 still has its dynamics sent by the encoders
    turn(33, 4, cw(1));
    EXPECT_EQ(mixer.drain().size(), 17u);
    selectStrip(40);   // an effects return has none: the model follows, nothing is sent
    turn(33, 4, cw(1));
    EXPECT_NEAR(strips[40].dynAttack, 0.008333, 1e-12);
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(DynamicsPagesTest, EncoderOneSelectsAndSendsTheNewStripsPage)
{
    setBank(0, {0, 1, 2});
    showStrips({0, 1, 2});
    selectStrip(2);
    turn(33, 1, cw(1));  // already at the end of the bank
    EXPECT_EQ(selectedStrip, 2);
    std::vector<OscSeen> seen = mixer.drain();
    ASSERT_EQ(seen.size(), 18u);
    EXPECT_EQ(seen[0].address, "/-stat/selidx");
    EXPECT_EQ(seen[1].address, "/ch/03/dyn/on");
    turn(32, 1, ccw(1));
    EXPECT_EQ(selectedStrip, 1);
    seen = mixer.drain();
    ASSERT_EQ(seen.size(), 13u);
    EXPECT_EQ(seen[1].address, "/ch/02/gate/on");
}

} // namespace
