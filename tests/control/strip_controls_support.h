// Helpers for the surface-control tests: a loopback socket standing in for
// the console (the bridge's OSC sender points at it), what it received as
// compact writes, datagrams fed to the surface dispatcher, and the page
// handlers driven as the dispatcher drives them.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "app/reset_state.h"
#include "control/page_controls.h"
#include "mixer/mixer_send.h"
#include "mixer/osc_codec.h"
#include "model/console_model.h"
#include "platform/clock.h"
#include "platform/console_output.h"
#include "platform/desktop_recording.h"
#include "platform/udp.h"
#include "app/surface_receive.h"
#include "surface/output_queue.h"

constexpr uint32_t LOOPBACK = 0x7F000001;  // 127.0.0.1
constexpr int B = BLANK_STRIP;

// One OSC write as the console received it: address, type tag ('i', 'f', 0
// without arguments, '+' for several) and the first argument. Values match
// within 1e-6, so an expected double compares with the float that travelled.
struct Write {
    std::string address;
    char tag = 0;
    double value = 0.0;
};
using Writes = std::vector<Write>;

inline bool operator==(const Write& a, const Write& b)
{
    return a.address == b.address && a.tag == b.tag && std::fabs(a.value - b.value) < 1e-6;
}

inline std::ostream& operator<<(std::ostream& out, const Write& w)
{
    return out << w.address << " ," << (w.tag ? w.tag : '-') << " " << w.value;
}

inline std::vector<std::string> addressesOf(const Writes& writes)
{
    std::vector<std::string> out;
    for (const Write& w : writes) out.push_back(w.address);
    return out;
}

// The last write to address; an empty Write when there is none.
inline Write lastWriteTo(const Writes& writes, const std::string& address)
{
    Write found;
    for (const Write& w : writes) found = w.address == address ? w : found;
    return found;
}

// The console's side of the link on 127.0.0.1, port chosen by the system.
struct ConsoleStandIn {
    UdpSocket console;
    UdpSocket bridge;

    void open()
    {
        ASSERT_TRUE(console.open() && console.bind(LOOPBACK, 0) && bridge.open());
        setMixerLink(&bridge, UdpEndpoint{LOOPBACK, console.localPort()});
    }

    void close() { setMixerLink(nullptr, UdpEndpoint{}); }

    bool next(Write& seen, int timeoutMs = 2000)
    {
        uint8_t buffer[2048];
        int64_t deadline = steadyMilliseconds() + timeoutMs;
        for (int left = timeoutMs; left > 0; left = static_cast<int>(deadline - steadyMilliseconds())) {
            int length = 0;
            UdpEndpoint from;
            ParsedOscMessage message;
            if (console.receive(buffer, sizeof buffer, length, from, left) != ReceiveStatus::Received ||
                !parseOscMessage(buffer, length, message))
                continue;
            std::string tags = message.typeTags;
            seen = Write{message.address, tags.size() == 1 ? tags[0] : tags.empty() ? '\0' : '+', 0.0};
            int32_t i = 0;
            float f = 0.0f;
            if (currentOscTag(message) == 'i' && readOscInt(message, i)) seen.value = i;
            if (currentOscTag(message) == 'f' && readOscFloat(message, f)) seen.value = f;
            return true;
        }
        return false;
    }

    // Everything the bridge has sent so far, in order: a marker sent through
    // the same sender arrives after all of it.
    Writes drain()
    {
        Writes writes;
        EXPECT_TRUE(sendToMixer("/test/marker", ""));
        for (Write seen; next(seen);) {
            if (seen.address == "/test/marker") return writes;
            writes.push_back(seen);
        }
        ADD_FAILURE() << "marker did not arrive";
        return writes;
    }
};

inline void surfaceSends(std::vector<uint8_t> datagram)
{
    handleSurfaceDatagram(datagram.data(), static_cast<int>(datagram.size()));
}
inline void pressNote(uint8_t note) { surfaceSends({0x90, note, 127}); }
inline void releaseNote(uint8_t note) { surfaceSends({0x90, note, 0}); }

inline std::vector<std::vector<uint8_t>> takeSurfaceOutput()
{
    std::vector<std::vector<uint8_t>> out;
    for (SurfaceMessage m; takeQueuedSurfaceMessage(m);) out.emplace_back(m.data, m.data + m.length);
    forgetSentLampsAndFaders();
    return out;
}

// Whether bytes were among what is queued for the surface; takes it all.
inline bool surfaceGot(const std::vector<uint8_t>& bytes)
{
    bool found = false;
    for (const std::vector<uint8_t>& m : takeSurfaceOutput()) found = found || m == bytes;
    return found;
}

using Shown = std::array<int, 8>;

inline Shown shown()
{
    Shown s;
    for (int i = 0; i < 8; ++i) s[i] = bankStrips[i];
    return s;
}

inline void showStrips(std::vector<int> strips)
{
    for (int i = 0; i < 8; ++i) bankStrips[i] = i < static_cast<int>(strips.size()) ? strips[i] : B;
}

inline void setBank(int bank, std::vector<int> entries, int count = -1)
{
    for (int i = 0; i < BANK_SLOTS; ++i) bankTable[bank][i] = i < static_cast<int>(entries.size()) ? entries[i] : B;
    bankCount[bank] = count >= 0 ? count : static_cast<int>(entries.size());
}

// The strip selected as the surface would select it.
inline void selectStrip(int strip)
{
    selectedStrip = strip;
    selectedBankSlot = bankSlotOf(strip);
}

// Relative encoder values: ticks clockwise, or 64 + ticks anticlockwise.
inline int cw(int ticks) { return ticks; }
inline int ccw(int ticks) { return 64 + ticks; }

// Encoder 1..8 turned or a top-row button pressed on a page, as the dispatcher hands them on.
inline void turn(int page, int encoder, int value) { handlePageEncoder(page, encoder - 1, value); }
inline void press(int page, int note) { handlePageTopButton(page, note); }

// Parameterised cases named after their `name` field.
inline constexpr auto byName = [](const auto& info) { return std::string(info.param.name); };

// Every test starts from process-start state, with the console stand-in
// listening and a scripted desktop without windows (no editor).
class SurfaceControlTest : public ::testing::Test {
protected:
    ConsoleStandIn mixer;

    void SetUp() override
    {
        resetAllState();
        // The surface takes actions only once start-up has read the console.
        startupComplete = 1;
        installRecordingDesktop();
        mixer.open();
    }

    void TearDown() override
    {
        resetAllState();
        mixer.close();
        resetDesktopBackend();
    }
};
