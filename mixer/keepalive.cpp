#include "mixer/keepalive.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "mixer/mixer_send.h"
#include "platform/console_output.h"
#include "platform/stop_signal.h"

namespace {

std::mutex passMutex;
std::condition_variable passCondition;
uint64_t passCount = 0;

void notePass()
{
    std::lock_guard<std::mutex> lock(passMutex);
    ++passCount;
    passCondition.notify_all();
}

// Notified under the lock, so a waiter between its stop check and its wait
// cannot miss it.
void wakePassWaiters(void*)
{
    std::lock_guard<std::mutex> lock(passMutex);
    passCondition.notify_all();
}

} // namespace

int mixerKeepAliveLoop()
{
    if (stopRequested) return 0;
    for (;;) {
        // The first "/xremote" also gives the mixer socket its local port.
        if (!sendToMixerQuietly("/xremote", "")) consolePrint("Error sending /xemote to mixer\n");
        if (!sendToMixerQuietly("/renew", "")) consolePrint("Error sending /renew to mixer\n");
        notePass();
        if (sleepUnlessStopped(KEEPALIVE_PERIOD_MS)) return 0;
    }
}

uint64_t keepAlivePassCount()
{
    std::lock_guard<std::mutex> lock(passMutex);
    return passCount;
}

uint64_t waitForKeepAlivePass(uint64_t seenPasses, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const int waker = addStopWaker(wakePassWaiters, nullptr);
    const Clock::time_point deadline =
        timeoutMs < 0 ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock<std::mutex> lock(passMutex);
    while (passCount == seenPasses && !stopRequested && Clock::now() < deadline) {
        if (waker < 0) {
            // No waker slot left: a stop is still seen, a tenth of a second late.
            passCondition.wait_until(lock, std::min(deadline, Clock::now() + std::chrono::milliseconds(100)));
        } else if (timeoutMs < 0) {
            passCondition.wait(lock);
        } else {
            passCondition.wait_until(lock, deadline);
        }
    }
    const uint64_t passes = passCount;
    lock.unlock();
    removeStopWaker(waker);
    return passes;
}

void resetKeepAlivePasses()
{
    std::lock_guard<std::mutex> lock(passMutex);
    passCount = 0;
}

void sendMeterSubscriptions()
{
    consolePrint("sending meters command\n");
    static const char* const aliases[3] = {"/meter1", "/meter2", "/meter3"};
    static const char* const blocks[3] = {"/meters/1", "/meters/2", "/meters/3"};
    for (int i = 0; i < 3; ++i) {
        if (!sendToMixerQuietly("/batchsubscribe", "ssiii", aliases[i], blocks[i], 0, 0, 1)) {
            consolePrint("Error sending %s to mixer\n", "/batchsubscribe");
        }
    }
}
