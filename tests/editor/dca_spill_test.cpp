// Stepping through the DCA spill banks: the surface side at once, the
// editor's two clicks on a scripted desktop, the second one 100 ms later.
#include <gtest/gtest.h>

#include <array>

#include "control/strip_controls_support.h"
#include "editor/dca_spill.h"
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

class DcaSpill : public SurfaceControlTest {
protected:
    void SetUp() override
    {
        SurfaceControlTest::SetUp();
        for (int d = 0; d < 8; ++d) setBank(8 + d, {B, 10 + d, 20 + d});
        for (int d = 0; d < 8; ++d) bankCount[8 + d] = 2;
        currentDcaGroup = 0;
        currentBank = 8;
    }

    void openEditor(DesktopRect window, DesktopRect monitor)
    {
        addFakeMonitor(monitor);
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
    EXPECT_TRUE(recordedDesktopEvents().empty());

    pressNote(98);
    EXPECT_EQ(currentBank, 8);
    EXPECT_EQ(shown(), (Shown{72, 10, 20, B, B, B, B, B}));
}

TEST_F(DcaSpill, StepButtonsDoNothingInAUserBank)
{
    currentBank = 3;
    showStrips({1, 2});
    pressNote(99);
    EXPECT_EQ(currentDcaGroup, 0);
    EXPECT_EQ(currentBank, 3);
    EXPECT_EQ(shown(), (Shown{1, 2, B, B, B, B, B, B}));
}

TEST_F(DcaSpill, NoStepPastEitherEndNorForOtherDirections)
{
    openEditor(DesktopRect{0, 100, 1188, 851}, DesktopRect{0, 0, 1920, 1080});
    currentDcaGroup = 7;
    currentBank = 15;
    showStrips({79});
    stepDcaSpill(+1);
    currentDcaGroup = 0;
    currentBank = 8;
    stepDcaSpill(-1);
    stepDcaSpill(2);
    stepDcaSpill(0);
    waitForDelayedEditorClicks();
    EXPECT_EQ(currentDcaGroup, 0);
    EXPECT_EQ(shown(), (Shown{79, B, B, B, B, B, B, B}));
    EXPECT_TRUE(recordedDesktopEvents().empty());
}

TEST_F(DcaSpill, ClicksTheDcaButtonThenTheGroupAHundredMillisecondsLater)
{
    openEditor(DesktopRect{0, 100, 1188, 851}, DesktopRect{0, 0, 1920, 1080});
    int64_t start = steadyMilliseconds();
    pressNote(99);
    int64_t returned = steadyMilliseconds();

    // The surface does not wait for the editor.
    EXPECT_EQ(currentBank, 9);
    EXPECT_EQ(bankStrips[0], 73);
    std::vector<DesktopEvent> early = recordedDesktopEvents();
    if (returned - start < 90) {
        EXPECT_EQ(early, (std::vector<DesktopEvent>{cursorMoveEvent(25, 820), leftClickEvent(25, 820)}));
    }

    waitForDelayedEditorClicks();
    EXPECT_GE(steadyMilliseconds() - start, 100);
    EXPECT_EQ(recordedDesktopEvents(),
              (std::vector<DesktopEvent>{cursorMoveEvent(25, 820), leftClickEvent(25, 820),
                                         cursorMoveEvent(130, 820), cursorMoveEvent(130, 820),
                                         leftClickEvent(130, 820)}));
}

TEST_F(DcaSpill, QuickStepsClickEveryGroupInOrder)
{
    openEditor(DesktopRect{0, 100, 1188, 851}, DesktopRect{0, 0, 1920, 1080});
    pressNote(99);
    pressNote(99);
    pressNote(98);
    waitForDelayedEditorClicks();
    EXPECT_EQ(currentDcaGroup, 1);
    std::vector<int> groupClicks;
    for (const DesktopEvent& e : recordedDesktopEvents()) {
        if (e.kind == DesktopEventKind::LeftClick && e.x != 25) groupClicks.push_back(e.x);
    }
    EXPECT_EQ(groupClicks, (std::vector<int>{130, 175, 130}));
}

TEST_F(DcaSpill, ResetDropsAClickNotYetMade)
{
    openEditor(DesktopRect{0, 100, 1188, 851}, DesktopRect{0, 0, 1920, 1080});
    int64_t start = steadyMilliseconds();
    stepDcaSpill(+1);
    resetDcaSpillState();
    bool resetInTime = steadyMilliseconds() - start < 90;
    waitForDelayedEditorClicks();
    if (resetInTime) {
        EXPECT_EQ(recordedDesktopEvents().size(), 2u);
    }
    // The helper starts again on the next step.
    stepDcaSpill(+1);
    waitForDelayedEditorClicks();
    EXPECT_EQ(recordedDesktopEvents().back(), leftClickEvent(85 + 2 * 45, 820));
}

struct GroupPointCase {
    DesktopRect window;
    DesktopRect monitor;  // empty: no monitor holds the window
    int group;
    int x;
    int y;
};

class DcaGroupPoint : public SurfaceControlTest, public ::testing::WithParamInterface<GroupPointCase> {};

TEST_P(DcaGroupPoint, FollowsTheWindowAndItsMonitor)
{
    const GroupPointCase& c = GetParam();
    if (c.monitor.right > c.monitor.left) addFakeMonitor(c.monitor);
    addFakeWindow("X32 EDIT", c.window);
    searchEditorWindow();
    ASSERT_EQ(editorFound, 1);
    int x = 0;
    int y = 0;
    dcaGroupClickPoint(c.group, x, y);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
}

INSTANTIATE_TEST_SUITE_P(
    DcaLayouts, DcaGroupPoint,
    ::testing::Values(
        // Reference size at the monitor's left edge: the row beside the button.
        GroupPointCase{{0, 100, 1188, 851}, {0, 0, 1920, 1080}, 1, 130, 820},
        // Window bottom near the monitor's bottom: the row moves up.
        GroupPointCase{{0, 100, 1188, 851}, {0, 0, 1920, 850}, 0, 50, 810},
        // Room to the left: the row starts at the button minus 150 units.
        GroupPointCase{{200, 100, 1388, 851}, {0, 0, 1920, 1080}, 0, 75, 875},
        GroupPointCase{{200, 100, 1388, 851}, {0, 0, 1920, 900}, 2, 165, 770},
        // Half height: every distance scaled and truncated.
        GroupPointCase{{0, 100, 600, 475}, {0, 0, 1920, 1080}, 3, 108, 469},
        // No monitor: its edges count as 0.
        GroupPointCase{{0, 100, 1188, 851}, {0, 0, 0, 0}, 0, 50, 810}));

} // namespace
