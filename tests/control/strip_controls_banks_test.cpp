// Bank layout, scrolling, bank switching and stepping the selection through
// a bank, through the surface buttons.
#include <gtest/gtest.h>

#include <array>

#include "control/strip_controls.h"
#include "control/strip_controls_support.h"
#include "display/refresh.h"
#include "editor/editor_window.h"

namespace {

using Shown = std::array<int, 8>;
constexpr int B = BLANK_STRIP;

Shown shown()
{
    Shown s;
    for (int i = 0; i < 8; ++i) s[i] = bankStrips[i];
    return s;
}

std::vector<int> selectionsSent(const std::vector<OscSeen>& sent)
{
    std::vector<int> strips;
    for (const OscSeen& m : sent) {
        if (m.address == "/-stat/selidx") strips.push_back(m.i);
    }
    return strips;
}

using Lamp = std::pair<int, int>;

std::vector<Lamp> bankLamps()
{
    std::vector<Lamp> lamps;
    for (const std::vector<uint8_t>& m : takeSurfaceOutput()) {
        if (m.size() == 3 && m[0] == 0x90 && (m[1] == 96 || m[1] == 97)) lamps.push_back({m[1], m[2]});
    }
    return lamps;
}

using BankLayout = SurfaceControlTest;

TEST_F(BankLayout, LeadingBlanksOfAScrollStepAreSkippedOthersShow)
{
    setBank(0, {B, B, 3, 4, B, 5, 6, 7, 8, 9, 10, 11, B, B, 12});
    buildBankStrips(0, 0);
    EXPECT_EQ(shown(), (Shown{3, 4, B, 5, 6, 7, 8, 9}));
    EXPECT_EQ(bankSkip[0], 2);
    buildBankStrips(0, 1);
    EXPECT_EQ(shown(), (Shown{10, 11, B, B, 12, B, B, B}));
    EXPECT_EQ(bankSkip[1], 2);
}

TEST_F(BankLayout, ScrollStepStartingWithBlanksSkipsThem)
{
    setBank(0, {1, 2, 3, 4, 5, 6, 7, 8, B, B, 9});
    buildBankStrips(0, 0);
    buildBankStrips(0, 1);
    EXPECT_EQ(shown(), (Shown{9, B, B, B, B, B, B, B}));
    EXPECT_EQ(bankSkip[1], 2);
}

TEST_F(BankLayout, AnAllBlankBankShowsNothingAndReadsNoFurther)
{
    setBank(3, {B, B, B});
    bankSkip[8] = 70;  // left over from another bank
    buildBankStrips(3, 9);
    EXPECT_EQ(shown(), (Shown{B, B, B, B, B, B, B, B}));
    buildBankStrips(3, 10);  // no such scroll step
    buildBankStrips(16, 0);  // no such bank
    EXPECT_EQ(shown(), (Shown{B, B, B, B, B, B, B, B}));
}

TEST_F(BankLayout, SpillBankShowsItsDcaThenSevenMembersPerStep)
{
    setBank(10, {B, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    bankCount[10] = 9;  // members from entry 1 on
    buildBankStrips(10, 0);
    EXPECT_EQ(shown(), (Shown{74, 1, 2, 3, 4, 5, 6, 7}));
    buildBankStrips(10, 1);
    EXPECT_EQ(shown(), (Shown{74, 8, 9, B, B, B, B, B}));
}

struct ScrollCase {
    int bank;
    int count;
    int leadingBlanks;
    int forwardPresses;
    int expectedScroll;
};

class BankScroll : public SurfaceControlTest, public ::testing::WithParamInterface<ScrollCase> {};

TEST_P(BankScroll, ForwardStopsWhenTheNextStepWouldBeEmpty)
{
    const ScrollCase& c = GetParam();
    int first = c.bank >= 8 ? 1 : 0;
    for (int k = 0; k < BANK_SLOTS; ++k) bankTable[c.bank][k] = B;
    for (int k = 0; k < c.count; ++k) bankTable[c.bank][first + k] = k < c.leadingBlanks ? B : k;
    bankCount[c.bank] = c.count;
    currentBank = c.bank;
    if (c.bank >= 8) currentDcaGroup = c.bank - 8;
    buildBankStrips(c.bank, 0);
    for (int k = 0; k < c.forwardPresses; ++k) pressNote(47);
    EXPECT_EQ(bankScroll, c.expectedScroll);
}

INSTANTIATE_TEST_SUITE_P(ScrollBanks, BankScroll,
                         ::testing::Values(ScrollCase{0, 16, 0, 1, 1}, ScrollCase{0, 16, 0, 3, 1},
                                           ScrollCase{0, 17, 0, 3, 2}, ScrollCase{0, 8, 0, 1, 0},
                                           ScrollCase{0, 16, 2, 2, 1}, ScrollCase{0, 80, 0, 12, 9},
                                           ScrollCase{0, 0, 0, 1, 0}, ScrollCase{9, 7, 0, 1, 0},
                                           ScrollCase{9, 8, 0, 1, 1}, ScrollCase{9, 15, 0, 3, 2}));

TEST_F(BankLayout, ScrollBackStopsAtTheStart)
{
    setBank(0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    pressNote(47);
    EXPECT_EQ(shown(), (Shown{9, 10, B, B, B, B, B, B}));
    pressNote(46);
    pressNote(46);
    EXPECT_EQ(bankScroll, 0);
    EXPECT_EQ(shown(), (Shown{1, 2, 3, 4, 5, 6, 7, 8}));
}

using BankSwitch = SurfaceControlTest;

TEST_F(BankSwitch, UpSelectsTheFirstShownStripWhenTheBankStartsEmpty)
{
    setBank(0, {0, 1, 2});
    setBank(1, {B, 12, 13});
    buildBankStrips(0, 0);
    selectedStrip = 2;
    pressNote(97);
    EXPECT_EQ(currentBank, 1);
    EXPECT_EQ(shown(), (Shown{12, 13, B, B, B, B, B, B}));
    EXPECT_EQ(selectedStrip, 12);
    EXPECT_EQ(selectedBankSlot, 1);
    // First the kept selection, then the decisive one on surface strip 1.
    EXPECT_EQ(selectionsSent(mixer.drain()), (std::vector<int>{2, 12}));
    EXPECT_EQ(bankLamps(), (std::vector<Lamp>{{97, 127}, {96, 127}}));
}

TEST_F(BankSwitch, AnEmptyBankKeepsTheSelection)
{
    setBank(0, {0, 1, 2});
    bankCount[1] = 0;
    selectedStrip = 1;
    pressNote(97);
    EXPECT_EQ(shown(), (Shown{B, B, B, B, B, B, B, B}));
    EXPECT_EQ(selectedStrip, 1);
    EXPECT_EQ(selectionsSent(mixer.drain()), (std::vector<int>{1, 1}));
}

TEST_F(BankSwitch, DownOnBankZeroSwitchesNothingButReselects)
{
    setBank(0, {5, 1, 2, 3, 4, 6, 7, 8, 9, 10});
    pressNote(47);
    ASSERT_EQ(bankScroll, 1);
    selectedStrip = 9;
    pressNote(96);
    EXPECT_EQ(currentBank, 0);
    EXPECT_EQ(bankScroll, 0);
    EXPECT_EQ(shown(), (Shown{5, 1, 2, 3, 4, 6, 7, 8}));
    EXPECT_EQ(selectionsSent(mixer.drain()), (std::vector<int>{5, 5}));
    EXPECT_TRUE(bankLamps().empty());
}

TEST_F(BankSwitch, UpFromTheLastUserBankLandsOnTheCurrentDcaGroup)
{
    currentBank = 7;
    currentDcaGroup = 2;
    setBank(10, {B, 20, 21});
    bankCount[10] = 2;
    pressNote(97);
    EXPECT_EQ(currentBank, 10);
    EXPECT_EQ(shown(), (Shown{74, 20, 21, B, B, B, B, B}));
    EXPECT_EQ(bankLamps(), (std::vector<Lamp>{{97, 127}, {96, 127}, {97, 0}}));
    // The bank's first member, then surface strip 1: the DCA itself.
    EXPECT_EQ(selectionsSent(mixer.drain()), (std::vector<int>{20, 74}));

    pressNote(97);  // already in a spill bank: stays there, no lamps
    EXPECT_EQ(currentBank, 10);
    EXPECT_TRUE(bankLamps().empty());

    pressNote(96);  // any spill bank steps down to bank 7
    EXPECT_EQ(currentBank, 7);
    EXPECT_EQ(bankLamps(), (std::vector<Lamp>{{96, 127}, {97, 127}}));
}

TEST_F(BankSwitch, UnsetDcaGroupCountsAsTheFirst)
{
    currentBank = 7;
    currentDcaGroup = -1;
    pressNote(97);
    EXPECT_EQ(currentBank, 8);
    EXPECT_EQ(bankStrips[0], 72);
}

TEST_F(BankSwitch, DownToBankZeroTurnsItsLampOffAndKeepsRefreshAsItWas)
{
    currentBank = 1;
    setBank(0, {3});
    pressNote(96);
    EXPECT_EQ(currentBank, 0);
    EXPECT_EQ(bankLamps(), (std::vector<Lamp>{{96, 127}, {97, 127}, {96, 0}}));
    EXPECT_EQ(surfaceRefreshEnabled, 0);  // start-up had not enabled it yet

    surfaceRefreshEnabled = 1;
    pressNote(97);
    EXPECT_EQ(surfaceRefreshEnabled, 1);
}

TEST_F(BankSwitch, ClicksTheEditorsBankButton)
{
    addFakeWindow("X32 EDIT - live", DesktopRect{0, 100, 1188, 851});
    setBank(0, {0});
    setBank(1, {1});
    pressNote(97);  // the first datagram finds the editor, then the bank click
    std::vector<DesktopEvent> events = recordedDesktopEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), leftClickEvent(25, 465 + 120));
}

struct StepCase {
    int bank;
    std::vector<int> list;
    int count;
    int selected;
    uint8_t note;   // 49 next, 48 previous
    int expected;
};

class SelectStep : public SurfaceControlTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(SelectStep, WalksTheBankSkippingDcasAndBlanksWithoutWrapping)
{
    const StepCase& c = GetParam();
    for (int k = 0; k < BANK_SLOTS; ++k) bankTable[c.bank][k] = B;
    for (size_t k = 0; k < c.list.size(); ++k) bankTable[c.bank][k] = c.list[k];
    bankCount[c.bank] = c.count;
    currentBank = c.bank;
    selectedStrip = c.selected;
    pressNote(c.note);
    EXPECT_EQ(selectedStrip, c.expected);
    std::vector<int> sent = selectionsSent(mixer.drain());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    SelectLists, SelectStep,
    ::testing::Values(StepCase{0, {1, 2, 3}, 3, 1, 49, 2}, StepCase{0, {1, 2, 3}, 3, 3, 49, 3},
                      StepCase{0, {1, 2, 72, 73}, 4, 2, 49, 2}, StepCase{0, {1, 72, B, 4}, 4, 1, 49, 4},
                      StepCase{0, {1, 2, 3}, 3, 1, 48, 1}, StepCase{0, {5, 72, 6}, 3, 6, 48, 5},
                      StepCase{0, {72, B, 3, 4}, 4, 3, 48, 3}, StepCase{0, {B, 72, 3, 4}, 4, 4, 48, 3},
                      StepCase{9, {B, 4, 9, 17}, 3, 4, 49, 9}, StepCase{9, {B, 4, 9, 17}, 3, 17, 49, 17},
                      StepCase{9, {B, 4, 9, 17}, 3, 17, 48, 9}, StepCase{9, {B, 4, 9, 17}, 3, 4, 48, 4}));

TEST_F(BankLayout, SelectStepOutsideTheBankLeavesTheSelection)
{
    setBank(0, {1, 2, 3});
    selectedStrip = 20;
    pressNote(49);
    EXPECT_EQ(selectedStrip, 20);
    setBank(0, {B, 72});
    selectedStrip = 72;
    pressNote(49);  // only a DCA and a blank: nothing to step to
    EXPECT_EQ(selectedStrip, 72);
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(BankLayout, SelectStepKeepsTheSlotOfTheShownStrip)
{
    setBank(0, {1, 2, 3});
    buildBankStrips(0, 0);
    selectedStrip = 1;
    pressNote(49);
    EXPECT_EQ(selectedBankSlot, 2);
}

} // namespace
