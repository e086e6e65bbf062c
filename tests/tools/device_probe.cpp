#include "tools/device_probe.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

void appendPadded(Bytes& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
    do out.push_back(0);
    while (out.size() % 4 != 0);
}

void appendWord(Bytes& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t wordAt(const Bytes& bytes, size_t at)
{
    return (uint32_t(bytes[at]) << 24) | (uint32_t(bytes[at + 1]) << 16) | (uint32_t(bytes[at + 2]) << 8) |
           bytes[at + 3];
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

Bytes message(const std::string& address, const std::string& tags)
{
    Bytes out;
    appendPadded(out, address);
    appendPadded(out, "," + tags);
    return out;
}

}  // namespace

ProbeSocket::ProbeSocket()
{
    fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof local;
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0)
        port = ntohs(local.sin_port);
}

ProbeSocket::~ProbeSocket()
{
    if (fd >= 0) close(fd);
}

bool sendBytes(ProbeSocket& socket, int port, const Bytes& bytes)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<uint16_t>(port));
    return sendto(socket.fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
           static_cast<ssize_t>(bytes.size());
}

bool receiveBytes(ProbeSocket& socket, int timeoutMs, Bytes& bytes)
{
    pollfd ready{socket.fd, POLLIN, 0};
    if (poll(&ready, 1, timeoutMs) <= 0) return false;
    uint8_t buffer[4096];
    ssize_t length = recv(socket.fd, buffer, sizeof buffer, 0);
    if (length < 0) return false;
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

Bytes oscQuery(const std::string& address) { return message(address, ""); }

Bytes oscInt(const std::string& address, int32_t value)
{
    Bytes out = message(address, "i");
    appendWord(out, static_cast<uint32_t>(value));
    return out;
}

Bytes oscFloat(const std::string& address, float value)
{
    Bytes out = message(address, "f");
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    appendWord(out, bits);
    return out;
}

Bytes oscString(const std::string& address, const std::string& value)
{
    Bytes out = message(address, "s");
    appendPadded(out, value);
    return out;
}

Bytes oscSubscribe(const std::string& alias, const std::string& meters)
{
    Bytes out = message("/batchsubscribe", "ssiii");
    appendPadded(out, alias);
    appendPadded(out, meters);
    appendWord(out, 0);
    appendWord(out, 0);
    appendWord(out, 1);
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
    char tag = reply.tags[0];
    if (tag == 's') return stringAt(bytes, at, reply.s) && at == bytes.size();
    if (at + 4 > bytes.size()) return false;
    uint32_t word = wordAt(bytes, at);
    at += 4;
    if (tag == 'i') reply.i = static_cast<int32_t>(word);
    else if (tag == 'f') std::memcpy(&reply.f, &word, 4);
    else if (tag == 'b') {
        if (word > bytes.size() - at) return false;
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

long processCpuTicks(int pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(file, text)) return -1;
    // Fields after the command name (which may hold spaces) are plain.
    size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream rest(text.substr(close + 2));
    std::string field;
    long utime = -1;
    long stime = -1;
    for (int index = 3; rest >> field; ++index) {
        if (index == 14) utime = std::stol(field);
        if (index == 15) {
            stime = std::stol(field);
            break;
        }
    }
    return utime < 0 || stime < 0 ? -1 : utime + stime;
}
