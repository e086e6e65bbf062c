// Row A (notes 0..7): what each page lights, which notes it leaves alone,
// and that a selection outside the strip table lights nothing.
#include <gtest/gtest.h>

#include <string>

#include "display/refresh_test_support.h"

namespace {

struct RowACase {
    const char* name;
    int page;
    void (*arrange)();
    std::vector<Lamp> expected;   // row-A lamps in queue order
};

std::vector<Lamp> off(std::initializer_list<int> notes)
{
    std::vector<Lamp> lamps;
    for (int note : notes) lamps.push_back({note, 0});
    return lamps;
}

std::vector<Lamp> allOff() { return off({0, 1, 2, 3, 4, 5, 6, 7}); }

void select(int strip)
{
    selectedStrip = strip;
    selectedBankSlot = bankSlotOf(strip);
}

const RowACase rowACases[] = {
    // Equaliser.
    {"EqualiserChannel", 1, [] { select(3); strips[3].eqOn = 1; strips[3].hpOn = 1; },
     {{1, 127}, {2, 127}, {0, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
    {"EqualiserLowCutOnlyOnChannels", 1, [] { select(32); strips[32].eqOn = 1; strips[32].hpOn = 1; },
     {{1, 127}, {2, 0}, {0, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
    {"EqualiserOnMeansExactlyOne", 1, [] { select(5); strips[5].eqOn = 2; },
     {{1, 0}, {2, 0}, {0, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},

    // Pre-amp, in its own order.
    {"PreampChannelAllOn", 28,
     [] {
         select(0);
         StripRecord& r = strips[0];
         r.delayOn = 1; r.haIndex = 0; r.source = 1; headamps[0].phantom = 1;
         r.insertOn = 1; r.hpOn = 1; r.invert = 1; r.link = 1;
     },
     {{0, 0}, {1, 0}, {4, 0}, {6, 127}, {2, 127}, {7, 127}, {5, 127}, {3, 127}, {4, 127}}},
    {"PreampPhantomNeedsAHeadAmp", 28,
     [] { select(0); strips[0].source = 1; headamps[0].phantom = 1; },
     {{0, 0}, {1, 0}, {4, 0}, {6, 0}, {2, 0}, {7, 0}, {5, 0}, {3, 0}, {4, 0}}},
    {"PreampPhantomOfAnUnfedStrip", 28,
     [] { select(0); strips[0].haIndex = 0; strips[0].source = 0; headamps[0].phantom = 1; },
     {{0, 0}, {1, 0}, {4, 0}, {6, 0}, {2, 0}, {7, 0}, {5, 0}, {3, 0}, {4, 0}}},
    {"PreampAuxInput", 28,
     [] {
         select(35);
         StripRecord& r = strips[35];
         r.delayOn = 1; r.insertOn = 1; r.hpOn = 1; r.invert = 1; r.link = 1;
     },
     {{0, 0}, {1, 0}, {4, 0}, {6, 127}, {2, 0}, {7, 0}, {5, 0}, {3, 127}, {4, 127}}},
    {"PreampEffectsReturn", 28, [] { select(44); strips[44].invert = 1; strips[44].link = 1; },
     {{0, 0}, {1, 0}, {4, 0}, {6, 0}, {2, 0}, {7, 0}, {5, 0}, {3, 0}, {4, 127}}},
    {"PreampMatrix", 28, [] { select(66); strips[66].insertOn = 1; strips[66].link = 1; },
     {{0, 0}, {1, 0}, {4, 0}, {6, 0}, {2, 0}, {7, 127}, {5, 0}, {3, 0}, {4, 127}}},
    {"PreampMainStereoHasNoLink", 28, [] { select(70); strips[70].insertOn = 1; strips[70].link = 1; },
     {{0, 0}, {1, 0}, {4, 0}, {6, 0}, {2, 0}, {7, 127}, {5, 0}, {3, 0}, {4, 0}}},

    // Faders on the sends to one bus: the strips' send switches.
    {"BusSendsBus1", 8,
     [] {
         const int bank[8] = {0, 1, 40, 47, 48, 63, BLANK_STRIP, 5};
         for (int i = 0; i < 8; ++i) bankStrips[i] = bank[i];
         for (int s : {0, 40, 47, 48, 63}) strips[s].sends[1].on = 1;
         strips[5].sends[2].on = 1;
         strips[1].sends[1].on = 2;
     },
     // The blank position's own lamp comes first, then the row.
     {{6, 0}, {0, 127}, {1, 0}, {2, 127}, {3, 127}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
    {"BusSendsBus16", 23, [] { strips[2].sends[16].on = 1; strips[7].sends[16].on = 1; strips[3].sends[15].on = 1; },
     {{0, 0}, {1, 0}, {2, 127}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 127}}},

    // Encoders on the selected strip's sends.
    {"StripSends1To8", 29,
     [] { select(0); strips[0].sends[1].on = 1; strips[0].sends[8].on = 3; strips[0].sends[9].on = 1; },
     {{0, 127}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 127}}},
    {"StripSends9To16", 30,
     [] { select(0); strips[0].sends[8].on = 1; strips[0].sends[9].on = 1; strips[0].sends[16].on = 1; },
     {{0, 127}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 127}}},
    {"StripSendsOfABusToMatrices", 29, [] { select(50); strips[50].sends[2].on = 1; },
     {{0, 0}, {1, 127}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
    {"StripSendsOfMainStereo", 30, [] { select(70); strips[70].sends[10].on = 1; },
     {{0, 0}, {1, 127}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
    {"StripSendsOfAMatrixLeaveTheRow", 29, [] { select(64); strips[64].sends[1].on = 1; }, {}},
    {"StripSendsOfTheLastMatrix", 30, [] { select(69); strips[69].sends[9].on = 1; }, {}},
    {"StripSendsOfADcaLeaveTheRow", 30, [] { select(79); strips[79].sends[9].on = 1; }, {}},

    // Faders on the mono level: the mono switch of strips up to the buses.
    {"MonoSends", 34,
     [] {
         const int bank[8] = {0, 47, 48, 63, 64, 70, 71, 79};
         for (int i = 0; i < 8; ++i) { bankStrips[i] = bank[i]; strips[bank[i]].mono = 1; }
         strips[47].mono = 2;
     },
     {{0, 127}, {1, 0}, {2, 127}, {3, 127}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},

    // Assignment lists only notes 1, 2, 6 and 7; the others keep the last page's.
    {"AssignmentChosenGroups", 31,
     [] {
         select(2);
         strips[2].stereo = 1; strips[2].dcaGroups[3] = 1; strips[2].muteGroups[5] = 1;
         chosenDcaGroup = 3; chosenMuteGroup = 5;
     },
     {{1, 127}, {2, 0}, {6, 127}, {7, 127}}},
    {"AssignmentOtherGroupsDark", 31,
     [] {
         select(2);
         strips[2].mono = 1; strips[2].dcaGroups[3] = 1; strips[2].muteGroups[5] = 1;
         chosenDcaGroup = 2; chosenMuteGroup = 4;
     },
     {{1, 0}, {2, 127}, {6, 0}, {7, 0}}},
    {"AssignmentChosenGroupOutOfRange", 31,
     [] {
         select(2);
         for (int& g : strips[2].dcaGroups) g = 1;
         for (int& g : strips[2].muteGroups) g = 1;
         chosenDcaGroup = 8; chosenMuteGroup = -1;
     },
     {{1, 0}, {2, 0}, {6, 0}, {7, 0}}},

    // Gate: strips up to 30 only.
    {"GateChannel31", 32,
     [] { select(30); strips[30].gateOn = 1; strips[30].gateFilterOn = 1; keySolo = 1; },
     {{0, 0}, {3, 0}, {4, 0}, {5, 0}, {7, 0}, {2, 127}, {1, 127}, {6, 127}, {7, 127}}},
    {"GateChannel32IsDark", 32,
     [] { select(31); strips[31].gateOn = 1; strips[31].gateFilterOn = 1; keySolo = 1; },
     {{0, 0}, {3, 0}, {4, 0}, {5, 0}, {7, 0}, {2, 127}, {1, 0}, {6, 0}}},

    // Dynamics: dark for strips 31..47, note 0 left alone elsewhere.
    {"DynamicsBus", 33,
     [] {
         select(48);
         StripRecord& r = strips[48];
         r.dynOn = 1; r.dynFilterOn = 1; r.dynMode = 1; r.dynDet = 1; r.dynEnv = 1; keySolo = 1;
     },
     {{1, 127}, {6, 127}, {7, 127}, {2, 127}, {3, 127}, {4, 127}, {5, 127}}},
    {"DynamicsChannelAllClear", 33, [] { select(30); },
     {{1, 0}, {6, 0}, {7, 0}, {2, 0}, {3, 127}, {4, 0}, {5, 0}}},
    {"DynamicsChannel32IsDark", 33, [] { select(31); strips[31].dynOn = 1; keySolo = 1; }, allOff()},
    {"DynamicsEffectsReturnIsDark", 33, [] { select(47); strips[47].dynOn = 1; }, allOff()},

    // Pages without a row of their own.
    {"HomePage", 0, [] { strips[0].sends[1].on = 1; }, allOff()},
    {"EffectsUnit1", 2, [] {}, allOff()},
    {"EffectsUnit4", 5, [] {}, allOff()},
    {"UnusedPage6", 6, [] {}, allOff()},
    {"UnusedPage7", 7, [] {}, allOff()},
    {"EffectsUnit5", 24, [] {}, allOff()},
    {"EffectsUnit8", 27, [] {}, allOff()},
    {"PageBeyondTheTable", 35, [] {}, allOff()},
    {"NegativePage", -2, [] {}, allOff()},

    // A selection the console reported outside the strip table lights nothing.
    {"BadSelectionEqualiser", 1, [] { selectedStrip = 80; }, off({1, 2, 0, 3, 4, 5, 6, 7})},
    {"BadSelectionPreamp", 28, [] { selectedStrip = -1; }, off({0, 1, 4, 6, 2, 7, 5, 3, 4})},
    {"BadSelectionSends", 29, [] { selectedStrip = 1000; }, allOff()},
    {"BadSelectionAssignment", 31, [] { selectedStrip = -7; }, off({1, 2, 6, 7})},
    {"BadSelectionGate", 32, [] { selectedStrip = -1; }, off({0, 3, 4, 5, 7, 2, 1, 6})},
    {"BadSelectionDynamics", 33, [] { selectedStrip = 81; }, allOff()},
};

void PrintTo(const RowACase& c, std::ostream* os) { *os << c.name; }

class RefreshRowA : public testing::TestWithParam<RowACase> {};

TEST_P(RefreshRowA, LightsWhatThePageShows)
{
    const RowACase& c = GetParam();
    arrangeStartedBridge();
    surfacePage = c.page;
    c.arrange();
    EXPECT_EQ(lampsBetween(refreshAndDrain(), 0x00, 0x07), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Pages, RefreshRowA, testing::ValuesIn(rowACases),
                         [](const testing::TestParamInfo<RowACase>& info) {
                             return std::string(info.param.name);
                         });

TEST(RefreshRowAChange, PreampToAssignmentKeepsTheNotesAssignmentDoesNotList)
{
    arrangeStartedBridge();
    select(0);
    strips[0].invert = 1;
    strips[0].stereo = 1;
    surfacePage = 28;
    EXPECT_EQ(lampsBetween(refreshAndDrain(), 0x03, 0x03), (std::vector<Lamp>{{3, 127}}));

    surfacePage = 31;
    std::vector<Lamp> row = lampsBetween(refreshAndDrain(), 0x00, 0x07);
    EXPECT_EQ(row, (std::vector<Lamp>{{1, 127}, {2, 0}, {6, 0}, {7, 0}}));
}

}  // namespace
