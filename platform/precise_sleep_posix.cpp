#include "platform/precise_sleep.h"

#include <cerrno>
#include <ctime>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "platform/clock.h"

void usePreciseSleeps()
{
#ifdef __linux__
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
}

// steadyNanoseconds() reads CLOCK_MONOTONIC (the steady clock of libstdc++
// and libc++ on POSIX), so an absolute sleep on it has no drift to correct.
void sleepUntilSteady(int64_t deadline)
{
    if (steadyNanoseconds() >= deadline) return;
    timespec at{};
    at.tv_sec = static_cast<time_t>(deadline / 1000000000);
    at.tv_nsec = static_cast<long>(deadline % 1000000000);
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}
