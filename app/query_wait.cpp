#include <chrono>
#include <condition_variable>
#include <cstdint>
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
// A query unanswered this long after the console's usual answer time gets a
// probe behind it; the floor keeps a fast console from being probed at
// every scheduling hiccup.
constexpr int64_t STALL_FLOOR_US = 2000;
// More than the whole start-up order asks, so no given-up parameter is lost.
constexpr int UNANSWERED_MAX = 8192;
// Asked alongside a query that nothing has answered yet: an answer to either
// tells a console that is there from one that is not.
constexpr const char* PROBE_ADDRESSES[2] = {"/-stat/keysolo", "/ch/01/mix/fader"};

struct PendingQuery {
    char address[ADDRESS_SIZE];
    int64_t deadlineUs; // steady microseconds: send again or give up
    int64_t sentAtUs;   // steady microseconds of the last send
    uint64_t sentSeq;   // send number of the last send
    int retries;
    int silentRounds;   // resends while nothing at all had answered
    bool active;
    bool late;          // asked again after being given up
    bool probed;        // a probe went out behind the last send
    bool missed;        // something sent after the last send was answered first
};

// An address the console answered before, asked again behind a query that
// is slow to answer. The console answers in the order it is asked, so the
// probe's answer arriving first means the query's send went unanswered.
struct Probe {
    char address[ADDRESS_SIZE];
    uint64_t sentSeq;
    int64_t deadlineUs; // forgotten after it
    bool active;
};

std::mutex waitMutex;
std::condition_variable waitCondition;
PendingQuery pending[QUERY_WINDOW_MAX];
Probe probes[QUERY_WINDOW_MAX];
uint64_t sendCount = 0;
char lastAnswered[ADDRESS_SIZE] = "";
// Smoothed answer time and its deviation, from queries answered at their
// first send; 0 before the first.
int64_t smoothedRttUs = 0;
int64_t rttDeviationUs = 0;
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

int64_t steadyMicroseconds() { return steadyNanoseconds() / 1000; }

int64_t stallUs()
{
    int64_t stall = smoothedRttUs + 4 * rttDeviationUs;
    int64_t ceiling = static_cast<int64_t>(timeoutMs) * 1000 / 2;
    return stall < STALL_FLOOR_US ? STALL_FLOOR_US : (stall > ceiling ? ceiling : stall);
}

void noteAnswerTime(int64_t sampleUs)
{
    if (smoothedRttUs == 0) {
        smoothedRttUs = sampleUs;
        rttDeviationUs = sampleUs / 2;
        return;
    }
    int64_t error = sampleUs - smoothedRttUs;
    smoothedRttUs += error / 8;
    rttDeviationUs += ((error < 0 ? -error : error) - rttDeviationUs) / 4;
}

// The send number of the query or probe this answer belongs to, 0 for none.
uint64_t matchAnswer(const char* address)
{
    for (PendingQuery& q : pending) {
        if (!q.active || std::strcmp(q.address, address) != 0) continue;
        q.active = false;
        --outstanding;
        // A probe leaves the query's own send alone; a resend would blur it.
        if (q.retries == 0 && q.silentRounds == 0) noteAnswerTime(steadyMicroseconds() - q.sentAtUs);
        if (q.late) consolePrint("Mixer answered %s at last\n", q.address);
        return q.sentSeq;
    }
    for (Probe& p : probes) {
        if (!p.active || std::strcmp(p.address, address) != 0) continue;
        p.active = false;
        return p.sentSeq;
    }
    return 0;
}

void onCountedReply(const char* address)
{
    std::lock_guard<std::mutex> lock(waitMutex);
    answeredAny = true;
    std::strncpy(lastAnswered, address, ADDRESS_SIZE - 1);
    lastAnswered[ADDRESS_SIZE - 1] = '\0';
    uint64_t answeredSeq = matchAnswer(address);
    if (answeredSeq == 0) return;
    // Answers come in the order of the queries: one still waiting that was
    // sent before this one was passed over by the console.
    for (PendingQuery& q : pending) {
        if (q.active && q.sentSeq < answeredSeq) q.missed = true;
    }
    waitCondition.notify_all();
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

// Marks the query as sent now; caller holds waitMutex.
void stampSend(PendingQuery& q)
{
    q.sentSeq = ++sendCount;
    q.sentAtUs = steadyMicroseconds();
    q.probed = false;
    q.missed = false;
}

// Registers a probe of the last answered address behind q and copies its
// address into out; false when there is none or no room. Caller holds waitMutex.
bool takeProbe(PendingQuery& q, char* out)
{
    if (lastAnswered[0] == '\0') return false;
    for (Probe& p : probes) {
        if (p.active && p.deadlineUs > steadyMicroseconds()) continue;
        std::memcpy(p.address, lastAnswered, ADDRESS_SIZE);
        p.sentSeq = ++sendCount;
        p.deadlineUs = steadyMicroseconds() + timeoutMs * 1000LL;
        p.active = true;
        q.probed = true;
        std::memcpy(out, lastAnswered, ADDRESS_SIZE);
        return true;
    }
    return false;
}

// Probes speed up the sweeps only: a parameter asked again in the background
// keeps its timeouts, so one the console never has costs a query now and
// then, not a stream. A query with a later one outstanding needs none: that
// one's answer shows the same. Caller holds waitMutex.
bool wantsProbe(const PendingQuery& q)
{
    if (!answeredAny || q.probed || q.late || lastAnswered[0] == '\0') return false;
    for (const PendingQuery& other : pending) {
        if (other.active && other.sentSeq > q.sentSeq) return false;
    }
    return true;
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

// What a query waits for: a probe once it is slower than the console's
// usual answer, a send again once its deadline passes, and at once when the
// console answered something asked after it.
void handleTimeouts(std::unique_lock<std::mutex>& lock)
{
    for (PendingQuery& q : pending) {
        if (!q.active) continue;
        const int64_t now = steadyMicroseconds();
        char probe[ADDRESS_SIZE] = "";
        bool resend = true;
        if (q.missed) {
            // Passed over while the console answers: ask again now, with a
            // probe behind, rather than waiting out the timeout.
            if (q.retries >= RETRIES) {
                giveUp(q);
                continue;
            }
            ++q.retries;
            q.deadlineUs = now + timeoutMs * 1000LL;
            stampSend(q);
            if (!q.late) takeProbe(q, probe);
        } else if (q.deadlineUs > now) {
            if (!wantsProbe(q) || now < q.sentAtUs + stallUs()) continue;
            if (!takeProbe(q, probe)) {
                q.probed = true;  // no room: this send waits out its timeout
                continue;
            }
            resend = false;
        } else if (!answeredAny) {
            // Nothing has ever answered: the console may not be there yet.
            // Keep asking once a second, with a probe beside, rather than
            // giving up on everything; once anything answers, the give-up
            // rule below applies to this query too.
            if (q.silentRounds > 0 && !silenceReported) {
                silenceReported = true;
                std::string where = formatEndpoint(mixerLinkEndpoint());
                consolePrint("No answer from the mixer at %s, retrying...\n", where.c_str());
            }
            q.deadlineUs = now + (q.silentRounds == 0 ? timeoutMs : SILENT_RETRY_MS) * 1000LL;
            ++q.silentRounds;
            stampSend(q);
            const char* beside = std::strcmp(q.address, PROBE_ADDRESSES[0]) == 0 ? PROBE_ADDRESSES[1] : PROBE_ADDRESSES[0];
            std::strcpy(probe, beside);
        } else if (q.retries >= RETRIES) {
            giveUp(q);
            continue;
        } else {
            ++q.retries;
            q.deadlineUs = now + timeoutMs * 1000LL;
            stampSend(q);
        }
        char address[ADDRESS_SIZE];
        std::memcpy(address, q.address, ADDRESS_SIZE);
        lock.unlock();
        if (resend) sendQuery(address);
        if (probe[0]) sendToMixerQuietly(probe, "");
        lock.lock();
    }
}

// When handleTimeouts next has something to do, in steady microseconds.
int64_t nextWakeUs()
{
    int64_t earliest = INT64_MAX;
    const int64_t stall = stallUs();
    for (const PendingQuery& q : pending) {
        if (!q.active) continue;
        if (q.missed) return 0;
        int64_t due = q.deadlineUs;
        if (wantsProbe(q) && q.sentAtUs + stall < due) due = q.sentAtUs + stall;
        if (due < earliest) earliest = due;
    }
    return earliest;
}

// Waits until fewer than limit queries are outstanding.
void waitUntilOutstandingBelow(int limit)
{
    std::unique_lock<std::mutex> lock(waitMutex);
    while (outstanding >= limit && outstanding > 0 && !stopRequested) {
        int64_t wake = nextWakeUs();
        int64_t now = steadyMicroseconds();
        if (wake > now) {
            waitCondition.wait_for(lock, std::chrono::microseconds(wake - now));
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
            q.deadlineUs = steadyMicroseconds() + timeoutMs * 1000LL;
            q.retries = 0;
            q.silentRounds = 0;
            q.active = true;
            q.late = askingLate;
            stampSend(q);
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
        if (q.active && (!oldest || q.deadlineUs < oldest->deadlineUs)) oldest = &q;
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
    for (Probe& p : probes) p = Probe{};
    sendCount = 0;
    lastAnswered[0] = '\0';
    smoothedRttUs = 0;
    rttDeviationUs = 0;
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
