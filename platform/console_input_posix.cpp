#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

#include "platform/clock.h"
#include "platform/console_input.h"
#include "platform/stop_signal.h"

// Standard input is polled together with a wake-up pipe, which a stop request
// or interruptConsoleInput() writes to: nobody typing costs no wake-ups.
namespace {

std::mutex wakeMutex;
int wakePipe[2] = {-1, -1};
int readers = 0;
// A byte consoleInputEnded() had to read to learn that the input goes on;
// the next read returns it first. -1: none.
std::atomic<int> pendingByte{-1};
std::atomic<bool> inputEnded{false};

// Caller holds wakeMutex.
void wakeReaders()
{
    if (readers == 0 || wakePipe[1] < 0) return;
    char byte = 1;
    ssize_t ignored = ::write(wakePipe[1], &byte, 1);
    (void)ignored;
}

void wakeOnStop(void*)
{
    std::lock_guard<std::mutex> lock(wakeMutex);
    wakeReaders();
}

// Registers a reader; false when done is already set.
bool enter(const std::atomic<bool>* done)
{
    std::lock_guard<std::mutex> lock(wakeMutex);
    if (wakePipe[0] < 0 && ::pipe(wakePipe) == 0) {
        ::fcntl(wakePipe[0], F_SETFL, O_NONBLOCK);
        ::fcntl(wakePipe[1], F_SETFL, O_NONBLOCK);
    }
    if (done && *done) return false;
    ++readers;
    return true;
}

void leave()
{
    std::lock_guard<std::mutex> lock(wakeMutex);
    --readers;
    char drain[16];
    if (wakePipe[0] >= 0) {
        while (::read(wakePipe[0], drain, sizeof drain) > 0) {
        }
    }
}

KeyStatus readLoop(char& c, int timeoutMs, const std::atomic<bool>* done, bool stopWakes)
{
    const int64_t deadline = steadyMilliseconds() + (timeoutMs < 0 ? 0 : timeoutMs);
    const int pending = pendingByte.exchange(-1);
    if (pending >= 0) {
        c = static_cast<char>(pending);
        return KeyStatus::Key;
    }
    for (;;) {
        if (stopRequested) return KeyStatus::Stopped;
        if (done && *done) return KeyStatus::TimedOut;
        int wait = -1;
        if (timeoutMs >= 0) {
            const int64_t left = deadline - steadyMilliseconds();
            if (left <= 0) return KeyStatus::TimedOut;
            wait = static_cast<int>(left);
        }
        // Without a stop waker, look at the stop request now and then.
        if (!stopWakes && (wait < 0 || wait > 100)) wait = 100;
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        int ready = ::poll(fds, wakePipe[0] >= 0 ? 2 : 1, wait);
        if (ready < 0) {
            if (errno == EINTR) continue;
            inputEnded = true;
            return KeyStatus::EndOfInput;
        }
        if (ready > 0 && fds[1].revents != 0) {
            char drain[16];
            while (::read(wakePipe[0], drain, sizeof drain) > 0) {
            }
        }
        if (ready == 0 || fds[0].revents == 0) continue;
        ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n == 1) return KeyStatus::Key;
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        inputEnded = true;
        return KeyStatus::EndOfInput;
    }
}

KeyStatus readConsoleCharWaking(char& c, int timeoutMs, const std::atomic<bool>* done)
{
    if (!enter(done)) return KeyStatus::TimedOut;
    const int waker = addStopWaker(wakeOnStop, nullptr);
    KeyStatus status = readLoop(c, timeoutMs, done, waker >= 0);
    removeStopWaker(waker);
    leave();
    return status;
}

} // namespace

KeyStatus readConsoleCharWithin(char& c, int timeoutMs) { return readConsoleCharWaking(c, timeoutMs, nullptr); }

KeyStatus readConsoleChar(char& c) { return readConsoleCharWaking(c, -1, nullptr); }

KeyStatus readConsoleCharUntil(char& c, const std::atomic<bool>& done) { return readConsoleCharWaking(c, -1, &done); }

void interruptConsoleInput()
{
    std::lock_guard<std::mutex> lock(wakeMutex);
    wakeReaders();
}

bool consoleInputEnded()
{
    if (inputEnded) return true;
    if (pendingByte >= 0) return false;
    pollfd fd = {STDIN_FILENO, POLLIN, 0};
    if (::poll(&fd, 1, 0) <= 0) return false;  // nothing to read yet: someone may type
    if (fd.revents & POLLNVAL) {
        inputEnded = true;
        return true;
    }
    // Readable, or hung up: one byte tells an end from a key typed ahead.
    char c = 0;
    const ssize_t n = ::read(STDIN_FILENO, &c, 1);
    if (n == 1) {
        pendingByte = static_cast<unsigned char>(c);
        return false;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return false;
    inputEnded = true;
    return true;
}

void resetConsoleInput()
{
    pendingByte = -1;
    inputEnded = false;
}
