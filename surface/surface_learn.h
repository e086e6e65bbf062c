// "--surface auto": the surface is whoever first sends its probe (it sends
// one about every 2 s while it waits for a host) to the listening port. From
// then on only that address is the surface; another surface's probe is
// named once and ignored. Runs on the surface receive thread; the queries
// are safe from any thread.
#pragma once

#include <cstdint>

#include "platform/udp.h"

// Starts waiting for a probe (entry, before the threads start). Until one
// comes the surface link has no address, and what is queued goes nowhere.
void startSurfaceLearning();

// Learning was started and no surface is known yet.
bool surfaceAwaitingProbe();

// F0 00 20 32 58 54 00 F7, alone in the datagram.
bool isSurfaceProbe(const uint8_t* bytes, int length);

enum class LearnStep {
    Pass,     // not ours to judge: the receive loop goes on as usual
    Drop,     // nobody's surface yet, or another surface: ignore
    Learned,  // this datagram's sender is the surface from now on
};

// Looks at one datagram (not the bridge's own). On Learned the surface link
// points at the sender and "Found X-Touch at A:P" has been printed; the
// caller sends it everything.
LearnStep learnSurfaceFrom(const uint8_t* bytes, int length, const UdpEndpoint& from);

void resetSurfaceLearning();
