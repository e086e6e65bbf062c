// Pre-amp page: head-amp or trim on encoder 2, the routing controls, the link
// pairs, and the page sent for each strip family; on every page of the
// selected strip, an encoder the strip shows nothing for sends nothing.
// (Which head amp a button switches and a link's partner are compared with
// the console end to end.)
#include <cstdio>

#include "control/processing_pages.h"
#include "control/strip_controls_support.h"
#include "mixer/reply_dispatch.h"

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
    // One tick writes the one field it moves, nothing else of the page.
    ASSERT_EQ(seen, (Writes{{"/headamp/000/gain", 'f', 0.406944}}));
    press(28, 2);  // button 2 switches the phantom power for an aux too
    EXPECT_EQ(mixer.drain(), (Writes{{"/headamp/000/phantom", 'i', 1}}));

    strips[6].haIndex = 9;  // the console named one, but the routing feeds none
    strips[6].trim = 0.5;
    selectStrip(6);
    turn(28, 2, ccw(2));
    press(28, 2);           // no phantom to switch either
    EXPECT_EQ(headamps[9].gain + headamps[9].phantom, 0.0);
    EXPECT_EQ(mixer.drain(), (Writes{{"/ch/07/preamp/trim", 'f', 0.486112}}));  // no head-amp messages

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

// The console works out which head amp feeds an input from its source and
// the routing; after a change to either, from here or from the console, the
// page asks it again instead of showing the old head amp.
std::vector<std::string> headampQueries(const Writes& seen)
{
    std::vector<std::string> asked;
    for (const Write& w : seen)
        if (w.address.rfind("/-ha/", 0) == 0) asked.push_back(w.address);
    return asked;
}

void consolePushes(const char* address, int32_t value)
{
    uint8_t buffer[OSC_BUFFER_SIZE];
    int length = encodeOscMessage(buffer, sizeof buffer, address, "i", value);
    ParsedOscMessage message;
    ASSERT_TRUE(length > 0 && parseOscMessage(buffer, length, message));
    dispatchReply(message);
}

TEST_F(PreampPageTest, ANewSourceOrRoutingAsksTheConsoleForHeadamps)
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
    EXPECT_TRUE(headampQueries(mixer.drain()).empty());

    std::vector<std::string> everyInput;
    for (int strip = 0; strip < 40; ++strip) {
        char address[16];
        std::snprintf(address, sizeof address, "/-ha/%02d/index", strip);
        everyInput.push_back(address);
    }
    pressNote(0x56);  // routing switch
    EXPECT_EQ(headampQueries(mixer.drain()), everyInput);
    consolePushes("/config/routing/routswitch", 0);
    EXPECT_EQ(headampQueries(mixer.drain()), everyInput);
    consolePushes("/config/userrout/in/03", 40);
    EXPECT_EQ(headampQueries(mixer.drain()), everyInput);
    consolePushes("/ch/07/config/source", 3);
    EXPECT_EQ(headampQueries(mixer.drain()), std::vector<std::string>{"/-ha/06/index"});
    consolePushes("/config/mute/2", 1);
    EXPECT_TRUE(headampQueries(mixer.drain()).empty());
}

using R = StripRecord;

struct PreampButtonCase {
    const char* name;
    int strip, note;
    Relaxed<int> StripRecord::*field;
    int expected;         // field after one press
    const char* address;  // where the new value shows in the page; nullptr: nothing sent
};
void PrintTo(const PreampButtonCase& c, std::ostream* os) { *os << c.name; }

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
                                           PB{"InvertMatrix", 64, 3, &R::invert, 1, "/mtx/01/preamp/invert"},
                                           PB{"NoInvertOnBus", 48, 3, &R::invert, 0, nullptr},
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

// Matrices and both mains belong to DCA and mute groups like buses; DCAs do not.
TEST_F(PreampPageTest, AssignmentPageEditsGroupMembershipOfEveryAudioStrip)
{
    const struct {
        int strip;
        const char* root;
    } cases[] = {{48, "/bus/01"}, {64, "/mtx/01"}, {70, "/main/st"}, {71, "/main/m"}, {72, nullptr}};
    chosenDcaGroup = 2;
    chosenMuteGroup = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strip);
        selectStrip(c.strip);
        mixer.drain();
        press(31, 6);
        press(31, 7);
        Writes seen = mixer.drain();
        EXPECT_EQ(strips[c.strip].dcaGroups[2], c.root ? 1 : 0);
        EXPECT_EQ(strips[c.strip].muteGroups[1], c.root ? 1 : 0);
        if (!c.root) {
            EXPECT_TRUE(seen.empty());
            continue;
        }
        const std::string root = c.root;
        EXPECT_EQ(lastWriteTo(seen, root + "/grp/dca"), (Write{root + "/grp/dca", 'i', 4.0}));
        EXPECT_EQ(lastWriteTo(seen, root + "/grp/mute"), (Write{root + "/grp/mute", 'i', 2.0}));
    }
}

// Page, strip, encoder turned once clockwise, and the write that shows it
// reached the console; nullptr where the page shows nothing for the encoder.
struct EncoderCase {
    int page, strip, encoder;
    const char* address;
};

TEST_F(PreampPageTest, AnEncoderSendsOnlyWhatThePageShowsForTheStrip)
{
    const EncoderCase cases[] = {
        {1, 31, 3, "/ch/32/preamp/hpf"}, {1, 32, 3, nullptr},      {1, 48, 3, "/bus/01/eq/1/g"},
        {1, 72, 5, nullptr},             {28, 39, 2, "/auxin/08/preamp/trim"}, {28, 48, 2, nullptr},
        {28, 4, 4, nullptr},             {28, 40, 8, nullptr},     {31, 63, 3, "/bus/16/mix/mlevel"},
        {31, 70, 3, nullptr},            {31, 8, 5, nullptr},      {32, 31, 3, "/ch/32/gate/range"},
        {32, 48, 2, nullptr},            {33, 31, 2, "/ch/32/dyn/thr"}, {33, 40, 2, nullptr},
    };
    for (const EncoderCase& c : cases) {
        selectStrip(c.strip);
        mixer.drain();
        turn(c.page, c.encoder, cw(1));
        Writes seen = mixer.drain();
        if (c.address) EXPECT_EQ(lastWriteTo(seen, c.address).address, c.address) << c.page << " " << c.strip;
        else EXPECT_EQ(seen, Writes{}) << "page " << c.page << " strip " << c.strip << " encoder " << c.encoder;
    }
    selectStrip(31);  // channel 32 takes the gate buttons like the others
    mixer.drain();
    press(32, 1);
    EXPECT_EQ(lastWriteTo(mixer.drain(), "/ch/32/gate/on"), (Write{"/ch/32/gate/on", 'i', 1}));
}

} // namespace
