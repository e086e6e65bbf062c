// The three subscribed meter blocks: copy the levels the surface shows into
// the strips and re-send the eight surface meters after each block that
// holds one of them.
// No count, no lock, no refresh; each meter value is one relaxed atomic store.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "mixer/reply_handlers.h"
#include "model/console_model.h"
#include "surface/output_queue.h"

namespace {

// Bytes each block must hold: the little-endian value count, then values up
// to the last one used.
constexpr int32_t METER1_BYTES = 4 + 4 * 32;
constexpr int32_t METER2_BYTES = 4 + 4 * 25;
constexpr int32_t METER3_BYTES = 4 + 4 * 22;

const uint8_t* readMeterBlock(ParsedOscMessage& message, int32_t needed)
{
    const uint8_t* data;
    int32_t size;
    if (!readOscBlob(message, data, size) || size < needed) return nullptr;
    return data;
}

// Value k of a block, little-endian whatever the host. A value that is not
// a number shows as silence.
float meterValue(const uint8_t* block, int k)
{
    const uint8_t* at = block + 4 + 4 * k;
    uint32_t bits = static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
                    (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return std::isfinite(value) ? value : 0.0f;
}

// The block that carries a strip's meter, 0 for none (DCAs, blank).
int meterBlockOf(int strip)
{
    const StripFamily* family = stripFamilyOf(strip);
    return family ? family->meterBlock : 0;
}

// The eight shown meters, after a block that holds at least one of them: a
// block of strips not shown changes nothing there. With no metered strip
// shown, the first block keeps sending the zeros.
void sendShownMeters(int block)
{
    bool holdsShown = false;
    bool anyMetered = false;
    float levels[8];
    for (int i = 0; i < 8; ++i) {
        int strip = bankStrips[i];
        int carrier = meterBlockOf(strip);
        holdsShown = holdsShown || carrier == block;
        anyMetered = anyMetered || carrier != 0;
        levels[i] = carrier != 0 ? strips[strip].meter.load() : 0.0f;
    }
    if (holdsShown || (block == 1 && !anyMetered)) queueMeterLevels(levels);
}

// Each surface shows the meters of its own strips.
void sendShownMetersEverywhere(int block)
{
    forEachSurface([block] { sendShownMeters(block); });
}

} // namespace

// Input channels 1-32.
SurfaceChange handleMeterBlob1(ParsedOscMessage& message)
{
    const uint8_t* block = readMeterBlock(message, METER1_BYTES);
    if (!block) return NOTHING_CHANGED;
    for (int k = 0; k < CHANNEL_COUNT; ++k) strips[FIRST_CHANNEL + k].meter = meterValue(block, k);
    sendShownMetersEverywhere(1);
    return NOTHING_CHANGED;
}

// Buses 1-16 and matrices 1-6, then main left/right and mono.
SurfaceChange handleMeterBlob2(ParsedOscMessage& message)
{
    const uint8_t* block = readMeterBlock(message, METER2_BYTES);
    if (!block) return NOTHING_CHANGED;
    // Buses and matrices are consecutive strips, as they are in the blob.
    for (int k = 0; k < MAIN_STEREO - FIRST_BUS; ++k) strips[FIRST_BUS + k].meter = meterValue(block, k);
    float left = meterValue(block, 22);
    float right = meterValue(block, 23);
    strips[MAIN_STEREO].meter = left > right ? left : right;
    strips[MAIN_MONO].meter = meterValue(block, 24);
    sendShownMetersEverywhere(2);
    return NOTHING_CHANGED;
}

// Aux inputs 1-8 and effects returns 1-8 from values 6..21.
SurfaceChange handleMeterBlob3(ParsedOscMessage& message)
{
    const uint8_t* block = readMeterBlock(message, METER3_BYTES);
    if (!block) return NOTHING_CHANGED;
    for (int k = 6; k < 22; ++k) strips[FIRST_AUX_IN - 6 + k].meter = meterValue(block, k);
    sendShownMetersEverywhere(3);
    return NOTHING_CHANGED;
}
