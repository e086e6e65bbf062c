#include "model/link_stats.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "model/fader_scale.h"
#include "platform/clock.h"
#include "platform/console_output.h"

namespace {

constexpr int BUCKETS = 16;
constexpr int WINDOW_SECONDS = 10;

struct Bucket {
    std::atomic<int64_t> second{-1};
    std::atomic<uint64_t> count{0};
};

struct Counter {
    std::atomic<uint64_t> total{0};
    std::atomic<int64_t> lastMs{0};
    Bucket buckets[BUCKETS];
};

std::atomic<int> logLevel{0};
std::atomic<int64_t> startMs{0};
Counter counters[4];

void count(LinkDirection direction)
{
    Counter& c = counters[static_cast<int>(direction)];
    int64_t now = steadyMilliseconds();
    c.total.fetch_add(1, std::memory_order_relaxed);
    c.lastMs.store(now, std::memory_order_relaxed);
    int64_t second = now / 1000;
    Bucket& b = c.buckets[second % BUCKETS];
    if (b.second.load(std::memory_order_relaxed) != second) {
        b.second.store(second, std::memory_order_relaxed);
        b.count.store(0, std::memory_order_relaxed);
    }
    b.count.fetch_add(1, std::memory_order_relaxed);
}

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

uint32_t bigEndian32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Appends to line at *used; false once the line is full.
bool append(char* line, int capacity, int& used, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
bool append(char* line, int capacity, int& used, const char* format, ...)
{
    if (used >= capacity - 1) return false;
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line + used, static_cast<size_t>(capacity - used), format, args);
    va_end(args);
    if (n < 0) return false;
    used = n >= capacity - used ? capacity - 1 : used + n;
    return true;
}

} // namespace

void setTrafficLogLevel(int level)
{
    if (startMs.load() == 0) startMs = steadyMilliseconds();
    logLevel = level;
}

int trafficLogLevel() { return logLevel.load(std::memory_order_relaxed); }

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

int formatOscLogText(char* line, int capacity, const uint8_t* data, int length)
{
    if (capacity <= 0) return 0;
    line[0] = '\0';
    int used = 0;
    const uint8_t* end = data + length;
    const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(data, 0, static_cast<size_t>(length)));
    if (!zero) {
        append(line, capacity, used, "(malformed, %d bytes)", length);
        return used;
    }
    append(line, capacity, used, "%.*s", static_cast<int>(zero - data), reinterpret_cast<const char*>(data));
    int tagAt = static_cast<int>(((zero - data) + 4) & ~3);
    if (tagAt >= length || data[tagAt] != ',') return used;
    const uint8_t* tagEnd = static_cast<const uint8_t*>(
        std::memchr(data + tagAt, 0, static_cast<size_t>(length - tagAt)));
    if (!tagEnd) return used;
    const char* tags = reinterpret_cast<const char*>(data + tagAt);
    append(line, capacity, used, " %s", tags);
    const uint8_t* arg = data + ((tagEnd - data + 4) & ~3);
    for (const char* t = tags + 1; *t; ++t) {
        if ((*t == 'i' || *t == 'f' || *t == 'b') && end - arg < 4) break;
        if (*t == 'i') {
            append(line, capacity, used, " %d", static_cast<int32_t>(bigEndian32(arg)));
            arg += 4;
        } else if (*t == 'f') {
            uint32_t bits = bigEndian32(arg);
            float f;
            std::memcpy(&f, &bits, 4);
            append(line, capacity, used, " %.4f", static_cast<double>(f));
            arg += 4;
        } else if (*t == 's') {
            const uint8_t* z = arg < end ? static_cast<const uint8_t*>(
                                               std::memchr(arg, 0, static_cast<size_t>(end - arg)))
                                         : nullptr;
            if (!z) break;
            append(line, capacity, used, " \"%.*s\"", static_cast<int>(z - arg), reinterpret_cast<const char*>(arg));
            arg += ((z - arg) + 4) & ~3;
        } else if (*t == 'b') {
            uint32_t size = bigEndian32(arg);
            append(line, capacity, used, " blob[%u]", size);
            if (size > static_cast<uint32_t>(end - arg - 4)) break;
            arg += 4 + ((size + 3) & ~3u);
        } else {
            append(line, capacity, used, " ?");
            break;
        }
        if (arg > end) break;
    }
    return used;
}

int formatMidiLogText(char* line, int capacity, const uint8_t* data, int length)
{
    if (capacity <= 0) return 0;
    line[0] = '\0';
    int used = 0;
    const int shown = length > 24 ? 24 : length;
    for (int i = 0; i < shown; ++i) append(line, capacity, used, i ? " %02X" : "%02X", data[i]);
    if (length > shown) append(line, capacity, used, " ...");
    if (length < 1) return used;
    const uint8_t status = data[0];
    if (status == 0xF0) {
        append(line, capacity, used, "  sysex %d bytes", length);
    } else if (length >= 3 && status == 0x90) {
        append(line, capacity, used, "  note %d vel %d%s", data[1], data[2],
               length > 3 ? " (+ more)" : "");
    } else if (length >= 3 && status == 0xB0) {
        append(line, capacity, used, "  cc %d = %d%s", data[1], data[2], length > 3 ? " (+ more)" : "");
    } else if (length >= 3 && (status & 0xF0) == 0xE0) {
        double position = faderPositionOfStep(faderStepOfBytes(data[1], data[2]));
        append(line, capacity, used, "  fader %d %.4f", (status & 0x0F) + 1, position);
    } else if (length >= 2 && status == 0xD0) {
        append(line, capacity, used, "  meter %d segment %d", data[1] >> 4, data[1] & 0x0F);
    }
    return used;
}

void noteMixerDatagram(LinkDirection direction, const uint8_t* data, int length)
{
    count(direction);
    int level = logLevel.load(std::memory_order_relaxed);
    if (level == 0 || (level == 1 && isBackgroundOsc(data, length))) return;
    char line[512];
    formatOscLogText(line, sizeof line, data, length);
    logLine(direction, line);
}

void noteSurfaceDatagram(LinkDirection direction, const uint8_t* data, int length)
{
    count(direction);
    int level = logLevel.load(std::memory_order_relaxed);
    if (level == 0 || (level == 1 && isBackgroundMidi(data, length))) return;
    char line[512];
    formatMidiLogText(line, sizeof line, data, length);
    logLine(direction, line);
}

LinkActivity linkActivity(LinkDirection direction)
{
    const Counter& c = counters[static_cast<int>(direction)];
    int64_t second = steadyMilliseconds() / 1000;
    uint64_t recent = 0;
    for (const Bucket& b : c.buckets) {
        int64_t s = b.second.load(std::memory_order_relaxed);
        if (s > second - WINDOW_SECONDS && s <= second) recent += b.count.load(std::memory_order_relaxed);
    }
    return {c.total.load(), c.lastMs.load(), static_cast<double>(recent) / WINDOW_SECONDS};
}

void resetLinkStats()
{
    logLevel = 0;
    startMs = steadyMilliseconds();
    for (Counter& c : counters) {
        c.total = 0;
        c.lastMs = 0;
        for (Bucket& b : c.buckets) {
            b.second = -1;
            b.count = 0;
        }
    }
}
