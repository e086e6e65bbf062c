// Helpers for the reply tests: real datagrams through the parse step and the
// dispatcher, an observer recorder and a whole-model snapshot.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/reset_state.h"
#include "mixer/osc_codec.h"
#include "mixer/reply_dispatch.h"
#include "model/console_model.h"

namespace replytest {

inline std::vector<std::string> observedAddresses;
inline bool mutexFreeAtObserver = true;

inline int counted()
{
    std::lock_guard<std::mutex> lock(modelMutex);
    return replyCounter;
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

// The first length bytes through the parse step and the dispatcher, as the
// receive loop does; false when the parse step already drops them.
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

// One int ('i') or float (any other tag) argument.
inline void deliverValue(const char* address, char tag, double value)
{
    tag == 'i' ? deliver(address, "i", static_cast<int32_t>(value)) : deliver(address, "f", value);
}

// Every part of the model a reply may write, as bytes.
using ModelSnapshot = std::vector<std::pair<const char*, std::string>>;

inline ModelSnapshot takeSnapshot()
{
    auto bytes = [](const void* p, size_t n) { return std::string(static_cast<const char*>(p), n); };
    const int values[] = {routSwitch, automixEnableX, automixEnableY, keySolo, consoleLock,
                          selectedStrip, selectedBankSlot, surfacePage};
    return {{"strips", bytes(strips, sizeof strips)},     {"headamps", bytes(headamps, sizeof headamps)},
            {"fxSlots", bytes(fxSlots, sizeof fxSlots)},  {"routingBlocks", bytes(routingBlocks, sizeof routingBlocks)},
            {"userRouting", bytes(userRouting, sizeof userRouting)},
            {"muteGroupOn", bytes(muteGroupOn, sizeof muteGroupOn)},
            {"status values", bytes(values, sizeof values)}, {"bankStrips", bytes(bankStrips, sizeof bankStrips)}};
}

// The first part that differs from before; empty when none does.
inline std::string modelDifference(const ModelSnapshot& before)
{
    ModelSnapshot now = takeSnapshot();
    for (size_t i = 0; i < now.size(); ++i) if (now[i].second != before[i].second) return now[i].first;
    return "";
}

// Every reply test starts from the start-up model with the observer recorder
// in place. The real refresh functions run: before start-up completes only
// the motor faders are driven, into a surface queue that has no link.
class ReplyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAllState();
        setReplyObserver([](const char* address) {
            // A lock still held by the handler would deadlock a real observer.
            if (modelMutex.try_lock()) modelMutex.unlock();
            else mutexFreeAtObserver = false;
            observedAddresses.emplace_back(address);
        });
        resetCounters();
    }
    void TearDown() override { resetAllState(); }

    static void resetCounters()
    {
        std::lock_guard<std::mutex> lock(modelMutex);
        replyCounter = 0;
        observedAddresses.clear();
        mutexFreeAtObserver = true;
    }
};

} // namespace replytest
