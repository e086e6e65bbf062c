// Winsock UDP sockets. A receive waits on two events: the socket's read event
// (WSAEventSelect) and a manual-reset wake event that interrupt() sets, so a
// stop reaches a blocked receive at once.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>
#include <windows.h>

#include <atomic>
#include <mutex>

#include "platform/udp.h"

// Without this switch a datagram to a closed port makes the next recvfrom on
// the same socket fail with WSAECONNRESET; older SDK headers lack the name.
#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif

struct UdpSocket::Native {
    SOCKET socket = INVALID_SOCKET;
    WSAEVENT readEvent = WSA_INVALID_EVENT;
    HANDLE wakeEvent = nullptr;
    std::atomic<bool> interrupted{false};
};

namespace {
thread_local int lastError = 0;

int recordError()
{
    lastError = WSAGetLastError();
    return lastError;
}

sockaddr_in toSockaddr(uint32_t address, uint16_t port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(address);
    sa.sin_port = htons(port);
    return sa;
}

void switchOffConnectionReset(SOCKET s)
{
    BOOL report = FALSE;
    DWORD returned = 0;
    // Failure leaves the default; receive() ignores the error as well.
    WSAIoctl(s, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr,
             nullptr);
}

// Errors of an earlier send (ICMP port unreachable, TTL expiry) or a read
// event that another wake-up already consumed: the socket is still fine.
bool isTransientReceiveError(int error)
{
    return error == WSAEWOULDBLOCK || error == WSAECONNRESET || error == WSAENETRESET ||
           error == WSAEINTR;
}

// Milliseconds left until deadline, for WSAWaitForMultipleEvents.
DWORD remainingWait(int timeoutMs, ULONGLONG deadline)
{
    if (timeoutMs < 0) return WSA_INFINITE;
    ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}
} // namespace

int startSocketLibrary()
{
    static std::once_flag once;
    static int result = 0;
    std::call_once(once, [] {
        WSADATA data;
        result = WSAStartup(MAKEWORD(2, 2), &data);
        if (result == 0 && (LOBYTE(data.wVersion) != 2 || HIBYTE(data.wVersion) != 2)) {
            WSACleanup();
            result = WSAVERNOTSUPPORTED;
        }
    });
    return result;
}

UdpSocket::~UdpSocket() { close(); }

bool UdpSocket::open()
{
    close();
    int started = startSocketLibrary();
    if (started != 0) {
        lastError = started;
        return false;
    }
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        recordError();
        return false;
    }
    switchOffConnectionReset(s);
    WSAEVENT readEvent = WSACreateEvent();
    HANDLE wakeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool ready = readEvent != WSA_INVALID_EVENT && wakeEvent &&
                 WSAEventSelect(s, readEvent, FD_READ) == 0;
    if (!ready) {
        // Winsock keeps the thread's last error in GetLastError's slot.
        lastError = static_cast<int>(GetLastError());
        if (readEvent != WSA_INVALID_EVENT) WSACloseEvent(readEvent);
        if (wakeEvent) CloseHandle(wakeEvent);
        closesocket(s);
        return false;
    }
    native_ = new Native;
    native_->socket = s;
    native_->readEvent = readEvent;
    native_->wakeEvent = wakeEvent;
    return true;
}

bool UdpSocket::isOpen() const { return native_ && native_->socket != INVALID_SOCKET; }

void UdpSocket::close()
{
    if (!native_) return;
    closesocket(native_->socket);
    WSACloseEvent(native_->readEvent);
    CloseHandle(native_->wakeEvent);
    delete native_;
    native_ = nullptr;
}

bool UdpSocket::bind(uint32_t address, uint16_t port)
{
    if (!isOpen()) return false;
    sockaddr_in sa = toSockaddr(address, port);
    if (::bind(native_->socket, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        recordError();
        return false;
    }
    return true;
}

int UdpSocket::sendTo(const void* data, int length, const UdpEndpoint& to)
{
    if (!isOpen() || length < 0) return -1;
    sockaddr_in sa = toSockaddr(to.address, to.port);
    // WSAEventSelect made the socket non-blocking; a full send buffer is
    // waited out briefly, as a blocking send would.
    for (int attempt = 0; attempt < 200; ++attempt) {
        int n = ::sendto(native_->socket, static_cast<const char*>(data), length, 0,
                         reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        if (n >= 0) return n;
        int error = recordError();
        if (error != WSAEWOULDBLOCK && error != WSAENOBUFS) return -1;
        Sleep(1);
    }
    return -1;
}

ReceiveStatus UdpSocket::receive(void* buffer, int capacity, int& length, UdpEndpoint& from,
                                 int timeoutMs)
{
    if (!isOpen()) {
        lastError = WSAENOTSOCK;
        return ReceiveStatus::Failed;
    }
    ULONGLONG deadline = timeoutMs < 0 ? 0 : GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (native_->interrupted) return ReceiveStatus::Interrupted;
        sockaddr_in sa{};
        int saLength = sizeof sa;
        int n = ::recvfrom(native_->socket, static_cast<char*>(buffer), capacity, 0,
                           reinterpret_cast<sockaddr*>(&sa), &saLength);
        int error = n < 0 ? WSAGetLastError() : 0;
        // Winsock reports a datagram longer than the buffer as an error after
        // filling the buffer; POSIX hands over the cut datagram. Do the same.
        if (n >= 0 || error == WSAEMSGSIZE) {
            length = n >= 0 ? n : capacity;
            from.address = ntohl(sa.sin_addr.s_addr);
            from.port = ntohs(sa.sin_port);
            return ReceiveStatus::Received;
        }
        if (!isTransientReceiveError(error)) {
            lastError = error;
            return ReceiveStatus::Failed;
        }
        WSAEVENT events[2] = {native_->wakeEvent, native_->readEvent};
        DWORD wait = remainingWait(timeoutMs, deadline);
        DWORD ready = WSAWaitForMultipleEvents(2, events, FALSE, wait, FALSE);
        if (ready == WSA_WAIT_TIMEOUT) return ReceiveStatus::Interrupted;
        if (ready == WSA_WAIT_EVENT_0) return ReceiveStatus::Interrupted;
        if (ready == WSA_WAIT_FAILED) {
            recordError();
            return ReceiveStatus::Failed;
        }
        WSANETWORKEVENTS happened;
        WSAEnumNetworkEvents(native_->socket, native_->readEvent, &happened);
    }
}

void UdpSocket::interrupt()
{
    if (!native_) return;
    native_->interrupted = true;
    SetEvent(native_->wakeEvent);
}

void UdpSocket::rearm()
{
    if (!native_) return;
    ResetEvent(native_->wakeEvent);
    native_->interrupted = false;
}

bool UdpSocket::allowBroadcast()
{
    if (!isOpen()) return false;
    BOOL on = TRUE;
    if (::setsockopt(native_->socket, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on),
                     sizeof on) != 0) {
        recordError();
        return false;
    }
    return true;
}

int UdpSocket::setReceiveBufferSize(int bytes)
{
    if (!isOpen()) return -1;
    ::setsockopt(native_->socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes),
                 sizeof bytes);
    int granted = 0;
    int length = sizeof granted;
    if (::getsockopt(native_->socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&granted),
                     &length) != 0)
        return -1;
    return granted;
}

uint16_t UdpSocket::localPort() const
{
    if (!isOpen()) return 0;
    sockaddr_in sa{};
    int saLength = sizeof sa;
    if (::getsockname(native_->socket, reinterpret_cast<sockaddr*>(&sa), &saLength) != 0) return 0;
    return ntohs(sa.sin_port);
}

std::string UdpSocket::lastErrorText()
{
    int code = lastError ? lastError : WSAGetLastError();
    char text[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             text, sizeof text, nullptr);
    // The system's text ends in a line break that the caller adds itself.
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) --n;
    if (n == 0) return "error " + std::to_string(code);
    return std::string(text, n);
}

int UdpSocket::lastErrorCode() { return lastError; }
