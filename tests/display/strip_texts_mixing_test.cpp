// Strip displays of the mixing, send-fader and send-encoder pages, and of a
// locked console.
#include <gtest/gtest.h>

#include "strip_texts_support.h"

namespace {

class StripTextsMixing : public ::testing::Test {
protected:
    void SetUp() override { startStripTextsTest(); }
};

TEST_F(StripTextsMixing, FirstStripOfTheFirstRefresh)
{
    nameStrip(0, "Kick", 1);
    refreshStripDisplays();
    SurfaceMessage m;
    ASSERT_TRUE(takeQueuedSurfaceMessage(m));
    EXPECT_EQ(std::vector<uint8_t>(m.data, m.data + m.length),
              (std::vector<uint8_t>{0xF0, 0x00, 0x00, 0x66, 0x58, 0x20, 0x01, 0x43, 0x68, 0x20, 0x31,
                                    0x00, 0x00, 0x00, 0x4B, 0x69, 0x63, 0x6B, 0x00, 0x00, 0x00, 0xF7}));
}

TEST_F(StripTextsMixing, NameDisplaysOfEveryFamily)
{
    const int layout[8] = {0, 33, 41, 49, 65, 70, 72, BLANK_STRIP};
    for (int i = 0; i < 8; ++i) bankStrips[i] = layout[i];
    nameStrip(0, "Kick", 1);
    nameStrip(33, "Keys", 2, 1);
    nameStrip(41, "Verb", 3);
    nameStrip(49, "Drums", 4);
    nameStrip(65, "Zone A", 5);
    nameStrip(70, "Main", 7);
    nameStrip(72, "Vox", 6, 1);
    const std::map<int, ShownDisplay> expected = {
        {1, {0x01, "Ch 1", "Kick"}},    {2, {0x42, "Aux 2", "Keys"}},
        {3, {0x03, "Fx rt 2", "Verb"}}, {4, {0x04, "Bus 2", "Drums"}},
        {5, {0x05, "Mtrix 2", "Zone A"}}, {6, {0x07, "LR", "Main"}},
        {7, {0x46, "DCA 1", "Vox"}},    {8, blankDisplay()},
    };
    for (int page : {0, 8, 15, 23, 34}) {
        surfacePage = page;
        resetStripDisplayCache();
        EXPECT_EQ(refreshFromPrefilled(), expected) << "page " << page;
    }
}

TEST_F(StripTextsMixing, LockedConsole)
{
    consoleLock = 1;
    for (int page : {0, 1, 2, 28, 33}) {
        surfacePage = page;
        std::map<int, ShownDisplay> expected = {
            {1, label("Console", "")}, {2, label(" Locked", "")}, {3, {0, " ", ""}}};
        for (int position = 4; position <= 8; ++position) expected[position] = blankDisplay();
        EXPECT_EQ(refreshFromPrefilled(), expected) << "page " << page;
    }
}

TEST_F(StripTextsMixing, SendsOfAnInputToBuses)
{
    StripRecord& s = strips[3];
    selectedStrip = 3;
    s.sends[1].level = 0.75;
    s.sends[8].level = 1.0;
    s.sends[9].level = 0.5;
    s.sends[16].level = 0.25;
    nameStrip(48, "Mon 1", 2);
    nameStrip(63, "FX 16", 4, 1);

    surfacePage = 29;
    auto shown = refreshFromPrefilled();
    EXPECT_EQ(shown[1], (ShownDisplay{2, "Bus 1", " +0.0"}));
    EXPECT_EQ(shown[2], (ShownDisplay{0, "Bus 2", "-oo"}));
    EXPECT_EQ(shown[8], (ShownDisplay{0, "Bus 8", "+10.0"}));
    EXPECT_EQ(shown.size(), 8u);

    surfacePage = 30;
    shown = refreshFromPrefilled();
    EXPECT_EQ(shown[1], (ShownDisplay{0, "Bus 9", "-10.0"}));
    EXPECT_EQ(shown[8], (ShownDisplay{0x44, "Bus 16", "-30.0"}));
    EXPECT_EQ(shown.size(), 8u);
}

TEST_F(StripTextsMixing, MatrixSendsOfBusesAndMains)
{
    nameStrip(64, "Fill", 3);
    for (int s : {48, 63, 70, 71}) {
        strips[s].sends[1].level = 0.5;
        strips[s].sends[6].level = 0.75;
        selectedStrip = s;
        for (int page : {29, 30}) {
            surfacePage = page;
            auto shown = refreshFromPrefilled();
            EXPECT_EQ(shown[1], (ShownDisplay{3, "Mtrix 1", "-10.0"})) << s << " " << page;
            EXPECT_EQ(shown[5], (ShownDisplay{0, "Mtrix 5", "-oo"})) << s << " " << page;
            EXPECT_EQ(shown[6], (ShownDisplay{0, "Mtrix 6", " +0.0"})) << s << " " << page;
            EXPECT_EQ(shown[7], blankDisplay()) << s << " " << page;
            EXPECT_EQ(shown[8], blankDisplay()) << s << " " << page;
        }
    }
}

TEST_F(StripTextsMixing, MatricesAndDcasHaveNoSends)
{
    for (int s : {64, 69, 72, 79, BLANK_STRIP, -1}) {
        selectedStrip = s;
        surfacePage = 29;
        auto shown = refreshFromPrefilled();
        ASSERT_EQ(shown.size(), 8u) << s;
        for (const auto& [position, display] : shown) EXPECT_EQ(display, blankDisplay()) << s;
    }
}

TEST_F(StripTextsMixing, UnusedPagesWriteNothing)
{
    for (int page : {6, 7, 35, -1}) {
        surfacePage = page;
        EXPECT_TRUE(refreshFromPrefilled().empty()) << page;
    }
}

}  // namespace
