// The page-entry block: page lamps and editor clicks when the page changes.
#include <gtest/gtest.h>

#include <string>

#include "display/refresh_test_support.h"

namespace {

// A design point of the editor's layout; panel points are measured from the
// left edge of its right-hand panel.
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

const DesignPoint VIEW_MIXING{36, 22, false};
const DesignPoint VIEW_EQUALISER{464, 22, false};
const DesignPoint VIEW_EFFECTS_1_4{726, 22, false};
const DesignPoint VIEW_EFFECTS_5_8{811, 22, false};
const DesignPoint VIEW_PREAMP{236, 22, false};
const DesignPoint VIEW_SENDS{546, 22, false};
const DesignPoint VIEW_ASSIGNMENT{630, 22, false};
const DesignPoint VIEW_GATE{316, 22, false};
const DesignPoint VIEW_DYNAMICS{396, 22, false};

const PageEntryCase pageEntryCases[] = {
    {0, 0x33, 127, {{50, 419, true}, VIEW_MIXING}},
    {1, 0x2C, 127, {VIEW_EQUALISER}},
    {2, 0x46, 127, {VIEW_EFFECTS_1_4}},
    {5, 0x49, 127, {VIEW_EFFECTS_1_4}},
    {8, 0x3E, 127, {{35, 452, true}}},
    {9, 0x3F, 127, {{110, 452, true}}},
    {15, 0x45, 127, {{110, 540, true}}},
    {16, 0x36, 127, {{35, 570, true}}},
    {20, 0x3A, 127, {{35, 636, true}}},
    {23, 0x3D, 127, {{110, 660, true}}},
    {24, 0x50, 127, {VIEW_EFFECTS_5_8}},
    {27, 0x53, 127, {VIEW_EFFECTS_5_8}},
    {28, 0x28, 127, {VIEW_PREAMP}},
    {29, 0x2D, 1, {VIEW_SENDS}},
    {30, 0x2D, 127, {VIEW_SENDS}},
    {31, 0x2B, 127, {VIEW_ASSIGNMENT}},
    {32, 0x2A, 127, {VIEW_GATE}},
    {33, 0x29, 127, {VIEW_DYNAMICS}},
    {34, 0x55, 127, {{105, 419, true}}},
};

std::vector<DesktopEvent> expectedClicks(const PageEntryCase& c)
{
    std::vector<DesktopEvent> events;
    for (const DesignPoint& p : c.clicks) {
        std::vector<DesktopEvent> click = clickAt(p.x + (p.panel ? 1001 : 0), p.y + 120);
        events.insert(events.end(), click.begin(), click.end());
    }
    return events;
}

const int MODE_LAMP_ORDER[8] = {0x33, 0x2C, 0x28, 0x2D, 0x2B, 0x2A, 0x29, 0x55};

std::vector<Bytes> expectedEntryBlock(const PageEntryCase& c)
{
    std::vector<Bytes> block;
    auto lamp = [&](int note, int velocity) { block.push_back({0x90, uint8_t(note), uint8_t(velocity)}); };
    bool ownIsMode = false;
    for (int note : MODE_LAMP_ORDER) {
        lamp(note, note == c.lampNote ? c.lampVelocity : 0);
        ownIsMode = ownIsMode || note == c.lampNote;
    }
    for (int note = 0x3E; note <= 0x45; ++note) lamp(note, 0);
    for (int note = 0x36; note <= 0x3D; ++note) lamp(note, 0);
    for (int i = 0; i < 4; ++i) {
        lamp(0x46 + i, 0);
        lamp(0x50 + i, 0);
    }
    if (!ownIsMode) lamp(c.lampNote, 127);
    return block;
}

void PrintTo(const PageEntryCase& c, std::ostream* os) { *os << "page " << c.page; }

class RefreshPageEntry : public testing::TestWithParam<PageEntryCase> {};

TEST_P(RefreshPageEntry, LightsOnlyThePagesOwnLampAndClicksItsViewWhenEntered)
{
    const PageEntryCase& c = GetParam();
    arrangeStartedBridge();
    arrangeRecordedEditor();
    refreshSurface(0);   // home page shown first
    drainSurfaceQueue();
    clearRecordedDesktopEvents();
    lastShownPage = c.page == 0 ? -1 : 0;

    surfacePage = c.page;
    std::vector<Bytes> slots = refreshAndDrain();
    std::vector<Bytes> block = expectedEntryBlock(c);
    ASSERT_GT(slots.size(), block.size());
    EXPECT_EQ(std::vector<Bytes>(slots.begin(), slots.begin() + long(block.size())), block);
    EXPECT_EQ(slots[block.size()], (Bytes{0x90, 0x59, 0x00})) << "automix lamps follow the block";
    EXPECT_EQ(lastShownPage, c.page);
    EXPECT_EQ(recordedDesktopEvents(), expectedClicks(c));

    // Shown again: no block, no click.
    clearRecordedDesktopEvents();
    std::vector<Bytes> again = refreshAndDrain();
    EXPECT_TRUE(pageLampsOf(again).empty());
    EXPECT_TRUE(recordedDesktopEvents().empty());
    resetAllState();
}

INSTANTIATE_TEST_SUITE_P(Pages, RefreshPageEntry, testing::ValuesIn(pageEntryCases),
                         [](const testing::TestParamInfo<PageEntryCase>& info) {
                             return "Page" + std::to_string(info.param.page);
                         });

class RefreshPageWithoutEntry : public testing::TestWithParam<int> {};

TEST_P(RefreshPageWithoutEntry, SendsNoBlockAndKeepsLastShownPage)
{
    arrangeStartedBridge();
    arrangeRecordedEditor();
    surfacePage = 28;
    refreshSurface(0);
    drainSurfaceQueue();
    ASSERT_EQ(lastShownPage, 28);
    clearRecordedDesktopEvents();

    surfacePage = GetParam();
    std::vector<Bytes> slots = refreshAndDrain();
    ASSERT_FALSE(slots.empty());
    EXPECT_EQ(slots.front(), (Bytes{0x90, 0x59, 0x00}));
    EXPECT_TRUE(pageLampsOf(slots).empty());
    EXPECT_EQ(lastShownPage, 28);
    EXPECT_TRUE(recordedDesktopEvents().empty());

    // Back to the page last entered: its lamps are still lit, no block.
    surfacePage = 28;
    EXPECT_TRUE(pageLampsOf(refreshAndDrain()).empty());
    EXPECT_EQ(lastShownPage, 28);
    EXPECT_TRUE(recordedDesktopEvents().empty());
    resetAllState();
}

INSTANTIATE_TEST_SUITE_P(UnusedAndOutOfRange, RefreshPageWithoutEntry, testing::Values(6, 7, 35, -1),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param < 0 ? std::string("Negative") : "Page" + std::to_string(info.param);
                         });

}  // namespace
