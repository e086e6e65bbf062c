// The pages reached through the surface dispatcher, as datagrams from the
// surface: page buttons, encoder turns and pushes, top-row buttons.
#include "control/processing_pages.h"
#include "control/pages_test_support.h"

namespace {

using PagesDispatchTest = SurfaceControlTest;

TEST_F(PagesDispatchTest, SurfaceMessagesReachThePageOfTheSelectedStrip)
{
    selectStrip(2);
    strips[2].gateThr = 0.5;
    strips[2].dynKeySrc = 60;

    pressNote(42);                   // gate page
    surfaceSends({0xB0, 17, 2});     // encoder 2 two ticks clockwise
    EXPECT_EQ(surfacePage, 32);
    EXPECT_NEAR(strips[2].gateThr, 0.5125, 1e-12);
    std::vector<OscSeen> seen = mixer.drain();
    ASSERT_EQ(seen.size(), 12u);
    EXPECT_EQ(seen[1].address, "/ch/03/gate/thr");

    pressNote(41);                   // dynamics page
    pressNote(38);                   // encoder 7 held
    surfaceSends({0xB0, 22, 10});
    releaseNote(38);
    surfaceSends({0xB0, 22, 10});    // not held: the filter type by one
    EXPECT_EQ(strips[2].dynKeySrc, 64);
    EXPECT_EQ(strips[2].dynFilterType, 1);
    EXPECT_EQ(mixer.drain().size(), 34u);

    pressNote(45);                   // sends 1-8
    pressNote(3);                    // top-row button 4: send 4 on
    EXPECT_EQ(strips[2].sends[4].on, 1);
    EXPECT_TRUE(sameWrites(mixer.drain(), {{"/ch/03/mix/04/level", 'f', 0.0}, {"/ch/03/mix/04/on", 'i', 1}}));

    pressNote(40);                   // pre-amp page
    pressNote(39);                   // encoder 8 push: insert position
    EXPECT_EQ(strips[2].insertPos, 1);
    EXPECT_EQ(mixer.drain().size(), 11u);

    pressNote(89);                   // automix X, on any page
    EXPECT_TRUE(sameWrites(mixer.drain(), {{"/config/amixenable/X", 'i', 1}, {"/config/amixenable/Y", 'i', 0}}));
}

TEST_F(PagesDispatchTest, EffectsSlotButtonThenEncodersEditThatSlot)
{
    fxSlots[3].type = 5;
    pressNote(72);                   // slot 3
    EXPECT_EQ(surfacePage, 4);
    pressNote(32);
    surfaceSends({0xB0, 16, 66});    // encoder 1 held, two ticks anticlockwise
    releaseNote(32);
    surfaceSends({0xB0, 16, 66});    // not held: nothing
    EXPECT_EQ(fxSlots[3].type, 3);
    EXPECT_TRUE(sameWrites(mixer.drain(), {{"/fx/3/type", 'i', 3}}));
}

TEST_F(PagesDispatchTest, SendFaderPageFaderAndTopRow)
{
    showStrips({4, 50});
    pressNote(63);                   // faders on the sends to bus 2
    EXPECT_EQ(surfacePage, 9);
    surfaceSends({0xE0, 0, 64});     // fader 1 to 64 * 255 / 32636
    pressNote(0);
    EXPECT_NEAR(strips[4].sends[2].level, 64.0 * 255 / 32636, 1e-6);
    EXPECT_EQ(strips[4].sends[2].on, 1);
    std::vector<OscSeen> seen = mixer.drain();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].address, "/ch/05/mix/02/level");
    EXPECT_EQ(seen[3].address, "/ch/05/mix/02/on");
    EXPECT_EQ(seen[3].i, 1);
}

} // namespace
