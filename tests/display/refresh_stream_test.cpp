// The order and bytes of everything one refresh puts on the wire.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "display/display_test_support.h"
#include "editor/editor_clicks.h"

namespace {

void arrangeHomePageExample()
{
    arrangeStartedBridge();
    for (int s = 0; s < STRIP_COUNT; ++s) {
        strips[s].fader = 0.75;
        strips[s].pan = 0.5;
    }
    std::strcpy(strips[0].name, "Kick");
    strips[0].color = 1;
}

// The non-display part of the first refresh on the home page after start-up.
std::vector<QueuedSlot> expectedHomePageStream()
{
    std::vector<QueuedSlot> out;
    auto lamp = [&](int note, int velocity) {
        out.push_back({{0x90, uint8_t(note), uint8_t(velocity)}, 150});
    };
    for (int note : {0x33, 0x2C, 0x28, 0x2D, 0x2B, 0x2A, 0x29, 0x55}) lamp(note, note == 0x33 ? 0x7F : 0);
    for (int note = 0x3E; note <= 0x45; ++note) lamp(note, 0);
    for (int note = 0x36; note <= 0x3D; ++note) lamp(note, 0);
    for (int note : {0x46, 0x50, 0x47, 0x51, 0x48, 0x52, 0x49, 0x53}) lamp(note, 0);
    lamp(0x59, 0);
    lamp(0x5A, 0);
    for (int note = 0x4A; note <= 0x4F; ++note) lamp(note, 0);
    lamp(0x18, 0x7F);
    for (int note = 0x19; note <= 0x1F; ++note) lamp(note, 0);
    for (int fader = 0; fader < 9; ++fader) out.push_back({{uint8_t(0xE0 + fader), 0x9D, 0x5F}, 10});
    for (int i = 0; i < 8; ++i) {
        lamp(0x08 + i, 0);
        out.push_back({{0xB0, uint8_t(0x30 + i), 0x40, 0xB0, uint8_t(0x38 + i), 0x00}, 150});
    }
    for (int note = 0; note <= 7; ++note) lamp(note, 0);
    out.push_back({{0x90, 0x10, 0, 0x11, 0, 0x12, 0, 0x13, 0, 0x14, 0, 0x15, 0, 0x16, 0, 0x17, 0}, 150});
    lamp(0x73, 0);
    lamp(0x54, 0);
    lamp(0x56, 0);
    return out;
}

TEST(RefreshStream, FirstRefreshOnHomePageSendsTheWholeSurfaceInOrder)
{
    arrangeHomePageExample();
    arrangeRecordedEditor();
    refreshSurface(0);

    // The mixing panel button, then the mixing view button.
    std::vector<DesktopEvent> clicks = clickAt(1051, 539);
    for (const DesktopEvent& e : clickAt(36, 142)) clicks.push_back(e);
    waitForEditorClicks();
    EXPECT_EQ(recordedDesktopEvents(), clicks);

    std::vector<QueuedSlot> got = drainSurfaceQueue();
    std::vector<QueuedSlot> want = expectedHomePageStream();

    ASSERT_GE(got.size(), want.size());
    for (size_t k = 0; k < want.size(); ++k) {
        EXPECT_EQ(got[k].bytes, want[k].bytes) << "slot " << k;
        EXPECT_EQ(got[k].wait, want[k].wait) << "slot " << k;
    }
    EXPECT_EQ(lastShownPage, 0);

    // Then the strip displays, the first naming strip 0 over its name.
    ASSERT_GT(got.size(), want.size());
    const Bytes firstDisplay = {0xF0, 0x00, 0x00, 0x66, 0x58, 0x20, 0x01, 0x43, 0x68, 0x20, 0x31,
                                0x00, 0x00, 0x00, 0x4B, 0x69, 0x63, 0x6B, 0x00, 0x00, 0x00, 0xF7};
    EXPECT_EQ(got[want.size()].bytes, firstDisplay);
    for (size_t k = want.size(); k < got.size(); ++k) {
        EXPECT_EQ(got[k].bytes.size(), 22u) << "slot " << k;
        EXPECT_EQ(got[k].bytes[0], 0xF0) << "slot " << k;
    }
    resetAllState();
}

TEST(RefreshStream, RepeatRefreshSendsOnlyWhatChanged)
{
    arrangeHomePageExample();
    refreshSurface(0);
    drainSurfaceQueue(false);
    refreshSurface(0);
    EXPECT_TRUE(drainSurfaceQueue(false).empty()) << "nothing changed";

    // One mute changed: the batch goes whole, as one message for all positions.
    strips[5].mute = 1;
    refreshSurface(0);
    std::vector<Bytes> again = bytesOf(drainSurfaceQueue(false));
    ASSERT_EQ(again.size(), 1u);
    ASSERT_EQ(again[0].size(), 17u);
    EXPECT_EQ(again[0][12], 0x7F);
    strips[5].mute = 0;

    strips[2].fader = 0.5;
    strips[3].mute = 1;
    std::vector<Bytes> changed = refreshAndDrain();
    EXPECT_EQ(fadersOf(changed), (std::vector<std::pair<int, int>>{{3, 16318}}));
    EXPECT_EQ(muteBatchOf(changed)[8], 0x7F);

    // After the periodic repair everything but the page-entry block, the
    // rings and the unchanged displays is sent again.
    std::vector<Bytes> repaired = refreshAndDrain();
    EXPECT_TRUE(pageLampsOf(repaired).empty());
    for (const Bytes& b : repaired) {
        EXPECT_FALSE(isRing(b));
        EXPECT_NE(b[0], 0xF0) << "unchanged display sent again";
    }
    EXPECT_EQ(fadersOf(repaired).size(), 9u);
    EXPECT_EQ(lampsBetween(repaired, 0x00, 0x07).size(), 8u);
}

TEST(RefreshStream, DisabledRefreshSendsNothingAndKeepsThePageBlockPending)
{
    arrangeHomePageExample();
    for (int disabled : {0, -1}) {
        surfaceRefreshEnabled = disabled;
        EXPECT_TRUE(refreshAndDrain().empty()) << disabled;
        EXPECT_EQ(lastShownPage, -1);
    }
    surfaceRefreshEnabled = 1;
    std::vector<Bytes> slots = refreshAndDrain();
    ASSERT_FALSE(slots.empty());
    EXPECT_EQ(slots.front(), (Bytes{0x90, 0x33, 0x7F}));
}

TEST(RefreshStream, MuteLampsGoOutAsOneRunningStatusBatchOfTheStripsShown)
{
    arrangeStartedBridge();
    bankStrips[2] = BLANK_STRIP;
    bankStrips[6] = BLANK_STRIP;
    strips[1].mute = 1;
    strips[7].mute = 1;
    strips[2].mute = 1;   // not shown: no pair for it

    std::vector<Bytes> slots = refreshAndDrain();
    EXPECT_EQ(muteBatchOf(slots),
              (Bytes{0x90, 0x10, 0, 0x11, 0x7F, 0x13, 0, 0x14, 0, 0x15, 0, 0x17, 0x7F}));
    // Blank positions turn their mute lamp off one by one instead.
    std::vector<Lamp> muteLamps = lampsBetween(slots, 0x10, 0x17);
    EXPECT_EQ(muteLamps, (std::vector<Lamp>{{0x12, 0}, {0x16, 0}}));
    // No strip shown: the bare batch status.
    for (int& s : bankStrips) s = BLANK_STRIP;
    EXPECT_EQ(muteBatchOf(refreshAndDrain()), (Bytes{0x90}));
}

TEST(RefreshStream, WholeRedrawRepeatsTheFirstRefreshWithoutClickingTheEditor)
{
    arrangeHomePageExample();
    arrangeRecordedEditor();
    refreshSurface(0);
    const std::vector<QueuedSlot> first = drainSurfaceQueue(false);
    refreshSurface(0);
    ASSERT_TRUE(drainSurfaceQueue(false).empty());
    waitForEditorClicks();
    clearRecordedDesktopEvents();

    redrawWholeSurface();
    const std::vector<QueuedSlot> redrawn = drainSurfaceQueue(false);
    ASSERT_EQ(redrawn.size(), first.size());
    for (size_t k = 0; k < first.size(); ++k) {
        EXPECT_EQ(redrawn[k].bytes, first[k].bytes) << "slot " << k;
        EXPECT_EQ(redrawn[k].wait, first[k].wait) << "slot " << k;
    }
    waitForEditorClicks();
    EXPECT_TRUE(recordedDesktopEvents().empty());
    resetAllState();
}

// A refresh asked for while another thread's runs is merged into it, never
// lost: the last fader message always carries the last value written.
TEST(RefreshStream, RefreshesFromTwoThreadsNeverLoseTheLastChange)
{
    arrangeHomePageExample();
    refreshSurface(0);
    drainSurfaceQueue(false);
    for (int round = 0; round < 20; ++round) {
        std::atomic<bool> done{false};
        std::atomic<int> passes{0};
        std::thread other([&] {
            while (!done) {
                refreshSurface(0);
                ++passes;
            }
        });
        while (passes < 10) std::this_thread::yield();
        const int steps = 1000;
        for (int k = 1; k <= steps; ++k) {
            strips[2].fader = (round % 2 ? k : steps - k) / double(steps);
            refreshSurface(0);
        }
        done = true;
        other.join();
        const std::vector<QueuedSlot> slots = drainSurfaceQueue(false);
        int last = -1;
        for (const QueuedSlot& slot : slots) {
            if (slot.bytes.size() == 3 && slot.bytes[0] == 0xE2) last = slot.bytes[1] | (slot.bytes[2] << 8);
        }
        ASSERT_EQ(last, round % 2 ? 32636 : 0) << "round " << round;
    }
    resetAllState();
}

}  // namespace
