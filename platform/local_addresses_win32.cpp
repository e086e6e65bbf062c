// This machine's IPv4 addresses (its own name resolved: one per interface
// that has one) and broadcast addresses, without the IP helper library.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/local_addresses.h"

int localIpv4Addresses(uint32_t* out, int capacity)
{
    char name[256];
    if (gethostname(name, sizeof name) != 0) return 0;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &list) != 0) return 0;
    int count = 0;
    for (addrinfo* entry = list; entry && count < capacity; entry = entry->ai_next) {
        if (!entry->ai_addr || entry->ai_family != AF_INET) continue;
        const sockaddr_in* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        out[count++] = ntohl(address->sin_addr.s_addr);
    }
    freeaddrinfo(list);
    return count;
}

// Each interface's address and netmask from the socket library itself; the
// broadcast address it reports is often the limited 255.255.255.255, so the
// directed one is worked out from the netmask.
int localIpv4Broadcasts(uint32_t* out, int capacity)
{
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return 0;
    INTERFACE_INFO interfaces[32];
    DWORD bytes = 0;
    const int result = WSAIoctl(s, SIO_GET_INTERFACE_LIST, nullptr, 0, interfaces, sizeof interfaces,
                                &bytes, nullptr, nullptr);
    ::closesocket(s);
    if (result != 0) return 0;
    const int listed = static_cast<int>(bytes / sizeof(INTERFACE_INFO));
    int count = 0;
    for (int i = 0; i < listed && count < capacity; ++i) {
        const u_long flags = interfaces[i].iiFlags;
        if (!(flags & IFF_UP) || !(flags & IFF_BROADCAST) || (flags & IFF_LOOPBACK)) continue;
        const uint32_t address = ntohl(interfaces[i].iiAddress.AddressIn.sin_addr.s_addr);
        const uint32_t mask = ntohl(interfaces[i].iiNetmask.AddressIn.sin_addr.s_addr);
        if (address == 0) continue;
        const uint32_t broadcast = (address & mask) | ~mask;
        bool seen = false;
        for (int k = 0; k < count; ++k) seen = seen || out[k] == broadcast;
        if (!seen) out[count++] = broadcast;
    }
    return count;
}
