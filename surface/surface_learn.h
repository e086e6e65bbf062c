// "--surface auto": every X-Touch that sends its probe (it sends one about
// every 2 s while it waits for a host) to the listening port is served, up
// to MAX_SURFACES, numbered in the order they were found. An X-Touch probes
// only the host it was set up to talk to, so a probe that reaches the
// bridge is meant for it. A probe beyond the last surface is named once and
// ignored. Runs on the surface receive thread; the queries are safe from
// any thread.
#pragma once

#include <cstdint>

#include "platform/udp.h"

// Starts waiting for probes (entry, before the threads start). Until one
// comes surface 1 has no address, and what is queued goes nowhere.
void startSurfaceLearning();

// Learning was started and no surface is known yet.
bool surfaceAwaitingProbe();

// F0 00 20 32 58 54 00 F7, alone in the datagram.
bool isSurfaceProbe(const uint8_t* bytes, int length);

enum class LearnStep {
    Pass,     // not ours to judge: the receive loop goes on as usual
    Drop,     // nobody's surface yet, or one too many: ignore
    Learned,  // this datagram's sender is a new surface from now on
};

// Looks at one datagram (not the bridge's own). On Learned the new
// surface's link points at the sender, surfacesServed counts it and "Found
// X-Touch at A:P (surface N)" has been printed; the caller sends it
// everything.
LearnStep learnSurfaceFrom(const uint8_t* bytes, int length, const UdpEndpoint& from);

// The surface 0..surfacesServed-1 a datagram from this address belongs to:
// the one with exactly this address, else the only one on its host (an
// X-Touch's source port may vary); -1 for none.
int surfaceIndexOf(const UdpEndpoint& from);

void resetSurfaceLearning();
