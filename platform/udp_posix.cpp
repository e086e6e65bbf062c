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
    return static_cast<int>(n);
}

ReceiveStatus UdpSocket::receive(void* buffer, int capacity, int& length, UdpEndpoint& from,
                                 int timeoutMs)
{
    if (!isOpen()) {
        lastError = EBADF;
        return ReceiveStatus::Failed;
    }
    // A datagram already waiting is taken at once; only an empty socket is
    // polled (with the wake-up pipe), so a burst costs one call per datagram.
    for (;;) {
        if (native_->interrupted) return ReceiveStatus::Interrupted;
        {
            sockaddr_in sa{};
            socklen_t saLength = sizeof sa;
            ssize_t n = ::recvfrom(native_->fd, buffer, static_cast<size_t>(capacity), MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&sa), &saLength);
            if (n >= 0) {
                length = static_cast<int>(n);
                from.address = ntohl(sa.sin_addr.s_addr);
                from.port = ntohs(sa.sin_port);
                return ReceiveStatus::Received;
            }
            // A refused earlier send or a spurious wake-up is not a broken socket.
            if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK && errno != ECONNREFUSED) {
                lastError = errno;
                return ReceiveStatus::Failed;
            }
            if (errno == EINTR || errno == ECONNREFUSED) continue;
        }
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
