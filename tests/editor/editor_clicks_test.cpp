// The one ordered path of editor clicks on a scripted desktop: stepping
// through the DCA spill banks (the surface at once, the editor's group click
// 100 ms after its DCA button), and an editor that cannot take clicks.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "control/strip_controls_support.h"
#include "display/refresh.h"
#include "control/dca_spill.h"
#include "control/surface_dispatch.h"
#include "editor/dca_row.h"
#include "editor/editor_clicks.h"
#include "editor/editor_window.h"

namespace {

using Shown = std::array<int, 8>;
using Events = std::vector<DesktopEvent>;
constexpr int B = BLANK_STRIP;
constexpr DesktopRect REFERENCE_WINDOW{0, 100, 1188, 851};
constexpr DesktopRect MONITOR{0, 0, 1920, 1080};

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
        currentDcaGroup = 0;
        currentBank = 8;
    }

    static uint64_t openEditor(DesktopRect window, DesktopRect monitor)
    {
        if (monitor.right > monitor.left) addFakeMonitor(monitor);
        uint64_t handle = addFakeWindow("M32 EDIT", window);
        searchEditorWindow();
        EXPECT_EQ(editorFound, 1);
        EXPECT_TRUE(waitForEditorClicks());
        clearRecordedDesktopEvents();
        return handle;
    }
};

TEST_F(DcaSpill, WithoutAnEditorOnlyTheSurfaceMoves)
{
    pressNote(99);
    EXPECT_TRUE(waitForEditorClicks());
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

// Only the surface the editor follows clicks into it; another one moves alone.
TEST_F(DcaSpill, OnlyTheSurfaceTheEditorFollowsClicksIntoIt)
{
    openEditor(REFERENCE_WINDOW, MONITOR);
    setEditorSurface(1);
    pressNote(99);
    EXPECT_TRUE(waitForEditorClicks());
    EXPECT_EQ(currentBank, 9);
    EXPECT_TRUE(recordedDesktopEvents().empty());
    setEditorSurface(0);
    pressNote(99);
    EXPECT_TRUE(waitForEditorClicks());
    EXPECT_EQ(currentBank, 10);
    EXPECT_FALSE(recordedDesktopEvents().empty());
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
    EXPECT_TRUE(waitForEditorClicks());
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
    if (returned - start < 90) {
        for (const DesktopEvent& e : recordedDesktopEvents()) EXPECT_EQ(e.x, 25) << "group clicked early";
    }
    EXPECT_TRUE(waitForEditorClicks());
    EXPECT_GE(steadyMilliseconds() - start, 100);
    const Events group2 = {cursorMoveEvent(130, 820), cursorMoveEvent(130, 820), leftClickEvent(130, 820)};
    Events expected = clickEvents({{25, 820}});
    expected.insert(expected.end(), group2.begin(), group2.end());
    EXPECT_EQ(recordedDesktopEvents(), expected);

    // Two quick steps: each group click follows its own DCA button, and
    // nothing lands between the halves.
    EXPECT_TRUE(waitForEditorClicks());
    clearRecordedDesktopEvents();
    start = steadyMilliseconds();
    pressNote(99);
    pressNote(98);
    EXPECT_TRUE(waitForEditorClicks());
    EXPECT_GE(steadyMilliseconds() - start, 200);
    EXPECT_EQ(currentDcaGroup, 1);
    std::vector<int> clickedX;
    for (const DesktopEvent& e : recordedDesktopEvents()) {
        if (e.kind == DesktopEventKind::LeftClick) clickedX.push_back(e.x);
    }
    EXPECT_EQ(clickedX, (std::vector<int>{25, 175, 25, 130}));
}

TEST_F(DcaSpill, ResetDropsAClickNotYetMade)
{
    openEditor(REFERENCE_WINDOW, MONITOR);
    int64_t start = steadyMilliseconds();
    stepDcaSpill(+1);
    resetEditorClicks();
    bool resetInTime = steadyMilliseconds() - start < 90;
    // The click thread starts again on the next step.
    stepDcaSpill(+1);
    EXPECT_TRUE(waitForEditorClicks());
    if (resetInTime) {
        for (const DesktopEvent& e : recordedDesktopEvents()) EXPECT_NE(e.x, 85 + 45) << "dropped click made";
    }
    EXPECT_EQ(recordedDesktopEvents().back(), leftClickEvent(85 + 2 * 45, 820));
}

// Each case keeps the editor from taking a bank and a page click, then
// mends it. Meanwhile no click may land off the window or off the screen;
// afterwards the next surface action clicks the current bank, then the page.
TEST_F(DcaSpill, ClicksTheEditorCannotTakeAreOwedAndMadeAtTheNextSurfaceAction)
{
    constexpr DesktopRect NOWHERE{0, 0, 0, 0};
    constexpr DesktopRect PARTLY_OFF_SCREEN{-100, -60, 1088, 691};
    // A window manager restoring the window: below the screen, then rising.
    const std::vector<DesktopRect> restoring = {
        {0, 1620, 1188, 2371}, {0, 1127, 1188, 1878}, {0, 778, 1188, 1529}, REFERENCE_WINDOW};
    uint64_t editor = 0;
    // Found and caught up at the first surface action after it appears.
    auto reopen = [&] { editor = addFakeWindow("M32 EDIT", REFERENCE_WINDOW); };
    const struct {
        const char* name;
        bool openAtStart;
        DesktopRect clickableWhileSpoiled;
        std::function<void()> spoil, mend;
    } cases[] = {
        {"minimised", true, NOWHERE, [&] { setFakeWindowState(editor, FakeWindowState::Minimised); },
         [&] { setFakeWindowState(editor, FakeWindowState::Shown); }},
        {"hidden", true, NOWHERE, [&] { setFakeWindowState(editor, FakeWindowState::Hidden); },
         [&] { setFakeWindowState(editor, FakeWindowState::Shown); }},
        {"empty", true, NOWHERE, [&] { moveFakeWindow(editor, {0, 100, 0, 100}); },
         [&] { moveFakeWindow(editor, REFERENCE_WINDOW); }},
        {"restored with an animation", true, NOWHERE,
         [&] { setFakeWindowState(editor, FakeWindowState::Minimised); },
         [&] {
             setFakeWindowState(editor, FakeWindowState::Shown);
             scriptFakeWindowRects(editor, restoring);
         }},
        {"partly off the screen", true, PARTLY_OFF_SCREEN, [&] { moveFakeWindow(editor, PARTLY_OFF_SCREEN); },
         [&] { moveFakeWindow(editor, REFERENCE_WINDOW); }},
        {"not found yet", false, NOWHERE, [] {}, reopen},
        {"closed and opened again", true, NOWHERE, [&] { closeFakeWindow(editor); }, reopen},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        resetEditorState();
        resetSurfaceInputState();
        installRecordingDesktop();
        if (c.openAtStart) editor = openEditor(REFERENCE_WINDOW, {});
        setBank(2, {1, 2});
        setBank(3, {3, 4});
        currentBank = 2;
        surfacePage = 0;
        surfaceRefreshEnabled = 1;
        refreshSurface();
        EXPECT_TRUE(waitForEditorClicks());
        clearRecordedDesktopEvents();

        c.spoil();
        pressNote(97);  // bank 3
        pressNote(85);  // mono faders: a panel button, which a minimised window's
                        // rectangle far off screen does not keep out
        EXPECT_TRUE(waitForEditorClicks());
        for (const DesktopEvent& e : recordedDesktopEvents()) {
            EXPECT_TRUE(rectContains(c.clickableWhileSpoiled, e.x, e.y) && rectContains(MONITOR, e.x, e.y)) << e;
        }

        c.mend();
        clearRecordedDesktopEvents();
        pressNote(104);  // a fader touched: the editor follows to bank 3, mono faders
        EXPECT_TRUE(waitForEditorClicks());
        EXPECT_EQ(recordedDesktopEvents(), clickEvents({{25, 535 + 120}, {1001 + 105, 419 + 120}}));
        clearRecordedDesktopEvents();
        releaseNote(104);
        EXPECT_TRUE(waitForEditorClicks());
        EXPECT_TRUE(recordedDesktopEvents().empty());
    }
}

TEST_F(DcaSpill, AGroupClickDueWhileTheEditorIsMinimisedIsNeverMadeAndTheGroupFollowsLater)
{
    uint64_t editor = openEditor(REFERENCE_WINDOW, MONITOR);
    int64_t start = steadyMilliseconds();
    pressNote(99);
    setFakeWindowState(editor, FakeWindowState::Minimised);
    bool minimisedInTime = steadyMilliseconds() - start < 90;
    pressNote(99);
    EXPECT_TRUE(waitForEditorClicks());
    if (minimisedInTime) {
        for (const DesktopEvent& e : recordedDesktopEvents()) EXPECT_EQ(e.x, 25) << "group clicked while minimised";
    }
    EXPECT_EQ(currentBank, 10);
    setFakeWindowState(editor, FakeWindowState::Shown);
    EXPECT_TRUE(waitForEditorClicks());
    clearRecordedDesktopEvents();
    pressNote(104);
    EXPECT_TRUE(waitForEditorClicks());
    Events expected = clickEvents({{25, 820}});
    for (int k = 0; k < 2; ++k) expected.push_back(cursorMoveEvent(85 + 2 * 45, 820));
    expected.push_back(leftClickEvent(85 + 2 * 45, 820));
    for (const DesktopEvent& e : clickEvents({{1051, 539}, {36, 142}})) expected.push_back(e);  // page 0
    EXPECT_EQ(recordedDesktopEvents(), expected);
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
