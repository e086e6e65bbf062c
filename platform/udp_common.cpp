#include <cstdio>

#include "platform/udp.h"

bool parseIpv4(const char* text, uint32_t& address)
{
    if (!text) return false;
    uint32_t result = 0;
    const char* p = text;
    for (int part = 0; part < 4; ++part) {
        if (*p < '0' || *p > '9') return false;
        // "010" is 8 to inet_aton and 10 to a reader: neither guess is safe.
        if (p[0] == '0' && p[1] >= '0' && p[1] <= '9') return false;
        int value = 0;
        int digits = 0;
        while (*p >= '0' && *p <= '9') {
            value = value * 10 + (*p - '0');
            if (++digits > 3 || value > 255) return false;
            ++p;
        }
        result = (result << 8) | static_cast<uint32_t>(value);
        if (part < 3) {
            if (*p != '.') return false;
            ++p;
        }
    }
    if (*p != '\0') return false;
    address = result;
    return true;
}

std::string formatIpv4(uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 255, (address >> 16) & 255,
                  (address >> 8) & 255, address & 255);
    return text;
}

std::string formatEndpoint(const UdpEndpoint& endpoint)
{
    return formatIpv4(endpoint.address) + ":" + std::to_string(endpoint.port);
}
