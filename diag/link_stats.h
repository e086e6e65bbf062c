// Datagram counters of both links for the operator's status block. Called
// from every thread that sends or receives; relaxed atomics only.
#pragma once

#include <cstdint>

enum class LinkDirection { MixerIn, MixerOut, SurfaceIn, SurfaceOut };

// One datagram went this way.
void countLinkDatagram(LinkDirection direction);

struct LinkActivity {
    uint64_t total;
    int64_t lastMs;         // steady ms of the last datagram, 0 = never
    double perSecond;       // over the last 10 s
};
LinkActivity linkActivity(LinkDirection direction);

void resetLinkStats();
