#include "surface/self_loop.h"

#include <atomic>

#include "platform/local_addresses.h"

namespace {

constexpr int OWN_ADDRESS_MAX = 64;

uint32_t ownAddresses[OWN_ADDRESS_MAX];
std::atomic<int> ownAddressCount{0};

bool isLoopback(uint32_t address) { return (address >> 24) == 127; }

} // namespace

void loadOwnAddresses()
{
    ownAddressCount = localIpv4Addresses(ownAddresses, OWN_ADDRESS_MAX);
}

bool isOwnAddress(uint32_t address)
{
    if (isLoopback(address)) return true;
    const int count = ownAddressCount.load();
    for (int i = 0; i < count; ++i) {
        if (ownAddresses[i] == address) return true;
    }
    return false;
}

bool surfaceLoopsBack(const UdpEndpoint& surface, uint16_t listeningPort)
{
    return surface.port == listeningPort && isOwnAddress(surface.address);
}

bool isOwnSurfaceDatagram(const UdpEndpoint& from, uint16_t listeningPort)
{
    return from.port == listeningPort && isOwnAddress(from.address);
}

std::string ownAddressesText()
{
    std::string text = "127.0.0.1";
    const int count = ownAddressCount.load();
    for (int i = 0; i < count; ++i) {
        if (isLoopback(ownAddresses[i])) continue;
        text += ", " + formatIpv4(ownAddresses[i]);
    }
    return text;
}

void resetSelfLoopState()
{
    ownAddressCount = 0;
}
