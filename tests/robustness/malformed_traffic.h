// Datagrams that the bridge must drop or ignore, built from a seeded
// generator so a failure can be replayed: OSC as if from the console and
// MIDI as if from the surface. Well-formed builders for the valid messages
// sent amid them. Portable; no sockets.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

Bytes oscWithFloat(const std::string& address, float value);
Bytes oscWithInt(const std::string& address, int32_t value);
Bytes oscWithString(const std::string& address, const std::string& value);

// Noise, cut-short messages, missing or unterminated type tags, numbers
// outside every model array, arguments of the wrong type and broken meter
// blobs. None may change the console model. (A name string that is not
// terminated is left out: it empties the name by design.)
Bytes malformedOsc(std::mt19937& random);

// Too short, messages cut by a high byte, data without a status, and
// messages the surface never sends for a control, any number of them in one
// datagram. None may reach the console.
Bytes malformedMidi(std::mt19937& random);

// MIDI pitch bend for fader 1..9 at position 0..1, as the surface sends it.
Bytes surfaceFaderBytes(int fader, double position);
