// Strip displays of the mixing, send-fader and send-encoder pages, and of a
// locked console.
#include <gtest/gtest.h>

#include <algorithm>

#include "strip_texts_support.h"

namespace {

class StripTextsMixing : public ::testing::Test {
protected:
    void SetUp() override { startStripTextsTest(); }

    std::map<int, ShownDisplay> show(int page, int selected = 0)
    {
        surfacePage = page;
        selectedStrip = selected;
        return refreshFromPrefilled();
    }
};

TEST_F(StripTextsMixing, NameDisplaysOfEveryFamilyOnTheBankPages)
{
    const int layout[8] = {0, 33, 41, 49, 65, 70, 72, BLANK_STRIP};
    std::copy(std::begin(layout), std::end(layout), bankStrips);
    nameStrip(0, "Kick", 1);
    nameStrip(33, "Keys", 2, 1);
    nameStrip(41, "Verb", 3);
    nameStrip(49, "Drums", 4);
    nameStrip(65, "Zone A", 5);
    nameStrip(70, "Main", 7);
    nameStrip(72, "Vox", 6, 1);
    const std::map<int, ShownDisplay> expected = {
        {1, {0x01, "Ch 1", "Kick"}},      {2, {0x42, "Aux 2", "Keys"}}, {3, {0x03, "Fx rt 2", "Verb"}},
        {4, {0x04, "Bus 2", "Drums"}},    {5, {0x05, "Mtrix 2", "Zone A"}}, {6, {0x07, "LR", "Main"}},
        {7, {0x46, "DCA 1", "Vox"}},      {8, blankDisplay()},
    };
    for (int page : {0, 8, 23, 34}) {
        resetStripDisplayCache();
        EXPECT_EQ(show(page), expected) << "page " << page;
    }
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
