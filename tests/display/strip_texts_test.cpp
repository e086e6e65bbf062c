// Strip display messages from hostile arguments, and the displays of a
// locked console. (What every page shows is compared with the console end
// to end.)
#include <gtest/gtest.h>

#include <map>

#include "display/display_test_support.h"
#include "display/mixer_gone.h"

namespace {

class StripTextsMixing : public ::testing::Test {
protected:
    void SetUp() override { arrangeStartedBridge(); }

    std::map<int, ShownDisplay> show(int page, int selected = 0)
    {
        surfacePage = page;
        selectedStrip = selected;
        return refreshFromPrefilled();
    }
};

TEST_F(StripTextsMixing, HostileArguments)
{
    for (int position : {0, 9, -3}) writeStripDisplay(position, 1, 0, "a", "b");
    EXPECT_TRUE(drainSurfaceQueue().empty());

    // Null texts read as empty; colours outside 0..7 as 0; bytes that would
    // break the system-exclusive message as '?'.
    writeStripDisplay(1, 1, 0, nullptr, "x");
    writeStripDisplay(2, 200, 0, "a", "b");
    writeStripDisplay(3, -1, 1, "a", "b");
    writeStripDisplay(4, 1, 0, "Caf\xC3\xA9", "\xF7");
    EXPECT_EQ(takeDisplays(), (std::map<int, ShownDisplay>{{1, {1, "", "x"}}, {2, {0, "a", "b"}},
                                                            {3, {0x40, "a", "b"}}, {4, {1, "Caf??", "?"}}}));
}

TEST_F(StripTextsMixing, LockedConsoleOnEveryKindOfPage)
{
    consoleLock = 1;
    std::map<int, ShownDisplay> expected = {{1, label("Console", "")}, {2, label(" Locked", "")}, {3, {0, " ", ""}}};
    for (int position = 4; position <= 8; ++position) expected[position] = blankDisplay();
    for (int page : {0, 1, 2, 28}) EXPECT_EQ(show(page), expected) << "page " << page;
}

// While the console is silent the displays hold its message: no refresh
// (the heartbeat's every 4 s among them) draws the strips over it.
TEST_F(StripTextsMixing, ASilentConsolesMessageHoldsThroughRefreshesUntilItAnswers)
{
    showMixerGone("10.0.0.5:10023");
    EXPECT_EQ(takeDisplays()[1], (ShownDisplay{1, "Mixer", "not"}));
    for (int page : {0, 1, 28}) EXPECT_EQ(show(page)[1], (ShownDisplay{1, "Mixer", "not"})) << "page " << page;
    clearMixerGone();
    EXPECT_EQ(show(0)[1].top, "Ch 1");
}

}  // namespace
