#include <csignal>
#include <pthread.h>

#include <thread>

#include "platform/stop_signal.h"

// SIGINT and SIGTERM are blocked in every thread and taken by one watcher
// thread, so the stop runs as ordinary code rather than in a signal handler.
void installStopSignals()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    std::thread([set] {
        for (;;) {
            int received = 0;
            if (sigwait(&set, &received) == 0) requestStop();
        }
    }).detach();
}
