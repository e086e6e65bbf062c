// Pan, solo, select, mute groups and the global buttons, driven by surface
// datagrams and checked on what reaches the console stand-in. (Mute buttons
// are compared with the console end to end.)
#include "control/strip_controls.h"
#include "control/strip_controls_support.h"

namespace {

using StripControls = SurfaceControlTest;

TEST_F(StripControls, HomePagePanStepsWithoutReachingEitherEndOnMixStripsOnly)
{
    showStrips({B, 72, 4, 9});
    const double cases[][3] = {{0.5, 1, 0.51},    {0.5, 70, 0.44},  {0.2, 64, 0.84}, {0.995, 1, 0.995},
                               {0.01, 65, 0.01}, {0.02, 65, 0.01}, {0.3, 0, 0.3}};  // start, value, pan after
    for (auto [start, value, expected] : cases) {
        strips[4].pan = start;
        surfaceSends({0xB0, 18, static_cast<uint8_t>(value)});
        EXPECT_NEAR(strips[4].pan, expected, 1e-12) << start << " turned " << value;
        // Sent even when the turn was ignored.
        EXPECT_EQ(mixer.drain(), (Writes{{"/ch/05/mix/pan", 'f', expected}}));
    }
    strips[9].pan = 0.2;
    surfaceSends({0xB0, 16, 1});  // an empty strip
    surfaceSends({0xB0, 17, 1});  // a DCA
    pressNote(35);                // the push centres
    surfacePage = 8;
    surfaceSends({0xB0, 18, 1});
    surfacePage = 1;
    pressNote(35);
    EXPECT_EQ(strips[72].pan, 0.0);
    EXPECT_EQ(mixer.drain(), (Writes{{"/ch/10/mix/pan", 'f', 0.5}}));
}

TEST_F(StripControls, SoloClearSoloAndRoutingSwitch)
{
    showStrips({0, 1, 2, 75});
    for (uint8_t note : {10, 11, 10, 84, 86, 86}) pressNote(note);
    EXPECT_EQ(strips[2].solo, 0);
    EXPECT_EQ(strips[75].solo, 1);  // clear solo leaves it to the console's report
    EXPECT_EQ(routSwitch, 0);
    EXPECT_EQ(mixer.drain(), (Writes{{"/-stat/solosw/03", 'i', 1}, {"/-stat/solosw/76", 'i', 1},
                                     {"/-stat/solosw/03", 'i', 0}, {"/-action/clearsolo", 'i', 1},
                                     {"/config/routing/routswitch", 'i', 1}, {"/config/routing/routswitch", 'i', 0}}));
}

TEST_F(StripControls, SelectHoldsUntilReleaseAndSelectsOnlyMixStrips)
{
    showStrips({72, B, 2, 3, 4, 5, 5});
    pressNote(29);
    EXPECT_EQ(selectedStrip, 5);
    EXPECT_EQ(selectedBankSlot, 7);  // the highest position showing it
    releaseNote(29);
    EXPECT_EQ(selectHeld[5], 0);
    pressNote(24);
    pressNote(25);
    EXPECT_EQ(selectHeld[0] + selectHeld[1], 2);
    EXPECT_EQ(selectedStrip, 5);
    EXPECT_EQ(selectedBankSlot, 7);
    EXPECT_EQ(mixer.drain(), (Writes{{"/-stat/selidx", 'i', 5}}));
}

TEST_F(StripControls, MuteGroupButtonSwitchesTheGroupOrWithSelectHeldTheSelectedStrip)
{
    showStrips({40, 41});
    pressNote(25);  // selects strip 41 and holds
    mixer.drain();
    takeSurfaceOutput();
    strips[41].muteGroups[0] = 1;
    pressNote(76);
    EXPECT_EQ(strips[41].muteGroups[2], 1);
    EXPECT_EQ(muteGroupOn[2], 0);
    EXPECT_FALSE(surfaceGot({0x90, 76, 127}));
    pressNote(79);
    selectStrip(73);  // a DCA selection has no groups
    pressNote(74);
    EXPECT_EQ(strips[73].muteGroups[0], 0);
    EXPECT_EQ(mixer.drain(), (Writes{{"/fxrtn/02/grp/mute", 'i', 1 + 4}, {"/fxrtn/02/grp/mute", 'i', 1 + 4 + 32}}));

    releaseNote(25);
    pressNote(76);  // no longer held: the group itself
    EXPECT_EQ(muteGroupOn[2], 1);
    EXPECT_EQ(takeSurfaceOutput().at(0), (std::vector<uint8_t>{0x90, 76, 127}));
    pressNote(76);
    EXPECT_EQ(takeSurfaceOutput().at(0), (std::vector<uint8_t>{0x90, 76, 0}));
    EXPECT_EQ(mixer.drain(), (Writes{{"/config/mute/3", 'i', 1}, {"/config/mute/3", 'i', 0}}));
}

TEST_F(StripControls, FailedSelectSendHasItsOwnLine)
{
    mixer.close();
    std::string output;
    setConsoleCapture(&output);
    sendChannelSelect(4);
    sendStripFader(4);
    setConsoleCapture(nullptr);
    EXPECT_EQ(output, "Error sending channel select to mixer\nError sending /ch/05/mix/fader to mixer\n");
}

} // namespace
