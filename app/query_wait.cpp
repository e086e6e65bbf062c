#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "app/query_sweep.h"
#include "mixer/mixer_send.h"
#include "mixer/reply_dispatch.h"
#include "model/console_model.h"
#include "platform/clock.h"
#include "platform/console_output.h"
#include "platform/stop_signal.h"
#include "platform/udp.h"

namespace {

constexpr int ADDRESS_SIZE = 64;
constexpr int RETRIES = 3;
constexpr int SILENT_RETRY_MS = 1000;

struct PendingQuery {
    char address[ADDRESS_SIZE];
    int64_t deadline;   // steady ms
    int retries;
    bool active;
};

std::mutex waitMutex;
std::condition_variable waitCondition;
PendingQuery pending[QUERY_WINDOW_MAX];
int outstanding = 0;
int timeoutMs = 250;
int window = 1;
bool answeredAny = false;
bool silenceReported = false;
QuerySummary summary;
int stopWakerId = -1;

void onCountedReply(const char* address)
{
    std::lock_guard<std::mutex> lock(waitMutex);
    answeredAny = true;
    for (PendingQuery& q : pending) {
        if (q.active && std::strcmp(q.address, address) == 0) {
            q.active = false;
            --outstanding;
            waitCondition.notify_all();
            return;
        }
    }
}

void wakeWaiters(void*)
{
    { std::lock_guard<std::mutex> lock(waitMutex); }
    waitCondition.notify_all();
}

void sendQuery(const char* address)
{
    {
        std::lock_guard<std::mutex> lock(modelMutex);
        replyCounter = 0;
    }
    sendToMixer(address, "");
}

void giveUp(PendingQuery& q)
{
    q.active = false;
    --outstanding;
    if (summary.unanswered < 4) {
        std::memcpy(summary.firstUnanswered[summary.unanswered], q.address, ADDRESS_SIZE);
    }
    ++summary.unanswered;
}

// Resends or gives up every query whose deadline has passed. Caller holds
// waitMutex; the sends happen with it released.
void handleTimeouts(std::unique_lock<std::mutex>& lock)
{
    int64_t now = steadyMilliseconds();
    for (PendingQuery& q : pending) {
        if (!q.active || q.deadline > now) continue;
        if (!answeredAny) {
            // Nothing has ever answered: the console is not there yet. Keep
            // asking once a second rather than giving up on everything.
            if (!silenceReported) {
                silenceReported = true;
                std::string where = formatEndpoint(mixerLinkEndpoint());
                consolePrint("No answer from the mixer at %s, retrying...\n", where.c_str());
            }
            q.deadline = now + SILENT_RETRY_MS;
        } else if (q.retries >= RETRIES) {
            giveUp(q);
            continue;
        } else {
            ++q.retries;
            q.deadline = now + timeoutMs;
        }
        char address[ADDRESS_SIZE];
        std::memcpy(address, q.address, ADDRESS_SIZE);
        lock.unlock();
        sendQuery(address);
        lock.lock();
    }
}

int64_t earliestDeadline()
{
    int64_t earliest = INT64_MAX;
    for (const PendingQuery& q : pending) {
        if (q.active && q.deadline < earliest) earliest = q.deadline;
    }
    return earliest;
}

// Waits until fewer than limit queries are outstanding.
void waitUntilOutstandingBelow(int limit)
{
    std::unique_lock<std::mutex> lock(waitMutex);
    while (outstanding >= limit && outstanding > 0 && !stopRequested) {
        int64_t deadline = earliestDeadline();
        int64_t now = steadyMilliseconds();
        if (deadline > now) {
            waitCondition.wait_for(lock, std::chrono::milliseconds(deadline - now));
        }
        handleTimeouts(lock);
    }
}

void ensureHooks()
{
    setReplyObserver(onCountedReply);
    if (stopWakerId < 0) stopWakerId = addStopWaker(wakeWaiters, nullptr);
}

} // namespace

void configureQueries(int timeout, int size)
{
    std::lock_guard<std::mutex> lock(waitMutex);
    timeoutMs = timeout > 0 ? timeout : 250;
    window = size < 1 ? 1 : (size > QUERY_WINDOW_MAX ? QUERY_WINDOW_MAX : size);
}

void queryAndWait(const char* address)
{
    if (!address || stopRequested) return;
    ensureHooks();
    waitUntilOutstandingBelow(window);
    if (stopRequested) return;
    {
        std::lock_guard<std::mutex> lock(waitMutex);
        for (PendingQuery& q : pending) {
            if (q.active) continue;
            std::strncpy(q.address, address, ADDRESS_SIZE - 1);
            q.address[ADDRESS_SIZE - 1] = '\0';
            q.deadline = steadyMilliseconds() + timeoutMs;
            q.retries = 0;
            q.active = true;
            ++outstanding;
            setReplyObserver(onCountedReply);
            ++summary.asked;
            break;
        }
    }
    sendQuery(address);
    if (window == 1) finishQueries();
}

void finishQueries()
{
    waitUntilOutstandingBelow(1);
    // With nothing outstanding no reply needs matching: the dispatcher goes
    // back to its plain path until the next query.
    std::lock_guard<std::mutex> lock(waitMutex);
    if (outstanding == 0) setReplyObserver(nullptr);
}

QuerySummary querySummary()
{
    std::lock_guard<std::mutex> lock(waitMutex);
    return summary;
}

void releaseQueryWaker()
{
    int id;
    {
        std::lock_guard<std::mutex> lock(waitMutex);
        id = stopWakerId;
        stopWakerId = -1;
    }
    // Outside waitMutex: removal waits for a wake-up that takes it.
    removeStopWaker(id);
}

void resetQuerySweep()
{
    setReplyObserver(nullptr);
    std::lock_guard<std::mutex> lock(waitMutex);
    for (PendingQuery& q : pending) q = PendingQuery{};
    outstanding = 0;
    timeoutMs = 250;
    window = 1;
    answeredAny = false;
    silenceReported = false;
    summary = QuerySummary{};
    stopWakerId = -1;  // resetStopSignal drops the wakers
}
