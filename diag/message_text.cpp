#include "diag/message_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "model/fader_scale.h"

namespace {

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
