// Finding the editor and its effects windows by title, following a window
// that closes, monitors, focus and function keys, on the recording desktop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/reset_state.h"
#include "editor/editor_window.h"
#include "platform/console_output.h"
#include "platform/desktop_recording.h"

namespace {

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

    std::string output;
};

struct TitleCase {
    const char* name;
    const char* title;
    int found;
    int kind;
};

class EditorTitleTest : public EditorWindowTest, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(EditorTitleTest, TitleDecidesWhetherAndWhichEditorIsFound)
{
    const TitleCase& c = GetParam();
    uint64_t handle = addFakeWindow(c.title, {0, 0, 1188, 751});
    searchEditorWindow();
    EXPECT_EQ(editorFound, c.found);
    EXPECT_EQ(editorKind, c.kind);
    EXPECT_EQ(editorWindow, c.found ? handle : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, EditorTitleTest,
    ::testing::Values(TitleCase{"x32show", "X32 EDIT - show", 1, 1},
                      TitleCase{"lowerCase", "x32 edit", 0, 0},
                      TitleCase{"m32", "M32 EDIT 4.3", 1, 2},
                      TitleCase{"inTheMiddle", "Show file - X32 EDIT", 1, 1},
                      TitleCase{"bothNames", "X32 EDIT / M32 EDIT", 1, 2},
                      TitleCase{"cutShort", "X32 EDI", 0, 0},
                      TitleCase{"noTitle", "", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorWindowTest, LastMatchingWindowWins)
{
    addFakeWindow("X32 EDIT - first", {0, 0, 100, 100});
    addFakeWindow("Mail", {0, 0, 100, 100});
    uint64_t m32 = addFakeWindow("M32 EDIT - second", {0, 0, 100, 100});
    uint64_t x32 = addFakeWindow("X32 EDIT - third", {0, 0, 100, 100});
    searchEditorWindow();
    EXPECT_EQ(editorWindow, x32);
    EXPECT_EQ(editorKind, 1);

    closeFakeWindow(x32);
    resetEditorState();
    searchEditorWindow();
    EXPECT_EQ(editorWindow, m32);
    EXPECT_EQ(editorKind, 2);
}

TEST_F(EditorWindowTest, FoundWindowIsMeasuredAtOnce)
{
    addFakeWindow("X32 EDIT", {10, 100, 1198, 851});
    searchEditorWindow();
    EXPECT_EQ(editorOffsetX, 10);
    EXPECT_EQ(editorOffsetY, 120);
    EXPECT_EQ(editorRight, 1198);
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
    uint64_t first = addFakeWindow("X32 EDIT - show", {0, 100, 1188, 851});
    searchEditorWindow();
    ASSERT_EQ(editorFound, 1);

    closeFakeWindow(first);
    updateEditorGeometry();
    EXPECT_EQ(editorFound, 0);
    EXPECT_EQ(editorRight, 0);
    EXPECT_EQ(editorBottom, 0);
    EXPECT_NE(output.find("Editor window closed.\n"), std::string::npos);
    clickEditor(36, 22, 0);
    clickEditorPoint(216);
    EXPECT_TRUE(recordedDesktopEvents().empty());

    uint64_t second = addFakeWindow("X32 EDIT - show", {50, 100, 1238, 851});
    searchEditorWindow();
    EXPECT_EQ(editorFound, 1);
    EXPECT_EQ(editorWindow, second);
    clickEditor(36, 22, 0);
    EXPECT_EQ(recordedDesktopEvents(),
              (std::vector<DesktopEvent>{cursorMoveEvent(86, 142), leftClickEvent(86, 142)}));
}

TEST_F(EditorWindowTest, EditorClosedBetweenMeasurementsIsNotClicked)
{
    uint64_t editor = addFakeWindow("X32 EDIT - show", {0, 100, 1188, 851});
    searchEditorWindow();
    closeFakeWindow(editor);
    // A refresh on another thread clicks before the next measurement.
    clickEditor(36, 22, 0);
    EXPECT_TRUE(recordedDesktopEvents().empty());
    EXPECT_EQ(editorFound, 0);
}

TEST_F(EditorWindowTest, FailedRectReadKeepsTheLastGeometry)
{
    uint64_t editor = addFakeWindow("X32 EDIT - show", {0, 100, 1188, 851});
    searchEditorWindow();
    failFakeWindowRect(editor, true);
    moveFakeWindow(editor, {400, 300, 800, 600});
    updateEditorGeometry();
    EXPECT_EQ(editorFound, 1);
    EXPECT_EQ(editorOffsetX, 0);
    EXPECT_EQ(editorOffsetY, 120);
    EXPECT_EQ(editorPanelOffset, 1001);

    int left = -1, top = -1, right = -1, bottom = -1;
    EXPECT_FALSE(editorWindowRect(left, top, right, bottom));
    EXPECT_EQ(editorRectErrorCode(), 5);
    clickEditor(36, 22, 0);
    EXPECT_EQ(recordedDesktopEvents(),
              (std::vector<DesktopEvent>{cursorMoveEvent(36, 142), leftClickEvent(36, 142)}));
}

TEST_F(EditorWindowTest, WindowRectIsReadAgainNow)
{
    int left = 0, top = 0, right = 0, bottom = 0;
    EXPECT_FALSE(editorWindowRect(left, top, right, bottom));
    uint64_t editor = addFakeWindow("M32 EDIT", {0, 100, 1188, 851});
    searchEditorWindow();
    moveFakeWindow(editor, {20, 30, 40, 50});
    ASSERT_TRUE(editorWindowRect(left, top, right, bottom));
    EXPECT_EQ((DesktopRect{left, top, right, bottom}), (DesktopRect{20, 30, 40, 50}));
}

TEST_F(EditorWindowTest, MonitorEdgesComeFromTheMonitorHoldingMostOfTheWindow)
{
    int monitorLeft = -1, monitorBottom = -1;
    editorMonitorEdges(monitorLeft, monitorBottom);
    EXPECT_EQ(monitorLeft, 0);
    EXPECT_EQ(monitorBottom, 0);

    addFakeMonitor({0, 0, 1920, 1080});
    addFakeMonitor({1920, 0, 3840, 1200});
    uint64_t editor = addFakeWindow("X32 EDIT", {1800, 100, 2988, 851});
    searchEditorWindow();
    editorMonitorEdges(monitorLeft, monitorBottom);
    EXPECT_EQ(monitorLeft, 1920);
    EXPECT_EQ(monitorBottom, 1200);

    moveFakeWindow(editor, {-5000, 0, -4000, 700});
    editorMonitorEdges(monitorLeft, monitorBottom);
    EXPECT_EQ(monitorLeft, 0);
    EXPECT_EQ(monitorBottom, 0);
}

TEST_F(EditorWindowTest, FunctionKeyGoesToTheFocusedWindow)
{
    uint64_t editor = addFakeWindow("X32 EDIT", {0, 100, 1188, 851});
    searchEditorWindow();
    focusEditorWindow();
    sendFunctionKey(editorWindow, 3);
    sendFunctionKey(editorWindow, 0);
    sendFunctionKey(editorWindow, 9);
    EXPECT_EQ(recordedDesktopEvents(),
              (std::vector<DesktopEvent>{focusEvent(editor), focusEvent(editor),
                                         functionKeyEvent(editor, 3)}));
}

TEST_F(EditorWindowTest, NoKeyOrFocusWithoutAnEditor)
{
    uint64_t editor = addFakeWindow("X32 EDIT", {0, 100, 1188, 851});
    focusEditorWindow();
    sendFunctionKey(editorWindow, 1);
    searchEditorWindow();
    closeFakeWindow(editor);
    sendFunctionKey(editorWindow, 2);
    EXPECT_TRUE(recordedDesktopEvents().empty());
    EXPECT_EQ(editorFound, 0);
}

TEST_F(EditorWindowTest, NullDesktopNeverFindsTheEditor)
{
    addFakeWindow("X32 EDIT - show", {0, 100, 1188, 851});
    useNullDesktop();
    searchEditorWindow();
    uint64_t window = 0;
    EXPECT_EQ(editorFound, 0);
    EXPECT_FALSE(findWindowByTitle("X32", window));
}

}
