// The strip display message and its send cache; the strip displays of the
// send pages and of a locked console. (Names, labels and colours of every
// strip on the home page are compared with the console end to end.)
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "display/display_test_support.h"

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

std::vector<Bytes> takeAll() { return bytesOf(drainSurfaceQueue()); }

TEST_F(StripTextsMixing, MessageLayout)
{
    writeStripDisplay(1, 1, 0, "Ch 1", "Kick");
    writeStripDisplay(8, 7, 1, "Console", "1234567");
    EXPECT_EQ(takeAll(), (std::vector<Bytes>{
                             {0xF0, 0x00, 0x00, 0x66, 0x58, 0x20, 0x01, 'C', 'h', ' ', '1', 0, 0, 0,
                              'K', 'i', 'c', 'k', 0, 0, 0, 0xF7},
                             {0xF0, 0x00, 0x00, 0x66, 0x58, 0x27, 0x47, 'C', 'o', 'n', 's', 'o', 'l', 'e',
                              '1', '2', '3', '4', '5', '6', '7', 0xF7}}));
}

TEST_F(StripTextsMixing, UnchangedDisplayIsNotSentAgainUntilReset)
{
    writeStripDisplay(3, 2, 0, "Bus 1", "Drums");
    writeStripDisplay(4, 2, 0, "Long label", "x");
    ASSERT_EQ(takeAll().size(), 2u);
    writeStripDisplay(3, 2, 0, "Bus 1", "Drums");
    writeStripDisplay(4, 2, 0, "Long labXXX", "x");   // compared over seven characters
    EXPECT_TRUE(takeAll().empty());
    writeStripDisplay(2, 2, 0, "Bus 1", "Drums");       // each position has its own entry
    EXPECT_EQ(takeAll().size(), 1u);
    resetStripDisplayCache();
    writeStripDisplay(3, 2, 0, "Bus 1", "Drums");
    EXPECT_EQ(takeAll().size(), 1u);
}

TEST_F(StripTextsMixing, EachChangeSendsAgain)
{
    const struct {
        const char* what;
        int colour, inverted;
        const char *top, *bottom;
        int colourByte;   // -1: nothing sent
    } changes[] = {
        {"first", 3, 0, "Aux 1", "Keys", 0x03},
        {"inversion alone", 3, 1, "Aux 1", "Keys", 0x43},
        {"inverted values above 1 count as set", 3, 5, "Aux 1", "Keys", -1},
        {"colour", 4, 5, "Aux 1", "Keys", 0x44},
        {"top text", 4, 5, "Aux 2", "Keys", 0x44},
        {"bottom text", 4, 5, "Aux 2", "Pad", 0x44},
        {"inversion off", 4, 0, "Aux 2", "Pad", 0x04},
    };
    for (const auto& c : changes) {
        writeStripDisplay(5, c.colour, c.inverted, c.top, c.bottom);
        auto shown = takeDisplayMessages();
        if (c.colourByte < 0) {
            EXPECT_TRUE(shown.empty()) << c.what;
            continue;
        }
        ASSERT_EQ(shown.size(), 1u) << c.what;
        EXPECT_EQ(shown[0], (std::pair<int, ShownDisplay>{5, {c.colourByte, c.top, c.bottom}})) << c.what;
    }
}

TEST_F(StripTextsMixing, StartsAsABlankDisplayAndAWaitingOneTakesTheNewestText)
{
    writeStripDisplay(6, 0, 0, "", "");   // the surface starts blank
    EXPECT_TRUE(takeAll().empty());
    writeStripDisplay(7, 1, 0, "x", "y");
    writeStripDisplay(7, 2, 1, "z", "w");   // replaces the one still waiting
    auto shown = takeDisplayMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], (std::pair<int, ShownDisplay>{7, {0x42, "z", "w"}}));
    writeStripDisplay(7, 2, 1, "z", "w");
    EXPECT_TRUE(takeDisplayMessages().empty());
}

TEST_F(StripTextsMixing, HostileArguments)
{
    for (int position : {0, 9, -3}) writeStripDisplay(position, 1, 0, "a", "b");
    EXPECT_TRUE(takeAll().empty());

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

TEST_F(StripTextsMixing, SendsOfTheLastEffectsReturnToBuses)
{
    StripRecord& s = strips[47];
    s.sends[1].level = 0.75;
    s.sends[8].level = 1.0;
    s.sends[9].level = 0.5;
    s.sends[16].level = 0.25;
    nameStrip(48, "Mon 1", 2);
    nameStrip(63, "FX 16", 4, 1);

    auto shown = show(29, 47);
    EXPECT_EQ(shown.size(), 8u);
    EXPECT_EQ(shown[1], (ShownDisplay{2, "Bus 1", " +0.0"}));
    EXPECT_EQ(shown[2], (ShownDisplay{0, "Bus 2", "-oo"}));
    EXPECT_EQ(shown[8], (ShownDisplay{0, "Bus 8", "+10.0"}));
    shown = show(30, 47);
    EXPECT_EQ(shown.size(), 8u);
    EXPECT_EQ(shown[1], (ShownDisplay{0, "Bus 9", "-10.0"}));
    EXPECT_EQ(shown[8], (ShownDisplay{0x44, "Bus 16", "-30.0"}));
}

TEST_F(StripTextsMixing, MatrixSendsOfBusesAndMainsOnBothPages)
{
    nameStrip(64, "Fill", 3);
    const std::map<int, ShownDisplay> expected = {{1, {3, "Mtrix 1", "-10.0"}}, {5, {0, "Mtrix 5", "-oo"}},
                                                  {6, {0, "Mtrix 6", " +0.0"}}, {7, blankDisplay()},
                                                  {8, blankDisplay()}};
    for (int s : {48, 63, 70, 71}) {
        strips[s].sends[1].level = 0.5;
        strips[s].sends[6].level = 0.75;
        for (int page : {29, 30}) {
            auto shown = show(page, s);
            for (int position : {2, 3, 4}) shown.erase(position);
            EXPECT_EQ(shown, expected) << s << " " << page;
        }
    }
}

TEST_F(StripTextsMixing, MatricesDcasAndBadSelectionsHaveNoSends)
{
    for (int s : {64, 69, 72, 79, BLANK_STRIP, -1}) {
        auto shown = show(29, s);
        ASSERT_EQ(shown.size(), 8u) << s;
        for (const auto& [position, display] : shown) EXPECT_EQ(display, blankDisplay()) << s;
    }
}

TEST_F(StripTextsMixing, UnusedPagesWriteNothing)
{
    for (int page : {6, 7, 35, -1}) EXPECT_TRUE(show(page).empty()) << page;
}

}  // namespace
