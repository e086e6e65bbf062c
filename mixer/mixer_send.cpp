#include "mixer/mixer_send.h"

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "diag/traffic_log.h"
#include "mixer/osc_codec.h"
#include "model/strip_families.h"
#include "platform/console_output.h"
#include "platform/udp.h"

namespace {
std::mutex linkMutex;
UdpSocket* linkSocket = nullptr;
UdpEndpoint linkEndpoint;

// Re-dispatches the variadic arguments to encodeOscMessage, one tag at a
// time, so that one buffer per call is enough.
int encodeFromList(uint8_t* buffer, const char* address, const char* tags, va_list args)
{
    // The tag strings the bridge sends are short and fixed: none, "i", "f",
    // "ssiii". Anything else is rejected rather than guessed at.
    if (!tags || tags[0] == '\0') return encodeOscMessage(buffer, OSC_BUFFER_SIZE, address, "");
    if (std::strcmp(tags, "i") == 0) {
        int32_t v = va_arg(args, int32_t);
        return encodeOscMessage(buffer, OSC_BUFFER_SIZE, address, "i", v);
    }
    if (std::strcmp(tags, "f") == 0) {
        double v = va_arg(args, double);
        return encodeOscMessage(buffer, OSC_BUFFER_SIZE, address, "f", v);
    }
    if (std::strcmp(tags, "s") == 0) {
        const char* v = va_arg(args, const char*);
        return encodeOscMessage(buffer, OSC_BUFFER_SIZE, address, "s", v);
    }
    if (std::strcmp(tags, "ssiii") == 0) {
        const char* a = va_arg(args, const char*);
        const char* b = va_arg(args, const char*);
        int32_t x = va_arg(args, int32_t);
        int32_t y = va_arg(args, int32_t);
        int32_t z = va_arg(args, int32_t);
        return encodeOscMessage(buffer, OSC_BUFFER_SIZE, address, "ssiii", a, b, x, y, z);
    }
    return -4;
}

bool sendList(const char* address, const char* tags, va_list args)
{
    uint8_t buffer[OSC_BUFFER_SIZE];
    int length = encodeFromList(buffer, address, tags, args);
    if (length < 0) return false;
    return sendRawToMixer(buffer, length);
}
} // namespace

void setMixerLink(UdpSocket* socket, const UdpEndpoint& endpoint)
{
    std::lock_guard<std::mutex> lock(linkMutex);
    linkSocket = socket;
    linkEndpoint = endpoint;
}

UdpSocket* mixerLinkSocket()
{
    std::lock_guard<std::mutex> lock(linkMutex);
    return linkSocket;
}

UdpEndpoint mixerLinkEndpoint()
{
    std::lock_guard<std::mutex> lock(linkMutex);
    return linkEndpoint;
}

bool sendRawToMixer(const unsigned char* data, int length)
{
    UdpSocket* socket;
    UdpEndpoint endpoint;
    {
        std::lock_guard<std::mutex> lock(linkMutex);
        socket = linkSocket;
        endpoint = linkEndpoint;
    }
    if (!socket || length <= 0) return false;
    if (socket->sendTo(data, length, endpoint) != length) return false;
    noteMixerDatagram(LinkDirection::MixerOut, data, length);
    return true;
}

bool sendToMixer(const char* address, const char* typeTags, ...)
{
    va_list args;
    va_start(args, typeTags);
    bool sent = sendList(address, typeTags, args);
    va_end(args);
    if (!sent) consolePrint("Error sending %s to mixer\n", address ? address : "");
    return sent;
}

bool sendToMixerQuietly(const char* address, const char* typeTags, ...)
{
    va_list args;
    va_start(args, typeTags);
    bool sent = sendList(address, typeTags, args);
    va_end(args);
    return sent;
}

void prebuildOscMessage(PrebuiltOscMessage& message, const char* address, char tag)
{
    uint8_t buffer[OSC_BUFFER_SIZE];
    const char tags[2] = {tag, '\0'};
    int length = tag == 'f' ? encodeOscMessage(buffer, OSC_BUFFER_SIZE, address, tags, 0.0)
                            : encodeOscMessage(buffer, OSC_BUFFER_SIZE, address, tags, int32_t{0});
    message.length = length > 0 && length <= PREBUILT_OSC_SIZE ? length : 0;
    if (message.length > 0) std::memcpy(message.bytes, buffer, static_cast<size_t>(length));
}

namespace {
bool sendPrebuilt(const PrebuiltOscMessage& message, uint32_t argument)
{
    if (message.length <= 0) return false;
    unsigned char bytes[PREBUILT_OSC_SIZE];
    std::memcpy(bytes, message.bytes, static_cast<size_t>(message.length));
    unsigned char* at = bytes + message.length - 4;
    at[0] = static_cast<unsigned char>(argument >> 24);
    at[1] = static_cast<unsigned char>(argument >> 16);
    at[2] = static_cast<unsigned char>(argument >> 8);
    at[3] = static_cast<unsigned char>(argument);
    if (sendRawToMixer(bytes, message.length)) return true;
    consolePrint("Error sending %s to mixer\n", reinterpret_cast<const char*>(message.bytes));
    return false;
}
} // namespace

bool sendPrebuiltFloat(const PrebuiltOscMessage& message, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return sendPrebuilt(message, bits);
}

bool sendPrebuiltInt(const PrebuiltOscMessage& message, int value)
{
    return sendPrebuilt(message, static_cast<uint32_t>(value));
}

void askHeadampIndex(int strip)
{
    if (strip < 0 || strip >= HEADAMP_STRIP_COUNT) return;
    char address[OSC_BUFFER_SIZE];
    formatText(address, sizeof address, "/-ha/%02d/index", strip);
    sendToMixer(address, "");
}

void askEveryHeadampIndex()
{
    for (int strip = 0; strip < HEADAMP_STRIP_COUNT; ++strip) askHeadampIndex(strip);
}
