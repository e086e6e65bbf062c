// Faders, blank positions, strip and status lamps, encoder rings and the DCA
// spill banks as one refresh leaves them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <string>

#include "display/refresh_test_support.h"

namespace {

using Faders = std::vector<std::pair<int, int>>;

struct FaderCase {
    const char* name;
    int page;
    int bank[8];
    void (*arrange)();
    Faders expected;   // fader 1..9 and position, in queue order
};

void levelsEverywhere()
{
    for (StripRecord& r : strips) {
        r.fader = 0.25;
        for (SendState& send : r.sends) send.level = 0.125;
        r.monoLevel = 0.5;
    }
    strips[70].fader = 0.75;
}

constexpr int B = BLANK_STRIP;

const FaderCase faderCases[] = {
    {"HomePageShowsFaders", 0, {0, 1, 2, 3, 40, 48, 72, 71}, levelsEverywhere,
     {{1, 8159}, {2, 8159}, {3, 8159}, {4, 8159}, {5, 8159}, {6, 8159}, {7, 8159}, {8, 8159}, {9, 24477}}},
    {"TouchedFaderStaysWhereTheHandHoldsIt", 0, {0, 1, 2, 3, 4, 5, 6, 7},
     [] { levelsEverywhere(); strips[3].touched = 1; },
     {{1, 8159}, {2, 8159}, {3, 8159}, {5, 8159}, {6, 8159}, {7, 8159}, {8, 8159}, {9, 24477}}},
    {"TouchedMasterStays", 0, {0, 1, 2, 3, 4, 5, 6, 7},
     [] { levelsEverywhere(); strips[70].touched = 1; },
     {{1, 8159}, {2, 8159}, {3, 8159}, {4, 8159}, {5, 8159}, {6, 8159}, {7, 8159}, {8, 8159}}},
    {"SendPageSkipsStripsWithoutBusSends", 8, {0, 40, 47, 48, 63, 70, 72, B},
     [] { levelsEverywhere(); strips[40].sends[1].level = 1.0; strips[40].sends[2].level = 0.0; },
     // The blank position is set to 0 after the master.
     {{1, 4079}, {2, 32636}, {3, 4079}, {9, 24477}, {8, 0}}},
    {"LastSendPageReadsBus16", 23, {0, 1, 2, 3, 4, 5, 6, 7},
     [] { levelsEverywhere(); strips[6].sends[16].level = 0.5; strips[6].sends[15].level = 1.0; },
     {{1, 4079}, {2, 4079}, {3, 4079}, {4, 4079}, {5, 4079}, {6, 4079}, {7, 16318}, {8, 4079}, {9, 24477}}},
    {"MonoPageSkipsMatricesMainsAndDcas", 34, {0, 48, 63, 64, 70, 71, 79, 5}, levelsEverywhere,
     {{1, 16318}, {2, 16318}, {3, 16318}, {8, 16318}, {9, 24477}}},
    {"ProcessingPageShowsFaders", 33, {0, 1, 2, 3, 4, 5, 6, 7},
     [] { levelsEverywhere(); strips[1].fader = 0.5; },
     {{1, 8159}, {2, 16318}, {3, 8159}, {4, 8159}, {5, 8159}, {6, 8159}, {7, 8159}, {8, 8159}, {9, 24477}}},
    {"LevelsOutsideTheTravelAreHeld", 0, {0, 1, 2, 3, 4, 5, 6, 7},
     [] {
         levelsEverywhere();
         strips[0].fader = 1.5;
         strips[1].fader = -0.5;
         strips[2].fader = std::numeric_limits<double>::quiet_NaN();
         strips[3].fader = 1.0;
     },
     {{1, 32636}, {2, 0}, {3, 0}, {4, 32636}, {5, 8159}, {6, 8159}, {7, 8159}, {8, 8159}, {9, 24477}}},
};

void PrintTo(const FaderCase& c, std::ostream* os) { *os << c.name; }

class RefreshFaders : public testing::TestWithParam<FaderCase> {};

TEST_P(RefreshFaders, DriveTheMotorFadersOfThePage)
{
    const FaderCase& c = GetParam();
    arrangeStartedBridge();
    for (int i = 0; i < 8; ++i) bankStrips[i] = c.bank[i];
    surfacePage = c.page;
    c.arrange();
    EXPECT_EQ(fadersOf(refreshAndDrain()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Pages, RefreshFaders, testing::ValuesIn(faderCases),
                         [](const testing::TestParamInfo<FaderCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(RefreshMotorFaders, SendOnlyTheChannelAndMasterFadersOfThePage)
{
    arrangeStartedBridge();
    const int bank[8] = {0, 48, 63, 64, 70, 71, 79, B};
    for (int i = 0; i < 8; ++i) bankStrips[i] = bank[i];
    levelsEverywhere();
    strips[63].touched = 1;
    surfacePage = 34;
    refreshMotorFaders();
    std::vector<Bytes> slots = bytesOf(drainSurfaceQueue());
    // No blank-position zeroing here: that belongs to the full refresh.
    const std::vector<Bytes> expected = {{0xE0, 0xBE, 0x3F}, {0xE1, 0xBE, 0x3F}, {0xE8, 0x9D, 0x5F}};
    EXPECT_EQ(slots, expected);
}

// A position showing no strip, or holding an index outside the strip table.
class RefreshBlankPosition : public testing::TestWithParam<int> {};

TEST_P(RefreshBlankPosition, TurnsEverythingOfThePositionOff)
{
    arrangeStartedBridge();
    for (StripRecord& r : strips) {
        r.fader = 0.75;
        r.pan = 0.5;
        r.solo = 1;
        r.mute = 1;
    }
    refreshSurface(0);   // the ring of position 2 now shows the middle dot
    drainSurfaceQueue();

    bankStrips[2] = GetParam();
    std::vector<Bytes> slots = refreshAndDrain();
    const std::vector<Bytes> blank = {
        {0xE2, 0x00, 0x00}, {0xB0, 0x32, 0x00, 0xB0, 0x3A, 0x00},
        {0x90, 0x12, 0x00}, {0x90, 0x0A, 0x00}, {0x90, 0x02, 0x00}};
    EXPECT_NE(std::search(slots.begin(), slots.end(), blank.begin(), blank.end()), slots.end());
    EXPECT_EQ(muteBatchOf(slots),
              (Bytes{0x90, 0x10, 0x7F, 0x11, 0x7F, 0x13, 0x7F, 0x14, 0x7F, 0x15, 0x7F, 0x16, 0x7F, 0x17, 0x7F}));
    EXPECT_EQ(lampsBetween(slots, 0x08, 0x0F),
              (std::vector<Lamp>{{0x08, 127}, {0x09, 127}, {0x0A, 0}, {0x0B, 127}, {0x0C, 127},
                                 {0x0D, 127}, {0x0E, 127}, {0x0F, 127}}));
}

INSTANTIATE_TEST_SUITE_P(Values, RefreshBlankPosition, testing::Values(BLANK_STRIP, 81, -5, 100000),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param < 0 ? std::string("Negative") : "Strip" + std::to_string(info.param);
                         });

struct SelectionCase {
    int slot;
    int lit;   // note lit, or 0 for none; -1 when nothing at all is sent
};

void PrintTo(const SelectionCase& c, std::ostream* os) { *os << "slot " << c.slot; }

class RefreshSelectionIndicator : public testing::TestWithParam<SelectionCase> {};

TEST_P(RefreshSelectionIndicator, LightsTheSlotOfTheSelectedStrip)
{
    arrangeStartedBridge();
    selectedBankSlot = GetParam().slot;
    std::vector<Lamp> lamps = lampsBetween(refreshAndDrain(), 0x18, 0x1F);
    std::vector<Lamp> expected;
    if (GetParam().lit >= 0) {
        for (int note = 0x18; note <= 0x1F; ++note) expected.push_back({note, note == GetParam().lit ? 127 : 0});
    }
    EXPECT_EQ(lamps, expected);
}

INSTANTIATE_TEST_SUITE_P(Slots, RefreshSelectionIndicator,
                         testing::Values(SelectionCase{0, 0}, SelectionCase{1, 0x18}, SelectionCase{4, 0x1B},
                                         SelectionCase{8, 0x1F}, SelectionCase{9, -1},
                                         SelectionCase{-1, -1}));

struct StatusCase {
    const char* name;
    void (*arrange)();
    std::vector<Lamp> automixAndGroups;   // 0x59, 0x5A, 0x4A..0x4F
    std::vector<Lamp> soloAndRouting;     // 0x73, 0x54, 0x56
};

std::vector<Lamp> statusLamps(int x, int y, std::initializer_list<int> groups)
{
    std::vector<Lamp> lamps = {{0x59, x}, {0x5A, y}};
    int g = 0;
    for (int on : groups) lamps.push_back({0x4A + g++, on});
    return lamps;
}

const StatusCase statusCases[] = {
    {"NothingSet", [] {}, statusLamps(0, 0, {0, 0, 0, 0, 0, 0}), {{0x73, 0}, {0x54, 0}, {0x56, 0}}},
    {"AutomixAndMuteGroupsOn",
     [] { automixEnableX = 1; automixEnableY = 2; muteGroupOn[0] = 1; muteGroupOn[5] = 1; muteGroupOn[2] = 2; },
     statusLamps(127, 127, {127, 0, 0, 0, 0, 127}), {{0x73, 0}, {0x54, 0}, {0x56, 0}}},
    {"HeldSelectShowsTheSelectedStripsGroups",
     [] {
         muteGroupOn[0] = 1;
         selectHeld[5] = 1;
         selectedStrip = 4;
         strips[4].muteGroups[1] = 1;
         strips[4].muteGroups[4] = 1;
     },
     statusLamps(0, 0, {0, 127, 0, 0, 127, 0}), {{0x73, 0}, {0x54, 0}, {0x56, 0}}},
    {"HeldSelectWithBadSelectionLightsNoGroup",
     [] { muteGroupOn[0] = 1; selectHeld[0] = 1; selectedStrip = 90; },
     statusLamps(0, 0, {0, 0, 0, 0, 0, 0}), {{0x73, 0}, {0x54, 0}, {0x56, 0}}},
    {"SoloOnAStripNotShown", [] { strips[79].solo = 1; },
     statusLamps(0, 0, {0, 0, 0, 0, 0, 0}), {{0x73, 1}, {0x54, 127}, {0x56, 0}}},
    {"KeySoloAloneAndRoutingSwitch", [] { keySolo = 1; routSwitch = 1; },
     statusLamps(0, 0, {0, 0, 0, 0, 0, 0}), {{0x73, 1}, {0x54, 127}, {0x56, 127}}},
};

void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.name; }

class RefreshStatusLamps : public testing::TestWithParam<StatusCase> {};

TEST_P(RefreshStatusLamps, ShowGroupsSoloAndRouting)
{
    arrangeStartedBridge();
    GetParam().arrange();
    std::vector<Bytes> slots = refreshAndDrain();
    std::vector<Lamp> groups = lampsBetween(slots, 0x4A, 0x4F);
    std::vector<Lamp> automix = lampsBetween(slots, 0x59, 0x5A);
    automix.insert(automix.end(), groups.begin(), groups.end());
    EXPECT_EQ(automix, GetParam().automixAndGroups);

    std::vector<Lamp> tail;
    for (const Bytes& b : slots) {
        if (isLamp(b) && (b[1] == 0x73 || b[1] == 0x54 || b[1] == 0x56)) tail.push_back({b[1], b[2]});
    }
    EXPECT_EQ(tail, GetParam().soloAndRouting);
}

INSTANTIATE_TEST_SUITE_P(States, RefreshStatusLamps, testing::ValuesIn(statusCases),
                         [](const testing::TestParamInfo<StatusCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(RefreshRings, PatternEntriesLightOneDotOrTheTwoBesideIt)
{
    for (int k = 0; k < 26; ++k) {
        std::set<int> dots;
        for (int bit = 0; bit < 7; ++bit) {
            if (ringDotPattern[k][0] & (1 << bit)) dots.insert(bit);
            if (ringDotPattern[k][1] & (1 << bit)) dots.insert(7 + bit);
        }
        std::set<int> expected = k % 2 == 0 ? std::set<int>{k / 2} : std::set<int>{(k - 1) / 2, (k + 1) / 2};
        EXPECT_EQ(dots, expected) << "entry " << k;
        EXPECT_LT(ringDotPattern[k][0], 128);
        EXPECT_LT(ringDotPattern[k][1], 128);
    }
}

TEST(RefreshRings, ValueSelectsTheEntryHeldToTheRing)
{
    const std::pair<double, int> cases[] = {
        {0.0, 0}, {0.039, 0}, {0.04, 1}, {0.5, 12}, {0.75, 18}, {0.999, 24}, {1.0, 25},
        {-0.3, 0}, {1.7, 25}, {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), 25}};
    for (const auto& [value, entry] : cases) EXPECT_EQ(ringPatternIndex(value), entry) << value;
}

TEST(RefreshRings, HomePageShowsPanAndAssignmentPageShowsTheSelectedPan)
{
    arrangeStartedBridge();
    strips[0].pan = 0.0;
    strips[1].pan = 1.0;
    strips[2].pan = 0.5;
    std::vector<Bytes> slots = refreshAndDrain();
    std::vector<Bytes> rings;
    for (const Bytes& b : slots) {
        if (isRing(b)) rings.push_back(b);
    }
    // Positions 3..7 stay at pan 0, the first entry (1, 0), and are sent once.
    ASSERT_EQ(rings.size(), 8u);
    EXPECT_EQ(rings[0], (Bytes{0xB0, 0x30, 1, 0xB0, 0x38, 0}));
    EXPECT_EQ(rings[1], (Bytes{0xB0, 0x31, 0, 0xB0, 0x39, 96}));
    EXPECT_EQ(rings[2], (Bytes{0xB0, 0x32, 64, 0xB0, 0x3A, 0}));

    surfacePage = 31;
    selectedStrip = 5;
    strips[5].pan = 0.25;   // entry 6: dot 3
    strips[1].pan = 0.5;    // not shown on this page
    slots = refreshAndDrain();
    rings.clear();
    for (const Bytes& b : slots) {
        if (isRing(b)) rings.push_back(b);
    }
    EXPECT_EQ(rings, (std::vector<Bytes>{{0xB0, 0x31, 8, 0xB0, 0x39, 0}}));

    selectedStrip = 200;   // no strip: the ring goes dark
    slots = refreshAndDrain();
    rings.clear();
    for (const Bytes& b : slots) {
        if (isRing(b)) rings.push_back(b);
    }
    EXPECT_EQ(rings, (std::vector<Bytes>{{0xB0, 0x31, 0, 0xB0, 0x39, 0}}));
}

TEST(RefreshDcaBanks, MembersFillTheSpillBankInStripOrder)
{
    resetAllState();
    for (int bank = 8; bank < 16; ++bank) {
        for (int& slot : bankTable[bank]) slot = 33;   // stale contents
        bankCount[bank] = 99;
    }
    bankTable[0][5] = 7;   // user banks are not touched
    const int members[10] = {71, 0, 5, 31, 32, 47, 48, 63, 64, 70};
    for (int s : members) strips[s].dcaGroups[2] = 1;
    strips[72].dcaGroups[2] = 1;   // a DCA cannot be a member of a DCA
    strips[10].dcaGroups[2] = 0;
    strips[12].dcaGroups[7] = 1;
    strips[13].dcaGroups[7] = -1;  // not a member: only values above 0 count

    rebuildDcaBanks();

    const int inOrder[10] = {0, 5, 31, 32, 47, 48, 63, 64, 70, 71};
    EXPECT_EQ(bankTable[10][0], BLANK_STRIP);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(bankTable[10][1 + k], inOrder[k]) << "slot " << 1 + k;
    for (int slot = 11; slot < BANK_SLOTS; ++slot) EXPECT_EQ(bankTable[10][slot], BLANK_STRIP) << slot;
    EXPECT_EQ(bankCount[10], 10);

    EXPECT_EQ(bankTable[15][1], 12);
    EXPECT_EQ(bankTable[15][2], BLANK_STRIP);
    EXPECT_EQ(bankCount[15], 1);
    for (int bank : {8, 9, 11, 12, 13, 14}) {
        EXPECT_EQ(bankCount[bank], 0) << bank;
        EXPECT_TRUE(std::all_of(std::begin(bankTable[bank]), std::end(bankTable[bank]),
                                [](int s) { return s == BLANK_STRIP; }))
            << bank;
    }
    EXPECT_EQ(bankTable[0][5], 7);
}

TEST(RefreshDcaBanks, EveryRefreshRebuildsThem)
{
    arrangeStartedBridge();
    strips[20].dcaGroups[0] = 1;
    refreshSurface(0);
    drainSurfaceQueue();
    EXPECT_EQ(bankCount[8], 1);
    EXPECT_EQ(bankTable[8][1], 20);

    strips[20].dcaGroups[0] = 0;
    strips[21].dcaGroups[0] = 1;
    refreshSurface(0);
    drainSurfaceQueue();
    EXPECT_EQ(bankTable[8][1], 21);
}

}  // namespace
