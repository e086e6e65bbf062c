#include "platform/desktop.h"

#include <mutex>

namespace {
std::mutex activeMutex;
std::shared_ptr<DesktopBackend> active;
}

std::shared_ptr<DesktopBackend> currentDesktop()
{
    std::lock_guard<std::mutex> lock(activeMutex);
    if (!active) active = makeDefaultDesktop();
    if (!active) active = makeNullDesktop();
    return active;
}

void useNullDesktop()
{
    installDesktopBackend(makeNullDesktop());
}

void installDesktopBackend(std::shared_ptr<DesktopBackend> backend)
{
    std::lock_guard<std::mutex> lock(activeMutex);
    active = std::move(backend);
}

void resetDesktopBackend()
{
    // Callers still holding the old backend keep it alive until they finish.
    std::lock_guard<std::mutex> lock(activeMutex);
    active.reset();
}
