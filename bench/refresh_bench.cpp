// One surface refresh in this process, without sockets: what it costs on
// the calling thread and what it puts on the wire, for a first refresh, a
// refresh that changes nothing, and one after a single change. The wire
// time is the pacing the queued messages carry (10 us per fader, 150 us for
// everything else).
#include <cstdio>
#include <cstring>

#include "app/reset_state.h"
#include "display/refresh.h"
#include "model/console_model.h"
#include "platform/clock.h"
#include "surface/output_queue.h"

namespace {

constexpr int ROUNDS = 20000;

struct Queued {
    int messages = 0;
    int64_t wireMicros = 0;
};

Queued drain()
{
    Queued q;
    SurfaceMessage m;
    while (takeQueuedSurfaceMessage(m)) {
        ++q.messages;
        q.wireMicros += m.waitMicros;
    }
    return q;
}

void arrange()
{
    resetAllState();
    for (int i = 0; i < 8; ++i) bankStrips[i] = i;
    for (int s = 0; s < STRIP_COUNT; ++s) {
        strips[s].fader = 0.5;
        strips[s].pan = 0.5;
    }
    storeStripName(strips[0], "Kick");
    selectedStrip = 0;
    selectedBankSlot = 1;
    surfacePage = 0;
    surfaceRefreshEnabled = 1;
}

void report(const char* label, void (*change)(int))
{
    arrange();
    refreshSurface();
    drain();
    Queued total;
    int64_t start = steadyNanoseconds();
    for (int k = 0; k < ROUNDS; ++k) {
        change(k);
        refreshSurface();
        Queued q = drain();
        total.messages += q.messages;
        total.wireMicros += q.wireMicros;
    }
    double us = static_cast<double>(steadyNanoseconds() - start) / 1000.0 / ROUNDS;
    std::printf("  %-34s %6.2f us on the caller, %5.1f messages, %6.0f us of wire time\n", label, us,
                static_cast<double>(total.messages) / ROUNDS, static_cast<double>(total.wireMicros) / ROUNDS);
}

}  // namespace

int main()
{
    std::printf("refresh: one surface refresh, in process, averaged over %d\n", ROUNDS);
    arrange();
    refreshSurface();
    Queued first = drain();
    std::printf("  %-34s %6s    %11d messages, %6lld us of wire time\n", "first refresh (page entry too):", "",
                first.messages, static_cast<long long>(first.wireMicros));
    report("nothing changed:", [](int) {});
    report("a strip not shown changed:", [](int k) { strips[40].fader = (k % 100) / 100.0; });
    report("a shown fader changed:", [](int k) { strips[k % 8].fader = (k % 100) / 100.0; });
    report("a shown mute changed:", [](int k) { strips[k % 8].mute = (k / 8) % 2; });
    report("a shown name changed:", [](int k) {
        char name[8];
        copyStripName(strips[k % 8], name);
        name[0] = static_cast<char>('A' + k % 26);
        storeStripName(strips[k % 8], name);
    });
    return 0;
}
