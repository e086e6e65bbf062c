// What the emulated surface sends to the bridge, built as the real surface
// sends it (one MIDI message per datagram), and the emulator's message line.
// Event-loop thread only.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <string>
#include <vector>

struct SurfaceLink {
    int socketFd = -1;
    sockaddr_in bridge{};
    bool verbose = false;
    bool interactive = false;
    int64_t nextProbeMs = 0;
    uint64_t heartbeatsSeen = 0;
    int64_t keepAliveAtMs = 0;  // when the last keep-alive came; 0 = never
    std::string lastMessage;  // the interactive screen's status line
};

extern SurfaceLink surfaceLink;

// Button press (127) or release (0) of a note.
std::vector<uint8_t> noteMessage(int note, int velocity);

// Encoder 1..8 turned: B0, 15 + encoder, value (1..64 clockwise, 65..127 back).
std::vector<uint8_t> encoderMessage(int encoder, int value);

// Pitch bend of fader 1..9 at position 0..1, as the surface sends it: two
// 7-bit data bytes, first + 128 x second over 0..16383.
std::vector<uint8_t> faderMessage(int fader, double position);

// Touch of fader 1..9: note 103 + fader, 127 or 0.
std::vector<uint8_t> touchMessage(int fader, bool touched);

// A hand puts fader 1..9 at position 0..1: touch (unless the fader is held
// already), the pitch bend, release (unless held). The fader then stands
// where the hand left it, at the 7-bit position sent.
void moveFaderByHand(int fader, double position);

// A hand rests on fader 1..9 (true) or leaves it, across other actions.
void holdFader(int fader, bool touched);

// The surface waits for a host at power-on, after a restart and after this
// long without a keep-alive (F0 00 00 66 14 00 F7); while it waits it sends
// its probe (F0 00 20 32 58 54 00 F7) every kProbeIntervalMs.
constexpr int64_t kProbeIntervalMs = 2000;
constexpr int64_t kHostSilenceMs = 8000;
void sendProbeIfDue(int64_t nowMs);
// ms until the next probe is due; -1 when the surface is not waiting.
int64_t msUntilProbe(int64_t nowMs);

// Power cycle: everything shown goes dark and the probing starts at once.
void restartSurface(int64_t nowMs);

// "90 33 7F" or "90337F" (words from index first on); false on bad hex.
bool parseHexWords(const std::vector<std::string>& words, size_t first, std::vector<uint8_t>& out);

void sendToBridge(const std::vector<uint8_t>& bytes);

// A result line: printed in scripted mode, shown on the status line when
// interactive.
void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
