// The pages reached through the surface dispatcher, as datagrams from the
// surface: page buttons, encoder turns and pushes, top-row buttons.
#include "control/processing_pages.h"
#include "control/strip_controls_support.h"

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
    Writes seen = mixer.drain();
    ASSERT_EQ(seen.size(), 12u);
    EXPECT_EQ(seen[1], (Write{"/ch/03/gate/thr", 'f', 0.5125}));

    pressNote(41);                   // dynamics page
    pressNote(38);                   // encoder 7 held
    surfaceSends({0xB0, 22, 10});
    releaseNote(38);
    surfaceSends({0xB0, 22, 10});    // not held: the filter type by one
    EXPECT_EQ(strips[2].dynKeySrc, 64);
    EXPECT_EQ(strips[2].dynFilterType, 1);
    EXPECT_EQ(mixer.drain().size(), 34u);

    pressNote(40);                   // pre-amp page
    pressNote(39);                   // encoder 8 push: insert position
    EXPECT_EQ(strips[2].insertPos, 1);
    EXPECT_EQ(mixer.drain().size(), 11u);

    pressNote(89);                   // automix X, on any page
    EXPECT_EQ(mixer.drain(), (Writes{{"/config/amixenable/X", 'i', 1}, {"/config/amixenable/Y", 'i', 0}}));
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
    EXPECT_EQ(mixer.drain(), (Writes{{"/fx/3/type", 'i', 3}}));
}

} // namespace
