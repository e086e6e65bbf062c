// Assignment page: pan, mono, stereo, automix and the group memberships of
// the selected strip, and the automix enables.
#include "control/processing_pages.h"
#include "control/pages_test_support.h"

namespace {

class AssignPageTest : public SurfaceControlTest {
protected:
    void SetUp() override
    {
        SurfaceControlTest::SetUp();
        surfacePage = 31;
    }
};

TEST_F(AssignPageTest, PageOfAnAutomixChannelCarriesWeightGroupAndMasks)
{
    StripRecord& r = strips[2];
    r.automixWeight = 0.5;
    r.automixGroup = 2;
    r.monoLevel = 0.4;
    r.stereo = 1;
    r.dcaGroups[0] = 1;
    r.dcaGroups[7] = 1;
    r.muteGroups[1] = 1;
    r.muteGroups[5] = 1;
    selectStrip(2);
    turn(31, 3, cw(2));
    EXPECT_NEAR(r.monoLevel, 0.4127, 1e-12);
    EXPECT_TRUE(sameWrites(mixer.drain(), {{"/ch/03/automix/weight", 'f', 0.5},
                                           {"/ch/03/automix/group", 'i', 2},
                                           {"/ch/03/mix/mlevel", 'f', 0.4127},
                                           {"/ch/03/mix/mono", 'i', 0},
                                           {"/ch/03/mix/st", 'i', 1},
                                           {"/ch/03/grp/dca", 'i', 129},
                                           {"/ch/03/grp/mute", 'i', 34}}));

    selectStrip(8);  // channel 9: no automix
    turn(31, 5, cw(1));
    EXPECT_NEAR(strips[8].automixWeight, 0.02083, 1e-12);
    EXPECT_EQ(addressesOf(mixer.drain()),
              (std::vector<std::string>{"/ch/09/mix/mlevel", "/ch/09/mix/mono", "/ch/09/mix/st",
                                        "/ch/09/grp/dca", "/ch/09/grp/mute"}));

    selectStrip(64);  // matrices have no assignment page
    turn(31, 3, cw(1));
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(AssignPageTest, PanStepsAndCentresThroughThePanSender)
{
    strips[50].pan = 0.995;
    selectStrip(50);
    turn(31, 2, cw(1));
    EXPECT_DOUBLE_EQ(strips[50].pan, 1.0);  // unlike the home page, it reaches the end
    handlePageEncoderPush(31, 33);
    EXPECT_DOUBLE_EQ(strips[50].pan, 0.5);
    EXPECT_TRUE(sameWrites(mixer.drain(), {{"/bus/03/mix/pan", 'f', 1.0}, {"/bus/03/mix/pan", 'f', 0.5}}));
}

TEST_F(AssignPageTest, GroupChoiceMovesByTicksWithinItsRangeAndSendsNothing)
{
    struct Case {
        int encoder;
        int value;
        int expectedDca;
        int expectedMute;
    };
    const Case cases[] = {{7, cw(3), 3, 0}, {7, cw(10), 7, 0}, {7, ccw(2), 5, 0},
                          {8, cw(9), 5, 5}, {8, ccw(63), 5, 0}, {7, ccw(1), 4, 0}};
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

TEST_F(AssignPageTest, ButtonsToggleMembershipOfTheChosenGroups)
{
    chosenDcaGroup = 2;
    chosenMuteGroup = 5;
    strips[0].dcaGroups[0] = 1;
    selectStrip(0);
    press(31, 6);
    EXPECT_EQ(strips[0].dcaGroups[2], 1);
    press(31, 7);
    EXPECT_EQ(strips[0].muteGroups[5], 1);
    press(31, 1);
    EXPECT_EQ(strips[0].stereo, 1);
    press(31, 2);
    EXPECT_EQ(strips[0].mono, 1);
    std::vector<OscSeen> seen = mixer.drain();
    ASSERT_EQ(seen.size(), 28u);  // four whole pages of seven
    EXPECT_EQ(seen[5].address, "/ch/01/grp/dca");
    EXPECT_EQ(seen[5].i, 5);
    EXPECT_EQ(seen[13].address, "/ch/01/grp/mute");
    EXPECT_EQ(seen[13].i, 32);
    EXPECT_EQ(seen[18].address, "/ch/01/mix/st");
    EXPECT_EQ(seen[18].i, 1);
    EXPECT_EQ(seen[24].address, "/ch/01/mix/mono");
    EXPECT_EQ(seen[24].i, 1);
}

TEST_F(AssignPageTest, AutomixGroupCyclesOnChannelsOneToEightOnly)
{
    selectStrip(7);
    const int expected[] = {1, 2, 0, 1};
    for (int want : expected) {
        press(31, 4);
        EXPECT_EQ(strips[7].automixGroup, want);
        std::vector<OscSeen> seen = mixer.drain();
        ASSERT_GE(seen.size(), 2u);
        EXPECT_EQ(seen[1].address, "/ch/08/automix/group");
        EXPECT_EQ(seen[1].i, want);
    }
    selectStrip(8);
    press(31, 4);
    EXPECT_EQ(strips[8].automixGroup, 0);
    selectStrip(70);  // mains: no stereo, mono or group buttons here
    press(31, 1);
    press(31, 6);
    EXPECT_EQ(strips[70].stereo, 0);
    EXPECT_EQ(strips[70].dcaGroups[0], 0);
    press(31, 3);     // buttons 0, 3, 5 have no job on this page
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(AssignPageTest, AutomixEnablesToggleAndSendBoth)
{
    toggleAutomixEnable(0);
    toggleAutomixEnable(1);
    toggleAutomixEnable(0);
    toggleAutomixEnable(2);
    EXPECT_EQ(automixEnableX, 0);
    EXPECT_EQ(automixEnableY, 1);
    EXPECT_TRUE(sameWrites(mixer.drain(), {{"/config/amixenable/X", 'i', 1},
                                           {"/config/amixenable/Y", 'i', 0},
                                           {"/config/amixenable/X", 'i', 1},
                                           {"/config/amixenable/Y", 'i', 1},
                                           {"/config/amixenable/X", 'i', 0},
                                           {"/config/amixenable/Y", 'i', 1}}));
}

} // namespace
