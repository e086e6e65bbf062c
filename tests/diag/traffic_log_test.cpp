// Traffic-log lines per message kind, the levels, and the link counters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/reset_state.h"
#include "diag/message_text.h"
#include "diag/traffic_log.h"
#include "mixer/osc_codec.h"
#include "platform/console_output.h"

namespace {

std::string oscText(const uint8_t* data, int length)
{
    char line[512];
    formatOscLogText(line, sizeof line, data, length);
    return line;
}

// The log line of the message encoded from the arguments.
template <typename... Args>
std::string logged(const char* address, const char* tags, Args... args)
{
    uint8_t b[200];
    return oscText(b, encodeOscMessage(b, sizeof b, address, tags, args...));
}

TEST(TrafficLog, OscLinesShowAddressTagsAndEveryArgumentTypeWithinTheDatagram)
{
    const uint8_t blob[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(logged("/ch/01/mix/fader", "f", 0.75), "/ch/01/mix/fader ,f 0.7500");
    EXPECT_EQ(logged("/ch/32/mix/on", "i", -1), "/ch/32/mix/on ,i -1");
    EXPECT_EQ(logged("/meter1", "b", 5, blob), "/meter1 ,b blob[5]");
    EXPECT_EQ(logged("/-stat/keysolo", ""), "/-stat/keysolo ,");
    EXPECT_EQ(logged("/batchsubscribe", "ssiii", "/meter1", "/meters/1", 0, 0, 1),
              "/batchsubscribe ,ssiii \"/meter1\" \"/meters/1\" 0 0 1");
    // A truncated datagram is never read past its end.
    uint8_t b[200];
    int n = encodeOscMessage(b, 200, "/ch/01/mix/fader", "f", 0.75);
    EXPECT_EQ(oscText(b, n - 2), "/ch/01/mix/fader ,f");
    const uint8_t noZero[4] = {'/', 'a', 'b', 'c'};
    EXPECT_EQ(oscText(noZero, 4), "(malformed, 4 bytes)");
    const uint8_t blobHeader[16] = {'/', 'm', 0, 0, ',', 'b', 0, 0, 0, 0, 0x10, 0, 0, 0, 0, 0};
    EXPECT_EQ(oscText(blobHeader, 16), "/m ,b blob[4096]");
}

TEST(TrafficLog, MidiLinesDecodeTheMessageKind)
{
    const struct { std::vector<uint8_t> bytes; const char* text; } cases[] = {
        {{0x90, 0x33, 0x7F}, "90 33 7F  note 51 vel 127"},
        {{0xE0, 0x7F, 0x5F}, "E0 7F 5F  fader 1 0.7500"},  // 12287 of 16383
        {{0xE8, 0x7F, 0x7F}, "E8 7F 7F  fader 9 1.0000"},
        {{0xE1, 0x00, 0x40}, "E1 00 40  fader 2 0.5000"},
        {{0xB0, 0x10, 0x41}, "B0 10 41  cc 16 = 65"},
        {{0xB0, 0x30, 0x40, 0xB0, 0x38, 0x00}, "B0 30 40 B0 38 00  cc 48 = 64 (+ more)"},
        {{0xD0, 0x38}, "D0 38  meter 3 segment 8"},
        {{0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7}, "F0 00 00 66 14 00 F7  sysex 7 bytes"},
        {{0x90}, "90"},
    };
    for (const auto& c : cases) {
        char line[512];
        formatMidiLogText(line, sizeof line, c.bytes.data(), static_cast<int>(c.bytes.size()));
        EXPECT_STREQ(line, c.text);
    }
}

TEST(TrafficLog, PlainLevelLeavesOutBackgroundTraffic)
{
    resetAllState();
    std::string out;
    setConsoleCapture(&out);
    uint8_t b[200];
    int fader = encodeOscMessage(b, 100, "/ch/01/mix/fader", "f", 0.5);
    int xremote = encodeOscMessage(b + 100, 100, "/xremote", "");
    noteMixerDatagram(LinkDirection::MixerOut, b, fader);
    EXPECT_EQ(out, "") << "off by default";

    setTrafficLogLevel(1);
    noteMixerDatagram(LinkDirection::MixerOut, b, fader);
    noteMixerDatagram(LinkDirection::MixerOut, b + 100, xremote);
    noteMixerDatagram(LinkDirection::MixerIn, b, fader);
    const uint8_t heartbeat[7] = {0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7}, meter[2] = {0xD0, 0x15},
                  press[3] = {0x90, 0x10, 0x7F};
    noteSurfaceDatagram(LinkDirection::SurfaceOut, heartbeat, 7);
    noteSurfaceDatagram(LinkDirection::SurfaceOut, meter, 2);
    noteSurfaceDatagram(LinkDirection::SurfaceIn, press, 3);
    EXPECT_NE(out.find(" osc> /ch/01/mix/fader ,f 0.5000\n"), std::string::npos) << out;
    EXPECT_NE(out.find(" osc< /ch/01/mix/fader ,f 0.5000\n"), std::string::npos) << out;
    EXPECT_NE(out.find(" midi< 90 10 7F  note 16 vel 127\n"), std::string::npos) << out;
    for (const char* left : {"xremote", "sysex", "meter"}) EXPECT_EQ(out.find(left), std::string::npos) << left;

    out.clear();
    setTrafficLogLevel(2);
    noteSurfaceDatagram(LinkDirection::SurfaceOut, heartbeat, 7);
    EXPECT_NE(out.find("midi> F0 00 00 66 14 00 F7"), std::string::npos) << out;
    setConsoleCapture(nullptr);

    EXPECT_EQ(linkActivity(LinkDirection::MixerOut).total, 3u);
    EXPECT_EQ(linkActivity(LinkDirection::SurfaceIn).total, 1u);
    EXPECT_GT(linkActivity(LinkDirection::SurfaceOut).perSecond, 0.0);
    resetAllState();
    EXPECT_EQ(linkActivity(LinkDirection::MixerOut).total, 0u);
    EXPECT_EQ(linkActivity(LinkDirection::MixerOut).lastMs, 0);
}

} // namespace
