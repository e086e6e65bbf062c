// Traffic seen on both links: counters for the operator's status block and
// the optional one-line-per-message log. Called from every thread that sends
// or receives; off by default, and then costs one relaxed load per message.
#pragma once

#include <atomic>
#include <cstdint>

enum class LinkDirection { MixerIn, MixerOut, SurfaceIn, SurfaceOut };

// 0 off, 1 every message but meters and heartbeats, 2 everything.
void setTrafficLogLevel(int level);
int trafficLogLevel();

// Record one datagram (and log it when the log is on).
void noteMixerDatagram(LinkDirection direction, const uint8_t* data, int length);
void noteSurfaceDatagram(LinkDirection direction, const uint8_t* data, int length);

// Log lines, without the time stamp and the line break; the result is the
// length written (0 when nothing fits).
int formatOscLogText(char* line, int capacity, const uint8_t* data, int length);
int formatMidiLogText(char* line, int capacity, const uint8_t* data, int length);

// Whether a message belongs to the periodic background traffic (meters,
// heartbeats, keep-alives) that the plain log leaves out.
bool isBackgroundOsc(const uint8_t* data, int length);
bool isBackgroundMidi(const uint8_t* data, int length);

struct LinkActivity {
    uint64_t total;
    int64_t lastMs;         // steady ms of the last datagram, 0 = never
    double perSecond;       // over the last 10 s
};
LinkActivity linkActivity(LinkDirection direction);

void resetLinkStats();
