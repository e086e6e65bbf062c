// Tens of thousands of malformed datagrams through the two receive paths in
// process, with valid ones mixed in: the model stays exactly as it was but
// for what the valid ones set, and nothing is sent to the console.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "app/reset_state.h"
#include "mixer/mixer_send.h"
#include "app/osc_receive.h"
#include "model/console_model.h"
#include "platform/desktop.h"
#include "platform/udp.h"
#include "robustness/malformed_traffic.h"
#include "app/surface_receive.h"

namespace {

// Everything a datagram from either device could write into.
struct ModelImage {
    StripRecord strips[STRIP_COUNT];
    HeadampRecord headamps[HEADAMP_COUNT];
    FxSlot fxSlots[FX_SLOT_COUNT + 1];
    int routingBlocks[6][6];
    int userRouting[32];
    int muteGroupOn[6];
    int scalars[12];
    int bankStrips[8];
};

ModelImage takeImage()
{
    ModelImage image;
    // Byte copies: the records are trivially copyable, and no other thread runs.
    std::memcpy(static_cast<void*>(image.strips), strips, sizeof strips);
    std::memcpy(static_cast<void*>(image.headamps), headamps, sizeof headamps);
    std::memcpy(static_cast<void*>(image.fxSlots), fxSlots, sizeof fxSlots);
    std::memcpy(image.routingBlocks, routingBlocks, sizeof routingBlocks);
    std::memcpy(image.userRouting, userRouting, sizeof userRouting);
    std::memcpy(image.muteGroupOn, muteGroupOn, sizeof muteGroupOn);
    const int scalars[12] = {routSwitch, automixEnableX, automixEnableY, keySolo,
                             consoleLock, selectedStrip, selectedBankSlot, surfacePage,
                             currentBank, bankScroll, currentDcaGroup, eqEncoderLayer};
    std::memcpy(image.scalars, scalars, sizeof scalars);
    std::memcpy(image.bankStrips, bankStrips, sizeof bankStrips);
    return image;
}

// Names the first part that differs, or "" when the images agree.
std::string firstDifference(const ModelImage& a, const ModelImage& b)
{
    for (int s = 0; s < STRIP_COUNT; ++s) {
        if (std::memcmp(&a.strips[s], &b.strips[s], sizeof(StripRecord)) != 0) return "strip " + std::to_string(s);
    }
    for (int h = 0; h < HEADAMP_COUNT; ++h) {
        if (std::memcmp(&a.headamps[h], &b.headamps[h], sizeof(HeadampRecord)) != 0) return "headamp " + std::to_string(h);
    }
    for (int f = 0; f <= FX_SLOT_COUNT; ++f) {
        if (std::memcmp(&a.fxSlots[f], &b.fxSlots[f], sizeof(FxSlot)) != 0) return "fx slot " + std::to_string(f);
    }
    if (std::memcmp(a.routingBlocks, b.routingBlocks, sizeof a.routingBlocks) != 0) return "routing blocks";
    if (std::memcmp(a.userRouting, b.userRouting, sizeof a.userRouting) != 0) return "user routing";
    if (std::memcmp(a.muteGroupOn, b.muteGroupOn, sizeof a.muteGroupOn) != 0) return "mute groups";
    for (int i = 0; i < 12; ++i) {
        if (a.scalars[i] != b.scalars[i]) return "status value " + std::to_string(i);
    }
    if (std::memcmp(a.bankStrips, b.bankStrips, sizeof a.bankStrips) != 0) return "bank strips";
    return "";
}

class InProcessFloods : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAllState();
        useNullDesktop();
        ASSERT_TRUE(console.open());
        ASSERT_TRUE(console.bind(0x7F000001, 0));
        ASSERT_TRUE(sender.open());
        setMixerLink(&sender, UdpEndpoint{0x7F000001, console.localPort()});
        // A model that is not all zeros, so a stray store shows.
        for (int s = 0; s < STRIP_COUNT; ++s) {
            strips[s].fader = 0.25 + s / 400.0;
            strips[s].pan = 0.5;
            strips[s].meter = 0.01f * static_cast<float>(s % 7);
            char name[8];
            std::snprintf(name, sizeof name, "S%d", s % 100);
            storeStripName(strips[s], name);
            strips[s].color = s % 8;
        }
        for (int h = 0; h < HEADAMP_COUNT; ++h) headamps[h].gain = 0.3;
        for (int i = 0; i < 8; ++i) bankStrips[i] = i;
        selectedStrip = 2;
        startupComplete = 1;
    }
    void TearDown() override
    {
        setMixerLink(nullptr, UdpEndpoint{});
        resetAllState();
    }
    // Nothing the console socket received within timeoutMs.
    bool consoleHeardNothing(int timeoutMs)
    {
        uint8_t buffer[512];
        int length = 0;
        UdpEndpoint from;
        return console.receive(buffer, sizeof buffer, length, from, timeoutMs) != ReceiveStatus::Received;
    }
    UdpSocket console;
    UdpSocket sender;
};

struct FloodCase {
    const char* name;
    uint32_t seed;
};
void PrintTo(const FloodCase& c, std::ostream* os) { *os << "seed " << c.seed; }

class InProcessOscFlood : public InProcessFloods, public ::testing::WithParamInterface<FloodCase> {};

TEST_P(InProcessOscFlood, MalformedRepliesChangeNothingWhileValidOnesAmidThemApply)
{
    std::mt19937 random(GetParam().seed);
    const ModelImage before = takeImage();
    float lastValid = 0.0f;
    for (int n = 1; n <= 40000; ++n) {
        Bytes bytes = n % 1000 == 0 ? oscWithFloat("/ch/32/mix/fader", lastValid = n / 40000.0f)
                                    : malformedOsc(random);
        // The receive buffer holds 1024 bytes; a longer datagram arrives cut.
        if (bytes.size() > 1024) bytes.resize(1024);
        Bytes copy = bytes;
        handleMixerDatagram(copy.empty() ? nullptr : copy.data(), static_cast<int>(copy.size()));
    }
    EXPECT_FLOAT_EQ(static_cast<float>(strips[31].fader), lastValid);
    strips[31].fader = before.strips[31].fader.load();
    EXPECT_EQ(firstDifference(before, takeImage()), "");
    EXPECT_TRUE(consoleHeardNothing(50));
}

class InProcessMidiFlood : public InProcessFloods, public ::testing::WithParamInterface<FloodCase> {};

TEST_P(InProcessMidiFlood, MalformedSurfaceMessagesSendNothingWhileValidOnesAmidThemDo)
{
    std::mt19937 random(GetParam().seed);
    const ModelImage before = takeImage();
    for (int n = 0; n < 40000; ++n) {
        Bytes bytes = malformedMidi(random);
        handleSurfaceDatagram(bytes.empty() ? nullptr : bytes.data(), static_cast<int>(bytes.size()));
    }
    EXPECT_EQ(firstDifference(before, takeImage()), "");
    EXPECT_TRUE(consoleHeardNothing(50));

    // The same path still works: fader 5 moves channel 5.
    Bytes fader = surfaceFaderBytes(5, 0.5);
    handleSurfaceDatagram(fader.data(), static_cast<int>(fader.size()));
    EXPECT_NEAR(strips[4].fader, 0.5, 0.001);
    uint8_t buffer[512];
    int length = 0;
    UdpEndpoint from;
    ASSERT_EQ(console.receive(buffer, sizeof buffer, length, from, 1000), ReceiveStatus::Received);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer)), "/ch/05/mix/fader");
}

const FloodCase kSeeds[] = {{"Seed1", 1u}, {"Seed2", 2u}, {"Seed77", 77u}};
auto seedName = [](const ::testing::TestParamInfo<FloodCase>& info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Seeds, InProcessOscFlood, ::testing::ValuesIn(kSeeds), seedName);
INSTANTIATE_TEST_SUITE_P(Seeds, InProcessMidiFlood, ::testing::ValuesIn(kSeeds), seedName);

} // namespace
