// The console's side of the OSC link: answers queries, applies writes,
// pushes changes to the clients that keep sending "/xremote", streams meter
// blocks to subscribers, and imitates a slow, lossy or vanished console.
// Everything here runs on the emulator's single event-loop thread.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "osc_wire.h"
#include "param_store.h"

// How long an "/xremote" keeps a client's pushes, and a "/batchsubscribe"
// or "/renew" its meters.
constexpr int64_t kRemoteWindowMs = 10000;
// Clients (pushes or meters) served at once; more are turned away.
constexpr size_t kMaxClients = 4;
// Meter period for a subscription with time factor 1.
constexpr int64_t kMeterPeriodMs = 50;

struct RemoteClient {
    sockaddr_in endpoint{};
    int64_t lastXremoteMs = 0;
};

struct MeterSubscription {
    sockaddr_in endpoint{};
    std::string alias;
    int block = 0;
    int64_t periodMs = kMeterPeriodMs;
    int64_t nextSendMs = 0;
    int64_t renewedMs = 0;
};

struct PendingAnswer {
    int64_t dueMs = 0;
    sockaddr_in to{};
    std::vector<uint8_t> bytes;
};

struct ConsoleServer {
    int socketFd = -1;
    bool verbose = false;
    int delayMs = 0;
    int dropPercent = 0;
    bool silent = false;
    int64_t silentUntilMs = 0;  // 0: silent until told otherwise
    std::vector<std::string> ignored;  // queries of these addresses (or PREFIX*) go unanswered
    std::mt19937 random{1};
    std::vector<RemoteClient> clients;
    std::vector<MeterSubscription> subscriptions;
    std::vector<PendingAnswer> pending;
    uint64_t received = 0;
    uint64_t answered = 0;
    uint64_t dropped = 0;
    uint64_t applied = 0;
    uint64_t pushed = 0;
    uint64_t meterBlobs = 0;
    uint64_t unknown = 0;
    // Every write heard ("ADDRESS VALUE"), the unknown and refused ones too,
    // until the "writes" command takes them; beyond kWriteLogMax only counted.
    std::vector<std::string> writeLog;
    uint64_t writesNotLogged = 0;
};

constexpr size_t kWriteLogMax = 100000;

extern ConsoleServer server;

// printf-style line on standard output, flushed at once.
void consoleLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

void handleConsoleDatagram(const uint8_t* data, size_t length, const sockaddr_in& from, int64_t nowMs);

// Sends what has fallen due (delayed answers, meter blocks), forgets clients
// whose keep-alive lapsed and ends a timed silence. Returns the time in ms
// until the next thing falls due, at most maxWaitMs.
int serviceConsoleTimers(int64_t nowMs, int maxWaitMs);

// The answer to a query of address; false when the console has no such
// parameter. Covers the store and the computed head-amp indexes.
bool queryValue(const std::string& address, OscArg& out);

// Sends the parameter's current value to every live remote client but except;
// after an effect type, the slot's 64 parameters follow, to every client.
void pushParam(const Param& param, const sockaddr_in* except, int64_t nowMs);

// Goes silent (nothing answered, applied, pushed or streamed) or back.
// untilMs 0 stays silent until the next call.
void setSilent(bool on, int64_t untilMs);

// Clears every solo switch and pushes the ones that were on to all clients.
void clearAllSolos(int64_t nowMs);
