// Helpers for the surface-control tests: a loopback socket standing in for
// the console (the bridge's OSC sender points at it), what it received as
// decoded messages, and datagrams fed to the surface dispatcher.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/reset_state.h"
#include "mixer/mixer_send.h"
#include "mixer/osc_codec.h"
#include "model/console_model.h"
#include "platform/desktop.h"
#include "platform/desktop_recording.h"
#include "platform/clock.h"
#include "platform/console_output.h"
#include "platform/udp.h"
#include "surface/input_dispatch.h"
#include "surface/output_queue.h"

constexpr uint32_t LOOPBACK = 0x7F000001;  // 127.0.0.1

struct OscSeen {
    std::string address;
    std::string tags;
    int32_t i = 0;    // first argument when it is an int
    float f = 0.0f;   // first argument when it is a float
};

inline std::ostream& operator<<(std::ostream& out, const OscSeen& m)
{
    return out << m.address << " ," << m.tags << " i=" << m.i << " f=" << m.f;
}

inline bool decodeOsc(uint8_t* data, int length, OscSeen& seen)
{
    ParsedOscMessage message;
    if (!parseOscMessage(data, length, message)) return false;
    seen = OscSeen{};
    seen.address = message.address;
    seen.tags = message.typeTags;
    if (currentOscTag(message) == 'i') readOscInt(message, seen.i);
    else if (currentOscTag(message) == 'f') readOscFloat(message, seen.f);
    return true;
}

constexpr const char* MARKER_ADDRESS = "/test/marker";

// The console's side of the link on 127.0.0.1, port chosen by the system.
struct ConsoleStandIn {
    UdpSocket console;
    UdpSocket bridge;

    void open()
    {
        ASSERT_TRUE(console.open());
        ASSERT_TRUE(console.bind(LOOPBACK, 0));
        ASSERT_TRUE(bridge.open());
        UdpEndpoint endpoint;
        endpoint.address = LOOPBACK;
        endpoint.port = console.localPort();
        setMixerLink(&bridge, endpoint);
    }

    void close() { setMixerLink(nullptr, UdpEndpoint{}); }

    bool next(OscSeen& seen, int timeoutMs = 2000)
    {
        uint8_t buffer[2048];
        int64_t deadline = steadyMilliseconds() + timeoutMs;
        for (;;) {
            int left = static_cast<int>(deadline - steadyMilliseconds());
            if (left <= 0) return false;
            int length = 0;
            UdpEndpoint from;
            if (console.receive(buffer, sizeof buffer, length, from, left) != ReceiveStatus::Received)
                continue;
            if (decodeOsc(buffer, length, seen)) return true;
        }
    }

    // Everything the bridge has sent so far, in order: a marker sent through
    // the same sender arrives after all of it.
    std::vector<OscSeen> drain()
    {
        std::vector<OscSeen> messages;
        EXPECT_TRUE(sendToMixer(MARKER_ADDRESS, ""));
        OscSeen seen;
        while (next(seen)) {
            if (seen.address == MARKER_ADDRESS) return messages;
            messages.push_back(seen);
        }
        ADD_FAILURE() << "marker did not arrive";
        return messages;
    }
};

inline void surfaceSends(std::initializer_list<uint8_t> bytes)
{
    std::vector<uint8_t> datagram(bytes);
    dispatchSurfaceMessage(datagram.data(), static_cast<int>(datagram.size()));
}

inline void pressNote(uint8_t note) { surfaceSends({0x90, note, 127}); }
inline void releaseNote(uint8_t note) { surfaceSends({0x90, note, 0}); }

inline std::vector<std::vector<uint8_t>> takeSurfaceOutput()
{
    std::vector<std::vector<uint8_t>> out;
    SurfaceMessage message;
    while (takeQueuedSurfaceMessage(message)) out.emplace_back(message.data, message.data + message.length);
    return out;
}

inline void showStrips(std::initializer_list<int> shown)
{
    int i = 0;
    for (int s : shown) bankStrips[i++] = s;
    while (i < 8) bankStrips[i++] = BLANK_STRIP;
}

inline void setBank(int bank, std::initializer_list<int> entries)
{
    int i = 0;
    for (int s : entries) bankTable[bank][i++] = s;
    bankCount[bank] = i;
    while (i < BANK_SLOTS) bankTable[bank][i++] = BLANK_STRIP;
}

// Every test starts from process-start state, with the console stand-in
// listening and a scripted desktop without windows (no editor).
class SurfaceControlTest : public ::testing::Test {
protected:
    ConsoleStandIn mixer;

    void SetUp() override
    {
        resetAllState();
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
