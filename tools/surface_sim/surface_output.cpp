#include "surface_output.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "../../model/fader_scale.h"
#include "../common/sim_common.h"
#include "surface_state.h"

SurfaceLink surfaceLink;

namespace {

uint8_t dataByte(int value) { return static_cast<uint8_t>(value < 0 ? 0 : (value > 127 ? 127 : value)); }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::vector<uint8_t> noteMessage(int note, int velocity) { return {0x90, dataByte(note), dataByte(velocity)}; }

std::vector<uint8_t> encoderMessage(int encoder, int value)
{
    return {0xB0, dataByte(15 + encoder), dataByte(value)};
}

std::vector<uint8_t> faderMessage(int fader, double position)
{
    const int step = faderStepOf(position);
    uint8_t status = static_cast<uint8_t>(0xE0 + (fader - 1));
    return {status, faderLowByte(step), faderHighByte(step)};
}

std::vector<uint8_t> touchMessage(int fader, bool touched) { return noteMessage(103 + fader, touched ? 127 : 0); }

void moveFaderByHand(int fader, double position)
{
    if (fader < 1 || fader > 9) return;
    bool held = surface.touched[fader - 1];
    if (!held) holdFader(fader, true);
    sendToBridge(faderMessage(fader, position));
    surface.faderValue[fader - 1] = faderStepOf(position);
    if (!held) holdFader(fader, false);
}

void holdFader(int fader, bool touched)
{
    if (fader < 1 || fader > 9) return;
    surface.touched[fader - 1] = touched;
    sendToBridge(touchMessage(fader, touched));
}

bool parseHexWords(const std::vector<std::string>& words, size_t first, std::vector<uint8_t>& out)
{
    out.clear();
    for (size_t w = first; w < words.size(); ++w) {
        std::string word = words[w];
        if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) word = word.substr(2);
        if (word.empty() || word.size() % 2 != 0) return false;
        for (size_t i = 0; i < word.size(); i += 2) {
            int high = hexDigit(word[i]);
            int low = hexDigit(word[i + 1]);
            if (high < 0 || low < 0) return false;
            out.push_back(static_cast<uint8_t>(high * 16 + low));
        }
    }
    return !out.empty();
}

void sendToBridge(const std::vector<uint8_t>& bytes)
{
    if (!sendDatagram(surfaceLink.socketFd, surfaceLink.bridge, bytes.data(), bytes.size())) {
        say("send to %s failed: %s", endpointText(surfaceLink.bridge).c_str(), std::strerror(errno));
        return;
    }
    ++surface.sent;
    if (surfaceLink.verbose && !surfaceLink.interactive) say("sent %s", hexBytes(bytes.data(), bytes.size()).c_str());
    if (surfaceLink.interactive) surfaceLink.lastMessage = "sent " + hexBytes(bytes.data(), bytes.size());
}

void sendProbeIfDue(int64_t nowMs)
{
    static const uint8_t probe[8] = {0xF0, 0x00, 0x20, 0x32, 0x58, 0x54, 0x00, 0xF7};
    if (surface.heartbeats != surfaceLink.heartbeatsSeen) {
        surfaceLink.heartbeatsSeen = surface.heartbeats;
        surfaceLink.keepAliveAtMs = nowMs;
    }
    if (!surface.waitingForHost && surfaceLink.keepAliveAtMs != 0 && nowMs - surfaceLink.keepAliveAtMs >= kHostSilenceMs) {
        surface.waitingForHost = true;
        surfaceLink.nextProbeMs = nowMs;
    }
    if (!surface.waitingForHost || nowMs < surfaceLink.nextProbeMs) return;
    surfaceLink.nextProbeMs = nowMs + kProbeIntervalMs;
    ++surface.probes;
    sendToBridge(std::vector<uint8_t>(probe, probe + sizeof probe));
}

int64_t msUntilProbe(int64_t nowMs)
{
    int64_t due = -1;
    if (surface.waitingForHost) due = surfaceLink.nextProbeMs;
    else if (surfaceLink.keepAliveAtMs != 0) due = surfaceLink.keepAliveAtMs + kHostSilenceMs;
    return due < 0 ? -1 : (due > nowMs ? due - nowMs : 0);
}

void restartSurface(int64_t nowMs)
{
    blankSurface();
    surfaceLink.nextProbeMs = nowMs;
    sendProbeIfDue(nowMs);
}

void say(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (surfaceLink.interactive) {
        surfaceLink.lastMessage = text;
        return;
    }
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
