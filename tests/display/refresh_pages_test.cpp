// The page-entry block: page lamps and editor clicks when the page changes.
#include <gtest/gtest.h>

#include <string>

#include "display/refresh_test_support.h"

namespace {

struct PageEntryCase {
    int page;
    int lampNote;
    int lampVelocity;
    std::vector<int> clicks;   // editor click entries, in order
};

const PageEntryCase pageEntryCases[] = {
    {0, 0x33, 127, {216, 150}}, {1, 0x2C, 127, {154}},  {2, 0x46, 127, {158}},
    {5, 0x49, 127, {158}},      {8, 0x3E, 127, {200}},  {15, 0x45, 127, {207}},
    {16, 0x36, 127, {208}},     {23, 0x3D, 127, {215}}, {24, 0x50, 127, {159}},
    {27, 0x53, 127, {159}},     {28, 0x28, 127, {152}}, {29, 0x2D, 1, {156}},
    {30, 0x2D, 127, {156}},     {31, 0x2B, 127, {157}}, {32, 0x2A, 127, {153}},
    {33, 0x29, 127, {155}},     {34, 0x55, 127, {217}},
};

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

class RefreshPageEntry : public testing::TestWithParam<PageEntryCase> {};

TEST_P(RefreshPageEntry, LightsOnlyThePagesOwnLampWhenEntered)
{
    const PageEntryCase& c = GetParam();
    arrangeStartedBridge();
    refreshSurface(0);   // home page shown first
    drainSurfaceQueue();
    lastShownPage = c.page == 0 ? -1 : 0;

    surfacePage = c.page;
    std::vector<Bytes> slots = refreshAndDrain();
    std::vector<Bytes> block = expectedEntryBlock(c);
    ASSERT_GT(slots.size(), block.size());
    EXPECT_EQ(std::vector<Bytes>(slots.begin(), slots.begin() + long(block.size())), block);
    EXPECT_EQ(slots[block.size()], (Bytes{0x90, 0x59, 0x00})) << "automix lamps follow the block";
    EXPECT_EQ(lastShownPage, c.page);

    // Shown again: no block.
    std::vector<Bytes> again = refreshAndDrain();
    EXPECT_TRUE(pageLampsOf(again).empty());
}

INSTANTIATE_TEST_SUITE_P(Pages, RefreshPageEntry, testing::ValuesIn(pageEntryCases),
                         [](const testing::TestParamInfo<PageEntryCase>& info) {
                             return "Page" + std::to_string(info.param.page);
                         });

class RefreshPageWithoutEntry : public testing::TestWithParam<int> {};

TEST_P(RefreshPageWithoutEntry, SendsNoBlockAndKeepsLastShownPage)
{
    arrangeStartedBridge();
    surfacePage = 28;
    refreshSurface(0);
    drainSurfaceQueue();
    ASSERT_EQ(lastShownPage, 28);

    surfacePage = GetParam();
    std::vector<Bytes> slots = refreshAndDrain();
    ASSERT_FALSE(slots.empty());
    EXPECT_EQ(slots.front(), (Bytes{0x90, 0x59, 0x00}));
    EXPECT_TRUE(pageLampsOf(slots).empty());
    EXPECT_EQ(lastShownPage, 28);

    // Back to the page last entered: its lamps are still lit, no block.
    surfacePage = 28;
    EXPECT_TRUE(pageLampsOf(refreshAndDrain()).empty());
    EXPECT_EQ(lastShownPage, 28);
}

INSTANTIATE_TEST_SUITE_P(UnusedAndOutOfRange, RefreshPageWithoutEntry, testing::Values(6, 7, 35, -1),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param < 0 ? std::string("Negative") : "Page" + std::to_string(info.param);
                         });

}  // namespace
