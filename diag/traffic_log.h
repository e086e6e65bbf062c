// The optional one-line-per-message log of both links, and the hook every
// send and receive path calls. Off by default, and then a message costs its
// count and one relaxed load.
#pragma once

#include <cstdint>

#include "diag/link_stats.h"

// 0 off, 1 every message but meters and heartbeats, 2 everything.
void setTrafficLogLevel(int level);

// Count one datagram (and log it when the log is on).
void noteMixerDatagram(LinkDirection direction, const uint8_t* data, int length);
void noteSurfaceDatagram(LinkDirection direction, const uint8_t* data, int length);

// Whether a message belongs to the periodic background traffic (meters,
// heartbeats, keep-alives) that the plain log leaves out.
bool isBackgroundOsc(const uint8_t* data, int length);
bool isBackgroundMidi(const uint8_t* data, int length);

// Log off, time stamps from now.
void resetTrafficLog();
