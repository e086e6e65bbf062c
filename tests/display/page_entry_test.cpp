// The page-entry block: page lamps and editor clicks when the page changes.
// (What each page's lamps show afterwards is compared with the console end
// to end.)
#include <gtest/gtest.h>

#include <string>

#include "display/display_test_support.h"
#include "control/page_change.h"
#include "editor/editor_clicks.h"

namespace {

// A design point of the editor's layout; panel points are measured from the
// left edge of its right-hand panel. The top-row view buttons sit at y 22.
struct DesignPoint {
    int x;
    int y;
    bool panel;
};

struct PageEntryCase {
    int page;
    int lampNote;
    int lampVelocity;
    std::vector<DesignPoint> clicks;   // in order
};

const PageEntryCase pageEntryCases[] = {
    {0, 0x33, 127, {{50, 419, true}, {36, 22, false}}},
    {1, 0x2C, 127, {{464, 22, false}}},
    {2, 0x46, 127, {{726, 22, false}}},
    {8, 0x3E, 127, {{35, 452, true}}},
    {15, 0x45, 127, {{110, 540, true}}},
    {16, 0x36, 127, {{35, 570, true}}},
    {23, 0x3D, 127, {{110, 660, true}}},
    {24, 0x50, 127, {{811, 22, false}}},
    {27, 0x53, 127, {{811, 22, false}}},
    {28, 0x28, 127, {{236, 22, false}}},
    {29, 0x2D, 1, {{546, 22, false}}},   // blinking: sends 1-8
    {30, 0x2D, 127, {{546, 22, false}}},
    {31, 0x2B, 127, {{630, 22, false}}},
    {32, 0x2A, 127, {{316, 22, false}}},
    {33, 0x29, 127, {{396, 22, false}}},
    {34, 0x55, 127, {{105, 419, true}}},
};

// Every page lamp off but the page's own: the mode lamps in their order,
// then the send-page and effects-page lamps. A page lamp among the latter is
// switched off and lit in the same refresh; the queue keeps one message per
// lamp, so it goes out once, lit, in its place.
std::vector<Bytes> expectedEntryBlock(const PageEntryCase& c)
{
    std::vector<Bytes> block;
    auto lamp = [&](int note, int velocity) { block.push_back({0x90, uint8_t(note), uint8_t(velocity)}); };
    bool ownIsMode = false;
    for (int note : {0x33, 0x2C, 0x28, 0x2D, 0x2B, 0x2A, 0x29, 0x55}) {
        lamp(note, note == c.lampNote ? c.lampVelocity : 0);
        ownIsMode = ownIsMode || note == c.lampNote;
    }
    auto other = [&](int note) { lamp(note, !ownIsMode && note == c.lampNote ? 127 : 0); };
    for (int note = 0x3E; note <= 0x45; ++note) other(note);
    for (int note = 0x36; note <= 0x3D; ++note) other(note);
    for (int i = 0; i < 4; ++i) {
        other(0x46 + i);
        other(0x50 + i);
    }
    return block;
}

// The started bridge with an editor to click, the page shown and its clicks cleared.
void startOnPage(int page)
{
    arrangeStartedBridge();
    arrangeRecordedEditor();
    surfacePage = page;
    refreshAndDrain();
    EXPECT_TRUE(waitForEditorClicks());
    clearRecordedDesktopEvents();
}

TEST(RefreshPageEntry, LightsOnlyThePagesOwnLampAndClicksItsViewWhenEntered)
{
    for (const PageEntryCase& c : pageEntryCases) {
        SCOPED_TRACE("page " + std::to_string(c.page));
        startOnPage(0);
        lastShownPage = c.page == 0 ? -1 : 0;
        surfacePage = lastShownPage.load();
        // The control that enters the page clicks the editor; the refresh
        // after it sends the entry block.
        showSurfaceChange(changeSurfacePage(c.page));
        std::vector<Bytes> slots = bytesOf(drainSurfaceQueue());
        std::vector<Bytes> block = expectedEntryBlock(c);
        ASSERT_GT(slots.size(), block.size());
        EXPECT_EQ(std::vector<Bytes>(slots.begin(), slots.begin() + long(block.size())), block);
        EXPECT_EQ(slots[block.size()], (Bytes{0x90, 0x59, 0x00})) << "automix lamps follow the block";
        EXPECT_EQ(lastShownPage, c.page);
        std::vector<DesktopEvent> clicks;
        for (const DesignPoint& p : c.clicks) {
            for (const DesktopEvent& e : clickAt(p.x + (p.panel ? 1001 : 0), p.y + 120)) clicks.push_back(e);
        }
        EXPECT_TRUE(waitForEditorClicks());
        EXPECT_EQ(recordedDesktopEvents(), clicks);

        // Entered again: no block, no click.
        EXPECT_TRUE(waitForEditorClicks());
        clearRecordedDesktopEvents();
        showSurfaceChange(changeSurfacePage(c.page));
        EXPECT_TRUE(pageLampsOf(bytesOf(drainSurfaceQueue())).empty());
        EXPECT_TRUE(waitForEditorClicks());
        EXPECT_TRUE(recordedDesktopEvents().empty());
    }
    resetAllState();
}

}  // namespace
