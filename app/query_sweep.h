// Asking the console for its parameters during start-up: one query (or a
// small window of them) outstanding at a time, each released only by the
// counted answer to its own address. Runs on the entry thread; the answers
// arrive on the OSC receive thread.
#pragma once

#include <functional>
#include <string>

constexpr int QUERY_WINDOW_MAX = 256;

struct QuerySummary {
    int asked;
    int unanswered;
    char firstUnanswered[4][64];
};

// Timeout before a query is sent again, and how many may be outstanding.
void configureQueries(int timeoutMs, int window);

// Sends the query and returns once there is room in the window (with window
// 1: once it is answered). Unanswered queries are sent again three times,
// then given up and kept for askUnansweredAgain: at once when the console
// answered something asked after them (a probe behind a query slower than
// the console's usual answer shows it), else after the timeout. While
// nothing at all has answered yet, a query is instead sent again once a
// second with a probe beside it, and not given up. Returns at once after a
// stop.
void queryAndWait(const char* address);

// Waits until every outstanding query is answered or given up.
void finishQueries();

// The groups of the start-up order. The loops ask goOn between steps and
// return false when it says to stop; a null goOn always goes on.
void queryAutomix();
bool queryHeadamps(const std::function<bool()>& goOn);
bool queryEffects(const std::function<bool()>& goOn);
// The 37 routing queries and the queries of one strip (an invalid index asks nothing).
void queryRouting();
void queryStrip(int strip);
// After the strip queries (which reset each strip first): the stereo links,
// the inserts of buses, matrices and mains, the playback
// routing blocks, the mute-group masters, the solo switches, the routing
// switch, the selected strip and the console's lock. Every value a surface action may write is
// then one read from the console.
void queryLinksAndSwitches();

QuerySummary querySummary();

// What the oldest outstanding query waits for, for the status block:
// "the answer to ADDRESS (sent N times...)"; empty when nothing waits.
std::string queryWaitText();

// Parameters given up (at start-up or later) and not yet asked again.
int unansweredWaiting();
// Takes the oldest given-up parameter and asks it again as queryAndWait
// does; its answer prints "Mixer answered ADDRESS at last". A parameter
// given up again waits for the next turn. False when none is waiting.
bool askUnansweredAgain();
// Empties that list (a full re-read asks everything anyway).
void forgetUnanswered();

// Unregisters the stop wake-up of the query waits, waiting for one that is
// running; the process may end once it returns.
void releaseQueryWaker();

// Nothing outstanding, counters zero, default timeout and window.
void resetQuerySweep();
