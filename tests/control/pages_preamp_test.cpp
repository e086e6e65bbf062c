// Pre-amp page: head-amp or trim on encoder 2, the routing controls, the link
// pairs, and the page sent for each strip family. (Which head amp a button
// switches and a link's partner are compared with the console end to end.)
#include "control/processing_pages.h"
#include "control/strip_controls_support.h"

namespace {

class PreampPageTest : public SurfaceControlTest {
protected:
    void SetUp() override
    {
        SurfaceControlTest::SetUp();
        // Channel 5 takes input 13 of the IN row, block 2 of which carries
        // code 2 (head-amps 16..23): head-amp 20.
        strips[4].source = 13;
        strips[4].haIndex = 20;
        routingBlocks[0][1] = 2;
    }
};

TEST_F(PreampPageTest, GainEditsTheRoutedHeadampOrElseTheTrim)
{
    strips[32].source = 33;  // aux 1 with aux code 1 on the IN row: head-amp 0
    strips[32].haIndex = 0;
    routingBlocks[0][4] = 1;
    headamps[0].gain = 0.4;
    selectStrip(32);
    turn(28, 2, cw(1));
    Writes seen = mixer.drain();
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0], (Write{"/headamp/000/gain", 'f', 0.406944}));
    EXPECT_EQ(seen[1], (Write{"/headamp/000/phantom", 'i', 0}));  // button 2 switches it for an aux too

    strips[6].haIndex = 9;  // the console named one, but the routing feeds none
    strips[6].trim = 0.5;
    selectStrip(6);
    turn(28, 2, ccw(2));
    press(28, 2);           // no phantom to switch either
    EXPECT_EQ(headamps[9].gain + headamps[9].phantom, 0.0);
    seen = mixer.drain();
    ASSERT_EQ(seen.size(), 11u);  // no head-amp messages
    EXPECT_EQ(seen[4], (Write{"/ch/07/preamp/trim", 'f', 0.486112}));

    // Routed to head-amp 20, but the console reports none for the strip: the
    // page shows the trim, so encoder 2 edits it and button 2 switches nothing.
    strips[4].haIndex = -1;
    strips[4].trim = 0.5;
    selectStrip(4);
    mixer.drain();
    turn(28, 2, cw(1));
    press(28, 2);
    EXPECT_EQ(headamps[20].gain + headamps[20].phantom, 0.0);
    seen = mixer.drain();
    for (const Write& w : seen) EXPECT_EQ(w.address.rfind("/headamp/", 0), std::string::npos) << w.address;
    EXPECT_EQ(lastWriteTo(seen, "/ch/05/preamp/trim"), (Write{"/ch/05/preamp/trim", 'f', 0.506944}));
}

TEST_F(PreampPageTest, ANewSourceAsksTheConsoleForTheStripsHeadamp)
{
    selectStrip(4);
    mixer.drain();
    encoderPushed[1] = 1;  // encoder 2 held: it steps the source
    turn(28, 2, cw(1));
    Writes seen = mixer.drain();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(lastWriteTo(seen, "/ch/05/config/source"), (Write{"/ch/05/config/source", 'i', 14}));
    EXPECT_EQ(seen.back().address, "/-ha/04/index");
    strips[4].source = 64;  // the highest source
    turn(28, 2, cw(1));  // at the top already: nothing new to ask
    seen = mixer.drain();
    for (const Write& w : seen) EXPECT_NE(w.address, "/-ha/04/index");
}

using R = StripRecord;

struct PreampButtonCase {
    const char* name;
    int strip, note;
    int StripRecord::*field;
    int expected;         // field after one press
    const char* address;  // where the new value shows in the page; nullptr: nothing sent
};

class PreampButtonTest : public PreampPageTest, public ::testing::WithParamInterface<PreampButtonCase> {};

TEST_P(PreampButtonTest, TogglesOnlyWhereTheStripHasTheControl)
{
    const PreampButtonCase& c = GetParam();
    selectStrip(c.strip);
    press(28, c.note);
    EXPECT_EQ(strips[c.strip].*c.field, c.expected);
    Writes seen = mixer.drain();
    if (!c.address) {
        EXPECT_TRUE(seen.empty());
    } else {
        EXPECT_EQ(lastWriteTo(seen, c.address), (Write{c.address, 'i', double(c.expected)}));
    }
}

using PB = PreampButtonCase;
INSTANTIATE_TEST_SUITE_P(Buttons, PreampButtonTest,
                         ::testing::Values(PB{"InvertAux", 39, 3, &R::invert, 1, "/auxin/08/preamp/invert"},
                                           PB{"NoInvertOnFxReturn", 40, 3, &R::invert, 0, nullptr},
                                           PB{"LowCutOn", 0, 5, &R::hpOn, 1, "/ch/01/preamp/hpon"},
                                           PB{"NoLowCutOnAux", 32, 5, &R::hpOn, 0, nullptr},
                                           PB{"DelayOn", 31, 6, &R::delayOn, 1, "/ch/32/delay/on"},
                                           PB{"InsertOnMain", 70, 7, &R::insertOn, 1, "/main/st/insert/on"},
                                           PB{"NoInsertOnFxReturn", 47, 7, &R::insertOn, 0, nullptr},
                                           PB{"LinkMatrix", 69, 4, &R::link, 1, "/config/mtxlink/5-6"},
                                           PB{"LinkChannelSix", 5, 4, &R::link, 1, "/config/chlink/5-6"},
                                           PB{"NoLinkOnMains", 70, 4, &R::link, 0, nullptr},
                                           PB{"ButtonOneDoesNothing", 4, 1, &R::hpOn, 0, nullptr}),
                         byName);

} // namespace
