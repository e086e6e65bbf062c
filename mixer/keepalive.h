// Keeps the console reporting changes and streaming meters.
#pragma once

#include <cstdint>

constexpr int KEEPALIVE_PERIOD_MS = 6000;

// Thread entry: "/xremote" then "/renew" at once and every 6000 ms until
// stopRequested; the sleep is woken by a stop. Returns 0.
int mixerKeepAliveLoop();

// The three "/batchsubscribe" messages, sent once after the start-up sweep.
void sendMeterSubscriptions();

// Keep-alive passes sent so far. A thread that has nothing to do between
// passes (the watchdog of a quiet console) waits for the next one instead
// of keeping a timer of its own.
uint64_t keepAlivePassCount();

// Blocks until the pass count is no longer seenPasses, a stop is requested
// or timeoutMs has passed (negative: no limit). Returns the pass count.
uint64_t waitForKeepAlivePass(uint64_t seenPasses, int timeoutMs);

// Pass count back to 0; no thread may be waiting.
void resetKeepAlivePasses();
