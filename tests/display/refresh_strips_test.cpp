// Faders, blank positions, strip and status lamps, encoder rings and the DCA
// spill banks as one refresh leaves them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <string>

#include "display/display_test_support.h"

namespace {

constexpr int B = BLANK_STRIP;
constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();

struct FaderCase {
    const char* name;
    int page;
    int bank[8];
    void (*arrange)();
    std::vector<std::pair<int, int>> expected;   // fader 1..9 and position, in queue order
};

// Faders at 8159, bus sends at 4079, mono sends at 16318, the master at 24477.
void levelsEverywhere()
{
    for (StripRecord& r : strips) {
        r.fader = 0.25;
        for (SendState& send : r.sends) send.level = 0.125;
        r.monoLevel = 0.5;
    }
    strips[70].fader = 0.75;
}

// Every family's fader on the home and send pages is compared with the
// console end to end; here the hostile levels and the strips a page leaves
// where they are.
const FaderCase faderCases[] = {
    {"LevelsOutsideTheTravelAreHeldAndTheTouchedMasterStays", 0, {0, 1, 2, 3, 4, 5, 6, 7},
     [] {
         strips[0].fader = 1.5; strips[1].fader = -0.5; strips[2].fader = NOT_A_NUMBER; strips[3].fader = 1.0;
         faderTouched[8] = 1;
     },
     {{1, 32636}, {2, 0}, {3, 0}, {4, 32636}, {5, 8159}, {6, 8159}, {7, 8159}, {8, 8159}}},
    // The blank position is set to 0 after the master.
    {"SendPageSkipsStripsWithoutBusSends", 8, {0, 40, 47, 48, 63, 70, 72, B},
     [] { strips[40].sends[1].level = 1.0; strips[40].sends[2].level = 0.0; },
     {{1, 4079}, {2, 32636}, {3, 4079}, {9, 24477}, {8, 0}}},
    {"MonoPageSkipsMatricesMainsAndDcas", 34, {0, 48, 63, 64, 70, 71, 79, 5}, [] {},
     {{1, 16318}, {2, 16318}, {3, 16318}, {8, 16318}, {9, 24477}}},
};

TEST(RefreshFaders, DriveTheMotorFadersOfThePage)
{
    for (const FaderCase& c : faderCases) {
        arrangeStartedBridge();
        std::copy(std::begin(c.bank), std::end(c.bank), bankStrips);
        surfacePage = c.page;
        levelsEverywhere();
        c.arrange();
        EXPECT_EQ(fadersOf(refreshAndDrain()), c.expected) << c.name;
    }
}

TEST(RefreshMotorFaders, SendOnlyTheChannelAndMasterFadersOfThePage)
{
    arrangeStartedBridge();
    const int bank[8] = {0, 48, 63, 64, 70, 71, 79, B};
    std::copy(std::begin(bank), std::end(bank), bankStrips);
    levelsEverywhere();
    faderTouched[2] = 1;
    surfacePage = 34;
    refreshMotorFaders();
    // The blank position goes to the bottom: a hand may have left it anywhere.
    EXPECT_EQ(bytesOf(drainSurfaceQueue()),
              (std::vector<Bytes>{{0xE0, 0xBE, 0x3F}, {0xE1, 0xBE, 0x3F}, {0xE7, 0x00, 0x00}, {0xE8, 0x9D, 0x5F}}));
}

// A position showing no strip, or holding an index outside the strip table.
TEST(RefreshBlankPosition, TurnsEverythingOfThePositionOff)
{
    // A blank position is compared with the console end to end.
    for (int blankStrip : {81, -5}) {
        arrangeStartedBridge();
        for (StripRecord& r : strips) {
            r.fader = 0.75;
            r.pan = 0.5;
            r.solo = 1;
            r.mute = 1;
        }
        refreshAndDrain();   // the ring of position 2 now shows the middle dot

        bankStrips[2] = blankStrip;
        std::vector<Bytes> slots = refreshAndDrain();
        const std::vector<Bytes> blank = {{0xE2, 0x00, 0x00}, {0xB0, 0x32, 0x00, 0xB0, 0x3A, 0x00},
                                          {0x90, 0x12, 0x00}, {0x90, 0x0A, 0x00}, {0x90, 0x02, 0x00}};
        EXPECT_NE(std::search(slots.begin(), slots.end(), blank.begin(), blank.end()), slots.end()) << blankStrip;
        EXPECT_EQ(muteBatchOf(slots), (Bytes{0x90, 0x10, 0x7F, 0x11, 0x7F, 0x13, 0x7F, 0x14, 0x7F, 0x15, 0x7F,
                                             0x16, 0x7F, 0x17, 0x7F}));
        std::vector<Lamp> solo = {{8, 127}, {9, 127}, {10, 0}, {11, 127}, {12, 127}, {13, 127}, {14, 127}, {15, 127}};
        EXPECT_EQ(lampsBetween(slots, 0x08, 0x0F), solo);
    }
}

TEST(RefreshSelectionIndicator, LightsTheSlotOfTheSelectedStrip)
{
    // Slot and the note lit (0: none); slots outside 0..8 send nothing at all.
    for (const auto& [slot, lit] : {std::pair{0, 0}, {1, 0x18}, {4, 0x1B}, {8, 0x1F}, {9, -1}, {-1, -1}}) {
        arrangeStartedBridge();
        selectedBankSlot = slot;
        std::vector<Lamp> expected;
        for (int note = 0x18; lit >= 0 && note <= 0x1F; ++note) expected.push_back({note, note == lit ? 127 : 0});
        EXPECT_EQ(lampsBetween(refreshAndDrain(), 0x18, 0x1F), expected) << "slot " << slot;
    }
}

struct StatusCase {
    const char* name;
    void (*arrange)();
    std::vector<int> lamps;   // 0x59, 0x5A, 0x4A..0x4F, 0x73, 0x54, 0x56
};

const StatusCase statusCases[] = {
    {"AutomixAndMuteGroupsOn",
     [] { automixEnableX = 1; automixEnableY = 2; muteGroupOn[0] = 1; muteGroupOn[5] = 1; muteGroupOn[2] = 2; },
     {127, 127, 127, 0, 0, 0, 0, 127, 0, 0, 0}},
    {"HeldSelectShowsTheSelectedStripsGroups",
     [] {
         muteGroupOn[0] = selectHeld[5] = 1;
         selectedStrip = 4;
         strips[4].muteGroups[1] = strips[4].muteGroups[4] = 1;
     },
     {0, 0, 0, 127, 0, 0, 127, 0, 0, 0, 0}},
    {"HeldSelectWithBadSelectionLightsNoGroup", [] { muteGroupOn[0] = 1; selectHeld[0] = 1; selectedStrip = 90; },
     {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"SoloOnAStripNotShown", [] { strips[79].solo = 1; }, {0, 0, 0, 0, 0, 0, 0, 0, 1, 127, 0}},
    {"KeySoloAloneAndRoutingSwitch", [] { keySolo = 1; routSwitch = 1; }, {0, 0, 0, 0, 0, 0, 0, 0, 1, 127, 127}},
};

TEST(RefreshStatusLamps, ShowGroupsSoloAndRouting)
{
    const int notes[] = {0x59, 0x5A, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x73, 0x54, 0x56};
    for (const StatusCase& c : statusCases) {
        arrangeStartedBridge();
        c.arrange();
        std::vector<Lamp> shown, expected;
        for (const Bytes& b : refreshAndDrain()) {
            if (isLamp(b) && std::find(std::begin(notes), std::end(notes), b[1]) != std::end(notes)) {
                shown.push_back({b[1], b[2]});
            }
        }
        for (int k = 0; k < 11; ++k) expected.push_back({notes[k], c.lamps[k]});
        EXPECT_EQ(shown, expected) << c.name;
    }
}

TEST(RefreshRings, EvenEntriesLightOneDotAndOddOnesTheTwoBesideIt)
{
    for (int k = 0; k < 26; ++k) {
        std::set<int> dots;
        for (int bit = 0; bit < 7; ++bit) {
            if (ringDotPattern[k][0] & (1 << bit)) dots.insert(bit);
            if (ringDotPattern[k][1] & (1 << bit)) dots.insert(7 + bit);
        }
        EXPECT_EQ(dots, (k % 2 == 0 ? std::set<int>{k / 2} : std::set<int>{(k - 1) / 2, (k + 1) / 2})) << k;
        EXPECT_LT(std::max(ringDotPattern[k][0], ringDotPattern[k][1]), 128) << k;
    }
    const std::pair<double, int> indexes[] = {
        {0.0, 0}, {0.039, 0}, {0.04, 1}, {0.5, 12}, {0.999, 24}, {1.0, 25}, {-0.3, 0}, {1.7, 25},
        {NOT_A_NUMBER, 0}, {std::numeric_limits<double>::infinity(), 25}};
    for (const auto& [value, entry] : indexes) EXPECT_EQ(ringPatternIndex(value), entry) << value;
}

std::vector<Bytes> ringsOf(const std::vector<Bytes>& slots)
{
    std::vector<Bytes> rings;
    std::copy_if(slots.begin(), slots.end(), std::back_inserter(rings), isRing);
    return rings;
}

TEST(RefreshRings, AssignmentPageShowsOnlyTheSelectedPan)
{
    // The home page's pan rings are compared with the console end to end.
    arrangeStartedBridge();
    surfacePage = 31;
    selectedStrip = 5;
    strips[5].pan = 0.25;   // entry 6: dot 3
    strips[1].pan = 0.5;    // not shown on this page
    EXPECT_EQ(ringsOf(refreshAndDrain()), (std::vector<Bytes>{{0xB0, 0x31, 8, 0xB0, 0x39, 0}}));
    selectedStrip = 200;   // no strip: the ring goes dark
    EXPECT_EQ(ringsOf(refreshAndDrain()), (std::vector<Bytes>{{0xB0, 0x31, 0, 0xB0, 0x39, 0}}));
}

TEST(RefreshDcaBanks, MembersFillTheSpillBankInStripOrder)
{
    resetAllState();
    for (int bank = 8; bank < 16; ++bank) std::fill(std::begin(bankTable[bank]), std::end(bankTable[bank]), 33);
    std::fill(bankCount + 8, bankCount + 16, 99);   // stale contents
    bankTable[0][5] = 7;   // user banks are not touched
    for (int s : {71, 0, 5, 31, 32, 47, 48, 63, 64, 70}) strips[s].dcaGroups[2] = 1;
    strips[72].dcaGroups[2] = 1;    // a DCA cannot be a member of a DCA
    strips[12].dcaGroups[7] = 1;
    strips[13].dcaGroups[7] = -1;   // only values above 0 count

    rebuildDcaBanks();

    std::vector<int> expected = {B, 0, 5, 31, 32, 47, 48, 63, 64, 70, 71};
    expected.resize(BANK_SLOTS, B);
    EXPECT_EQ(std::vector<int>(std::begin(bankTable[10]), std::end(bankTable[10])), expected);
    EXPECT_EQ(bankCount[10], 10);
    EXPECT_EQ(bankTable[15][1], 12);
    EXPECT_EQ(bankTable[15][2], B);
    EXPECT_EQ(bankCount[15], 1);
    for (int bank : {8, 9, 11, 12, 13, 14}) {
        EXPECT_EQ(bankCount[bank], 0) << bank;
        EXPECT_EQ(std::count(std::begin(bankTable[bank]), std::end(bankTable[bank]), B), BANK_SLOTS) << bank;
    }
    EXPECT_EQ(bankTable[0][5], 7);
}

TEST(RefreshDcaBanks, EveryRefreshRebuildsThem)
{
    arrangeStartedBridge();
    strips[20].dcaGroups[0] = 1;
    refreshAndDrain();
    EXPECT_EQ(bankCount[8], 1);
    EXPECT_EQ(bankTable[8][1], 20);
}

}  // namespace
