// Test-side peers for the device emulators and the bridge: a loopback UDP
// socket and OSC read byte by byte, independent of both the bridge's codec
// and the emulator's, so a fault in either shows up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/udp.h"
#include "robustness/malformed_traffic.h"
#include "support/process.h"

// Bound to a loopback address, port chosen by the system; port 0 when that failed.
struct ProbeSocket {
    UdpSocket udp;
    uint16_t port = 0;
    explicit ProbeSocket(uint32_t address = 0x7F000001)
    {
        if (udp.open() && udp.bind(address, 0)) port = udp.localPort();
    }
};

// To 127.0.0.1:port.
bool sendBytes(ProbeSocket& socket, int port, const Bytes& bytes);
// One datagram within timeoutMs.
bool receiveBytes(ProbeSocket& socket, int timeoutMs, Bytes& bytes);
// Everything that arrives within windowMs.
std::vector<Bytes> receiveAll(ProbeSocket& socket, int windowMs);

Bytes oscQuery(const std::string& address);
// "/batchsubscribe" ,ssiii alias meters 0 0 1, as the bridge sends it.
Bytes oscSubscribe(const std::string& alias, const std::string& meters);

struct OscReply {
    std::string address;
    std::string tags;  // without the comma
    int32_t i = 0;
    float f = 0.0f;
    Bytes blob;
};

// Reads one message with at most one argument (i, f or b); false when malformed.
bool decodeOsc(const Bytes& bytes, OscReply& reply);
// The next message within timeoutMs, decoded.
bool receiveOsc(ProbeSocket& socket, int timeoutMs, OscReply& reply);

// Starts an emulator on 127.0.0.1 port 0 with extra arguments; returns its
// port, 0 when it did not come up.
int startConsoleSim(ChildProcess& child, const std::vector<std::string>& extra = {});
int startSurfaceSim(ChildProcess& child, int bridgePort, const std::vector<std::string>& extra = {});
