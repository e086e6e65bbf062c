#include "platform/stop_signal.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

std::atomic<bool> stopRequested{false};

namespace {
std::mutex stopMutex;
std::condition_variable stopCondition;

struct Waker {
    void (*function)(void*) = nullptr;
    void* context = nullptr;
};
Waker wakers[8];
} // namespace

void requestStop()
{
    Waker copy[8];
    {
        std::lock_guard<std::mutex> lock(stopMutex);
        stopRequested = true;
        for (int i = 0; i < 8; ++i) copy[i] = wakers[i];
    }
    stopCondition.notify_all();
    for (const Waker& w : copy) {
        if (w.function) w.function(w.context);
    }
}

bool sleepUnlessStopped(int ms)
{
    std::unique_lock<std::mutex> lock(stopMutex);
    return stopCondition.wait_for(lock, std::chrono::milliseconds(ms),
                                  [] { return stopRequested.load(); });
}

int addStopWaker(void (*waker)(void*), void* context)
{
    std::lock_guard<std::mutex> lock(stopMutex);
    for (int i = 0; i < 8; ++i) {
        if (!wakers[i].function) {
            wakers[i] = {waker, context};
            return i;
        }
    }
    return -1;
}

void removeStopWaker(int id)
{
    if (id < 0 || id >= 8) return;
    std::lock_guard<std::mutex> lock(stopMutex);
    wakers[id] = {};
}

void resetStopSignal()
{
    std::lock_guard<std::mutex> lock(stopMutex);
    stopRequested = false;
    for (Waker& w : wakers) w = {};
}
