// Assignment page: pan, mono, stereo, automix and the group memberships of
// the selected strip.
#include "control/processing_pages.h"
#include "control/strip_controls_support.h"

namespace {

using AssignPageTest = SurfaceControlTest;

TEST_F(AssignPageTest, PageOfAnAutomixChannelCarriesWeightGroupAndMasks)
{
    StripRecord& r = strips[2];
    r.automixWeight = 0.5;
    r.automixGroup = 2;
    r.monoLevel = 0.4;
    r.stereo = r.dcaGroups[0] = r.dcaGroups[7] = r.muteGroups[1] = r.muteGroups[5] = 1;
    selectStrip(2);
    turn(31, 3, cw(2));
    EXPECT_EQ(mixer.drain(), (Writes{{"/ch/03/automix/weight", 'f', 0.5}, {"/ch/03/automix/group", 'i', 2},
                                     {"/ch/03/mix/mlevel", 'f', 0.4127}, {"/ch/03/mix/mono", 'i', 0},
                                     {"/ch/03/mix/st", 'i', 1}, {"/ch/03/grp/dca", 'i', 129},
                                     {"/ch/03/grp/mute", 'i', 34}}));

    selectStrip(8);  // channel 9: no automix
    turn(31, 5, cw(1));
    EXPECT_NEAR(strips[8].automixWeight, 0.02083, 1e-12);
    EXPECT_EQ(addressesOf(mixer.drain()),
              (std::vector<std::string>{"/ch/09/mix/mlevel", "/ch/09/mix/mono", "/ch/09/mix/st", "/ch/09/grp/dca",
                                        "/ch/09/grp/mute"}));
    selectStrip(64);  // matrices have no assignment page
    turn(31, 3, cw(1));
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(AssignPageTest, PanStepsToTheEndAndCentresThroughThePanSender)
{
    strips[50].pan = 0.995;
    selectStrip(50);
    turn(31, 2, cw(1));  // unlike the home page, it reaches the end
    handlePageEncoderPush(31, 33);
    EXPECT_EQ(mixer.drain(), (Writes{{"/bus/03/mix/pan", 'f', 1.0}, {"/bus/03/mix/pan", 'f', 0.5}}));
}

TEST_F(AssignPageTest, GroupChoiceMovesByTicksWithinItsRangeAndSendsNothing)
{
    struct Case {
        int encoder, value, expectedDca, expectedMute;
    };
    const Case cases[] = {{7, cw(3), 3, 0}, {7, cw(10), 7, 0}, {7, ccw(2), 5, 0}, {8, cw(9), 5, 5}, {8, ccw(63), 5, 0}};
    selectStrip(0);
    for (const Case& c : cases) {
        turn(31, c.encoder, c.value);
        EXPECT_EQ(chosenDcaGroup, c.expectedDca);
        EXPECT_EQ(chosenMuteGroup, c.expectedMute);
    }
    turn(31, 4, cw(1));
    turn(31, 6, cw(1));
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(AssignPageTest, ButtonsToggleMembershipOfTheChosenGroupsStereoAndMono)
{
    chosenDcaGroup = 2;
    chosenMuteGroup = 5;
    strips[0].dcaGroups[0] = 1;
    selectStrip(0);
    for (int note : {6, 7, 1, 2}) press(31, note);
    Writes seen = mixer.drain();
    ASSERT_EQ(seen.size(), 28u);  // four whole pages of seven
    EXPECT_EQ(seen[5], (Write{"/ch/01/grp/dca", 'i', 5}));
    EXPECT_EQ(seen[13], (Write{"/ch/01/grp/mute", 'i', 32}));
    EXPECT_EQ(seen[18], (Write{"/ch/01/mix/st", 'i', 1}));
    EXPECT_EQ(seen[24], (Write{"/ch/01/mix/mono", 'i', 1}));
}

TEST_F(AssignPageTest, AutomixGroupCyclesOnChannelsOneToEightOnly)
{
    selectStrip(7);
    for (int want : {1, 2, 0}) {
        press(31, 4);
        EXPECT_EQ(lastWriteTo(mixer.drain(), "/ch/08/automix/group").value, want);
    }
    selectStrip(8);
    press(31, 4);
    EXPECT_EQ(strips[8].automixGroup, 0);
    selectStrip(70);  // mains: no stereo, mono or group buttons here
    for (int note : {1, 6, 3}) press(31, note);  // and button 3 has no job on this page
    EXPECT_EQ(strips[70].stereo + strips[70].dcaGroups[0], 0);
    EXPECT_TRUE(mixer.drain().empty());
}

} // namespace
