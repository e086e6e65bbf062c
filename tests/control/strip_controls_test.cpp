// Pan, mute, solo, select, mute groups and the global buttons, driven by
// surface datagrams and checked on what reaches the console stand-in.
#include <gtest/gtest.h>

#include "control/strip_controls.h"
#include "control/strip_controls_support.h"

namespace {

using StripControls = SurfaceControlTest;

// The families themselves are checked through the fader and mute tests.
TEST(StripPath, OnlyMixStripsHaveOneAndItMustFit)
{
    char buffer[16];
    for (int strip : {72, 79, BLANK_STRIP, -1}) {
        EXPECT_EQ(formatStripPath(buffer, sizeof buffer, strip, ""), -1) << strip;
    }
    EXPECT_EQ(formatStripPath(buffer, 8, 0, "/mix/fader"), -1);
    EXPECT_EQ(formatStripPath(buffer, sizeof buffer, 71, "/mix/on"), 14);
    EXPECT_STREQ(buffer, "/main/m/mix/on");
}

struct PanCase {
    double start;
    uint8_t value;
    double expected;
};

class HomePagePan : public SurfaceControlTest, public ::testing::WithParamInterface<PanCase> {};

TEST_P(HomePagePan, StepsWithoutReachingEitherEnd)
{
    showStrips({BLANK_STRIP, BLANK_STRIP, 4});
    strips[4].pan = GetParam().start;
    surfaceSends({0xB0, 18, GetParam().value});

    EXPECT_NEAR(strips[4].pan, GetParam().expected, 1e-12);
    std::vector<OscSeen> sent = mixer.drain();
    ASSERT_EQ(sent.size(), 1u);  // sent even when the turn was ignored
    EXPECT_EQ(sent[0].address, "/ch/05/mix/pan");
    EXPECT_FLOAT_EQ(sent[0].f, static_cast<float>(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(PanTurns, HomePagePan,
                         ::testing::Values(PanCase{0.5, 1, 0.51}, PanCase{0.5, 65, 0.49},
                                           PanCase{0.5, 70, 0.44}, PanCase{0.2, 64, 0.84},
                                           PanCase{0.5, 64, 0.5}, PanCase{0.995, 1, 0.995},
                                           PanCase{0.005, 65, 0.005}, PanCase{0.01, 65, 0.01},
                                           PanCase{0.02, 65, 0.01}, PanCase{0.3, 0, 0.3}));

TEST_F(StripControls, PanOnOtherPagesEmptyStripsAndDcasSendsNothing)
{
    showStrips({BLANK_STRIP, 72, 3});
    surfaceSends({0xB0, 16, 1});
    surfaceSends({0xB0, 17, 1});
    surfacePage = 8;
    surfaceSends({0xB0, 18, 1});
    EXPECT_EQ(strips[3].pan, 0.0);
    EXPECT_EQ(strips[72].pan, 0.0);
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(StripControls, EncoderPushCentresPanOnlyOnTheHomePage)
{
    showStrips({9, 10});
    strips[9].pan = 0.2;
    strips[10].pan = 0.2;
    pressNote(32);
    surfacePage = 1;
    pressNote(33);
    EXPECT_EQ(strips[9].pan, 0.5);
    EXPECT_EQ(strips[10].pan, 0.2);
    std::vector<OscSeen> sent = mixer.drain();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].address, "/ch/10/mix/pan");
    EXPECT_FLOAT_EQ(sent[0].f, 0.5f);
}

struct MuteCase {
    int strip;
    const char* address;
};

class MuteButton : public SurfaceControlTest, public ::testing::WithParamInterface<MuteCase> {};

TEST_P(MuteButton, TogglesAndSendsTheConsolesOnFlag)
{
    showStrips({BLANK_STRIP, GetParam().strip});
    pressNote(17);
    EXPECT_EQ(strips[GetParam().strip].mute, 1);
    pressNote(17);
    EXPECT_EQ(strips[GetParam().strip].mute, 0);
    std::vector<OscSeen> sent = mixer.drain();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].address, GetParam().address);
    EXPECT_EQ(sent[0].tags, "i");
    EXPECT_EQ(sent[0].i, 0);  // muted: not on
    EXPECT_EQ(sent[1].i, 1);
}

INSTANTIATE_TEST_SUITE_P(MuteStrips, MuteButton,
                         ::testing::Values(MuteCase{2, "/ch/03/mix/on"}, MuteCase{65, "/mtx/02/mix/on"},
                                           MuteCase{70, "/main/st/mix/on"}, MuteCase{74, "/dca/3/on"}));

TEST_F(StripControls, MuteNeedsAFullPressAndAStrip)
{
    showStrips({BLANK_STRIP, 6});
    surfaceSends({0x90, 17, 1});
    releaseNote(17);
    pressNote(16);
    EXPECT_EQ(strips[6].mute, 0);
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(StripControls, SoloTogglesWithTheConsolesNumbering)
{
    showStrips({0, 1, 2, 75});
    pressNote(10);
    pressNote(11);
    pressNote(10);
    EXPECT_EQ(strips[2].solo, 0);
    EXPECT_EQ(strips[75].solo, 1);
    std::vector<OscSeen> sent = mixer.drain();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].address, "/-stat/solosw/03");
    EXPECT_EQ(sent[0].i, 1);
    EXPECT_EQ(sent[1].address, "/-stat/solosw/76");
    EXPECT_EQ(sent[2].i, 0);
}

TEST_F(StripControls, ClearSoloAsksTheConsoleAndLeavesTheModel)
{
    strips[5].solo = 1;
    pressNote(84);
    EXPECT_EQ(strips[5].solo, 1);
    std::vector<OscSeen> sent = mixer.drain();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].address, "/-action/clearsolo");
    EXPECT_EQ(sent[0].i, 1);
}

TEST_F(StripControls, SelectPressSelectsAndHoldsUntilRelease)
{
    showStrips({0, 1, 2, 3, 4, 5, 5});
    pressNote(29);
    EXPECT_EQ(selectHeld[5], 1);
    EXPECT_EQ(selectedStrip, 5);
    EXPECT_EQ(selectedBankSlot, 7);  // the highest position showing it
    releaseNote(29);
    EXPECT_EQ(selectHeld[5], 0);
    EXPECT_EQ(selectedStrip, 5);
    std::vector<OscSeen> sent = mixer.drain();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].address, "/-stat/selidx");
    EXPECT_EQ(sent[0].i, 5);
}

TEST_F(StripControls, SelectOnADcaOrEmptyStripOnlyHolds)
{
    showStrips({72, BLANK_STRIP, 3});
    selectedStrip = 3;
    selectedBankSlot = 3;
    pressNote(24);
    pressNote(25);
    EXPECT_EQ(selectHeld[0], 1);
    EXPECT_EQ(selectHeld[1], 1);
    EXPECT_EQ(selectedStrip, 3);
    EXPECT_EQ(selectedBankSlot, 3);
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(StripControls, MuteGroupButtonSwitchesTheGroupAndItsLamp)
{
    pressNote(76);
    EXPECT_EQ(muteGroupOn[2], 1);
    std::vector<std::vector<uint8_t>> lamps = takeSurfaceOutput();
    ASSERT_FALSE(lamps.empty());
    EXPECT_EQ(lamps[0], (std::vector<uint8_t>{0x90, 76, 127}));
    pressNote(76);
    EXPECT_EQ(muteGroupOn[2], 0);
    lamps = takeSurfaceOutput();
    ASSERT_FALSE(lamps.empty());
    EXPECT_EQ(lamps[0], (std::vector<uint8_t>{0x90, 76, 0}));

    std::vector<OscSeen> sent = mixer.drain();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].address, "/config/mute/3");
    EXPECT_EQ(sent[0].i, 1);
    EXPECT_EQ(sent[1].i, 0);
}

TEST_F(StripControls, MuteGroupWithSelectHeldEditsTheSelectedStrip)
{
    showStrips({40, 41});
    pressNote(25);  // selects strip 41 and holds
    mixer.drain();
    takeSurfaceOutput();
    strips[41].muteGroups[0] = 1;

    pressNote(76);
    EXPECT_EQ(strips[41].muteGroups[2], 1);
    EXPECT_EQ(muteGroupOn[2], 0);
    for (const std::vector<uint8_t>& m : takeSurfaceOutput()) {
        EXPECT_NE(m, (std::vector<uint8_t>{0x90, 76, 127}));
    }
    pressNote(79);
    std::vector<OscSeen> sent = mixer.drain();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].address, "/fxrtn/02/grp/mute");
    EXPECT_EQ(sent[0].i, 1 + 4);
    EXPECT_EQ(sent[1].i, 1 + 4 + 32);

    releaseNote(25);
    pressNote(76);  // no longer held: the group itself
    EXPECT_EQ(muteGroupOn[2], 1);
    EXPECT_EQ(strips[41].muteGroups[2], 1);
}

TEST_F(StripControls, MuteGroupWithSelectHeldOnADcaSelectionSendsNothing)
{
    selectedStrip = 73;
    selectHeld[4] = 1;
    pressNote(74);
    EXPECT_EQ(strips[73].muteGroups[0], 0);
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(StripControls, RoutingSwitchToggles)
{
    pressNote(86);
    pressNote(86);
    EXPECT_EQ(routSwitch, 0);
    std::vector<OscSeen> sent = mixer.drain();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].address, "/config/routing/routswitch");
    EXPECT_EQ(sent[0].i, 1);
    EXPECT_EQ(sent[1].i, 0);
}

TEST_F(StripControls, FailedSelectSendHasItsOwnLine)
{
    mixer.close();
    std::string output;
    setConsoleCapture(&output);
    sendChannelSelect(4);
    sendStripFader(4);
    setConsoleCapture(nullptr);
    EXPECT_EQ(output,
              "Error sending channel select to mixer\n"
              "Error sending /ch/05/mix/fader to mixer\n");
}

} // namespace
