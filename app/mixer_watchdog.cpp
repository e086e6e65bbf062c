#include "app/mixer_watchdog.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "app/query_sweep.h"
#include "diag/link_stats.h"
#include "display/mixer_gone.h"
#include "display/refresh.h"
#include "mixer/keepalive.h"
#include "mixer/mixer_send.h"
#include "model/console_model.h"
#include "platform/clock.h"
#include "platform/console_output.h"
#include "platform/stop_signal.h"
#include "platform/udp.h"

namespace {

constexpr int MIN_SILENCE_MS = 50;
// Pause between two passes over the parameters given up so far, so that
// one the console never answers costs a query now and then, not a stream.
constexpr int UNANSWERED_PASS_GAP_MS = 1000;

std::atomic<int> silenceLimitMs{MIXER_SILENCE_MS};
// Silences noticed so far; a re-read gives up as soon as it changes, since
// whatever it read before the silence has to be read again anyway.
std::atomic<int> silenceGeneration{0};
std::atomic<bool> rereadActive{false};

bool rereadGoesOn(int generation)
{
    return !stopRequested && silenceGeneration.load() == generation;
}

// The queries of the start-up sequence, in its order, but without its
// resets, wait message and refresh pause: the surface keeps following each
// answer. Each step checks whether to go on.
bool rereadSettings(int generation)
{
    const auto goOn = [generation] { return rereadGoesOn(generation); };
    queryAutomix();
    if (!queryHeadamps(goOn)) return false;
    queryAndWait("/-stat/keysolo");
    if (!queryEffects(goOn) || !goOn()) return false;
    queryRouting();
    return true;
}

bool rereadStrips(int generation)
{
    for (int strip = 0; strip < STRIP_COUNT; ++strip) {
        if (!rereadGoesOn(generation)) return false;
        queryStrip(strip);
    }
    if (!rereadGoesOn(generation)) return false;
    queryLinksAndSwitches();
    return true;
}

void rereadMixerState(int generation)
{
    forgetUnanswered();  // all asked again below
    bool complete = rereadSettings(generation) && rereadStrips(generation);
    finishQueries();
    if (complete && rereadGoesOn(generation)) consolePrint("Mixer state read again.\n");
    rereadActive = false;
}

// One pass over the parameters given up so far; those given up again wait
// for the next pass.
void askUnansweredPass(int generation)
{
    const int count = unansweredWaiting();
    for (int i = 0; i < count && rereadGoesOn(generation); ++i) askUnansweredAgain();
    finishQueries();
    rereadActive = false;
}

// After a reboot the console has forgotten this client: ask for pushed
// changes at once rather than at the next keep-alive, and for the meters.
void greetReturningMixer()
{
    consolePrint("Mixer is back, reading its state again...\n");
    clearMixerGone();
    forEachSurface(redrawWholeSurface);
    sendToMixer("/xremote", "");
    sendMeterSubscriptions();
}

// The answer to a probe comes within this; a datagram later than that is
// the console's own.
int64_t probeAnswerWindowMs(int silenceMs) { return std::min(250, silenceMs / 2); }

// A keep-alive pass in quiet mode.
unsigned stepQuiet(WatchdogState& state, int64_t nowMs, int64_t lastReceivedMs, int silenceMs)
{
    if (nowMs - lastReceivedMs < silenceMs / 2 &&
        lastReceivedMs > state.lastProbeMs + probeAnswerWindowMs(silenceMs)) {
        state.quiet = false;  // talking again: the timer rule takes over
        return 0;
    }
    if (lastReceivedMs < state.lastProbeMs) {
        if (nowMs - state.lastProbeMs < silenceMs) return WATCHDOG_SEND_PROBE;  // the first one may be lost
        state.quiet = false;
        state.silent = true;
        state.silentSinceMs = nowMs;
        state.lastProbeMs = nowMs;
        ++state.silences;
        return WATCHDOG_REPORT_SILENCE | WATCHDOG_SEND_PROBE;
    }
    state.lastProbeMs = nowMs;
    return WATCHDOG_SEND_PROBE;
}

} // namespace

// A console that talks keeps moving the deadline, so the watchdog sleeps
// through it; only before start-up ends, while silent and while a re-read
// waits for the running one does it look every pollMs.
int64_t nextPassMs(const WatchdogState& state, int64_t nowMs, int64_t lastReceivedMs, int silenceMs, int pollMs)
{
    if (!state.armed || state.silent || state.rereadWanted) return nowMs + pollMs;
    if (state.quiet) return WATCHDOG_NO_DEADLINE;
    const int64_t last = std::max(lastReceivedMs, state.armedAtMs);
    int64_t due = last + silenceMs;
    if (state.lastProbeMs <= last) due = std::min(due, last + silenceMs / 2);
    return std::max(due, nowMs + 1);
}

void setMixerSilenceLimit(int ms) { silenceLimitMs = std::max(ms, MIN_SILENCE_MS); }

unsigned stepWatchdog(WatchdogState& state, int64_t nowMs, int64_t lastReceivedMs, bool startupDone,
                      bool rereadRunning, int silenceMs, bool keepAlivePass)
{
    if (!startupDone) return 0;
    if (!state.armed) {
        state.armed = true;
        state.armedAtMs = nowMs;
    }
    unsigned actions = 0;
    const int64_t last = std::max(lastReceivedMs, state.armedAtMs);
    const int64_t probeEvery = std::clamp(silenceMs / 2, 1, MIXER_PROBE_MS);
    if (state.quiet) {
        if (keepAlivePass) actions |= stepQuiet(state, nowMs, lastReceivedMs, silenceMs);
    } else if (state.silent) {
        // Anything at all after the silence was noticed means it is back.
        if (lastReceivedMs >= state.silentSinceMs) {
            state.silent = false;
            state.lastProbeMs = 0;
            state.rereadWanted = true;
            actions |= WATCHDOG_REPORT_BACK;
        } else if (nowMs - state.lastProbeMs >= probeEvery) {
            state.lastProbeMs = nowMs;
            actions |= WATCHDOG_SEND_PROBE;
        }
    } else if (nowMs - last >= silenceMs) {
        state.silent = true;
        state.silentSinceMs = nowMs;
        state.lastProbeMs = nowMs;
        ++state.silences;
        actions |= WATCHDOG_REPORT_SILENCE | WATCHDOG_SEND_PROBE;
    } else if (nowMs - last >= silenceMs / 2 && state.lastProbeMs <= last) {
        if (state.lastProbeMs > 0 && last - state.lastProbeMs <= probeAnswerWindowMs(silenceMs)) {
            // Only the answer to the last probe, then quiet again.
            state.quiet = true;
        } else {
            // Quiet but not yet silent: one probe per quiet spell.
            state.lastProbeMs = nowMs;
            actions |= WATCHDOG_SEND_PROBE;
        }
    }
    if (!state.silent && state.rereadWanted && !rereadRunning) {
        state.rereadWanted = false;
        actions |= WATCHDOG_START_REREAD;
    }
    return actions;
}

int mixerWatchdogLoop()
{
    std::thread reread;
    WatchdogState state;
    const int limit = silenceLimitMs.load();
    const int pollMs = std::clamp(limit / 10, 10, 100);
    int64_t lastPassEndMs = 0;
    int64_t wakeAtMs = steadyMilliseconds() + pollMs;
    uint64_t seenPasses = keepAlivePassCount();
    for (;;) {
        const int waitMs = static_cast<int>(std::clamp<int64_t>(wakeAtMs - steadyMilliseconds(), 1, INT32_MAX));
        bool keepAlivePass = false;
        if (state.quiet) {
            // No timer of its own: the keep-alive pass is the clock, unless a
            // pass over unanswered parameters or a re-read needs looking after.
            const uint64_t passes = waitForKeepAlivePass(seenPasses, wakeAtMs == WATCHDOG_NO_DEADLINE ? -1 : waitMs);
            keepAlivePass = passes != seenPasses;
            seenPasses = passes;
            if (stopRequested) break;
        } else {
            if (sleepUnlessStopped(waitMs)) break;
            seenPasses = keepAlivePassCount();
        }
        bool running = rereadActive.load();
        if (!running && reread.joinable()) {
            reread.join();
            lastPassEndMs = steadyMilliseconds();
        }
        const int64_t lastReceivedMs = linkActivity(LinkDirection::MixerIn).lastMs;
        unsigned actions = stepWatchdog(state, steadyMilliseconds(), lastReceivedMs,
                                        startupComplete.load() == 1, running, limit, keepAlivePass);
        wakeAtMs = nextPassMs(state, steadyMilliseconds(), lastReceivedMs, limit, pollMs);
        if (actions & WATCHDOG_REPORT_SILENCE) {
            silenceGeneration = state.silences;
            consolePrint("Mixer not responding\n");
        }
        // Every pass while silent: a surface action that redrew the strips
        // meanwhile must not leave them looking live. Unchanged displays
        // are not sent again.
        if (state.silent) {
            const std::string mixer = formatEndpoint(mixerLinkEndpoint());
            forEachSurface([&mixer] { showMixerGone(mixer.c_str()); });
        }
        if (actions & WATCHDOG_SEND_PROBE) sendToMixerQuietly(MIXER_PROBE_ADDRESS, "");
        if (actions & WATCHDOG_REPORT_BACK) greetReturningMixer();
        if (actions & WATCHDOG_START_REREAD) {
            rereadActive = true;
            reread = std::thread(rereadMixerState, state.silences);
        } else if (!running && state.armed && !state.silent && unansweredWaiting() > 0 &&
                   steadyMilliseconds() - lastPassEndMs >= UNANSWERED_PASS_GAP_MS) {
            rereadActive = true;
            reread = std::thread(askUnansweredPass, state.silences);
        }
        // A pass running is joined soon after it ends; parameters still
        // unanswered are asked again a gap after the last pass.
        const int64_t now = steadyMilliseconds();
        if (rereadActive.load()) {
            wakeAtMs = std::min(wakeAtMs, now + pollMs);
        } else if (state.armed && !state.silent && unansweredWaiting() > 0) {
            wakeAtMs = std::min(wakeAtMs, std::max(now + 1, lastPassEndMs + UNANSWERED_PASS_GAP_MS));
        }
    }
    // queryAndWait returns at once after a stop, so this is quick.
    if (reread.joinable()) reread.join();
    return 0;
}

void resetMixerWatchdog()
{
    silenceLimitMs = MIXER_SILENCE_MS;
    silenceGeneration = 0;
    rereadActive = false;
}
