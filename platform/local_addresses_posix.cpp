#include "platform/local_addresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

int localIpv4Addresses(uint32_t* out, int capacity)
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return 0;
    int count = 0;
    for (ifaddrs* entry = list; entry && count < capacity; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        const sockaddr_in* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        out[count++] = ntohl(address->sin_addr.s_addr);
    }
    freeifaddrs(list);
    return count;
}

int localIpv4Broadcasts(uint32_t* out, int capacity)
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return 0;
    int count = 0;
    for (ifaddrs* entry = list; entry && count < capacity; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        const unsigned flags = entry->ifa_flags;
        if (!(flags & IFF_UP) || !(flags & IFF_BROADCAST) || (flags & IFF_LOOPBACK)) continue;
        if (!entry->ifa_broadaddr) continue;
        const sockaddr_in* b = reinterpret_cast<const sockaddr_in*>(entry->ifa_broadaddr);
        const uint32_t broadcast = ntohl(b->sin_addr.s_addr);
        if (broadcast == 0) continue;
        bool seen = false;
        for (int i = 0; i < count; ++i) seen = seen || out[i] == broadcast;
        if (!seen) out[count++] = broadcast;
    }
    freeifaddrs(list);
    return count;
}
