// A stop can come from the signal watcher thread at any moment, also while
// the entry thread tears down what a stop waker touches (the bridge's
// sockets, when its run ends). Once removeStopWaker returns, the waker must
// not be running any more, or the teardown races with it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/reset_state.h"
#include "mixer/keepalive.h"
#include "mixer/mixer_send.h"
#include "platform/udp.h"
#include "platform/stop_signal.h"

namespace {

struct SlowWaker {
    std::atomic<bool> entered{false};
    std::atomic<bool> finished{false};
};

void wakeSlowly(void* context)
{
    SlowWaker* waker = static_cast<SlowWaker*>(context);
    waker->entered = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    waker->finished = true;
}

bool becomesTrue(const std::atomic<bool>& flag, int timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!flag) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(StopWakerRemoval, WaitsForTheWakerCallAlreadyRunning)
{
    resetAllState();
    SlowWaker waker;
    int id = addStopWaker(wakeSlowly, &waker);
    ASSERT_GE(id, 0);

    std::thread signalWatcher(requestStop);
    ASSERT_TRUE(becomesTrue(waker.entered, 2000));
    removeStopWaker(id);
    // The caller may now destroy what the waker uses.
    EXPECT_TRUE(waker.finished) << "removeStopWaker returned while the waker still ran";

    signalWatcher.join();
    resetAllState();
}

// The watchdog of a quiet console sleeps until the keep-alive's next pass,
// without a time limit: a pass must wake it, and so must a stop.
TEST(KeepAlivePass, WakesItsWaiterAndAStopEndsAWaitWithoutLimit)
{
    resetAllState();
    UdpSocket sender, console;
    ASSERT_TRUE(sender.open() && console.open() && console.bind(0x7F000001, 0));
    setMixerLink(&sender, UdpEndpoint{0x7F000001, console.localPort()});
    std::thread keepAlive(mixerKeepAliveLoop);
    EXPECT_GE(waitForKeepAlivePass(0, 5000), 1u) << "the first pass comes at once";
    const uint64_t seen = keepAlivePassCount();
    std::atomic<bool> returned{false};
    std::thread waiter([&] {
        waitForKeepAlivePass(seen, -1);
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // let it wait
    requestStop();
    EXPECT_TRUE(becomesTrue(returned, 2000)) << "a stop did not end the wait";
    if (!returned) std::terminate();  // a waiter that never returns cannot be joined
    waiter.join();
    keepAlive.join();
    setMixerLink(nullptr, UdpEndpoint{});
    resetAllState();
}

} // namespace
