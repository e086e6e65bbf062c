#include "platform/stop_signal.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

std::atomic<bool> stopRequested{false};

namespace {
// Never destroyed: the signal thread may still be inside requestStop while
// the process exits.
std::mutex& stopMutex = *new std::mutex;
std::condition_variable& stopCondition = *new std::condition_variable;

struct Waker {
    void (*function)(void*) = nullptr;
    void* context = nullptr;
};
Waker wakers[8];
// Calls made outside the lock, so a waker may block briefly; removal waits
// for a call already running.
int runningCalls[8];
std::condition_variable& callsDone = *new std::condition_variable;
} // namespace

void requestStop()
{
    Waker copy[8];
    {
        std::lock_guard<std::mutex> lock(stopMutex);
        stopRequested = true;
        for (int i = 0; i < 8; ++i) {
            copy[i] = wakers[i];
            if (copy[i].function) ++runningCalls[i];
        }
        stopCondition.notify_all();
    }
    for (int i = 0; i < 8; ++i) {
        if (!copy[i].function) continue;
        copy[i].function(copy[i].context);
        // Notified under the lock: once removeStopWaker returns, its caller
        // may end the process, and this thread must be done with callsDone.
        std::lock_guard<std::mutex> lock(stopMutex);
        --runningCalls[i];
        callsDone.notify_all();
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
    std::unique_lock<std::mutex> lock(stopMutex);
    wakers[id] = {};
    callsDone.wait(lock, [id] { return runningCalls[id] == 0; });
}

void resetStopSignal()
{
    std::lock_guard<std::mutex> lock(stopMutex);
    stopRequested = false;
    for (int i = 0; i < 8; ++i) {
        // A call still running keeps its slot until it returns.
        if (runningCalls[i] == 0) wakers[i] = {};
        else wakers[i].function = nullptr;
    }
}
