#include "platform/local_addresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
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
