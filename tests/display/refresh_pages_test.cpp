// The page rules: the page-entry block (page lamps and editor clicks when
// the page changes) and row A (notes 0..7): what each page lights, which
// notes it leaves alone, and that a selection outside the strip table
// lights nothing.
#include <gtest/gtest.h>

#include <string>

#include "display/display_test_support.h"
#include "editor/editor_clicks.h"

namespace {

// A design point of the editor's layout; panel points are measured from the
// left edge of its right-hand panel. The top-row view buttons sit at y 22.
struct DesignPoint {
    int x;
    int y;
    bool panel;
};

struct PageEntryCase {
    int page;
    int lampNote;
    int lampVelocity;
    std::vector<DesignPoint> clicks;   // in order
};

const PageEntryCase pageEntryCases[] = {
    {0, 0x33, 127, {{50, 419, true}, {36, 22, false}}},
    {1, 0x2C, 127, {{464, 22, false}}},
    {2, 0x46, 127, {{726, 22, false}}},
    {8, 0x3E, 127, {{35, 452, true}}},
    {15, 0x45, 127, {{110, 540, true}}},
    {16, 0x36, 127, {{35, 570, true}}},
    {23, 0x3D, 127, {{110, 660, true}}},
    {24, 0x50, 127, {{811, 22, false}}},
    {27, 0x53, 127, {{811, 22, false}}},
    {28, 0x28, 127, {{236, 22, false}}},
    {29, 0x2D, 1, {{546, 22, false}}},   // blinking: sends 1-8
    {30, 0x2D, 127, {{546, 22, false}}},
    {31, 0x2B, 127, {{630, 22, false}}},
    {32, 0x2A, 127, {{316, 22, false}}},
    {33, 0x29, 127, {{396, 22, false}}},
    {34, 0x55, 127, {{105, 419, true}}},
};

// Every page lamp off but the page's own: the mode lamps in their order,
// then the send-page and effects-page lamps. A page lamp among the latter is
// switched off and lit in the same refresh; the queue keeps one message per
// lamp, so it goes out once, lit, in its place.
std::vector<Bytes> expectedEntryBlock(const PageEntryCase& c)
{
    std::vector<Bytes> block;
    auto lamp = [&](int note, int velocity) { block.push_back({0x90, uint8_t(note), uint8_t(velocity)}); };
    bool ownIsMode = false;
    for (int note : {0x33, 0x2C, 0x28, 0x2D, 0x2B, 0x2A, 0x29, 0x55}) {
        lamp(note, note == c.lampNote ? c.lampVelocity : 0);
        ownIsMode = ownIsMode || note == c.lampNote;
    }
    auto other = [&](int note) { lamp(note, !ownIsMode && note == c.lampNote ? 127 : 0); };
    for (int note = 0x3E; note <= 0x45; ++note) other(note);
    for (int note = 0x36; note <= 0x3D; ++note) other(note);
    for (int i = 0; i < 4; ++i) {
        other(0x46 + i);
        other(0x50 + i);
    }
    return block;
}

// The started bridge with an editor to click, the page shown and its clicks cleared.
void startOnPage(int page)
{
    arrangeStartedBridge();
    arrangeRecordedEditor();
    surfacePage = page;
    refreshAndDrain();
    waitForEditorClicks();
    clearRecordedDesktopEvents();
}

TEST(RefreshPageEntry, LightsOnlyThePagesOwnLampAndClicksItsViewWhenEntered)
{
    for (const PageEntryCase& c : pageEntryCases) {
        SCOPED_TRACE("page " + std::to_string(c.page));
        startOnPage(0);
        lastShownPage = c.page == 0 ? -1 : 0;
        surfacePage = c.page;
        std::vector<Bytes> slots = refreshAndDrain();
        std::vector<Bytes> block = expectedEntryBlock(c);
        ASSERT_GT(slots.size(), block.size());
        EXPECT_EQ(std::vector<Bytes>(slots.begin(), slots.begin() + long(block.size())), block);
        EXPECT_EQ(slots[block.size()], (Bytes{0x90, 0x59, 0x00})) << "automix lamps follow the block";
        EXPECT_EQ(lastShownPage, c.page);
        std::vector<DesktopEvent> clicks;
        for (const DesignPoint& p : c.clicks) {
            for (const DesktopEvent& e : clickAt(p.x + (p.panel ? 1001 : 0), p.y + 120)) clicks.push_back(e);
        }
        waitForEditorClicks();
        EXPECT_EQ(recordedDesktopEvents(), clicks);

        // Shown again: no block, no click.
        waitForEditorClicks();
        clearRecordedDesktopEvents();
        EXPECT_TRUE(pageLampsOf(refreshAndDrain()).empty());
        waitForEditorClicks();
        EXPECT_TRUE(recordedDesktopEvents().empty());
    }
    resetAllState();
}

struct RowACase {
    const char* name;
    int page;
    void (*arrange)();
    const char* expected;   // row-A notes in queue order, "+" after a lit one
};

std::vector<Lamp> rowOf(const char* text)
{
    // A note set twice in one refresh waits once in the queue: it goes out
    // in its first place with its last value.
    std::vector<Lamp> lamps;
    int at[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '7') continue;
        Lamp lamp{*c - '0', c[1] == '+' ? 127 : 0};
        if (at[lamp.first] >= 0) {
            lamps[static_cast<size_t>(at[lamp.first])].second = lamp.second;
            continue;
        }
        at[lamp.first] = static_cast<int>(lamps.size());
        lamps.push_back(lamp);
    }
    return lamps;
}

void select(int strip)
{
    selectedStrip = strip;
    selectedBankSlot = bankSlotOf(strip);
}

void sendOn(int s, int send, int value = 1) { strips[s].sends[send].on = value; }

// Strip 2 selected, in DCA 3 and mute group 5; the groups the page is set to.
void chooseGroups(int dca, int muteGroup)
{
    select(2);
    strips[2].dcaGroups[3] = 1;
    strips[2].muteGroups[5] = 1;
    chosenDcaGroup = dca;
    chosenMuteGroup = muteGroup;
}

void gateAllOn(int s)
{
    select(s);
    strips[s].gateOn = strips[s].gateFilterOn = keySolo = 1;
}

void preampAllOn(int s)
{
    select(s);
    StripRecord& r = strips[s];
    r.delayOn = 1; r.insertOn = 1; r.hpOn = 1; r.invert = 1; r.link = 1;
}

const char* const ALL_OFF = "0 1 2 3 4 5 6 7";

const RowACase rowACases[] = {
    {"EqualiserChannel", 1, [] { select(3); strips[3].eqOn = 1; strips[3].hpOn = 1; }, "1+ 2+ 0 3 4 5 6 7"},
    {"EqualiserLowCutOnlyOnChannels", 1, [] { select(32); strips[32].eqOn = 1; strips[32].hpOn = 1; },
     "1+ 2 0 3 4 5 6 7"},
    {"EqualiserOnMeansExactlyOne", 1, [] { select(5); strips[5].eqOn = 2; }, "1 2 0 3 4 5 6 7"},

    // Pre-amp, in its own order.
    {"PreampChannelAllOn", 28,
     [] { preampAllOn(0); strips[0].haIndex = 0; strips[0].source = 1; headamps[0].phantom = 1; },
     "0 1 4 6+ 2+ 7+ 5+ 3+ 4+"},
    {"PreampPhantomNeedsAHeadAmp", 28, [] { select(0); strips[0].source = 1; headamps[0].phantom = 1; },
     "0 1 4 6 2 7 5 3 4"},
    {"PreampPhantomOfAnUnfedStrip", 28, [] { select(0); strips[0].haIndex = 0; headamps[0].phantom = 1; },
     "0 1 4 6 2 7 5 3 4"},
    {"PreampAuxInput", 28, [] { preampAllOn(35); }, "0 1 4 6+ 2 7 5 3+ 4+"},
    {"PreampEffectsReturn", 28, [] { preampAllOn(44); }, "0 1 4 6+ 2 7 5 3 4+"},
    {"PreampMatrix", 28, [] { preampAllOn(66); }, "0 1 4 6+ 2 7+ 5 3 4+"},
    {"PreampMainStereoHasNoLink", 28, [] { preampAllOn(70); }, "0 1 4 6+ 2 7+ 5 3 4"},

    // The send and mono rows (pages 8-23, 29, 30, 34) are compared with the
    // console end to end; a matrix and a DCA have no sends to show.
    {"StripSendsOfAMatrixLeaveTheRow", 29, [] { select(64); sendOn(64, 1); }, ""},
    {"StripSendsOfADcaLeaveTheRow", 30, [] { select(79); sendOn(79, 9); }, ""},

    // Assignment lists only notes 1, 2, 6 and 7; the others keep the last page's.
    {"AssignmentChosenGroups", 31, [] { chooseGroups(3, 5); strips[2].stereo = 1; }, "1+ 2 6+ 7+"},
    {"AssignmentOtherGroupsDark", 31, [] { chooseGroups(2, 4); strips[2].mono = 1; }, "1 2+ 6 7"},
    {"AssignmentChosenGroupOutOfRange", 31,
     [] {
         select(2);
         for (int& g : strips[2].dcaGroups) g = 1;
         for (int& g : strips[2].muteGroups) g = 1;
         chosenDcaGroup = 8; chosenMuteGroup = -1;
     },
     "1 2 6 7"},

    // Gate: strips up to 30 only.
    {"GateChannel31", 32, [] { gateAllOn(30); }, "0 3 4 5 7 2+ 1+ 6+ 7+"},
    {"GateChannel32IsDark", 32, [] { gateAllOn(31); }, "0 3 4 5 7 2+ 1 6"},

    // Dynamics: dark for strips 31..47, note 0 left alone elsewhere.
    {"DynamicsBus", 33,
     [] {
         select(48);
         StripRecord& r = strips[48];
         r.dynOn = r.dynFilterOn = r.dynMode = r.dynDet = r.dynEnv = keySolo = 1;
     },
     "1+ 6+ 7+ 2+ 3+ 4+ 5+"},
    {"DynamicsChannelAllClear", 33, [] { select(30); }, "1 6 7 2 3+ 4 5"},
    {"DynamicsChannel32IsDark", 33, [] { select(31); strips[31].dynOn = 1; keySolo = 1; }, ALL_OFF},
    {"DynamicsEffectsReturnIsDark", 33, [] { select(47); strips[47].dynOn = 1; }, ALL_OFF},

    // Pages without a row of their own.
    {"HomePage", 0, [] { strips[0].sends[1].on = 1; }, ALL_OFF},
    {"EffectsUnit8", 27, [] {}, ALL_OFF},
    {"UnusedPage6", 6, [] {}, ALL_OFF},
    {"PageBeyondTheTable", 35, [] {}, ALL_OFF},
    {"NegativePage", -2, [] {}, ALL_OFF},

    // A selection the console reported outside the strip table lights nothing.
    {"BadSelectionEqualiser", 1, [] { selectedStrip = 80; }, "1 2 0 3 4 5 6 7"},
    {"BadSelectionPreamp", 28, [] { selectedStrip = -1; }, "0 1 4 6 2 7 5 3 4"},
    {"BadSelectionSends", 29, [] { selectedStrip = 1000; }, ALL_OFF},
    {"BadSelectionAssignment", 31, [] { selectedStrip = -7; }, "1 2 6 7"},
    {"BadSelectionGate", 32, [] { selectedStrip = -1; }, "0 3 4 5 7 2 1 6"},
    {"BadSelectionDynamics", 33, [] { selectedStrip = 81; }, ALL_OFF},
};

void PrintTo(const RowACase& c, std::ostream* os) { *os << c.name; }

class RefreshRowA : public testing::TestWithParam<RowACase> {};

TEST_P(RefreshRowA, LightsWhatThePageShows)
{
    arrangeStartedBridge();
    surfacePage = GetParam().page;
    GetParam().arrange();
    EXPECT_EQ(lampsBetween(refreshAndDrain(), 0x00, 0x07), rowOf(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Pages, RefreshRowA, testing::ValuesIn(rowACases),
                         [](const testing::TestParamInfo<RowACase>& info) { return std::string(info.param.name); });

}  // namespace
