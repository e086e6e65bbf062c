// A small rock show as the console holds it when the emulator starts: named
// and coloured strips (some names longer than a strip display can show),
// DCA and mute-group members, monitor sends, routing and effects.
#include "param_store.h"

#include <cstdio>
#include <string>

namespace {

struct ChannelStart {
    const char* name;
    int color;      // 0..15, 8..15 inverted
    float fader;
    float pan;
    int dcaMask;
    int muteMask;
    int phantom;    // of the channel's head amp
};

const ChannelStart channelStarts[32] = {
    {"Kick", 9, 0.75f, 0.5f, 0x01, 0x01, 0},     {"Snare", 1, 0.72f, 0.5f, 0x01, 0x01, 0},
    {"HiHat", 1, 0.6f, 0.6f, 0x01, 0x01, 1},     {"Tom 1", 1, 0.7f, 0.4f, 0x01, 0x01, 0},
    {"Tom 2", 1, 0.7f, 0.6f, 0x01, 0x01, 0},     {"Floor", 1, 0.7f, 0.7f, 0x01, 0x01, 0},
    {"OH L", 1, 0.65f, 0.0f, 0x01, 0x01, 1},     {"OH R", 1, 0.65f, 1.0f, 0x01, 0x01, 1},
    {"Bass DI", 3, 0.75f, 0.5f, 0x02, 0x00, 0},  {"Bass Mic", 3, 0.6f, 0.5f, 0x02, 0x00, 1},
    {"Gtr 1", 2, 0.7f, 0.3f, 0x04, 0x00, 0},     {"Gtr 2", 2, 0.7f, 0.7f, 0x04, 0x00, 0},
    {"Keys L", 4, 0.68f, 0.0f, 0x04, 0x00, 0},   {"Keys R", 4, 0.68f, 1.0f, 0x04, 0x00, 0},
    {"Organ", 12, 0.6f, 0.5f, 0x04, 0x00, 0},    {"Synth", 4, 0.55f, 0.5f, 0x04, 0x00, 0},
    {"Lead Vox", 13, 0.8f, 0.5f, 0x88, 0x02, 1}, {"Vox 2", 5, 0.7f, 0.4f, 0x08, 0x02, 1},
    {"Vox 3", 5, 0.7f, 0.6f, 0x08, 0x02, 1},     {"BVox 1", 5, 0.65f, 0.3f, 0x08, 0x02, 1},
    {"BVox 2", 5, 0.65f, 0.7f, 0x08, 0x02, 1},   {"Choir", 5, 0.6f, 0.5f, 0x08, 0x02, 1},
    {"Sax", 6, 0.7f, 0.4f, 0x10, 0x00, 0},       {"Trumpet", 6, 0.7f, 0.5f, 0x10, 0x00, 0},
    {"Trombone", 6, 0.7f, 0.6f, 0x10, 0x00, 0},  {"Violin", 7, 0.6f, 0.3f, 0x20, 0x00, 1},
    {"Cello", 7, 0.6f, 0.7f, 0x20, 0x00, 1},     {"Perc", 14, 0.6f, 0.5f, 0x01, 0x00, 0},
    {"Talkback", 8, 0.0f, 0.5f, 0x00, 0x04, 1},  {"", 0, 0.0f, 0.5f, 0x00, 0x00, 0},
    {"Playback L", 7, 0.5f, 0.0f, 0x40, 0x00, 0}, {"Playback R", 7, 0.5f, 1.0f, 0x40, 0x00, 0},
};

std::string two(int n)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

void startEq(const std::string& p, int bands)
{
    setInt(p + "/eq/on", 1);
    for (int b = 1; b <= bands; ++b) {
        std::string band = p + "/eq/" + std::to_string(b);
        setInt(band + "/type", b == 1 ? 1 : (b == bands ? 4 : 2));
        setFloat(band + "/f", 0.15f + 0.7f * static_cast<float>(b - 1) / static_cast<float>(bands - 1));
        setFloat(band + "/g", b == 2 ? 0.45f : 0.5f);
        setFloat(band + "/q", 0.4648f);
    }
}

void startDynamics(const std::string& p, bool on)
{
    setInt(p + "/dyn/on", on ? 1 : 0);
    setInt(p + "/dyn/env", 1);
    setFloat(p + "/dyn/thr", 0.55f);
    setInt(p + "/dyn/ratio", 4);
    setFloat(p + "/dyn/knee", 0.2f);
    setFloat(p + "/dyn/mgain", 0.1f);
    setFloat(p + "/dyn/attack", 0.3f);
    setFloat(p + "/dyn/hold", 0.2f);
    setFloat(p + "/dyn/release", 0.45f);
    setFloat(p + "/dyn/mix", 1.0f);
    setFloat(p + "/dyn/filter/f", 0.5f);
}

void startMix(const std::string& p, float fader, float pan, int sends, float sendLevel)
{
    setInt(p + "/mix/on", 1);
    setFloat(p + "/mix/fader", fader);
    setFloat(p + "/mix/pan", pan);
    setInt(p + "/mix/st", 1);
    setFloat(p + "/mix/mlevel", 0.0f);
    for (int s = 1; s <= sends; ++s) {
        setInt(p + "/mix/" + two(s) + "/on", 1);
        setFloat(p + "/mix/" + two(s) + "/level", s <= 6 ? sendLevel : 0.0f);
    }
}

void startChannels()
{
    for (int n = 1; n <= 32; ++n) {
        const ChannelStart& start = channelStarts[n - 1];
        std::string p = "/ch/" + two(n);
        setText(p + "/config/name", start.name);
        setInt(p + "/config/color", start.color);
        setInt(p + "/config/source", n);
        setFloat(p + "/preamp/trim", 0.5f);
        setInt(p + "/preamp/hpon", n >= 9 ? 1 : 0);
        setFloat(p + "/preamp/hpf", 0.3f);
        setFloat(p + "/delay/time", 0.1f);
        setInt(p + "/gate/on", n <= 6 ? 1 : 0);
        setInt(p + "/gate/mode", 3);
        setFloat(p + "/gate/thr", 0.3f);
        setFloat(p + "/gate/range", 0.6f);
        setFloat(p + "/gate/attack", 0.1f);
        setFloat(p + "/gate/hold", 0.3f);
        setFloat(p + "/gate/release", 0.5f);
        setFloat(p + "/gate/filter/f", 0.5f);
        startDynamics(p, n >= 9 && n <= 22);
        startEq(p, 4);
        startMix(p, start.fader, start.pan, 16, n >= 9 ? 0.6f : 0.3f);
        setInt(p + "/grp/dca", start.dcaMask);
        setInt(p + "/grp/mute", start.muteMask);
        if (n <= 8) setFloat(p + "/automix/weight", 0.5f);
        char headamp[32];
        std::snprintf(headamp, sizeof headamp, "/headamp/%03d", n - 1);
        setFloat(std::string(headamp) + "/gain", 0.35f + 0.01f * static_cast<float>(n % 20));
        setInt(std::string(headamp) + "/phantom", start.phantom);
    }
    setInt("/ch/29/mix/on", 0);          // talkback muted
    setInt("/ch/21/insert/on", 1);       // a vocal compressor in an insert
    setInt("/ch/21/insert/sel", 3);
    setInt("/ch/17/delay/on", 1);
    setInt("/ch/10/preamp/invert", 1);
    setInt("/ch/08/mix/mono", 1);
    setFloat("/ch/08/mix/mlevel", 0.6f);
}

void startOtherStrips()
{
    const char* auxNames[8] = {"CD L", "CD R", "MD", "Ambient", "Laptop", "Click", "Spare", ""};
    for (int n = 1; n <= 8; ++n) {
        std::string p = "/auxin/" + two(n);
        setText(p + "/config/name", auxNames[n - 1]);
        setInt(p + "/config/color", n <= 2 ? 6 : 0);
        // Aux 1-2 take their signal from local inputs 29-30 (with head amps).
        setInt(p + "/config/source", n <= 2 ? 28 + n : 32 + n);
        setFloat(p + "/preamp/trim", 0.5f);
        startEq(p, 4);
        startMix(p, n <= 5 ? 0.6f : 0.0f, n % 2 ? 0.0f : 1.0f, 16, 0.0f);
    }
    const char* returnNames[8] = {"Hall", "Plate", "Delay", "Chorus", "Room", "Spring", "Echo", "Flange"};
    for (int n = 1; n <= 8; ++n) {
        std::string p = "/fxrtn/" + two(n);
        setText(p + "/config/name", returnNames[n - 1]);
        setInt(p + "/config/color", 14);
        startEq(p, 4);
        startMix(p, 0.65f, 0.5f, 16, 0.0f);
        setInt(p + "/grp/dca", 0x40);
        setInt(p + "/grp/mute", 0x04);
    }
    const char* busNames[16] = {"Mon 1", "Mon 2", "Mon 3", "Mon 4", "Mon 5", "Mon 6", "IEM L", "IEM R",
                                "Sub", "Fill", "Rec L", "Rec R", "FX Hall", "FX Plate", "FX Delay", "FX Chor"};
    for (int n = 1; n <= 16; ++n) {
        std::string p = "/bus/" + two(n);
        setText(p + "/config/name", busNames[n - 1]);
        setInt(p + "/config/color", n <= 6 ? 3 : (n <= 12 ? 4 : 14));
        startEq(p, 6);
        startDynamics(p, n <= 6);
        startMix(p, 0.75f, 0.5f, 6, 0.0f);
    }
    const char* matrixNames[6] = {"Front", "Delay 1", "Delay 2", "Lobby", "Stream", "Record"};
    for (int n = 1; n <= 6; ++n) {
        std::string p = "/mtx/" + two(n);
        setText(p + "/config/name", matrixNames[n - 1]);
        setInt(p + "/config/color", 7);
        startEq(p, 6);
        startDynamics(p, false);
        startMix(p, 0.75f, 0.5f, 0, 0.0f);
    }
    setInt("/mtx/05/preamp/invert", 1);
    setInt("/mtx/02/grp/dca", 0x80);
    setInt("/mtx/03/grp/mute", 0x20);
    setInt("/main/st/grp/mute", 0x20);
    setInt("/main/m/grp/dca", 0x80);
    setText("/main/st/config/name", "LR");
    setInt("/main/st/config/color", 7);
    startEq("/main/st", 6);
    startDynamics("/main/st", true);
    startMix("/main/st", 0.75f, 0.5f, 6, 0.75f);
    setText("/main/m/config/name", "Mono");
    setInt("/main/m/config/color", 15);
    startEq("/main/m", 6);
    startDynamics("/main/m", false);
    startMix("/main/m", 0.6f, 0.5f, 6, 0.75f);
    const char* dcaNames[8] = {"Drums", "Bass", "Instr", "Vox", "Horns", "Strings", "FX", "Lead"};
    const int dcaColors[8] = {1, 3, 2, 5, 6, 7, 14, 13};
    for (int n = 1; n <= 8; ++n) {
        std::string p = "/dca/" + std::to_string(n);
        setText(p + "/config/name", dcaNames[n - 1]);
        setInt(p + "/config/color", dcaColors[n - 1]);
        setInt(p + "/on", 1);
        setFloat(p + "/fader", 0.75f);
    }
}

void startConsoleWide()
{
    const char* blocks[4] = {"1-8", "9-16", "17-24", "25-32"};
    for (int b = 0; b < 4; ++b) {
        setInt(std::string("/config/routing/IN/") + blocks[b], b);
        setInt(std::string("/config/routing/CARD/") + blocks[b], 4 + b);
        setInt(std::string("/config/routing/PLAY/") + blocks[b], b);
    }
    setInt("/config/routing/IN/AUX", 0);
    const char* blocks48[6] = {"1-8", "9-16", "17-24", "25-32", "33-40", "41-48"};
    for (int b = 0; b < 6; ++b) {
        setInt(std::string("/config/routing/AES50A/") + blocks48[b], b);
        setInt(std::string("/config/routing/AES50B/") + blocks48[b], 6 + b);
    }
    const char* blocksOut[4] = {"1-4", "5-8", "9-12", "13-16"};
    for (int b = 0; b < 4; ++b) setInt(std::string("/config/routing/OUT/") + blocksOut[b], 4 + b);
    for (int n = 1; n <= 32; ++n) setInt("/config/userrout/in/" + two(n), n);
    setInt("/config/chlink/7-8", 1);
    setInt("/config/chlink/31-32", 1);
    setInt("/config/auxlink/1-2", 1);
    setInt("/config/buslink/7-8", 1);
    // Effects types; slots 1-4 take 0-60, slots 5-8 take 0-33.
    const int types[8] = {0, 5, 10, 24, 2, 11, 20, 27};
    for (int slot = 1; slot <= 8; ++slot) {
        std::string p = "/fx/" + std::to_string(slot);
        setInt(p + "/type", types[slot - 1]);
        for (int n = 1; n <= 64; ++n) {
            // Integer parameters take 0 or 1: every choice has at least two.
            setInt(p + "/par/" + two(n), (n + slot) % 2);
            setFloat(p + "/par/" + two(n), static_cast<float>((n * 7 + slot * 3) % 21) / 20.0f);
        }
    }
}

}  // namespace

void loadStartValues()
{
    startChannels();
    startOtherStrips();
    startConsoleWide();
}
