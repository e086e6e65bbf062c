#include "platform/clock.h"

#include <chrono>

int64_t steadyNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t steadyMilliseconds() { return steadyNanoseconds() / 1000000; }
