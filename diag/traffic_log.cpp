#include "diag/traffic_log.h"

#include <atomic>
#include <cstring>

#include "diag/message_text.h"
#include "platform/clock.h"
#include "platform/console_output.h"

namespace {

std::atomic<int> logLevel{0};
std::atomic<int64_t> startMs{0};

double secondsSinceStart()
{
    int64_t start = startMs.load(std::memory_order_relaxed);
    return static_cast<double>(steadyMilliseconds() - start) / 1000.0;
}

const char* arrow(LinkDirection d)
{
    switch (d) {
    case LinkDirection::MixerIn: return "osc<";
    case LinkDirection::MixerOut: return "osc>";
    case LinkDirection::SurfaceIn: return "midi<";
    default: return "midi>";
    }
}

void logLine(LinkDirection direction, const char* text)
{
    consolePrint("%.3f %s %s\n", secondsSinceStart(), arrow(direction), text);
}

} // namespace

void setTrafficLogLevel(int level)
{
    if (startMs.load() == 0) startMs = steadyMilliseconds();
    logLevel = level;
}

bool isBackgroundOsc(const uint8_t* data, int length)
{
    if (length < 6) return false;
    const char* address = reinterpret_cast<const char*>(data);
    return std::strncmp(address, "/meter", 6) == 0 || std::strncmp(address, "/xremote", 8) == 0 ||
           std::strncmp(address, "/renew", 6) == 0 || std::strncmp(address, "/batchsubscribe", 15) == 0;
}

bool isBackgroundMidi(const uint8_t* data, int length)
{
    if (length < 1) return false;
    if (data[0] == 0xD0) return true;
    static const uint8_t heartbeat[7] = {0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7};
    return length == 7 && std::memcmp(data, heartbeat, 7) == 0;
}

void noteMixerDatagram(LinkDirection direction, const uint8_t* data, int length)
{
    countLinkDatagram(direction);
    int level = logLevel.load(std::memory_order_relaxed);
    if (level == 0 || (level == 1 && isBackgroundOsc(data, length))) return;
    char line[512];
    formatOscLogText(line, sizeof line, data, length);
    logLine(direction, line);
}

void noteSurfaceDatagram(LinkDirection direction, const uint8_t* data, int length)
{
    countLinkDatagram(direction);
    int level = logLevel.load(std::memory_order_relaxed);
    if (level == 0 || (level == 1 && isBackgroundMidi(data, length))) return;
    char line[512];
    formatMidiLogText(line, sizeof line, data, length);
    logLine(direction, line);
}

void resetTrafficLog()
{
    logLevel = 0;
    startMs = steadyMilliseconds();
}
