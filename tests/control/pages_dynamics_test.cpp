// Gate and dynamics pages: steps and end-stops of every encoder, the buttons
// and the strips they leave out, and the whole page sent after each control.
#include "control/processing_pages.h"
#include "control/strip_controls_support.h"

namespace {

using DynamicsPagesTest = SurfaceControlTest;
using R = StripRecord;

// One encoder case on page 32 or 33 for channel 1.
struct ProcessingEncoderCase {
    const char* name;
    int page, encoder;
    bool pushed;
    double R::*unit;  // normalised field, or nullptr
    int R::*whole;    // integer field, or nullptr
    int value;
    double start, expected;
    const char* address;
};

class ProcessingEncoderTest : public DynamicsPagesTest,
                              public ::testing::WithParamInterface<ProcessingEncoderCase> {};

TEST_P(ProcessingEncoderTest, StepsAndStopsAtTheEnds)
{
    const ProcessingEncoderCase& c = GetParam();
    R& r = strips[0];
    if (c.unit) r.*c.unit = c.start;
    else r.*c.whole = static_cast<int>(c.start);
    encoderPushed[c.encoder - 1] = c.pushed ? 127 : 0;
    selectStrip(0);
    turn(c.page, c.encoder, c.value);
    EXPECT_NEAR(c.unit ? r.*c.unit : r.*c.whole, c.expected, 1e-12);
    Writes seen = mixer.drain();
    EXPECT_EQ(seen.size(), c.page == 32 ? 12u : 17u);
    EXPECT_EQ(lastWriteTo(seen, c.address), (Write{c.address, c.unit ? 'f' : 'i', c.expected}));
}

using P = ProcessingEncoderCase;
INSTANTIATE_TEST_SUITE_P(
    Encoders, ProcessingEncoderTest,
    ::testing::Values(
        P{"GateThrUpToOne", 32, 2, false, &R::gateThr, nullptr, cw(3), 0.999, 1.0, "/ch/01/gate/thr"},
        P{"GateRange", 32, 3, false, &R::gateRange, nullptr, cw(2), 0.5, 0.535086, "/ch/01/gate/range"},
        P{"GateAttack", 32, 4, false, &R::gateAttack, nullptr, ccw(1), 0.5, 0.491667, "/ch/01/gate/attack"},
        P{"GateHold", 32, 5, false, &R::gateHold, nullptr, cw(1), 0.5, 0.51, "/ch/01/gate/hold"},
        P{"GateRelease", 32, 6, false, &R::gateRelease, nullptr, ccw(3), 0.5, 0.47, "/ch/01/gate/release"},
        P{"GateKeySourceStopsAt0", 32, 7, true, nullptr, &R::gateKeySrc, ccw(20), 10, 0, "/ch/01/gate/keysrc"},
        P{"GateFilterTypeByOne", 32, 7, false, nullptr, &R::gateFilterType, cw(10), 3, 4, "/ch/01/gate/filter/type"},
        P{"GateFilterTypeStopsAt8", 32, 7, false, nullptr, &R::gateFilterType, cw(1), 8, 8, "/ch/01/gate/filter/type"},
        P{"GateFilterFreq", 32, 8, false, &R::gateFilterF, nullptr, cw(4), 0.5, 0.52, "/ch/01/gate/filter/f"},
        P{"DynRatioPushedByOne", 33, 2, true, nullptr, &R::dynRatio, cw(4), 3, 4, "/ch/01/dyn/ratio"},
        P{"DynRatioStopsAt11", 33, 2, true, nullptr, &R::dynRatio, cw(1), 11, 11, "/ch/01/dyn/ratio"},
        P{"DynThr", 33, 2, false, &R::dynThr, nullptr, ccw(2), 0.5, 0.483334, "/ch/01/dyn/thr"},
        P{"DynGainPushed", 33, 3, true, &R::dynMGain, nullptr, cw(1), 0.5, 0.52083, "/ch/01/dyn/mgain"},
        P{"DynMixUpToOne", 33, 3, false, &R::dynMix, nullptr, cw(3), 0.9, 1.0, "/ch/01/dyn/mix"},
        P{"DynAttack", 33, 4, false, &R::dynAttack, nullptr, cw(1), 0.0, 0.008333, "/ch/01/dyn/attack"},
        P{"DynHoldDownToZero", 33, 5, false, &R::dynHold, nullptr, ccw(1), 0.005, 0.0, "/ch/01/dyn/hold"},
        P{"DynRelease", 33, 6, false, &R::dynRelease, nullptr, cw(2), 0.25, 0.27, "/ch/01/dyn/release"},
        P{"DynKeySourceStopsAt64", 33, 7, true, nullptr, &R::dynKeySrc, cw(10), 60, 64, "/ch/01/dyn/keysrc"},
        P{"DynFilterTypeDownByOne", 33, 7, false, nullptr, &R::dynFilterType, ccw(5), 3, 2, "/ch/01/dyn/filter/type"},
        P{"DynFilterFreq", 33, 8, false, &R::dynFilterF, nullptr, ccw(1), 0.5, 0.495, "/ch/01/dyn/filter/f"}),
    byName);

TEST_F(DynamicsPagesTest, GatePageOrderEndsWithKeySolo)
{
    R& r = strips[9];
    r.gateOn = r.gateFilterOn = keySolo = 1;
    r.gateThr = 0.1;
    r.gateRange = 0.2;
    r.gateAttack = 0.3;
    r.gateHold = 0.4;
    r.gateRelease = 0.5;
    r.gateKeySrc = 12;
    r.gateMode = 3;
    r.gateFilterF = 0.6;
    r.gateFilterType = 7;
    selectStrip(9);
    press(32, 2);  // mode 3 -> 4
    EXPECT_EQ(mixer.drain(), (Writes{{"/ch/10/gate/on", 'i', 1}, {"/ch/10/gate/thr", 'f', 0.1},
                                     {"/ch/10/gate/range", 'f', 0.2}, {"/ch/10/gate/attack", 'f', 0.3},
                                     {"/ch/10/gate/hold", 'f', 0.4}, {"/ch/10/gate/release", 'f', 0.5},
                                     {"/ch/10/gate/keysrc", 'i', 12}, {"/ch/10/gate/mode", 'i', 4},
                                     {"/ch/10/gate/filter/on", 'i', 1}, {"/ch/10/gate/filter/f", 'f', 0.6},
                                     {"/ch/10/gate/filter/type", 'i', 7}, {"/-stat/keysolo", 'i', 1}}));
    press(32, 2);
    EXPECT_EQ(r.gateMode, 0);
}

TEST_F(DynamicsPagesTest, KneeStepsInFifthsAndWraps)
{
    struct Case {
        double start;
        bool down;
        double expected;
    };
    const Case cases[] = {{0.0, false, 0.2}, {0.8, false, 1.0}, {1.0, false, 0.0}, {0.2, true, 0.0}, {0.0, true, 1.0}};
    selectStrip(48);
    for (const Case& c : cases) {
        strips[48].dynKnee = c.start;
        encoderPushed[3] = c.down ? 127 : 0;
        press(33, 3);
        EXPECT_NEAR(strips[48].dynKnee, c.expected, 1e-9) << c.start << (c.down ? " down" : " up");
        Writes seen = mixer.drain();
        ASSERT_EQ(seen.size(), 17u);
        EXPECT_EQ(seen[2], (Write{"/bus/01/dyn/knee", 'f', c.expected}));
    }
}

TEST_F(DynamicsPagesTest, DynamicsButtonsToggleTheirFieldsAndKeySoloFollowsTheStrip)
{
    const std::pair<int, int R::*> cases[] = {
        {1, &R::dynOn}, {2, &R::dynMode}, {4, &R::dynDet}, {5, &R::dynEnv}, {6, &R::dynFilterOn}};
    selectStrip(65);
    for (auto [note, field] : cases) {
        press(33, note);
        EXPECT_EQ(strips[65].*field, 1) << note;
        press(33, note);
        EXPECT_EQ(strips[65].*field, 0) << note;
    }
    press(33, 7);
    Writes seen = mixer.drain();
    ASSERT_EQ(seen.size(), 11u * 17u);
    EXPECT_EQ(seen[0], (Write{"/mtx/02/dyn/on", 'i', 1}));
    EXPECT_EQ(seen.back(), (Write{"/-stat/keysolo", 'i', 1}));
    selectStrip(70);
    press(33, 7);
    EXPECT_EQ(lastWriteTo(mixer.drain(), "/main/st/keysolo"), (Write{"/main/st/keysolo", 'i', 0}));
    selectStrip(71);
    press(33, 7);
    EXPECT_EQ(lastWriteTo(mixer.drain(), "/main/m/keysolo"), (Write{"/main/m/keysolo", 'i', 1}));
}

TEST_F(DynamicsPagesTest, ButtonsLeaveOutChannel32AuxAndFxReturnsAndOnlyChannelsSendAGate)
{
    selectStrip(30);
    for (int note : {1, 6, 7}) press(32, note);
    EXPECT_EQ(strips[30].gateOn + strips[30].gateFilterOn + keySolo, 3);
    EXPECT_EQ(mixer.drain().size(), 36u);
    for (int s : {31, 32, 39, 47}) {
        selectStrip(s);
        press(32, 1);
        press(33, 1);
        EXPECT_EQ(strips[s].gateOn + strips[s].dynOn, 0) << s;
    }
    EXPECT_TRUE(mixer.drain().empty());
    selectStrip(31);  // channel 32 still has its pages sent by the encoders
    turn(32, 2, cw(1));
    turn(33, 4, cw(1));
    Writes seen = mixer.drain();
    ASSERT_EQ(seen.size(), 12u + 17u);
    EXPECT_EQ(seen[1].address, "/ch/32/gate/thr");
    selectStrip(40);  // an effects return has no dynamics, a bus no gate: the model follows
    turn(33, 4, cw(1));
    EXPECT_NEAR(strips[40].dynAttack, 0.008333, 1e-12);
    selectStrip(50);
    turn(32, 3, cw(2));
    turn(32, 7, cw(1));
    press(32, 1);
    EXPECT_NEAR(strips[50].gateRange, 0.035086, 1e-12);
    EXPECT_EQ(strips[50].gateFilterType, 1);
    EXPECT_EQ(strips[50].gateOn, 0);
    EXPECT_TRUE(mixer.drain().empty());
}

} // namespace
