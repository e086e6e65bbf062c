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
    // A press needs the window read right before it, and still where the
    // geometry came from: none is made blind or at a place it has left.
    EXPECT_EQ(clickEditor(36, 22, 0), ClickResult::Moved);
    failFakeWindowRect(editor, false);
    EXPECT_EQ(clickEditor(36, 22, 0), ClickResult::Owed);
    EXPECT_TRUE(recordedDesktopEvents().empty());
    moveFakeWindow(editor, {0, 100, 1188, 851});
    updateEditorGeometry();
    EXPECT_EQ(clickEditor(36, 22, 0), ClickResult::Made);
    EXPECT_EQ(recordedDesktopEvents(), clickEvents({{36, 142}}));
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
