// Stepping through the DCA spill banks: the surface side at once, the
// editor's two clicks on a scripted desktop, the second one 100 ms later.
#include <gtest/gtest.h>

#include <array>

#include "control/strip_controls_support.h"
#include "editor/dca_spill.h"
#include "editor/editor_window.h"

namespace {

using Shown = std::array<int, 8>;
using Events = std::vector<DesktopEvent>;
constexpr int B = BLANK_STRIP;
constexpr DesktopRect REFERENCE_WINDOW{0, 100, 1188, 851};
constexpr DesktopRect MONITOR{0, 0, 1920, 1080};

Shown shown() { return std::to_array(bankStrips); }

class DcaSpill : public SurfaceControlTest {
protected:
    void SetUp() override
    {
        SurfaceControlTest::SetUp();
        for (int d = 0; d < 8; ++d) setBank(8 + d, {B, 10 + d, 20 + d});
        currentDcaGroup = 0;
        currentBank = 8;
    }

    static void openEditor(DesktopRect window, DesktopRect monitor)
    {
        if (monitor.right > monitor.left) addFakeMonitor(monitor);
        addFakeWindow("M32 EDIT", window);
        searchEditorWindow();
        ASSERT_EQ(editorFound, 1);
        clearRecordedDesktopEvents();
    }
};

TEST_F(DcaSpill, WithoutAnEditorOnlyTheSurfaceMoves)
{
    pressNote(99);
    waitForDelayedEditorClicks();
    EXPECT_EQ(currentDcaGroup, 1);
    EXPECT_EQ(currentBank, 9);
    EXPECT_EQ(shown(), (Shown{73, 11, 21, B, B, B, B, B}));
    pressNote(98);
    EXPECT_EQ(currentBank, 8);
    EXPECT_EQ(shown(), (Shown{72, 10, 20, B, B, B, B, B}));
    EXPECT_TRUE(recordedDesktopEvents().empty());
    // In a user bank the step buttons do nothing.
    currentBank = 3;
    showStrips({1, 2});
    pressNote(99);
    EXPECT_EQ(currentDcaGroup, 0);
    EXPECT_EQ(currentBank, 3);
    EXPECT_EQ(shown(), (Shown{1, 2, B, B, B, B, B, B}));
}

TEST_F(DcaSpill, NoStepPastEitherEndNorForOtherDirections)
{
    openEditor(REFERENCE_WINDOW, MONITOR);
    currentDcaGroup = 7;
    currentBank = 15;
    showStrips({79});
    stepDcaSpill(+1);
    currentDcaGroup = 0;
    currentBank = 8;
    for (int direction : {-1, 2, 0}) stepDcaSpill(direction);
    waitForDelayedEditorClicks();
    EXPECT_EQ(currentDcaGroup, 0);
    EXPECT_EQ(shown(), (Shown{79, B, B, B, B, B, B, B}));
    EXPECT_TRUE(recordedDesktopEvents().empty());
}

TEST_F(DcaSpill, ClicksTheDcaButtonThenTheGroupAHundredMillisecondsLaterEveryStepInOrder)
{
    openEditor(REFERENCE_WINDOW, MONITOR);
    int64_t start = steadyMilliseconds();
    pressNote(99);
    int64_t returned = steadyMilliseconds();
    // The surface does not wait for the editor.
    EXPECT_EQ(currentBank, 9);
    EXPECT_EQ(bankStrips[0], 73);
    Events early = recordedDesktopEvents();
    if (returned - start < 90) {
        EXPECT_EQ(early, (Events{cursorMoveEvent(25, 820), leftClickEvent(25, 820)}));
    }
    waitForDelayedEditorClicks();
    EXPECT_GE(steadyMilliseconds() - start, 100);
    EXPECT_EQ(recordedDesktopEvents(), (Events{cursorMoveEvent(25, 820), leftClickEvent(25, 820),
                                               cursorMoveEvent(130, 820), cursorMoveEvent(130, 820),
                                               leftClickEvent(130, 820)}));
    // Quick steps click every group in order.
    for (uint8_t note : {99, 99, 98}) pressNote(note);
    waitForDelayedEditorClicks();
    EXPECT_EQ(currentDcaGroup, 2);
    std::vector<int> groupClicks;
    for (const DesktopEvent& e : recordedDesktopEvents()) {
        if (e.kind == DesktopEventKind::LeftClick && e.x != 25) groupClicks.push_back(e.x);
    }
    EXPECT_EQ(groupClicks, (std::vector<int>{130, 175, 220, 175}));
}

TEST_F(DcaSpill, ResetDropsAClickNotYetMade)
{
    openEditor(REFERENCE_WINDOW, MONITOR);
    int64_t start = steadyMilliseconds();
    stepDcaSpill(+1);
    resetDcaSpillState();
    bool resetInTime = steadyMilliseconds() - start < 90;
    // The helper starts again on the next step: the DCA button twice, one group click.
    stepDcaSpill(+1);
    waitForDelayedEditorClicks();
    if (resetInTime) {
        EXPECT_EQ(recordedDesktopEvents().size(), 2u + 2u + 3u);
    }
    EXPECT_EQ(recordedDesktopEvents().back(), leftClickEvent(85 + 2 * 45, 820));
}

TEST_F(DcaSpill, GroupPointFollowsTheWindowAndItsMonitor)
{
    const struct { DesktopRect window, monitor; int group, x, y; } cases[] = {
        {REFERENCE_WINDOW, MONITOR, 1, 130, 820},                 // at the monitor's left edge: beside the button
        {REFERENCE_WINDOW, {0, 0, 1920, 850}, 0, 50, 810},        // bottom near the monitor's: the row moves up
        {{200, 100, 1388, 851}, MONITOR, 0, 75, 875},             // room to the left: the button minus 150 units
        {{200, 100, 1388, 851}, {0, 0, 1920, 905}, 2, 165, 770},  // bottom exactly at the edge
        {{0, 100, 600, 475}, MONITOR, 3, 108, 469},               // half height: scaled and truncated
        {REFERENCE_WINDOW, {0, 0, 0, 0}, 0, 50, 810},             // no monitor: its edges count as 0
    };
    for (const auto& c : cases) {
        resetEditorState();
        installRecordingDesktop();
        openEditor(c.window, c.monitor);
        int x = 0, y = 0;
        dcaGroupClickPoint(c.group, x, y);
        EXPECT_EQ(std::pair(x, y), std::pair(c.x, c.y)) << "group " << c.group;
    }
}

} // namespace
