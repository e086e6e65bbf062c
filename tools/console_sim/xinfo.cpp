#include "xinfo.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>

#include "../common/sim_common.h"
#include "osc_wire.h"

ConsoleIdentity identity;

std::string reportedAddress(const sockaddr_in& listen)
{
    if (listen.sin_addr.s_addr != htonl(INADDR_ANY)) {
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &listen.sin_addr, text, sizeof text);
        return text;
    }
    std::string found = "127.0.0.1";
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return found;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || (entry->ifa_flags & IFF_LOOPBACK)) continue;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr, text, sizeof text);
        found = text;
        break;
    }
    freeifaddrs(list);
    return found;
}

void answerXinfo(int socketFd, const sockaddr_in& to)
{
    const std::vector<uint8_t> bytes =
        encodeOscMessage("/xinfo", {oscString(identity.address), oscString(identity.name),
                                    oscString(identity.model), oscString(identity.firmware)});
    sendDatagram(socketFd, to, bytes.data(), bytes.size());
}
