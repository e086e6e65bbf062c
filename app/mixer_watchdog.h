// Notices a console that stops sending after start-up (switched off,
// rebooting, cable pulled) and, once it answers again, subscribes the meters
// anew and reads its whole state again in the background, so the surface
// ends in line with the console while surface input keeps working. While
// it is silent the surface says so; after start-up it also asks again, a
// pass at a time, every parameter given up so far.
//
// A console that streams nothing of its own (meters not flowing) is probed
// once per quiet spell; once it has answered a probe and stayed quiet, the
// watchdog drops its own timer and only looks again at each keep-alive
// pass, probing there, so an idle bridge wakes no more often than its
// keep-alive. Such a console that dies is then reported up to two
// keep-alive periods late (with the default limit); a console streaming
// meters is reported the limit after its last datagram, as before.
//
// mixerWatchdogLoop runs on its own thread, started by the entry with the
// other workers; it starts each re-read on one more thread and joins it
// before it returns. After start-up the re-read is the only caller of the
// query-and-wait pipeline.
#pragma once

#include <cstdint>

// Nothing received from the console for this long after start-up counts as
// silence (meters normally arrive about 20 times a second).
constexpr int MIXER_SILENCE_MS = 3000;
// While silent, a query is sent this often so that a console that came
// back (and forgot our keep-alive and meter subscriptions) answers.
constexpr int MIXER_PROBE_MS = 1000;
// The query that probes; its answer is folded into the model like any other.
constexpr const char* MIXER_PROBE_ADDRESS = "/-stat/keysolo";

// Silence limit in ms (values below 50 are raised to 50); set before the
// loop starts.
void setMixerSilenceLimit(int ms);

// Thread entry: watches from the moment startupComplete is set until
// stopRequested. Prints "Mixer not responding\n" once per silence, and
// "Mixer is back, reading its state again...\n" when the console answers
// again, then "Mixer state read again.\n" when a re-read has run through.
// Between re-reads, and at least a second apart, it runs one pass over the
// parameters given up so far (askUnansweredAgain) on the same thread slot.
// Returns 0 once stopped and the re-read thread (if any) has ended.
int mixerWatchdogLoop();

// The decision of one watchdog pass, kept apart from threads and sockets.
struct WatchdogState {
    bool armed = false;          // start-up was seen complete
    int64_t armedAtMs = 0;       // silence is measured from here at the latest
    bool silent = false;
    int64_t silentSinceMs = 0;   // when the silence was noticed
    int64_t lastProbeMs = 0;     // 0: none sent for the current quiet spell
    bool rereadWanted = false;   // start a re-read as soon as none runs
    int silences = 0;            // silences noticed so far
    bool quiet = false;          // quiet by nature: no timer, looks at keep-alive passes only
};

enum WatchdogAction : unsigned {
    WATCHDOG_REPORT_SILENCE = 1u,  // print the silence line
    WATCHDOG_SEND_PROBE = 2u,      // send the probe query
    WATCHDOG_REPORT_BACK = 4u,     // print the back line, keep-alive and meter subscriptions
    WATCHDOG_START_REREAD = 8u,    // start the re-read thread
};

// One pass at nowMs. lastReceivedMs is the steady time of the last datagram
// accepted from the console (0 = never); keepAlivePass says a keep-alive
// pass has been sent since the previous call. Returns the WatchdogAction
// bits to carry out. A quiet console is probed once after half the limit,
// so that a console that answers but has nothing to push is not reported;
// if it stays quiet after its answer, it is in quiet mode until a
// keep-alive pass finds something else arrived within half the limit.
// In quiet mode each keep-alive pass probes again, and one that finds the
// previous probe unanswered for at least the limit reports the silence.
unsigned stepWatchdog(WatchdogState& state, int64_t nowMs, int64_t lastReceivedMs, bool startupDone,
                      bool rereadRunning, int silenceMs, bool keepAlivePass);

// No pass of its own is due: wait for the next keep-alive pass.
constexpr int64_t WATCHDOG_NO_DEADLINE = INT64_MAX;

// When the next pass is due if nothing arrives meanwhile (pollMs: the
// look-again period before start-up ends and while silent), or
// WATCHDOG_NO_DEADLINE in quiet mode.
int64_t nextPassMs(const WatchdogState& state, int64_t nowMs, int64_t lastReceivedMs, int silenceMs, int pollMs);

// Default limit, no state; the loop must not be running.
void resetMixerWatchdog();
