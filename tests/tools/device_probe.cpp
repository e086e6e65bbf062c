#include "tools/device_probe.h"

#include <chrono>
#include <cstring>

namespace {

void appendPadded(Bytes& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
    do out.push_back(0);
    while (out.size() % 4 != 0);
}

bool stringAt(const Bytes& bytes, size_t& at, std::string& out)
{
    size_t end = at;
    while (end < bytes.size() && bytes[end] != 0) ++end;
    if (end >= bytes.size()) return false;
    out.assign(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(end));
    at = (end + 4) & ~size_t(3);
    return at <= bytes.size();
}

}  // namespace

bool sendBytes(ProbeSocket& socket, int port, const Bytes& bytes)
{
    const int length = static_cast<int>(bytes.size());
    return socket.udp.sendTo(bytes.data(), length, {0x7F000001, static_cast<uint16_t>(port)}) == length;
}

bool receiveBytes(ProbeSocket& socket, int timeoutMs, Bytes& bytes)
{
    uint8_t buffer[4096];
    int length = 0;
    UdpEndpoint from;
    if (socket.udp.receive(buffer, sizeof buffer, length, from, timeoutMs) != ReceiveStatus::Received) return false;
    bytes.assign(buffer, buffer + length);
    return true;
}

std::vector<Bytes> receiveAll(ProbeSocket& socket, int windowMs)
{
    std::vector<Bytes> all;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(windowMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return all;
        Bytes bytes;
        if (receiveBytes(socket, static_cast<int>(left.count()), bytes)) all.push_back(bytes);
    }
}

Bytes oscQuery(const std::string& address)
{
    Bytes out;
    appendPadded(out, address);
    appendPadded(out, ",");
    return out;
}

Bytes oscSubscribe(const std::string& alias, const std::string& meters)
{
    Bytes out;
    appendPadded(out, "/batchsubscribe");
    appendPadded(out, ",ssiii");
    appendPadded(out, alias);
    appendPadded(out, meters);
    for (uint8_t last : {0, 0, 1}) out.insert(out.end(), {0, 0, 0, last});
    return out;
}

bool decodeOsc(const Bytes& bytes, OscReply& reply)
{
    reply = OscReply{};
    size_t at = 0;
    std::string tags;
    if (bytes.size() % 4 != 0 || !stringAt(bytes, at, reply.address) || !stringAt(bytes, at, tags)) return false;
    if (tags.empty() || tags[0] != ',' || tags.size() > 2) return false;
    reply.tags = tags.substr(1);
    if (reply.tags.empty()) return at == bytes.size();
    if (at + 4 > bytes.size()) return false;
    uint32_t word = (uint32_t(bytes[at]) << 24) | (uint32_t(bytes[at + 1]) << 16) | (uint32_t(bytes[at + 2]) << 8) |
                    bytes[at + 3];
    at += 4;
    char tag = reply.tags[0];
    if (tag == 'i') reply.i = static_cast<int32_t>(word);
    else if (tag == 'f') std::memcpy(&reply.f, &word, 4);
    else if (tag == 'b' && word <= bytes.size() - at) {
        reply.blob.assign(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + word));
        at += (word + 3) & ~uint32_t(3);
    } else {
        return false;
    }
    return at == bytes.size();
}

bool receiveOsc(ProbeSocket& socket, int timeoutMs, OscReply& reply)
{
    Bytes bytes;
    return receiveBytes(socket, timeoutMs, bytes) && decodeOsc(bytes, reply);
}

int startConsoleSim(ChildProcess& child, const std::vector<std::string>& extra)
{
    std::vector<std::string> arguments = {"--listen", "127.0.0.1:0"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    if (!startProcess(child, VELUMBRA_TOOLS_DIR "/velumbra-console-sim", arguments)) return 0;
    return waitForListeningPort(child, 5000);
}

int startSurfaceSim(ChildProcess& child, int bridgePort, const std::vector<std::string>& extra)
{
    std::vector<std::string> arguments = {"--listen", "127.0.0.1:0", "--bridge",
                                          "127.0.0.1:" + std::to_string(bridgePort)};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    if (!startProcess(child, VELUMBRA_TOOLS_DIR "/velumbra-surface-sim", arguments)) return 0;
    return waitForListeningPort(child, 5000);
}
