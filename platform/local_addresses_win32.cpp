// The host's own name resolved to its IPv4 addresses: one per interface
// that has one, without the IP helper library.
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
