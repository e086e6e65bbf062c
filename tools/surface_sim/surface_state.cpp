#include "surface_state.h"

#include <cstdio>
#include <cstring>

#include "../../model/fader_scale.h"
#include "../common/strict_midi.h"

SurfaceState surface;

namespace {

const uint8_t kHeartbeat[7] = {0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7};
const uint8_t kDisplayHeader[5] = {0xF0, 0x00, 0x00, 0x66, 0x58};
const uint8_t kProbeAnswer[8] = {0xF0, 0x00, 0x20, 0x32, 0x58, 0x54, 0x01, 0xF7};

void applySysex(const uint8_t* message, size_t length)
{
    if (length == sizeof kHeartbeat && std::memcmp(message, kHeartbeat, length) == 0) {
        ++surface.heartbeats;
        surface.waitingForHost = false;
        return;
    }
    if (length == sizeof kProbeAnswer && std::memcmp(message, kProbeAnswer, length) == 0) {
        ++surface.probeAnswers;
        return;
    }
    if (length == 22 && std::memcmp(message, kDisplayHeader, 5) == 0 && message[5] >= 0x20 && message[5] <= 0x27) {
        StripDisplayState& display = surface.displays[message[5] - 0x20];
        display.colorByte = message[6];
        std::memcpy(display.top, message + 7, 7);
        std::memcpy(display.bottom, message + 14, 7);
        return;
    }
    ++surface.ignored;
}

void applyChannelMessage(uint8_t status, const uint8_t* data)
{
    uint8_t kind = status & 0xF0;
    if (status == 0x90 && data[0] < 128) {
        surface.lamp[data[0]] = data[1];
        surface.lampSet[data[0]] = true;
    } else if (status == 0x80 && data[0] < 128) {
        surface.lamp[data[0]] = 0;
        surface.lampSet[data[0]] = true;
    } else if (status == 0xB0 && data[0] >= 0x30 && data[0] <= 0x37) {
        surface.ringFirst[data[0] - 0x30] = data[1];
    } else if (status == 0xB0 && data[0] >= 0x38 && data[0] <= 0x3F) {
        surface.ringSecond[data[0] - 0x38] = data[1];
    } else if (kind == 0xE0 && status <= 0xE8) {
        if (!surface.touched[status - 0xE0]) surface.faderValue[status - 0xE0] = faderStepOfBytes(data[0], data[1]);
        ++surface.faderMoves[status - 0xE0];
    } else if (status == 0xD0 && (data[0] & 0x0F) <= 8) {
        surface.meterSegment[data[0] >> 4] = data[0] & 0x0F;
    } else {
        ++surface.ignored;
    }
}

}  // namespace

void applySurfaceDatagram(const uint8_t* data, size_t length)
{
    ++surface.datagrams;
    surface.malformed += readStrictMidi(data, length, [](const StrictMidiMessage& message) {
        if (message.sysex) applySysex(message.sysex, message.sysexLength);
        else if (message.dataLength >= 1 && message.status < 0xF0) applyChannelMessage(message.status, message.data);
        else ++surface.ignored;
    });
}

double faderPosition(int fader)
{
    if (fader < 0 || fader > 8) return 0.0;
    return faderPositionOfStep(surface.faderValue[fader]);
}

std::string displayText(const char* text)
{
    size_t length = 7;
    while (length > 0 && text[length - 1] == '\0') --length;
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out;
}

std::vector<std::string> surfaceDumpLines(bool allLamps)
{
    std::vector<std::string> lines;
    char line[160];
    for (int i = 0; i < 8; ++i) {
        const StripDisplayState& d = surface.displays[i];
        std::snprintf(line, sizeof line, "display %d color %d inv %d top \"%s\" bottom \"%s\"", i + 1,
                      d.colorByte & ~0x40, (d.colorByte & 0x40) ? 1 : 0, displayText(d.top).c_str(),
                      displayText(d.bottom).c_str());
        lines.push_back(line);
    }
    for (int i = 0; i < 9; ++i) {
        std::snprintf(line, sizeof line, "fader %d %.4f", i + 1, faderPosition(i));
        lines.push_back(line);
    }
    for (int i = 0; i < 8; ++i) {
        std::snprintf(line, sizeof line, "ring %d %d %d", i + 1, surface.ringFirst[i], surface.ringSecond[i]);
        lines.push_back(line);
    }
    for (int i = 0; i < 8; ++i) {
        std::snprintf(line, sizeof line, "meter %d %d", i + 1, surface.meterSegment[i]);
        lines.push_back(line);
    }
    for (int note = 0; note < 128; ++note) {
        if (!surface.lampSet[note] && !allLamps) continue;
        std::snprintf(line, sizeof line, "lamp %d %d", note, surface.lamp[note]);
        lines.push_back(line);
    }
    std::snprintf(line, sizeof line, "datagrams %llu", static_cast<unsigned long long>(surface.datagrams));
    lines.push_back(line);
    std::snprintf(line, sizeof line, "ignored %llu", static_cast<unsigned long long>(surface.ignored));
    lines.push_back(line);
    std::snprintf(line, sizeof line, "malformed %llu", static_cast<unsigned long long>(surface.malformed));
    lines.push_back(line);
    std::snprintf(line, sizeof line, "sent %llu", static_cast<unsigned long long>(surface.sent));
    lines.push_back(line);
    std::snprintf(line, sizeof line, "probes %llu answered %llu", static_cast<unsigned long long>(surface.probes),
                  static_cast<unsigned long long>(surface.probeAnswers));
    lines.push_back(line);
    std::snprintf(line, sizeof line, "heartbeats %llu", static_cast<unsigned long long>(surface.heartbeats));
    lines.push_back(line);
    return lines;
}

void resetSurfaceState() { surface = SurfaceState{}; }

void blankSurface()
{
    SurfaceState counters = surface;
    surface = SurfaceState{};
    surface.datagrams = counters.datagrams;
    surface.ignored = counters.ignored;
    surface.malformed = counters.malformed;
    surface.heartbeats = counters.heartbeats;
    surface.probes = counters.probes;
    surface.sent = counters.sent;
    surface.probeAnswers = counters.probeAnswers;
}
