// Test-side peers for the device emulators: a loopback UDP socket and OSC
// messages built and read byte by byte, independent of both the bridge's
// codec and the emulator's, so a fault in either shows up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/process.h"

using Bytes = std::vector<uint8_t>;

struct ProbeSocket {
    int fd = -1;
    uint16_t port = 0;
    ProbeSocket();  // bound to 127.0.0.1, port chosen by the system
    ~ProbeSocket();
    ProbeSocket(const ProbeSocket&) = delete;
    ProbeSocket& operator=(const ProbeSocket&) = delete;
};

bool sendBytes(ProbeSocket& socket, int port, const Bytes& bytes);
// One datagram within timeoutMs.
bool receiveBytes(ProbeSocket& socket, int timeoutMs, Bytes& bytes);
// Everything that arrives within windowMs.
std::vector<Bytes> receiveAll(ProbeSocket& socket, int windowMs);

Bytes oscQuery(const std::string& address);
Bytes oscInt(const std::string& address, int32_t value);
Bytes oscFloat(const std::string& address, float value);
Bytes oscString(const std::string& address, const std::string& value);
// "/batchsubscribe" ,ssiii alias meters 0 0 1, as the bridge sends it.
Bytes oscSubscribe(const std::string& alias, const std::string& meters);

struct OscReply {
    std::string address;
    std::string tags;  // without the comma
    int32_t i = 0;
    float f = 0.0f;
    std::string s;
    Bytes blob;
};

// Reads one message with at most one argument; false when malformed.
bool decodeOsc(const Bytes& bytes, OscReply& reply);
// The next message within timeoutMs, decoded.
bool receiveOsc(ProbeSocket& socket, int timeoutMs, OscReply& reply);

// Starts an emulator on 127.0.0.1 port 0 with extra arguments; returns its
// port, 0 when it did not come up.
int startConsoleSim(ChildProcess& child, const std::vector<std::string>& extra = {});
int startSurfaceSim(ChildProcess& child, int bridgePort, const std::vector<std::string>& extra = {});

// CPU time (user + system) the process has used, in clock ticks; -1 if unknown.
long processCpuTicks(int pid);
