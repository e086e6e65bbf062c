// The motor faders' scale, the same both ways: pitch bend with two 7-bit
// data bytes, position = (d1 + 128 x d2) / FADER_STEPS. A position read from
// the surface and sent back lands on the same step, so a fader the hand let
// go of does not creep. Header-only: the device emulators use it too.
#pragma once

#include <cmath>
#include <cstdint>

constexpr int FADER_STEPS = 16383;

// Step 0..FADER_STEPS nearest to a position; anything outside 0..1 (or not
// a number) is held to the fader's travel.
inline int faderStepOf(double position)
{
    if (!(position > 0.0)) return 0;
    if (position >= 1.0) return FADER_STEPS;
    return static_cast<int>(std::lround(position * FADER_STEPS));
}

inline double faderPositionOfStep(int step) { return static_cast<double>(step) / FADER_STEPS; }

// The two data bytes of a step, low seven bits first.
inline uint8_t faderLowByte(int step) { return static_cast<uint8_t>(step & 0x7F); }
inline uint8_t faderHighByte(int step) { return static_cast<uint8_t>((step >> 7) & 0x7F); }
inline int faderStepOfBytes(uint8_t low, uint8_t high) { return (low & 0x7F) | ((high & 0x7F) << 7); }
