#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/reset_state.h"
#include "mixer/osc_codec.h"
#include "model/link_stats.h"
#include "platform/console_output.h"

namespace {

std::string oscText(const uint8_t* data, int length)
{
    char line[512];
    formatOscLogText(line, sizeof line, data, length);
    return line;
}

TEST(TrafficLog, OscLinesShowAddressTagsAndEveryArgumentType)
{
    uint8_t b[200];
    int n = encodeOscMessage(b, 200, "/ch/01/mix/fader", "f", 0.75);
    EXPECT_EQ(oscText(b, n), "/ch/01/mix/fader ,f 0.7500");
    n = encodeOscMessage(b, 200, "/ch/32/mix/on", "i", -1);
    EXPECT_EQ(oscText(b, n), "/ch/32/mix/on ,i -1");
    n = encodeOscMessage(b, 200, "/ch/01/config/name", "s", "Kick");
    EXPECT_EQ(oscText(b, n), "/ch/01/config/name ,s \"Kick\"");
    const uint8_t blob[5] = {1, 2, 3, 4, 5};
    n = encodeOscMessage(b, 200, "/meter1", "b", 5, blob);
    EXPECT_EQ(oscText(b, n), "/meter1 ,b blob[5]");
    n = encodeOscMessage(b, 200, "/-stat/keysolo", "");
    EXPECT_EQ(oscText(b, n), "/-stat/keysolo ,");
    n = encodeOscMessage(b, 200, "/batchsubscribe", "ssiii", "/meter1", "/meters/1", 0, 0, 1);
    EXPECT_EQ(oscText(b, n), "/batchsubscribe ,ssiii \"/meter1\" \"/meters/1\" 0 0 1");
}

TEST(TrafficLog, OscLinesNeverReadPastATruncatedDatagram)
{
    uint8_t b[200];
    int n = encodeOscMessage(b, 200, "/ch/01/mix/fader", "f", 0.75);
    EXPECT_EQ(oscText(b, n - 2), "/ch/01/mix/fader ,f");
    const uint8_t noZero[4] = {'/', 'a', 'b', 'c'};
    EXPECT_EQ(oscText(noZero, 4), "(malformed, 4 bytes)");
    const uint8_t blobHeader[16] = {'/', 'm', 0, 0, ',', 'b', 0, 0, 0, 0, 0x10, 0, 0, 0, 0, 0};
    EXPECT_EQ(oscText(blobHeader, 16), "/m ,b blob[4096]");
}

struct MidiCase {
    std::vector<uint8_t> bytes;
    const char* text;
    bool fromSurface = false;
};

class MidiLogLines : public ::testing::TestWithParam<MidiCase> {};

TEST_P(MidiLogLines, DecodeTheMessageKind)
{
    char line[512];
    const auto& v = GetParam().bytes;
    formatMidiLogText(line, sizeof line, v.data(), static_cast<int>(v.size()), GetParam().fromSurface);
    EXPECT_STREQ(line, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MidiLogLines,
    ::testing::Values(MidiCase{{0x90, 0x33, 0x7F}, "90 33 7F  note 51 vel 127"},
                      MidiCase{{0xE0, 0x9D, 0x5F}, "E0 9D 5F  fader 1 0.7500"},
                      MidiCase{{0xE8, 0x7F, 0x7F}, "E8 7F 7F  fader 9 0.9962", true},
                      MidiCase{{0xB0, 0x10, 0x41}, "B0 10 41  cc 16 = 65"},
                      MidiCase{{0xB0, 0x30, 0x40, 0xB0, 0x38, 0x00}, "B0 30 40 B0 38 00  cc 48 = 64 (+ more)"},
                      MidiCase{{0xD0, 0x38}, "D0 38  meter 3 segment 8"},
                      MidiCase{{0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7}, "F0 00 00 66 14 00 F7  sysex 7 bytes"},
                      MidiCase{{0x90}, "90"}));

TEST(TrafficLog, PlainLevelLeavesOutBackgroundTraffic)
{
    resetAllState();
    std::string out;
    setConsoleCapture(&out);
    uint8_t b[200];
    int fader = encodeOscMessage(b, 200, "/ch/01/mix/fader", "f", 0.5);
    noteMixerDatagram(LinkDirection::MixerOut, b, fader);
    EXPECT_EQ(out, "") << "off by default";

    setTrafficLogLevel(1);
    noteMixerDatagram(LinkDirection::MixerOut, b, fader);
    int xremote = encodeOscMessage(b + 100, 100, "/xremote", "");
    noteMixerDatagram(LinkDirection::MixerOut, b + 100, xremote);
    const uint8_t heartbeat[7] = {0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7};
    const uint8_t meter[2] = {0xD0, 0x15};
    const uint8_t press[3] = {0x90, 0x10, 0x7F};
    noteSurfaceDatagram(LinkDirection::SurfaceOut, heartbeat, 7);
    noteSurfaceDatagram(LinkDirection::SurfaceOut, meter, 2);
    noteSurfaceDatagram(LinkDirection::SurfaceIn, press, 3);
    EXPECT_NE(out.find(" osc> /ch/01/mix/fader ,f 0.5000\n"), std::string::npos) << out;
    EXPECT_NE(out.find(" midi< 90 10 7F  note 16 vel 127\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("xremote"), std::string::npos);
    EXPECT_EQ(out.find("sysex"), std::string::npos);
    EXPECT_EQ(out.find("meter"), std::string::npos);

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
