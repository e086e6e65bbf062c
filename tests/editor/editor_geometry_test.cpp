// Editor window geometry and the mapping of design points to screen clicks,
// on the recording desktop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/reset_state.h"
#include "editor/editor_window.h"
#include "platform/console_output.h"
#include "platform/desktop_recording.h"

namespace {

class EditorGeometryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAllState();
        installRecordingDesktop();
        setConsoleCapture(&output);
    }
    void TearDown() override
    {
        setConsoleCapture(nullptr);
        resetAllState();
    }

    // Puts an editor window on the desktop and measures it.
    void showEditor(DesktopRect rect)
    {
        window = addFakeWindow("X32 EDIT - show", rect);
        searchEditorWindow();
        ASSERT_EQ(editorFound, 1);
        clearRecordedDesktopEvents();
    }

    static std::vector<DesktopEvent> clickAt(int x, int y)
    {
        return {cursorMoveEvent(x, y), leftClickEvent(x, y)};
    }

    std::string output;
    uint64_t window = 0;
};

TEST_F(EditorGeometryTest, ReferenceSizeWindowMapsDesignPointsOneToOne)
{
    showEditor({0, 100, 1188, 851});
    EXPECT_DOUBLE_EQ(editorScaleX, 1.0);
    EXPECT_DOUBLE_EQ(editorScaleY, 1.0);
    EXPECT_EQ(editorOffsetX, 0);
    EXPECT_EQ(editorOffsetY, 120);
    EXPECT_EQ(editorRight, 1188);
    EXPECT_EQ(editorBottom, 871);
    EXPECT_EQ(editorPanelOffset, 1001);
    EXPECT_EQ(editorPanelLeft, 1001);

    clickEditor(36, 22, 0);
    EXPECT_EQ(recordedDesktopEvents(), clickAt(36, 142));
    clearRecordedDesktopEvents();
    clickEditorPoint(216);
    EXPECT_EQ(recordedDesktopEvents(), clickAt(1051, 539));
}

TEST_F(EditorGeometryTest, ScalesFollowTheHeightOnly)
{
    showEditor({0, 100, 1188, 475});
    EXPECT_DOUBLE_EQ(editorScaleY, 375 / 751.0);
    EXPECT_DOUBLE_EQ(editorScaleX, 593 / 1188.0);
    EXPECT_EQ(editorBottom, 495);
    // 187 x 593/1188 is 93.3: the panel starts 93 pixels before the right edge.
    EXPECT_EQ(editorPanelOffset, 1095);

    clickEditor(464, 22, 0);
    EXPECT_EQ(recordedDesktopEvents(), clickAt(231, 130));
}

TEST_F(EditorGeometryTest, GeometryFollowsMovesAndResizes)
{
    showEditor({0, 100, 1188, 851});
    moveFakeWindow(window, {300, 50, 1888, 801});
    updateEditorGeometry();
    EXPECT_EQ(editorOffsetX, 300);
    EXPECT_EQ(editorOffsetY, 70);
    // Wider by 400: the panel moves right, the scales stay.
    EXPECT_EQ(editorPanelOffset, 1401);
    EXPECT_EQ(editorPanelLeft, 1701);
    EXPECT_DOUBLE_EQ(editorScaleX, 1.0);
    clickEditorPoint(217);
    EXPECT_EQ(recordedDesktopEvents(), clickAt(300 + 1401 + 105, 70 + 419));
}

struct EdgeCase {
    const char* name;
    int x;
    int y;
    bool clicked;
};

class EditorEdgeTest : public EditorGeometryTest,
                       public ::testing::WithParamInterface<EdgeCase> {};

TEST_P(EditorEdgeTest, PointsAtOrPastTheRightAndBottomEdgesAreDropped)
{
    showEditor({0, 100, 1188, 851});
    const EdgeCase& c = GetParam();
    clickEditor(c.x, c.y, 0);
    if (c.clicked) {
        EXPECT_EQ(recordedDesktopEvents(), clickAt(c.x, c.y + 120));
    } else {
        EXPECT_TRUE(recordedDesktopEvents().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Edges, EditorEdgeTest,
                         ::testing::Values(EdgeCase{"lastColumn", 1187, 22, true},
                                           EdgeCase{"rightEdge", 1188, 22, false},
                                           EdgeCase{"pastRight", 1300, 22, false},
                                           EdgeCase{"lastRow", 36, 750, true},
                                           EdgeCase{"bottomEdge", 36, 751, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorGeometryTest, MainAreaPointsBehindThePanelAreNotClicked)
{
    // 900 wide at reference height: the panel begins at 713.
    showEditor({0, 100, 900, 851});
    EXPECT_TRUE(isLeftOfPanel(712));
    EXPECT_FALSE(isLeftOfPanel(713));

    clickEditorPoint(159);  // effects 5-8 view button at x 811
    clickEditorPoint(158);  // effects 1-4 view button at x 726
    EXPECT_TRUE(recordedDesktopEvents().empty());

    clickEditorPoint(157);  // assignment view button at x 630
    clickEditorPoint(216);  // panel points are not guarded
    std::vector<DesktopEvent> expected = clickAt(630, 142);
    for (const DesktopEvent& e : clickAt(713 + 50, 539)) expected.push_back(e);
    EXPECT_EQ(recordedDesktopEvents(), expected);
}

TEST_F(EditorGeometryTest, BankAndBusButtonsLandOnTheirRows)
{
    showEditor({0, 100, 1188, 851});
    struct Expected {
        int entry;
        int x;
        int y;
    };
    // Bank 0, bank 7 and the DCA button; sends to buses 1, 2, 15 and 16.
    const Expected points[] = {{160, 25, 435}, {167, 25, 667}, {168, 25, 700},
                               {200, 1001 + 35, 452}, {201, 1001 + 110, 452},
                               {214, 1001 + 35, 660}, {215, 1001 + 110, 660}};
    for (const Expected& p : points) {
        clearRecordedDesktopEvents();
        clickEditorPoint(p.entry);
        EXPECT_EQ(recordedDesktopEvents(), clickAt(p.x, p.y + 120)) << "entry " << p.entry;
    }
}

TEST_F(EditorGeometryTest, UnusedAndOutOfRangeEntriesClickNothing)
{
    showEditor({0, 100, 1188, 851});
    for (int entry : {-1, 0, 151, 199, EDITOR_CLICK_POINT_COUNT, 100000}) clickEditorPoint(entry);
    EXPECT_TRUE(recordedDesktopEvents().empty());
}

TEST_F(EditorGeometryTest, WithoutAnEditorEveryClickIsDropped)
{
    addFakeWindow("Terminal", {0, 0, 1188, 751});
    searchEditorWindow();
    EXPECT_EQ(editorFound, 0);
    updateEditorGeometry();
    clickEditor(36, 22, 0);
    clickEditorPoint(216);
    clickEditorPoint(160);
    EXPECT_FALSE(isLeftOfPanel(25));
    EXPECT_TRUE(recordedDesktopEvents().empty());
}

TEST_F(EditorGeometryTest, PanelWiderThanTheWindowClicksNothingLeftOfIt)
{
    // A window narrower than the panel puts panel points left of the window.
    showEditor({500, 100, 560, 851});
    EXPECT_LT(editorPanelOffset, 0);
    clickEditorPoint(200);
    EXPECT_TRUE(recordedDesktopEvents().empty());
}

TEST_F(EditorGeometryTest, CollapsedWindowDoesNotBreakTheMapping)
{
    showEditor({0, 100, 500, 100});
    EXPECT_DOUBLE_EQ(editorScaleX, 0.0);
    EXPECT_FALSE(isLeftOfPanel(25));
    clickEditor(36, 22, 0);
    clickEditorPoint(216);
    EXPECT_TRUE(recordedDesktopEvents().empty());
}

TEST_F(EditorGeometryTest, ScreenPointClickMovesTwiceThenClicks)
{
    clickScreenPoint(-40, 2000);
    EXPECT_EQ(recordedDesktopEvents(),
              (std::vector<DesktopEvent>{cursorMoveEvent(-40, 2000), cursorMoveEvent(-40, 2000),
                                         leftClickEvent(-40, 2000)}));
}

}
