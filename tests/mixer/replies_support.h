// Helpers for the reply tests: real datagrams through the parse step and the
// dispatcher, refresh and observer recorders, and a whole-model snapshot.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "app/reset_state.h"
#include "mixer/osc_codec.h"
#include "mixer/reply_dispatch.h"
#include "model/console_model.h"

namespace replytest {

inline int surfaceRefreshes = 0;
inline int motorFaderDrives = 0;
inline int counterAtMotorDrive = -1;
inline std::vector<std::string> observedAddresses;
inline bool mutexFreeAtObserver = true;

inline int counted()
{
    std::lock_guard<std::mutex> lock(modelMutex);
    return replyCounter;
}

inline void recordSurfaceRefresh(int) { ++surfaceRefreshes; }

inline void recordMotorFaders()
{
    ++motorFaderDrives;
    counterAtMotorDrive = counted();
}

inline void recordObservedAddress(const char* address)
{
    // A lock still held by the handler would deadlock a real observer.
    if (modelMutex.try_lock()) modelMutex.unlock();
    else mutexFreeAtObserver = false;
    observedAddresses.emplace_back(address);
}

struct Encoded {
    uint8_t bytes[1024];
    int length;
};

template <typename... Args>
Encoded encode(const char* address, const char* tags, Args... args)
{
    Encoded e;
    e.length = encodeOscMessage(e.bytes, sizeof e.bytes, address, tags, args...);
    return e;
}

// Hands the first length bytes to the dispatcher as the receive loop does;
// false when the parse step already drops them.
inline bool deliverBytes(const uint8_t* bytes, int length)
{
    uint8_t datagram[1024] = {};
    std::memcpy(datagram, bytes, static_cast<size_t>(length));
    ParsedOscMessage message;
    if (!parseOscMessage(datagram, length, message)) return false;
    dispatchReply(message);
    return true;
}

template <typename... Args>
void deliver(const char* address, const char* tags, Args... args)
{
    Encoded e = encode(address, tags, args...);
    ASSERT_GT(e.length, 0) << address;
    deliverBytes(e.bytes, e.length);
}

// Little-endian meter block: value count, then the values.
inline std::vector<uint8_t> meterBlock(const std::vector<float>& values)
{
    std::vector<uint8_t> block;
    auto put = [&block](uint32_t word) {
        for (int b = 0; b < 4; ++b) block.push_back(static_cast<uint8_t>(word >> (8 * b)));
    };
    put(static_cast<uint32_t>(values.size()));
    for (float v : values) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        put(bits);
    }
    return block;
}

struct ModelSnapshot {
    StripRecord strips[STRIP_COUNT];
    HeadampRecord headamps[HEADAMP_COUNT];
    FxSlot fxSlots[FX_SLOT_COUNT + 1];
    int routingBlocks[6][6];
    int userRouting[32];
    int muteGroupOn[6];
    int values[9];
    int bankStrips[8];
};

inline void takeSnapshot(ModelSnapshot& s)
{
    std::memcpy(s.strips, strips, sizeof strips);
    std::memcpy(s.headamps, headamps, sizeof headamps);
    std::memcpy(s.fxSlots, fxSlots, sizeof fxSlots);
    std::memcpy(s.routingBlocks, routingBlocks, sizeof routingBlocks);
    std::memcpy(s.userRouting, userRouting, sizeof userRouting);
    std::memcpy(s.muteGroupOn, muteGroupOn, sizeof muteGroupOn);
    int values[9] = {routSwitch, automixEnableX, automixEnableY, keySolo, consoleLock,
                     selectedStrip, selectedBankSlot, surfacePage, 0};
    std::memcpy(s.values, values, sizeof values);
    std::memcpy(s.bankStrips, bankStrips, sizeof bankStrips);
}

// Names the first part of the model that differs from before; empty when
// the whole model is byte for byte the same.
inline std::string modelDifference(const ModelSnapshot& before)
{
    static ModelSnapshot now;
    takeSnapshot(now);
    for (int i = 0; i < STRIP_COUNT; ++i) {
        if (std::memcmp(&before.strips[i], &now.strips[i], sizeof(StripRecord)) != 0)
            return "strips[" + std::to_string(i) + "]";
    }
    if (std::memcmp(before.headamps, now.headamps, sizeof now.headamps) != 0) return "headamps";
    if (std::memcmp(before.fxSlots, now.fxSlots, sizeof now.fxSlots) != 0) return "fxSlots";
    if (std::memcmp(before.routingBlocks, now.routingBlocks, sizeof now.routingBlocks) != 0)
        return "routingBlocks";
    if (std::memcmp(before.userRouting, now.userRouting, sizeof now.userRouting) != 0)
        return "userRouting";
    if (std::memcmp(before.muteGroupOn, now.muteGroupOn, sizeof now.muteGroupOn) != 0)
        return "muteGroupOn";
    if (std::memcmp(before.values, now.values, sizeof now.values) != 0) return "status values";
    if (std::memcmp(before.bankStrips, now.bankStrips, sizeof now.bankStrips) != 0)
        return "bankStrips";
    return "";
}

// Every reply test starts from the start-up model with recorders in place.
class ReplyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAllState();
        setReplyRefreshTargets(recordSurfaceRefresh, recordMotorFaders);
        setReplyObserver(recordObservedAddress);
        surfaceRefreshes = 0;
        motorFaderDrives = 0;
        counterAtMotorDrive = -1;
        observedAddresses.clear();
        mutexFreeAtObserver = true;
    }
    void TearDown() override { resetAllState(); }

    static void resetCounters()
    {
        {
            std::lock_guard<std::mutex> lock(modelMutex);
            replyCounter = 0;
        }
        surfaceRefreshes = 0;
        motorFaderDrives = 0;
        observedAddresses.clear();
    }
};

} // namespace replytest
