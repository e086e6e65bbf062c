// The family table: every strip index in exactly one family, and the OSC
// root the bridge builds from the table reaches that same strip through the
// reply dispatcher, whose prefixes are written separately.
#include "../mixer/replies_support.h"
#include "model/strip_families.h"

using namespace replytest;

namespace {

TEST(StripFamilies, TileTheStripIndexesWithoutGapsOrOverlaps)
{
    int next = 0;
    for (int f = 0; f < FAMILY_COUNT; ++f) {
        const StripFamily& family = stripFamilies[f];
        EXPECT_EQ(family.id, f);
        EXPECT_EQ(family.firstStrip, next) << family.root;
        EXPECT_GT(family.stripCount, 0) << family.root;
        EXPECT_EQ(family.numbered, family.stripCount > 1) << family.root;
        next = family.firstStrip + family.stripCount;
    }
    EXPECT_EQ(next, STRIP_COUNT);
    for (int s = -1; s <= BLANK_STRIP; ++s) {
        const StripFamily* family = stripFamilyOf(s);
        if (!isValidStrip(s)) {
            EXPECT_EQ(family, nullptr) << s;
            continue;
        }
        ASSERT_NE(family, nullptr) << s;
        EXPECT_GE(s, family->firstStrip);
        EXPECT_LT(s, family->firstStrip + family->stripCount);
    }
}

class StripFamilyRoots : public ReplyTest {};

// A root naming the wrong strip, or two strips, leaves a fader without
// its own value.
TEST_F(StripFamilyRoots, EachStripsRootReachesThatStrip)
{
    char address[64];
    for (int s = 0; s < STRIP_COUNT; ++s) {
        int length = formatStripRoot(address, sizeof address, s);
        ASSERT_GT(length, 0) << s;
        std::strcat(address, isDca(s) ? "/fader" : "/mix/fader");
        deliver(address, "f", 0.25 + s / 256.0);
    }
    for (int s = 0; s < STRIP_COUNT; ++s) EXPECT_DOUBLE_EQ(strips[s].fader, 0.25 + s / 256.0) << s;
}

} // namespace
