// The process-wide stop request: set by the console loop or by SIGINT/SIGTERM,
// seen by every loop thread, and able to wake sleepers at once. Also the
// status request a service manager can send (SIGUSR1).
#pragma once

#include <atomic>

extern std::atomic<bool> stopRequested;

// Sets stopRequested and wakes every sleepUnlessStopped caller and every
// registered waker.
void requestStop();

// Sleeps up to ms milliseconds; returns true at once when a stop is requested.
bool sleepUnlessStopped(int ms);

// A function called by requestStop (for example to interrupt a socket).
// At most 8 wakers; returns an id for removeStopWaker, or -1 when full.
int addStopWaker(void (*waker)(void*), void* context);
void removeStopWaker(int id);

// Back to "running", wakers removed (tests and start of main).
void resetStopSignal();

// Makes SIGINT and SIGTERM (Ctrl+C / console close on Windows) call requestStop.
// Must run before any other thread is started.
void installStopSignals();

// After installStopSignals, SIGUSR1 calls handler (nullptr: nothing). It runs
// on the signal thread, not in a signal handler, so it may print and lock.
// Clearing it waits for a call already running. Windows has no SIGUSR1:
// there the handler is never called.
void setStatusRequestHandler(void (*handler)());
