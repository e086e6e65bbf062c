#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>

#include "platform/udp.h"

struct UdpSocket::Native {
    int fd = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::atomic<bool> interrupted{false};
    // Has a local port (bound, or sent from): a blocking receive on it can
    // be woken by a datagram to itself.
    std::atomic<bool> hasPort{false};
};

namespace {
thread_local int lastError = 0;

sockaddr_in toSockaddr(uint32_t address, uint16_t port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(address);
    sa.sin_port = htons(port);
    return sa;
}
} // namespace

int startSocketLibrary() { return 0; }

UdpSocket::~UdpSocket() { close(); }

bool UdpSocket::open()
{
    close();
    int fd = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (fd < 0) {
        lastError = errno;
        return false;
    }
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        lastError = errno;
        ::close(fd);
        return false;
    }
    ::fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    ::fcntl(pipeFds[1], F_SETFL, O_NONBLOCK);
    native_ = new Native;
    native_->fd = fd;
    native_->wakeRead = pipeFds[0];
    native_->wakeWrite = pipeFds[1];
    return true;
}

bool UdpSocket::isOpen() const { return native_ && native_->fd >= 0; }

void UdpSocket::close()
{
    if (!native_) return;
    ::close(native_->fd);
    ::close(native_->wakeRead);
    ::close(native_->wakeWrite);
    delete native_;
    native_ = nullptr;
}

bool UdpSocket::bind(uint32_t address, uint16_t port)
{
    if (!isOpen()) return false;
    sockaddr_in sa = toSockaddr(address, port);
    if (::bind(native_->fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        lastError = errno;
        return false;
    }
    native_->hasPort = true;
    return true;
}

int UdpSocket::sendTo(const void* data, int length, const UdpEndpoint& to)
{
    if (!isOpen() || length < 0) return -1;
    sockaddr_in sa = toSockaddr(to.address, to.port);
    ssize_t n;
    do {
        n = ::sendto(native_->fd, data, static_cast<size_t>(length), 0,
                     reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        lastError = errno;
        return -1;
    }
    native_->hasPort = true;
    return static_cast<int>(n);
}

namespace {
// Where a datagram to this socket itself goes: its own address, or loopback
// when it is bound to every address.
bool selfAddress(int fd, sockaddr_in& self)
{
    socklen_t length = sizeof self;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&self), &length) != 0 || self.sin_port == 0) return false;
    if (self.sin_addr.s_addr == htonl(INADDR_ANY)) self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return true;
}

// The empty datagram interrupt() sends itself, left over after a rearm.
bool isOwnWakeUp(int fd, ssize_t length, const sockaddr_in& from)
{
    sockaddr_in self{};
    return length == 0 && selfAddress(fd, self) && from.sin_port == self.sin_port &&
           (from.sin_addr.s_addr == self.sin_addr.s_addr || from.sin_addr.s_addr == htonl(INADDR_LOOPBACK));
}
} // namespace

ReceiveStatus UdpSocket::receive(void* buffer, int capacity, int& length, UdpEndpoint& from,
                                 int timeoutMs)
{
    if (!isOpen()) {
        lastError = EBADF;
        return ReceiveStatus::Failed;
    }
    // Without a time-out the receive blocks in recvfrom itself, as plainly as
    // a program can wait: interrupt() wakes it with an empty datagram to the
    // socket. With a time-out, a datagram already waiting is taken at once
    // and only an empty socket is polled (with the wake-up pipe).
    const bool blocking = timeoutMs < 0 && native_->hasPort;
    for (;;) {
        if (native_->interrupted) return ReceiveStatus::Interrupted;
        sockaddr_in sa{};
        socklen_t saLength = sizeof sa;
        ssize_t n = ::recvfrom(native_->fd, buffer, static_cast<size_t>(capacity), blocking ? 0 : MSG_DONTWAIT,
                               reinterpret_cast<sockaddr*>(&sa), &saLength);
        if (n >= 0) {
            if (native_->interrupted) return ReceiveStatus::Interrupted;
            if (isOwnWakeUp(native_->fd, n, sa)) continue;
            length = static_cast<int>(n);
            from.address = ntohl(sa.sin_addr.s_addr);
            from.port = ntohs(sa.sin_port);
            return ReceiveStatus::Received;
        }
        // A refused earlier send or a spurious wake-up is not a broken socket.
        if (errno == EINTR || errno == ECONNREFUSED) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            lastError = errno;
            return ReceiveStatus::Failed;
        }
        if (blocking) continue;
        pollfd fds[2] = {{native_->fd, POLLIN, 0}, {native_->wakeRead, POLLIN, 0}};
        int ready = ::poll(fds, 2, timeoutMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            lastError = errno;
            return ReceiveStatus::Failed;
        }
        if (ready == 0) return ReceiveStatus::Interrupted;
        if (fds[1].revents) return ReceiveStatus::Interrupted;
    }
}

void UdpSocket::interrupt()
{
    if (!native_) return;
    native_->interrupted = true;
    char byte = 1;
    ssize_t ignored = ::write(native_->wakeWrite, &byte, 1);
    (void)ignored;
    sockaddr_in self{};
    if (native_->hasPort && selfAddress(native_->fd, self)) {
        ignored = ::sendto(native_->fd, &byte, 0, 0, reinterpret_cast<sockaddr*>(&self), sizeof self);
    }
}

void UdpSocket::rearm()
{
    if (!native_) return;
    char drain[64];
    while (::read(native_->wakeRead, drain, sizeof drain) > 0) {
    }
    native_->interrupted = false;
}

int UdpSocket::setReceiveBufferSize(int bytes)
{
    if (!isOpen()) return -1;
    // As root the system's ceiling does not apply; otherwise it caps the request.
    if (::setsockopt(native_->fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0) {
        ::setsockopt(native_->fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }
    int granted = 0;
    socklen_t length = sizeof granted;
    if (::getsockopt(native_->fd, SOL_SOCKET, SO_RCVBUF, &granted, &length) != 0) return -1;
    return granted;
}

bool UdpSocket::allowBroadcast()
{
    if (!isOpen()) return false;
    int on = 1;
    if (::setsockopt(native_->fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        lastError = errno;
        return false;
    }
    return true;
}

uint16_t UdpSocket::localPort() const
{
    if (!isOpen()) return 0;
    sockaddr_in sa{};
    socklen_t saLength = sizeof sa;
    if (::getsockname(native_->fd, reinterpret_cast<sockaddr*>(&sa), &saLength) != 0) return 0;
    return ntohs(sa.sin_port);
}

std::string UdpSocket::lastErrorText() { return std::strerror(lastError ? lastError : errno); }

int UdpSocket::lastErrorCode() { return lastError; }
