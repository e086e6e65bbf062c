// The mixer watchdog's decisions, pass by pass: when a quiet console is
// probed, left to the keep-alive passes, reported silent, greeted back and
// read again.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/mixer_watchdog.h"

namespace {

struct Pass {
    int64_t nowMs;
    int64_t lastReceivedMs;
    bool startupDone;
    bool rereadRunning;
    unsigned expected;
    bool keepAlivePass = false;
    int64_t due = 0;  // the next deadline, when not 0
};

constexpr unsigned NONE = 0;
constexpr unsigned SILENCE = WATCHDOG_REPORT_SILENCE;
constexpr unsigned PROBE = WATCHDOG_SEND_PROBE;
constexpr unsigned BACK = WATCHDOG_REPORT_BACK;
constexpr unsigned REREAD = WATCHDOG_START_REREAD;
constexpr bool KEEPALIVE = true;
constexpr int64_t NO_TIMER = WATCHDOG_NO_DEADLINE;

struct Scenario {
    const char* name;
    int silenceMs;
    std::vector<Pass> passes;
};

std::ostream& operator<<(std::ostream& out, const Scenario& s) { return out << s.name; }

class WatchdogSteps : public ::testing::TestWithParam<Scenario> {};

TEST_P(WatchdogSteps, ActsAsExpectedAtEveryPass)
{
    const Scenario& scenario = GetParam();
    WatchdogState state;
    for (size_t i = 0; i < scenario.passes.size(); ++i) {
        const Pass& p = scenario.passes[i];
        unsigned got = stepWatchdog(state, p.nowMs, p.lastReceivedMs, p.startupDone, p.rereadRunning,
                                    scenario.silenceMs, p.keepAlivePass);
        EXPECT_EQ(got, p.expected) << "pass " << i << " at " << p.nowMs << " ms";
        if (p.due != 0) {
            EXPECT_EQ(nextPassMs(state, p.nowMs, p.lastReceivedMs, scenario.silenceMs, 100), p.due) << "pass " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, WatchdogSteps,
    ::testing::Values(
        // Start-up can take long or fail to get answers; the watchdog keeps
        // out of it, and silence counts only from the moment it is done.
        Scenario{"NothingBeforeStartupIsComplete", 3000,
                 {{1000, 0, false, false, NONE},
                  {90000, 0, false, false, NONE},
                  {100000, 50, true, false, NONE},
                  {101499, 50, true, false, NONE},
                  {101500, 50, true, false, PROBE},
                  {102999, 50, true, false, NONE},
                  {103000, 50, true, false, SILENCE | PROBE}}},
        // Meters keep arriving: nothing happens at all.
        Scenario{"SteadyTrafficIsQuiet", 3000,
                 {{1000, 990, true, false, NONE},
                  {5000, 4990, true, false, NONE},
                  {9000, 8999, true, false, NONE, KEEPALIVE, 10499}}},
        // A console with nothing to say is probed once; when it answers and
        // stays quiet, it is probed only at keep-alive passes, which also
        // notice it gone.
        Scenario{"QuietConsoleWaitsForKeepAlivePasses", 3000,
                 {{1000, 1000, true, false, NONE},
                  {2500, 1000, true, false, PROBE},
                  {4009, 2510, true, false, NONE, false, 4010},
                  {4010, 2510, true, false, NONE, false, NO_TIMER},
                  {9000, 2510, true, false, NONE, false, NO_TIMER},
                  {9500, 2510, true, false, PROBE, KEEPALIVE, NO_TIMER},
                  {15500, 9505, true, false, PROBE, KEEPALIVE},
                  {21500, 9505, true, false, SILENCE | PROBE, KEEPALIVE, 21600},
                  {22500, 9505, true, false, PROBE}}},
        // A change pushed between passes leaves it quiet; data flowing at a
        // pass brings back the timer, and silence the limit after it stops.
        Scenario{"QuietConsoleStartsTalking", 3000,
                 {{1000, 1000, true, false, NONE},
                  {2500, 1000, true, false, PROBE},
                  {4010, 2510, true, false, NONE},
                  {7000, 5000, true, false, PROBE, KEEPALIVE, NO_TIMER},
                  {13000, 12990, true, false, NONE, KEEPALIVE, 14490},
                  {14490, 12990, true, false, PROBE},
                  {15990, 12990, true, false, SILENCE | PROBE}}},
        // A limit longer than the keep-alive period: the answer to the last
        // pass's probe is not talk, and silence waits for the limit after
        // the first unanswered probe.
        Scenario{"QuietConsoleWithALongLimit", 14000,
                 {{1000, 1000, true, false, NONE},
                  {8000, 1000, true, false, PROBE},
                  {15005, 8005, true, false, NONE, false, NO_TIMER},
                  {18000, 8005, true, false, PROBE, KEEPALIVE},
                  {24000, 18005, true, false, PROBE, KEEPALIVE, NO_TIMER},
                  {30000, 18005, true, false, PROBE, KEEPALIVE},
                  {36000, 18005, true, false, PROBE, KEEPALIVE},
                  {38000, 18005, true, false, SILENCE | PROBE, KEEPALIVE}}},
        // Reported once however long it lasts; probed every second meanwhile.
        Scenario{"LongSilenceReportedOnceAndProbed", 3000,
                 {{1000, 1000, true, false, NONE},
                  {2500, 1000, true, false, PROBE},
                  {4000, 1000, true, false, SILENCE | PROBE},
                  {4500, 1000, true, false, NONE},
                  {5000, 1000, true, false, PROBE},
                  {5999, 1000, true, false, NONE},
                  {6000, 1000, true, false, PROBE},
                  {20000, 1000, true, false, PROBE},
                  {20100, 1000, true, false, NONE}}},
        // Back at the first datagram after the notice; one re-read.
        Scenario{"BackStartsOneReread", 3000,
                 {{1000, 1000, true, false, NONE},
                  {4000, 1000, true, false, PROBE | SILENCE},
                  {4100, 3999, true, false, NONE},  // sent before the notice
                  {4200, 4150, true, false, BACK | REREAD},
                  {4300, 4290, true, true, NONE},
                  {9000, 8990, true, false, NONE}}},
        // Silent again while the re-read still runs: nothing is started
        // while silent; when it is back the re-read starts anew once the
        // running one has ended.
        Scenario{"SecondSilenceRestartsTheRereadAfterItEnds", 1000,
                 {{1000, 1000, true, false, NONE},
                  {2000, 1000, true, false, PROBE | SILENCE},
                  {2100, 2050, true, false, BACK | REREAD},
                  {2600, 2100, true, true, PROBE},
                  {3100, 2100, true, true, SILENCE | PROBE},
                  {3300, 3200, true, true, BACK},
                  {3400, 3390, true, true, NONE},
                  {3500, 3490, true, false, REREAD},
                  {3600, 3590, true, true, NONE},
                  {3700, 3690, true, false, NONE}}},
        // A re-read that is still winding down when the console comes back
        // holds the new one back until it has ended.
        Scenario{"BackWhileTheOldRereadWindsDown", 1000,
                 {{1000, 1000, true, false, NONE},
                  {2000, 1000, true, true, PROBE | SILENCE},
                  {2300, 2200, true, true, BACK},
                  {2400, 2390, true, false, REREAD}}}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

} // namespace
