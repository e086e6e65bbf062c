#include <cerrno>
#include <poll.h>
#include <unistd.h>

#include "platform/console_input.h"
#include "platform/stop_signal.h"

// Standard input is read in raw bytes with poll, so that a stop request is
// noticed within a tenth of a second even while nobody types.
KeyStatus readConsoleCharWithin(char& c, int timeoutMs)
{
    for (int waited = 0;; waited += 100) {
        if (stopRequested) return KeyStatus::Stopped;
        if (timeoutMs >= 0 && waited >= timeoutMs) return KeyStatus::TimedOut;
        pollfd fd{STDIN_FILENO, POLLIN, 0};
        int ready = ::poll(&fd, 1, 100);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return KeyStatus::EndOfInput;
        }
        if (ready == 0) continue;
        ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n == 1) return KeyStatus::Key;
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        return KeyStatus::EndOfInput;
    }
}

KeyStatus readConsoleChar(char& c) { return readConsoleCharWithin(c, -1); }

