#include "support/loopback_source.h"

#include "platform/udp.h"

bool loopbackSourceHolds(uint32_t address)
{
    constexpr uint32_t LOOPBACK = 0x7F000001;
    UdpSocket sender, receiver;
    if (!sender.open() || !sender.bind(address, 0)) return false;
    if (!receiver.open() || !receiver.bind(LOOPBACK, 0)) return false;
    const char probe = 'p';
    if (sender.sendTo(&probe, 1, {LOOPBACK, receiver.localPort()}) != 1) return false;
    char buffer[4];
    int length = 0;
    UdpEndpoint from;
    if (receiver.receive(buffer, sizeof buffer, length, from, 1000) != ReceiveStatus::Received)
        return false;
    return from.address == address && from.port == sender.localPort();
}
