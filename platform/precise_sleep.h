// Sleeps short enough for the surface pacing (tens to hundreds of
// microseconds) without spinning a core.
#pragma once

#include <cstdint>

// Asks for the finest timer wake-ups for the calling thread (Linux slacks
// sleeps by 50 us otherwise).
void usePreciseSleeps();

// Returns once steadyNanoseconds() has reached deadline. Where the system's
// sleep is coarse (Windows), the last stretch is spun.
void sleepUntilSteady(int64_t deadline);
