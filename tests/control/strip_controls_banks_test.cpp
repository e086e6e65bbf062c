// Bank layout, scrolling, bank switching and stepping the selection through
// a bank, through the surface buttons.
#include <algorithm>

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
        selectStrip(7);
        surfaceRefreshEnabled = 1;
        EXPECT_TRUE(waitForEditorClicks());
        clearRecordedDesktopEvents();
        takeSurfaceOutput();
        pressNote(c.note);
        EXPECT_EQ(currentBank, c.landed) << c.filled << " from " << c.from << " note " << +c.note;
        // The selection stays the console's; the bank lamps say where else to go.
        EXPECT_EQ(selectionsSent(mixer.drain()), std::vector<int>{});
        EXPECT_EQ(selectedStrip, 7);
        bool lower = false;
        for (int b = 0; b < std::min(c.landed, 8); ++b) lower = lower || c.filled[b] == 'x';
        const std::vector<std::vector<uint8_t>> sent = takeSurfaceOutput();
        for (uint8_t note : {96, 97}) {
            const bool on = note == 97 ? c.landed < 8 : lower;
            const std::vector<uint8_t> lamp = {0x90, note, static_cast<uint8_t>(on ? 127 : 0)};
            EXPECT_NE(std::find(sent.begin(), sent.end(), lamp), sent.end()) << c.filled << " from " << c.from << " lamp " << +note;
        }
        std::vector<DesktopEvent> clicks;
        if (c.clickedEntry >= 0) {
            const int* p = editorClickPoints[c.clickedEntry];
            clicks = {cursorMoveEvent(p[0], p[1] + 120), leftClickEvent(p[0], p[1] + 120)};
        }
        EXPECT_TRUE(waitForEditorClicks());
        EXPECT_EQ(recordedDesktopEvents(), clicks) << c.filled << " from " << c.from << " note " << +c.note;
    }
    mixer.drain();
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
    // A selection the bank does not hold steps onto the surface: next to the
    // first strip shown, previous to the last.
    for (auto [note, expected] : {std::pair{49, 1}, std::pair{48, 3}}) {
        selectedStrip = 20;
        pressNote(static_cast<uint8_t>(note));
        EXPECT_EQ(selectedStrip, expected) << "note " << note;
        EXPECT_EQ(selectedBankSlot, expected);
    }
    mixer.drain();
    setBank(0, {B, 72});
    selectedStrip = 72;
    pressNote(49);  // only a DCA and a blank: nothing to step to
    EXPECT_EQ(selectedStrip, 72);
    EXPECT_TRUE(mixer.drain().empty());
}

} // namespace
