// Meter blocks as the console streams them to a subscriber: an OSC message
// under the subscriber's alias with one blob whose data is a little-endian
// int32 value count followed by that many little-endian float32 levels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Block numbers 1..3 ("/meters/1" ... "/meters/3"); 0 for any other name.
int meterBlockNumber(const std::string& name);

// Number of values in a block: 70, 49 and 22.
int meterBlockSize(int block);

// Linear levels of the block at a moment: each strip moves on its own,
// scaled by its fader and silent while it is muted.
std::vector<float> meterBlockValues(int block, int64_t nowMs);

// The complete datagram for alias with the given levels.
std::vector<uint8_t> meterBlobMessage(const std::string& alias, const std::vector<float>& values);
