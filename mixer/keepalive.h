// Keeps the console reporting changes and streaming meters.
#pragma once

constexpr int KEEPALIVE_PERIOD_MS = 6000;

// Thread entry: "/xremote" then "/renew" at once and every 6000 ms until
// stopRequested; the sleep is woken by a stop. Returns 0.
int mixerKeepAliveLoop();

// The three "/batchsubscribe" messages, sent once after the start-up sweep.
void sendMeterSubscriptions();
