#include "meters.h"

#include <cmath>
#include <cstring>

#include "osc_wire.h"
#include "param_store.h"

namespace {

// Block 1: channels 1-32, aux 1-8, returns 1-8, buses 1-16, matrices 1-6.
// Block 2: buses 1-16, matrices 1-6, main L, main R, mono, then 24 more.
// Block 3: six aux sends, aux 1-8, returns 1-8.
const int kBlockSizes[4] = {0, 70, 49, 22};

float movingLevel(int strip, int64_t nowMs)
{
    std::string prefix = stripPrefix(strip);
    bool dca = strip >= 72;
    int on = intValueOf(prefix + (dca ? "/on" : "/mix/on"), 1);
    if (on == 0) return 0.0f;
    float fader = floatValueOf(prefix + (dca ? "/fader" : "/mix/fader"), 0.75f);
    double seconds = static_cast<double>(nowMs) / 1000.0;
    double rate = 0.35 + 0.09 * (strip % 13);
    double phase = 0.7 * strip;
    double swing = 0.5 + 0.5 * std::sin(6.283185307179586 * rate * seconds + phase);
    double flicker = 0.15 * std::fabs(std::sin(11.0 * seconds + strip));
    double level = fader * (0.15 + 0.7 * swing + flicker);
    return static_cast<float>(level > 1.0 ? 1.0 : level);
}

void putLittleEndian(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

int meterBlockNumber(const std::string& name)
{
    if (name == "/meters/1") return 1;
    if (name == "/meters/2") return 2;
    if (name == "/meters/3") return 3;
    return 0;
}

int meterBlockSize(int block) { return block >= 1 && block <= 3 ? kBlockSizes[block] : 0; }

std::vector<float> meterBlockValues(int block, int64_t nowMs)
{
    std::vector<float> values(static_cast<size_t>(meterBlockSize(block)), 0.0f);
    if (block == 1) {
        for (int k = 0; k < 70; ++k) values[k] = movingLevel(k, nowMs);
    } else if (block == 2) {
        for (int k = 0; k < 22; ++k) values[k] = movingLevel(48 + k, nowMs);
        float main = movingLevel(70, nowMs);
        values[22] = main * 0.92f;
        values[23] = main;
        values[24] = movingLevel(71, nowMs);
        for (int k = 25; k < 49; ++k) values[k] = 0.05f * movingLevel(k - 25, nowMs);
    } else if (block == 3) {
        for (int k = 0; k < 6; ++k) values[k] = 0.5f * movingLevel(48 + k, nowMs);
        for (int k = 6; k < 22; ++k) values[k] = movingLevel(26 + k, nowMs);
    }
    return values;
}

std::vector<uint8_t> meterBlobMessage(const std::string& alias, const std::vector<float>& values)
{
    std::vector<uint8_t> data;
    data.reserve(4 + 4 * values.size());
    putLittleEndian(data, static_cast<uint32_t>(values.size()));
    for (float value : values) {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        putLittleEndian(data, bits);
    }
    return encodeOscMessage(alias, {oscBlob(std::move(data))});
}
