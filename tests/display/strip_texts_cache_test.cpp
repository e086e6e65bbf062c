// The strip display message and its send cache.
#include <gtest/gtest.h>

#include <vector>

#include "app/reset_state.h"
#include "display/strip_display.h"
#include "surface/output_queue.h"
#include "strip_texts_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> takeAll()
{
    std::vector<Bytes> all;
    SurfaceMessage m;
    while (takeQueuedSurfaceMessage(m)) all.push_back(Bytes(m.data, m.data + m.length));
    return all;
}

class StripTextsCache : public ::testing::Test {
protected:
    void SetUp() override { resetAllState(); }
};

TEST_F(StripTextsCache, MessageLayout)
{
    writeStripDisplay(1, 1, 0, "Ch 1", "Kick");
    SurfaceMessage m;
    ASSERT_TRUE(takeQueuedSurfaceMessage(m));
    EXPECT_EQ(Bytes(m.data, m.data + m.length),
              (Bytes{0xF0, 0x00, 0x00, 0x66, 0x58, 0x20, 0x01, 0x43, 0x68, 0x20, 0x31,
                     0x00, 0x00, 0x00, 0x4B, 0x69, 0x63, 0x6B, 0x00, 0x00, 0x00, 0xF7}));
    EXPECT_EQ(m.waitMicros, 150);
    EXPECT_FALSE(takeQueuedSurfaceMessage(m));

    writeStripDisplay(8, 7, 1, "Console", "1234567");
    EXPECT_EQ(takeAll(), (std::vector<Bytes>{{0xF0, 0x00, 0x00, 0x66, 0x58, 0x27, 0x47, 'C', 'o',
                                              'n', 's', 'o', 'l', 'e', '1', '2', '3', '4', '5',
                                              '6', '7', 0xF7}}));
}

TEST_F(StripTextsCache, UnchangedDisplayIsNotSentAgain)
{
    writeStripDisplay(3, 2, 0, "Bus 1", "Drums");
    ASSERT_EQ(takeAll().size(), 1u);
    writeStripDisplay(3, 2, 0, "Bus 1", "Drums");
    EXPECT_TRUE(takeAll().empty());
    // Compared over the first seven characters only.
    writeStripDisplay(3, 2, 0, "Bus 1", "Drums");
    writeStripDisplay(4, 2, 0, "Long label", "x");
    ASSERT_EQ(takeAll().size(), 1u);
    writeStripDisplay(4, 2, 0, "Long labXXX", "x");
    EXPECT_TRUE(takeAll().empty());
    // Each position has its own entry.
    writeStripDisplay(2, 2, 0, "Bus 1", "Drums");
    EXPECT_EQ(takeAll().size(), 1u);
}

TEST_F(StripTextsCache, EachChangeSendsAgain)
{
    struct Change {
        const char* what;
        int colour;
        int inverted;
        const char* top;
        const char* bottom;
        int colourByte;
    };
    const Change changes[] = {
        {"first", 3, 0, "Aux 1", "Keys", 0x03},
        {"inversion alone", 3, 1, "Aux 1", "Keys", 0x43},
        {"inverted values above 1 count as set", 3, 5, "Aux 1", "Keys", -1},
        {"colour", 4, 5, "Aux 1", "Keys", 0x44},
        {"top text", 4, 5, "Aux 2", "Keys", 0x44},
        {"bottom text", 4, 5, "Aux 2", "Pad", 0x44},
        {"inversion off", 4, 0, "Aux 2", "Pad", 0x04},
    };
    for (const Change& c : changes) {
        writeStripDisplay(5, c.colour, c.inverted, c.top, c.bottom);
        auto shown = takeDisplayMessages();
        if (c.colourByte < 0) {
            EXPECT_TRUE(shown.empty()) << c.what;
            continue;
        }
        ASSERT_EQ(shown.size(), 1u) << c.what;
        EXPECT_EQ(shown[0].first, 5) << c.what;
        EXPECT_EQ(shown[0].second, (ShownDisplay{c.colourByte, c.top, c.bottom})) << c.what;
    }
}

TEST_F(StripTextsCache, StartsAsABlankDisplay)
{
    // The cache starts all zero, so a first blank display is taken as shown.
    writeStripDisplay(6, 0, 0, "", "");
    EXPECT_TRUE(takeAll().empty());
    writeStripDisplay(6, 0, 0, "x", "");
    writeStripDisplay(6, 0, 0, "", "");
    EXPECT_EQ(takeDisplays()[6], blankDisplay());
}

TEST_F(StripTextsCache, HostileArguments)
{
    writeStripDisplay(0, 1, 0, "a", "b");
    writeStripDisplay(9, 1, 0, "a", "b");
    writeStripDisplay(-3, 1, 0, "a", "b");
    EXPECT_TRUE(takeAll().empty());

    // Null texts read as empty; colours outside 0..7 as 0; bytes that would
    // break the system-exclusive message as '?'.
    writeStripDisplay(1, 1, 0, nullptr, "x");
    writeStripDisplay(2, 200, 0, "a", "b");
    writeStripDisplay(3, -1, 1, "a", "b");
    writeStripDisplay(4, 1, 0, "Caf\xC3\xA9", "\xF7");
    auto shown = takeDisplays();
    EXPECT_EQ(shown[1], (ShownDisplay{1, "", "x"}));
    EXPECT_EQ(shown[2], (ShownDisplay{0, "a", "b"}));
    EXPECT_EQ(shown[3], (ShownDisplay{0x40, "a", "b"}));
    EXPECT_EQ(shown[4], (ShownDisplay{1, "Caf??", "?"}));
}

TEST_F(StripTextsCache, DroppedMessageIsStillCached)
{
    for (int i = 0; i < SURFACE_QUEUE_CAPACITY; ++i) queueLamp(0x00, 0);
    writeStripDisplay(7, 1, 0, "x", "y");   // the queue is full: dropped
    EXPECT_TRUE(takeDisplayMessages().empty());
    writeStripDisplay(7, 1, 0, "x", "y");
    EXPECT_TRUE(takeDisplayMessages().empty());
}

TEST_F(StripTextsCache, ResetForgetsWhatWasShown)
{
    writeStripDisplay(7, 1, 0, "x", "y");
    EXPECT_EQ(takeAll().size(), 1u);
    resetStripDisplayCache();
    writeStripDisplay(7, 1, 0, "x", "y");
    EXPECT_EQ(takeAll().size(), 1u);
}

}  // namespace
