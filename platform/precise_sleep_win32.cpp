#include "platform/precise_sleep.h"

#include <windows.h>

#include "platform/clock.h"

void usePreciseSleeps() {}

// Sleep counts in milliseconds of the system tick: sleep while more than two
// of them remain, spin the rest.
void sleepUntilSteady(int64_t deadline)
{
    for (;;) {
        int64_t left = deadline - steadyNanoseconds();
        if (left <= 0) return;
        if (left > 2000000) ::Sleep(static_cast<DWORD>(left / 1000000 - 1));
    }
}
