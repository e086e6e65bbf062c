#include <csignal>
#include <pthread.h>

#include <mutex>
#include <thread>

#include "platform/stop_signal.h"

namespace {
// Never destroyed: the signal thread outlives main.
std::mutex& handlerMutex = *new std::mutex;
void (*statusRequestHandler)() = nullptr;
} // namespace

// SIGINT, SIGTERM and SIGUSR1 are blocked in every thread and taken by one
// watcher thread, so what they cause runs as ordinary code rather than in a
// signal handler.
void installStopSignals()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    std::thread([set] {
        for (;;) {
            int received = 0;
            if (sigwait(&set, &received) != 0) continue;
            if (received != SIGUSR1) {
                requestStop();
                continue;
            }
            std::lock_guard<std::mutex> lock(handlerMutex);
            if (statusRequestHandler) statusRequestHandler();
        }
    }).detach();
}

void setStatusRequestHandler(void (*handler)())
{
    std::lock_guard<std::mutex> lock(handlerMutex);
    statusRequestHandler = handler;
}
