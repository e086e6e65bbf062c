// The editor window on the recording desktop: finding it and its effects
// windows by title, its geometry and the mapping of design points to screen
// clicks, following it when it closes, monitors, focus and function keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/reset_state.h"
#include "editor/editor_window.h"
#include "platform/console_output.h"
#include "platform/desktop_recording.h"

namespace {

using Events = std::vector<DesktopEvent>;

// Offset x and y, right, bottom, panel offset and panel left.
std::vector<int> geometry()
{
    return {editorOffsetX, editorOffsetY, editorRight, editorBottom, editorPanelOffset, editorPanelLeft};
}

class EditorWindowTest : public ::testing::Test {
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

    // Puts a window on the desktop and searches (and measures) the editor.
    static uint64_t showEditor(DesktopRect rect = {0, 100, 1188, 851}, const char* title = "X32 EDIT - show")
    {
        uint64_t handle = addFakeWindow(title, rect);
        searchEditorWindow();
        clearRecordedDesktopEvents();
        return handle;
    }

    std::string output;
};

TEST_F(EditorWindowTest, ReferenceSizeWindowMapsDesignPointsOneToOneUpToItsEdges)
{
    showEditor();
    EXPECT_DOUBLE_EQ(editorScaleX, 1.0);
    EXPECT_DOUBLE_EQ(editorScaleY, 1.0);
    EXPECT_EQ(geometry(), (std::vector<int>{0, 120, 1188, 871, 1001, 1001}));

    clickEditor(36, 22, 0);
    clickEditorPointNow(216);
    // Points at or past the right and bottom edges are dropped.
    for (auto [x, y] : {std::pair{1187, 22}, {1188, 22}, {36, 750}, {36, 751}}) clickEditor(x, y, 0);
    // Unused and out-of-range entries click nothing.
    for (int entry : {-1, 0, 151, 199, EDITOR_CLICK_POINT_COUNT}) clickEditorPointNow(entry);
    EXPECT_EQ(recordedDesktopEvents(), clickEvents({{36, 142}, {1051, 539}, {1187, 142}, {36, 870}}));
}

TEST_F(EditorWindowTest, GeometryFollowsMovesAndResizesAndScalesWithTheHeightOnly)
{
    uint64_t window = showEditor();
    moveFakeWindow(window, {300, 50, 1888, 801});
    updateEditorGeometry();
    // Wider by 400: the panel moves right, the scales stay.
    EXPECT_EQ(geometry(), (std::vector<int>{300, 70, 1888, 821, 1401, 1701}));
    EXPECT_DOUBLE_EQ(editorScaleX, 1.0);
    clickEditorPointNow(217);

    moveFakeWindow(window, {0, 100, 1188, 475});
    updateEditorGeometry();
    EXPECT_DOUBLE_EQ(editorScaleY, 375 / 751.0);
    EXPECT_DOUBLE_EQ(editorScaleX, 593 / 1188.0);
    // 187 x 593/1188 is 93.3: the panel starts 93 pixels before the right edge.
    EXPECT_EQ(geometry(), (std::vector<int>{0, 120, 1188, 495, 1095, 1095}));
    clickEditor(464, 22, 0);
    EXPECT_EQ(recordedDesktopEvents(), clickEvents({{300 + 1401 + 105, 70 + 419}, {231, 130}}));
}

TEST_F(EditorWindowTest, MainAreaPointsBehindThePanelAreNotClicked)
{
    showEditor({0, 100, 900, 851});  // reference height: the panel begins at 713
    EXPECT_TRUE(isLeftOfPanel(712));
    EXPECT_FALSE(isLeftOfPanel(713));
    clickEditorPointNow(159);  // effects 5-8 view button at x 811
    clickEditorPointNow(158);  // effects 1-4 view button at x 726
    clickEditorPointNow(157);  // assignment view button at x 630
    clickEditorPointNow(216);  // panel points are not guarded
    EXPECT_EQ(recordedDesktopEvents(), clickEvents({{630, 142}, {713 + 50, 539}}));
}

TEST_F(EditorWindowTest, WithoutAnEditorOrWithADegenerateOneNothingIsClicked)
{
    addFakeWindow("Terminal", {0, 0, 1188, 751});
    searchEditorWindow();
    EXPECT_EQ(editorFound, 0);
    updateEditorGeometry();
    clickEditor(36, 22, 0);
    clickEditorPointNow(160);
    EXPECT_FALSE(isLeftOfPanel(25));
    EXPECT_TRUE(recordedDesktopEvents().empty());
    // Narrower than the panel: panel points would lie left of the window.
    uint64_t window = showEditor({500, 100, 560, 851});
    EXPECT_LT(editorPanelOffset, 0);
    clickEditorPointNow(200);
    // No height at all: no scale to divide by.
    moveFakeWindow(window, {0, 100, 500, 100});
    updateEditorGeometry();
    EXPECT_DOUBLE_EQ(editorScaleX, 0.0);
    EXPECT_FALSE(isLeftOfPanel(25));
    clickEditor(36, 22, 0);
    clickEditorPointNow(216);
    EXPECT_TRUE(recordedDesktopEvents().empty());
}

TEST_F(EditorWindowTest, TitleDecidesWhetherAndWhichEditorIsFound)
{
    const struct { const char* title; int found, kind; } cases[] = {
        {"X32 EDIT - show", 1, 1}, {"x32 edit", 0, 0}, {"M32 EDIT 4.3", 1, 2},
        {"Show file - X32 EDIT", 1, 1}, {"X32 EDIT / M32 EDIT", 1, 2}, {"X32 EDI", 0, 0}};
    for (const auto& c : cases) {
        resetEditorState();
        installRecordingDesktop();
        uint64_t handle = showEditor({0, 100, 1188, 851}, c.title);
        EXPECT_EQ(editorFound, c.found) << c.title;
        EXPECT_EQ(editorKind, c.kind) << c.title;
        EXPECT_EQ(editorWindow, c.found ? handle : 0u) << c.title;
    }
    // The last matching window wins.
    uint64_t m32 = addFakeWindow("M32 EDIT - second", {0, 0, 100, 100});
    addFakeWindow("Mail", {0, 0, 100, 100});
    uint64_t x32 = showEditor({0, 0, 100, 100}, "X32 EDIT - third");
    EXPECT_EQ(editorWindow, x32);
    closeFakeWindow(x32);
    resetEditorState();
    searchEditorWindow();
    EXPECT_EQ(editorWindow, m32);
    EXPECT_EQ(editorKind, 2);
}

TEST_F(EditorWindowTest, WindowSearchByTitleReportsOnlyTheCurrentSearch)
{
    addFakeWindow("FX 2 - Stereo Delay", {0, 0, 10, 10});
    uint64_t fx3 = addFakeWindow("FX 3 - Hall Reverb", {0, 0, 10, 10});
    uint64_t window = 0;
    ASSERT_TRUE(findWindowByTitle("FX 3", window));
    EXPECT_EQ(window, fx3);
    EXPECT_EQ(foundWindowValid, 1);
    closeFakeWindow(fx3);
    window = 0;
    EXPECT_FALSE(findWindowByTitle("FX 3", window));
    EXPECT_EQ(foundWindowValid, 0);
    EXPECT_EQ(window, 0u);
    EXPECT_FALSE(findWindowByTitle("fx 2", window));
    EXPECT_FALSE(findWindowByTitle(nullptr, window));
}

TEST_F(EditorWindowTest, ClosedEditorIsForgottenAndSearchedAgain)
{
    closeFakeWindow(showEditor());
    // A refresh on another thread clicks before the next measurement.
    clickEditor(36, 22, 0);
    EXPECT_EQ(editorFound, 0);
    EXPECT_EQ(geometry(), std::vector<int>(6, 0));
    EXPECT_EQ(output, "Editor window closed.\n");
    updateEditorGeometry();
    clickEditorPointNow(216);
    EXPECT_TRUE(recordedDesktopEvents().empty());

    uint64_t second = showEditor({50, 100, 1238, 851});
    EXPECT_EQ(editorWindow, second);
    clickEditor(36, 22, 0);
    EXPECT_EQ(recordedDesktopEvents(), clickEvents({{86, 142}}));
}

TEST_F(EditorWindowTest, RectIsReadNowAndAFailedReadKeepsTheLastGeometry)
{
    int left = -1, top = -1, right = -1, bottom = -1;
    EXPECT_FALSE(editorWindowRect(left, top, right, bottom));
    uint64_t editor = showEditor();
    moveFakeWindow(editor, {20, 30, 40, 50});
    ASSERT_TRUE(editorWindowRect(left, top, right, bottom));
    EXPECT_EQ((DesktopRect{left, top, right, bottom}), (DesktopRect{20, 30, 40, 50}));

    moveFakeWindow(editor, {0, 100, 1188, 851});
    updateEditorGeometry();
    failFakeWindowRect(editor, true);
    moveFakeWindow(editor, {400, 300, 800, 600});
    updateEditorGeometry();
    EXPECT_EQ(editorFound, 1);
    EXPECT_EQ(geometry(), (std::vector<int>{0, 120, 1188, 871, 1001, 1001}));
    EXPECT_FALSE(editorWindowRect(left, top, right, bottom));
    EXPECT_EQ(editorRectErrorCode(), 5);
    clickEditor(36, 22, 0);
    EXPECT_EQ(recordedDesktopEvents(), clickEvents({{36, 142}}));
}

TEST_F(EditorWindowTest, MonitorEdgesComeFromTheMonitorHoldingMostOfTheWindow)
{
    int monitorLeft = -1, monitorBottom = -1;
    editorMonitorEdges(monitorLeft, monitorBottom);
    EXPECT_EQ(std::pair(monitorLeft, monitorBottom), std::pair(0, 0));
    addFakeMonitor({0, 0, 1920, 1080});
    addFakeMonitor({1920, 0, 3840, 1200});
    showEditor({1800, 100, 2988, 851});
    editorMonitorEdges(monitorLeft, monitorBottom);
    EXPECT_EQ(std::pair(monitorLeft, monitorBottom), std::pair(1920, 1200));
}

TEST_F(EditorWindowTest, FunctionKeysGoOnlyToAnOpenEditor)
{
    focusEditorWindow();  // nothing found yet
    sendFunctionKey(editorWindow, 1);
    EXPECT_TRUE(recordedDesktopEvents().empty());
    uint64_t editor = showEditor();
    focusEditorWindow();
    for (int fkey : {3, 0, 9}) sendFunctionKey(editorWindow, fkey);
    closeFakeWindow(editor);
    sendFunctionKey(editorWindow, 2);
    EXPECT_EQ(recordedDesktopEvents(), (Events{focusEvent(editor), focusEvent(editor), functionKeyEvent(editor, 3)}));
    EXPECT_EQ(editorFound, 0);
}

} // namespace
