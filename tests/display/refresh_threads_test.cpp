// Refreshes from several threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "display/display_test_support.h"

namespace {

// A refresh asked for while another thread's runs is merged into it, never
// lost: the last fader message always carries the last value written.
TEST(RefreshStream, RefreshesFromTwoThreadsNeverLoseTheLastChange)
{
    arrangeStartedBridge();
    strips[2].fader = 0.75;
    refreshSurface();
    drainSurfaceQueue(false);
    for (int round = 0; round < 20; ++round) {
        std::atomic<bool> done{false};
        std::atomic<int> passes{0};
        std::thread other([&] {
            while (!done) {
                refreshSurface();
                ++passes;
            }
        });
        while (passes < 10) std::this_thread::yield();
        const int steps = 1000;
        for (int k = 1; k <= steps; ++k) {
            strips[2].fader = (round % 2 ? k : steps - k) / double(steps);
            refreshSurface();
        }
        done = true;
        other.join();
        const std::vector<QueuedSlot> slots = drainSurfaceQueue(false);
        int last = -1;
        for (const QueuedSlot& slot : slots) {
            if (slot.bytes.size() == 3 && slot.bytes[0] == 0xE2) last = slot.bytes[1] | (slot.bytes[2] << 7);
        }
        ASSERT_EQ(last, round % 2 ? 16383 : 0) << "round " << round;
    }
    resetAllState();
}

}  // namespace
