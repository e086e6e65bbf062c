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
    // Where each fader physically stands, in the host's units (position x
    // 32636): the motor's last position from the host, or the hand's.
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
};

extern SurfaceState surface;

// Full scale of a motor-fader value: the bridge sends position x 32636.
constexpr double kFaderFullScale = 32636.0;

// Applies every MIDI message of one datagram. Running status is honoured:
// data bytes after a complete message repeat the last status. The motor
// fader's two data bytes are taken whole (the bridge sends 8-bit halves);
// a touched fader does not move.
void applySurfaceDatagram(const uint8_t* data, size_t length);

// fader 0..8 (8 = master), 0.0 ... about 1.0
double faderPosition(int fader);

// The state as stable text lines: displays, faders, rings, meters, lamps
// (only those ever set, unless allLamps), then datagrams, ignored and
// heartbeats, in that order; "heartbeats N" is always the last line.
std::vector<std::string> surfaceDumpLines(bool allLamps);

// A display line as dump shows it: printable ASCII kept, quotes and
// backslashes escaped, other bytes as \xNN, trailing NULs dropped.
std::string displayText(const char* text);

void resetSurfaceState();
