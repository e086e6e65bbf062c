// Bank layout, scrolling, bank switching and stepping the selection through
// a bank, through the surface buttons.
#include "control/strip_controls.h"
#include "control/strip_controls_support.h"
#include "display/refresh.h"
#include "editor/editor_clicks.h"
#include "editor/editor_window.h"

namespace {

using Banks = SurfaceControlTest;

std::vector<int> selectionsSent(const Writes& sent)
{
    std::vector<int> strips;
    for (const Write& w : sent) {
        if (w.address == "/-stat/selidx") strips.push_back(static_cast<int>(w.value));
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

TEST_F(Banks, ScrollStepsSkipOnlyTheirLeadingBlanksAndSpillBanksShowTheirDcaFirst)
{
    struct Case {
        int bank;
        std::vector<int> entries;
        int count, carriedSkip, scroll;  // carriedSkip: what the scroll step before left in bankSkip
        Shown expected;
        int expectedSkip;  // -1: not checked
    };
    const std::vector<int> gappy = {B, B, 3, 4, B, 5, 6, 7, 8, 9, 10, 11, B, B, 12};
    const std::vector<int> spill = {B, 1, 2, 3, 4, 5, 6, 7, 8, 9};  // members from entry 1 on
    const Case cases[] = {
        {0, gappy, 15, 0, 0, {3, 4, B, 5, 6, 7, 8, 9}, 2},
        {0, gappy, 15, 2, 1, {10, 11, B, B, 12, B, B, B}, 2},
        {0, {1, 2, 3, 4, 5, 6, 7, 8, B, B, 9}, 11, 0, 1, {9, B, B, B, B, B, B, B}, 2},
        {3, {B, B, B}, 3, 70, 9, {B, B, B, B, B, B, B, B}, -1},
        {10, spill, 9, 0, 0, {74, 1, 2, 3, 4, 5, 6, 7}, -1},
        {10, spill, 9, 0, 1, {74, 8, 9, B, B, B, B, B}, -1},
    };
    for (const Case& c : cases) {
        setBank(c.bank, c.entries, c.count);
        if (c.scroll > 0) bankSkip[c.scroll - 1] = c.carriedSkip;
        buildBankStrips(c.bank, c.scroll);
        EXPECT_EQ(shown(), c.expected) << "bank " << c.bank << " step " << c.scroll;
        EXPECT_TRUE(c.expectedSkip < 0 || bankSkip[c.scroll] == c.expectedSkip) << bankSkip[c.scroll];
    }
    for (auto [bank, scroll] : {std::pair{0, 10}, {16, 0}, {-1, 0}}) buildBankStrips(bank, scroll);
    EXPECT_EQ(shown(), (Shown{74, 8, 9, B, B, B, B, B}));
}

TEST_F(Banks, ScrollForwardStopsBeforeAnEmptyStepAndBackAtTheStart)
{
    struct Case {
        int bank, count, leadingBlanks, forwardPresses, expectedScroll;
    };
    const Case cases[] = {{0, 16, 0, 3, 1}, {0, 17, 0, 3, 2}, {0, 8, 0, 1, 0}, {0, 16, 2, 2, 1},
                          {0, 80, 0, 12, 9}, {9, 7, 0, 1, 0},  {9, 8, 0, 1, 1}};
    for (const Case& c : cases) {
        int first = c.bank >= 8 ? 1 : 0;
        std::vector<int> entries(first + c.count, B);
        for (int k = c.leadingBlanks; k < c.count; ++k) entries[first + k] = k;
        setBank(c.bank, entries, c.count);
        currentBank = c.bank;
        currentDcaGroup = c.bank >= 8 ? c.bank - 8 : 0;
        bankScroll = 0;
        buildBankStrips(c.bank, 0);
        for (int k = 0; k < c.forwardPresses; ++k) pressNote(47);
        EXPECT_EQ(bankScroll, c.expectedScroll) << "bank " << c.bank << " of " << c.count;
    }
    pressNote(46);
    pressNote(46);
    EXPECT_EQ(bankScroll, 0);
    EXPECT_EQ(shown(), (Shown{73, 0, 1, 2, 3, 4, 5, 6}));
}

TEST_F(Banks, UserBanksUpAndDownWithLeadingBlanks)
{
    setBank(0, {0, 1, 2});
    setBank(1, {B, 12, 13});
    setBank(2, {B, B, 22});
    selectedStrip = 2;
    pressNote(97);
    EXPECT_EQ(shown(), (Shown{12, 13, B, B, B, B, B, B}));
    EXPECT_EQ(selectedStrip, 12);
    EXPECT_EQ(selectedBankSlot, 1);
    // First the kept selection, then the decisive one on surface strip 1.
    EXPECT_EQ(selectionsSent(mixer.drain()), (std::vector<int>{2, 12}));
    EXPECT_EQ(bankLamps(), (std::vector<Lamp>{{97, 127}, {96, 127}}));

    pressNote(97);
    EXPECT_EQ(shown(), (Shown{22, B, B, B, B, B, B, B}));
    EXPECT_EQ(selectionsSent(mixer.drain()), (std::vector<int>{12, 22}));
    pressNote(96);
    takeSurfaceOutput();
    pressNote(96);
    EXPECT_EQ(currentBank, 0);
    EXPECT_EQ(selectedStrip, 0);
    // Lit, then dark on bank 0: one message, the final one, in its place.
    EXPECT_EQ(bankLamps(), (std::vector<Lamp>{{96, 0}, {97, 127}}));
    EXPECT_EQ(surfaceRefreshEnabled, 0);  // start-up had not enabled it yet
    surfaceRefreshEnabled = 1;
    pressNote(97);
    EXPECT_EQ(surfaceRefreshEnabled, 1);
}

TEST_F(Banks, UpAndDownPassOverUserBanksWithoutStripsAndClickTheBankLandedOn)
{
    struct Case {
        const char* filled;  // user banks 0..7: 'x' strips, '0' count 0, 'b' blanks only
        int from;
        uint8_t note;  // 97 up, 96 down
        int landed;
        int clickedEntry;  // editor bank button clicked, -1 none
    };
    const Case cases[] = {
        {"xxxx0000", 3, 97, 9, 168},   // the default banks: straight to the DCA spill bank
        {"xxxxbbbb", 3, 97, 9, 168},
        {"x0b0x000", 0, 97, 4, 164},
        {"x0b0x000", 4, 96, 0, 160},
        {"x0b0x000", 9, 96, 4, 164},   // down from a spill bank: the last bank with strips
        {"00x00000", 0, 97, 2, 162},   // from an empty bank too
        {"00x00000", 2, 96, 2, -1},    // none below: nothing switched, as on bank 0
        {"00000000", 9, 96, 9, -1},
        {"00000000", 0, 97, 9, 168},
    };
    addFakeWindow("X32 EDIT - live", DesktopRect{0, 100, 1188, 851});
    searchEditorWindow();
    for (const Case& c : cases) {
        for (int b = 0; b < 8; ++b) {
            if (c.filled[b] == 'x') setBank(b, {b + 1, B, b + 11});
            else setBank(b, c.filled[b] == 'b' ? std::vector<int>{B, B} : std::vector<int>{});
        }
        currentDcaGroup = 1;
        currentBank = c.from;
        waitForEditorClicks();
        clearRecordedDesktopEvents();
        pressNote(c.note);
        EXPECT_EQ(currentBank, c.landed) << c.filled << " from " << c.from << " note " << +c.note;
        std::vector<DesktopEvent> clicks;
        if (c.clickedEntry >= 0) {
            const int* p = editorClickPoints[c.clickedEntry];
            clicks = {cursorMoveEvent(p[0], p[1] + 120), leftClickEvent(p[0], p[1] + 120)};
        }
        waitForEditorClicks();
        EXPECT_EQ(recordedDesktopEvents(), clicks) << c.filled << " from " << c.from << " note " << +c.note;
    }
    mixer.drain();
}

TEST_F(Banks, DownOnBankZeroSwitchesNothingButReselects)
{
    setBank(0, {5, 1, 2, 3, 4, 6, 7, 8, 9, 10});
    pressNote(47);
    selectedStrip = 9;
    pressNote(96);
    EXPECT_EQ(bankScroll, 0);
    EXPECT_EQ(shown(), (Shown{5, 1, 2, 3, 4, 6, 7, 8}));
    EXPECT_EQ(selectionsSent(mixer.drain()), (std::vector<int>{5, 5}));
    EXPECT_TRUE(bankLamps().empty());
}

TEST_F(Banks, UpFromTheLastUserBankLandsOnTheCurrentDcaGroup)
{
    currentBank = 7;
    currentDcaGroup = 2;
    setBank(7, {7});
    setBank(10, {B, 20, 21}, 2);
    pressNote(97);
    EXPECT_EQ(currentBank, 10);
    EXPECT_EQ(shown(), (Shown{74, 20, 21, B, B, B, B, B}));
    EXPECT_EQ(bankLamps(), (std::vector<Lamp>{{97, 0}, {96, 127}}));
    // The bank's first member, then surface strip 1: the DCA itself.
    EXPECT_EQ(selectionsSent(mixer.drain()), (std::vector<int>{20, 74}));

    pressNote(97);  // already in a spill bank: stays there, no lamps
    EXPECT_EQ(currentBank, 10);
    EXPECT_TRUE(bankLamps().empty());
    pressNote(96);  // any spill bank steps down to bank 7, the only one with strips
    EXPECT_EQ(currentBank, 7);
    // Lamp 96 lit, then dark (no bank with strips below): the queue keeps its
    // final value in its first place.
    EXPECT_EQ(bankLamps(), (std::vector<Lamp>{{96, 0}, {97, 127}}));

    currentDcaGroup = -1;  // unset: counts as the first
    pressNote(97);
    EXPECT_EQ(bankStrips[0], 72);
}

TEST_F(Banks, SelectStepWalksTheBankSkippingDcasAndBlanksWithoutWrapping)
{
    struct Case {
        int bank;
        std::vector<int> list;
        int count, selected;
        uint8_t note;  // 49 next, 48 previous
        int expected;
    };
    const std::vector<int> spill = {B, 4, 9, 17};
    const Case cases[] = {{0, {1, 2, 3}, 3, 1, 49, 2}, {0, {1, 2, 3}, 3, 3, 49, 3}, {0, {1, 2, 72, 73}, 4, 2, 49, 2},
                          {0, {1, 72, B, 4}, 4, 1, 49, 4}, {0, {1, 2, 3}, 3, 1, 48, 1}, {0, {5, 72, 6}, 3, 6, 48, 5},
                          {0, {72, B, 3, 4}, 4, 3, 48, 3}, {9, spill, 3, 4, 49, 9}, {9, spill, 3, 17, 49, 17},
                          {9, spill, 3, 4, 48, 4},
                          // The spill bank's own DCA on strip 1 sits before the first member.
                          {9, spill, 3, 73, 49, 4}, {9, {B, 74, 5}, 2, 73, 49, 5}, {9, spill, 3, 73, 48, -1},
                          {9, spill, 3, 74, 49, -1}};
    for (const Case& c : cases) {
        setBank(c.bank, c.list, c.count);
        currentBank = c.bank;
        selectedStrip = c.selected;
        pressNote(c.note);
        std::vector<int> expected;
        if (c.expected >= 0) expected = {c.expected};
        EXPECT_EQ(selectionsSent(mixer.drain()), expected) << c.selected << " note " << +c.note;
    }
    setBank(0, {1, 2, 3});
    buildBankStrips(currentBank = 0, 0);
    selectedStrip = 1;
    pressNote(49);
    EXPECT_EQ(selectedStrip, 2);
    EXPECT_EQ(selectedBankSlot, 2);
    mixer.drain();
    selectedStrip = 20;  // not in the bank
    pressNote(49);
    setBank(0, {B, 72});
    selectedStrip = 72;
    pressNote(49);  // only a DCA and a blank: nothing to step to
    EXPECT_EQ(selectedStrip, 72);
    EXPECT_TRUE(mixer.drain().empty());
}

} // namespace
