// Small POSIX helpers shared by the device emulators: IPv4 endpoints, a
// non-blocking UDP socket, a monotonic millisecond clock, a stop request set
// by SIGINT/SIGTERM that wakes poll(), and a line reader for standard input.
// Header-only so that each emulator stays one self-contained program; all of
// it runs on the emulator's single event-loop thread (the signal handler
// only writes one byte and one flag).
#pragma once

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

// "IP:PORT" with a dotted IPv4 address and a port 0..65535.
inline bool parseHostPort(const std::string& text, sockaddr_in& out)
{
    size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) return false;
    std::string host = text.substr(0, colon);
    std::string port = text.substr(colon + 1);
    for (char c : port)
        if (c < '0' || c > '9') return false;
    if (port.size() > 5) return false;
    long number = std::strtol(port.c_str(), nullptr, 10);
    if (number > 65535) return false;
    in_addr address{};
    if (inet_pton(AF_INET, host.c_str(), &address) != 1) return false;
    out = sockaddr_in{};
    out.sin_family = AF_INET;
    out.sin_addr = address;
    out.sin_port = htons(static_cast<uint16_t>(number));
    return true;
}

// A whole decimal number in [low, high]; false for anything else.
inline bool parseWholeNumber(const std::string& text, long low, long high, long& out)
{
    if (text.empty() || text.size() > 12) return false;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0') return false;
    if (value < low || value > high) return false;
    out = value;
    return true;
}

inline std::string endpointText(const sockaddr_in& endpoint)
{
    char host[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &endpoint.sin_addr, host, sizeof host);
    return std::string(host) + ":" + std::to_string(ntohs(endpoint.sin_port));
}

inline bool sameEndpoint(const sockaddr_in& a, const sockaddr_in& b)
{
    return a.sin_addr.s_addr == b.sin_addr.s_addr && a.sin_port == b.sin_port;
}

// Opens a non-blocking UDP socket bound to the endpoint; on success the
// endpoint is updated with the port the system chose (for port 0).
inline int openBoundUdpSocket(sockaddr_in& endpoint, std::string& error)
{
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    if (bind(fd, reinterpret_cast<const sockaddr*>(&endpoint), sizeof endpoint) != 0) {
        error = std::string("bind ") + endpointText(endpoint) + ": " + std::strerror(errno);
        close(fd);
        return -1;
    }
    socklen_t length = sizeof endpoint;
    getsockname(fd, reinterpret_cast<sockaddr*>(&endpoint), &length);
    return fd;
}

inline bool sendDatagram(int fd, const sockaddr_in& to, const void* data, size_t length)
{
    ssize_t sent = sendto(fd, data, length, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return sent == static_cast<ssize_t>(length);
}

inline int64_t monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Stop request: the handler sets the flag and writes one byte to the pipe so
// that a poll() on stopPipeFd() returns at once.
inline volatile sig_atomic_t simStopFlag = 0;
inline int simStopPipe[2] = {-1, -1};

inline void simStopHandler(int)
{
    simStopFlag = 1;
    if (simStopPipe[1] >= 0) {
        char byte = 1;
        ssize_t ignored = write(simStopPipe[1], &byte, 1);
        (void)ignored;
    }
}

inline bool installSimStopHandlers()
{
    if (pipe2(simStopPipe, O_NONBLOCK | O_CLOEXEC) != 0) return false;
    struct sigaction action {};
    action.sa_handler = simStopHandler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

inline int stopPipeFd() { return simStopPipe[0]; }
inline bool stopWasRequested() { return simStopFlag != 0; }

// Reads what is available on fd and appends complete lines (without the
// line end) to lines. Sets eof when the other end has closed.
struct LineReader {
    int fd = -1;
    std::string pending;
    bool eof = false;
};

inline void readLines(LineReader& reader, std::vector<std::string>& lines)
{
    char buffer[4096];
    ssize_t count = read(reader.fd, buffer, sizeof buffer);
    if (count < 0) {
        if (errno != EAGAIN && errno != EINTR) reader.eof = true;
        return;
    }
    if (count == 0) {
        reader.eof = true;
        if (!reader.pending.empty()) lines.push_back(reader.pending);
        reader.pending.clear();
        return;
    }
    reader.pending.append(buffer, static_cast<size_t>(count));
    size_t start = 0;
    for (size_t newline; (newline = reader.pending.find('\n', start)) != std::string::npos;
         start = newline + 1) {
        std::string line = reader.pending.substr(start, newline - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    reader.pending.erase(0, start);
    // A line without an end that grows without bound is cut, not kept.
    if (reader.pending.size() > 65536) reader.pending.clear();
}

// Splits at runs of spaces and tabs.
inline std::vector<std::string> splitWords(const std::string& line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

inline std::string hexBytes(const uint8_t* data, size_t length)
{
    std::string text;
    char cell[4];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(cell, sizeof cell, i ? " %02X" : "%02X", data[i]);
        text += cell;
    }
    return text;
}
