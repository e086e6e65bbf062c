#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>

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
// More than the whole start-up order asks, so no given-up parameter is lost.
constexpr int UNANSWERED_MAX = 8192;
// Asked alongside a query that nothing has answered yet: an answer to either
// tells a console that is there from one that is not.
constexpr const char* PROBE_ADDRESSES[2] = {"/-stat/keysolo", "/ch/01/mix/fader"};

struct PendingQuery {
    char address[ADDRESS_SIZE];
    int64_t deadline;   // steady ms
    int retries;
    int silentRounds;   // resends while nothing at all had answered
    bool active;
    bool late;          // asked again after being given up
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
bool askingLate = false;
// Given-up parameters waiting to be asked again, oldest first (a ring).
char unanswered[UNANSWERED_MAX][ADDRESS_SIZE];
int unansweredHead = 0;
int unansweredCount = 0;

void keepForLater(const char* address)
{
    if (unansweredCount == UNANSWERED_MAX) return;
    std::memcpy(unanswered[(unansweredHead + unansweredCount) % UNANSWERED_MAX], address, ADDRESS_SIZE);
    ++unansweredCount;
}

void onCountedReply(const char* address)
{
    std::lock_guard<std::mutex> lock(waitMutex);
    answeredAny = true;
    for (PendingQuery& q : pending) {
        if (q.active && std::strcmp(q.address, address) == 0) {
            q.active = false;
            --outstanding;
            if (q.late) consolePrint("Mixer answered %s at last\n", q.address);
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
    keepForLater(q.address);
    if (q.silentRounds > 0) {
        // It held everything while the console answered other queries: the
        // console does not know it, the network is fine.
        consolePrint("The mixer answers, but not %s; going on without it\n", q.address);
    }
    if (q.late) return;
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
        const char* probe = nullptr;
        if (!answeredAny) {
            // Nothing has ever answered: the console may not be there yet.
            // Keep asking once a second, with a probe beside, rather than
            // giving up on everything; once anything answers, the give-up
            // rule below applies to this query too.
            if (q.silentRounds > 0 && !silenceReported) {
                silenceReported = true;
                std::string where = formatEndpoint(mixerLinkEndpoint());
                consolePrint("No answer from the mixer at %s, retrying...\n", where.c_str());
            }
            q.deadline = now + (q.silentRounds == 0 ? timeoutMs : SILENT_RETRY_MS);
            ++q.silentRounds;
            probe = std::strcmp(q.address, PROBE_ADDRESSES[0]) == 0 ? PROBE_ADDRESSES[1] : PROBE_ADDRESSES[0];
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
        if (probe) sendToMixerQuietly(probe, "");
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
            q.silentRounds = 0;
            q.active = true;
            q.late = askingLate;
            ++outstanding;
            setReplyObserver(onCountedReply);
            if (!askingLate) ++summary.asked;
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

std::string queryWaitText()
{
    std::lock_guard<std::mutex> lock(waitMutex);
    const PendingQuery* oldest = nullptr;
    for (const PendingQuery& q : pending) {
        if (q.active && (!oldest || q.deadline < oldest->deadline)) oldest = &q;
    }
    if (!oldest) return "";
    char text[160];
    int sends = 1 + oldest->retries + oldest->silentRounds;
    if (formatText(text, sizeof text, "the answer to %s (sent %d time%s%s)", oldest->address, sends,
                   sends == 1 ? "" : "s", answeredAny ? "" : "; nothing from the mixer yet") < 0) {
        return "";
    }
    return text;
}

int unansweredWaiting()
{
    std::lock_guard<std::mutex> lock(waitMutex);
    return unansweredCount;
}

bool askUnansweredAgain()
{
    char address[ADDRESS_SIZE];
    {
        std::lock_guard<std::mutex> lock(waitMutex);
        if (unansweredCount == 0) return false;
        std::memcpy(address, unanswered[unansweredHead], ADDRESS_SIZE);
        unansweredHead = (unansweredHead + 1) % UNANSWERED_MAX;
        --unansweredCount;
        askingLate = true;
    }
    queryAndWait(address);
    finishQueries();
    std::lock_guard<std::mutex> lock(waitMutex);
    askingLate = false;
    return true;
}

void forgetUnanswered()
{
    std::lock_guard<std::mutex> lock(waitMutex);
    unansweredHead = 0;
    unansweredCount = 0;
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
    askingLate = false;
    unansweredHead = 0;
    unansweredCount = 0;
    stopWakerId = -1;  // resetStopSignal drops the wakers
}
