// UDP sockets over IPv4. One implementation file per platform.
#pragma once

#include <cstdint>
#include <string>

struct UdpEndpoint {
    uint32_t address = 0;  // host byte order
    uint16_t port = 0;     // host byte order
};

// Parses strict dotted IPv4 text ("192.168.0.10", no leading zeros); false
// for anything else.
bool parseIpv4(const char* text, uint32_t& address);
std::string formatIpv4(uint32_t address);
std::string formatEndpoint(const UdpEndpoint& endpoint);

// Starts the platform's socket library once per process (Winsock on Windows).
// Returns 0 on success or the platform's error code.
int startSocketLibrary();

enum class ReceiveStatus { Received, Interrupted, Failed };

class UdpSocket {
public:
    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool open();
    bool bind(uint32_t address, uint16_t port);
    bool isOpen() const;
    void close();

    // One datagram; the result is the number of bytes sent or -1.
    int sendTo(const void* data, int length, const UdpEndpoint& to);

    // Blocks until a datagram arrives, interrupt() is called, or timeoutMs
    // passes (a negative timeout waits without limit). Interrupted covers
    // both the wake-up and the time-out; length is set only on Received.
    ReceiveStatus receive(void* buffer, int capacity, int& length, UdpEndpoint& from,
                          int timeoutMs = -1);

    // Wakes every receive blocked on this socket, now and later, until rearm().
    void interrupt();
    void rearm();

    // Local port after bind or first send; 0 when unknown.
    uint16_t localPort() const;

    // Asks the system for a receive buffer of bytes (it may grant less), so
    // a burst of datagrams waits in the socket instead of being dropped.
    // Returns the size granted, or -1.
    int setReceiveBufferSize(int bytes);

    // Lets sends reach a broadcast address (off by default). False on failure.
    bool allowBroadcast();

    // The system's text for the last socket error of this thread.
    static std::string lastErrorText();
    static int lastErrorCode();

private:
    struct Native;
    Native* native_ = nullptr;
};
