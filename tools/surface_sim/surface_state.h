// What the emulated surface shows, kept from the MIDI bytes the bridge sends:
// strip displays, motor faders, encoder rings, meters, lamps and the count
// of heartbeats. Written and read on the emulator's event-loop thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct StripDisplayState {
    uint8_t colorByte = 0;  // colour 0..7 plus 0x40 when inverted
    char top[7] = {};
    char bottom[7] = {};
};

struct SurfaceState {
    StripDisplayState displays[8];
    // Where each fader physically stands, as a step 0..16383 of the 14-bit
    // pitch bend: the motor's last position from the host, or the hand's.
    int faderValue[9] = {};
    uint64_t faderMoves[9] = {};  // motor-fader messages received per fader
    bool touched[9] = {};  // a hand on the fader: the motor does not fight it
    uint8_t ringFirst[8] = {};
    uint8_t ringSecond[8] = {};
    int meterSegment[8] = {};
    int lamp[128] = {};
    bool lampSet[128] = {};
    uint64_t heartbeats = 0;
    uint64_t datagrams = 0;
    uint64_t ignored = 0;  // messages not understood (kept out of the state)
    uint64_t malformed = 0;  // cut messages and stray bytes, as a strict parser finds them
    // Until a keep-alive arrives the surface waits for a host and probes.
    bool waitingForHost = true;
    uint64_t sent = 0;          // datagrams sent to the host
    uint64_t probes = 0;        // probes sent
    uint64_t probeAnswers = 0;  // host answers to a probe
};

extern SurfaceState surface;

// Applies every MIDI message of one datagram, read as strictly as the
// device reads it (tools/common/strict_midi.h); malformed messages are
// counted and left out. A motor-fader position is d1 + 128 x d2; a touched
// fader does not move. A keep-alive ends the wait for a host.
void applySurfaceDatagram(const uint8_t* data, size_t length);

// fader 0..8 (8 = master), 0.0 ... 1.0
double faderPosition(int fader);

// The state as stable text lines: displays, faders, rings, meters, lamps
// (only those ever set, unless allLamps), then datagrams, ignored,
// malformed, probes and heartbeats, in that order; "heartbeats N" is always
// the last line.
std::vector<std::string> surfaceDumpLines(bool allLamps);

// A display line as dump shows it: printable ASCII kept, quotes and
// backslashes escaped, other bytes as \xNN, trailing NULs dropped.
std::string displayText(const char* text);

void resetSurfaceState();
// A restart: everything shown goes dark and the surface waits for a host
// again; the counters stay.
void blankSurface();
