// An in-process bridge link against a loopback stand-in for the console:
// the stand-in records every query and answers it with a value of the
// parameter's type, unless the test says otherwise.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/udp.h"

// The console's type for a parameter address ('i', 'f' or 's'), by its last
// word; written from the console's conventions, not from the bridge's tables.
char consoleTypeFor(const std::string& address);

struct SweepConsole {
    UdpSocket socket;
    UdpSocket bridgeSide;
    std::thread thread;
    std::thread oscReceive;
    std::atomic<bool> running{false};
    std::mutex mutex;
    std::vector<std::string> received;   // every datagram's address, in order
    // Decides per query: return false to leave it unanswered.
    std::function<bool(const std::string& address)> shouldAnswer;
    // Called before the answer goes out (e.g. to push something else first).
    std::function<void(const std::string& address)> beforeAnswer;

    SweepConsole() = default;
    SweepConsole(const SweepConsole&) = delete;
    SweepConsole& operator=(const SweepConsole&) = delete;
    ~SweepConsole() { stop(); }

    // Opens both sockets, points the bridge's mixer link at the stand-in and
    // starts the stand-in and the bridge's OSC receive loop.
    bool start();
    void stop();
    // Sends an OSC message with one argument from the stand-in to the bridge.
    void push(const std::string& address, char type);
    std::vector<std::string> addresses();
};
