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

RectRead DesktopBackend::readWindowState(uint64_t window, WindowState& state)
{
    RectRead status = readWindowRect(window, state.rect);
    if (status != RectRead::Ok) return status;
    state.clickable = canTakeClicks(window);
    state.changes = 0;  // no count kept: only the rectangle tells a move
    return RectRead::Ok;
}

PressResult DesktopBackend::pressIfStill(uint64_t window, const WindowState& expected, int x, int y)
{
    WindowState now;
    RectRead status = readWindowState(window, now);
    if (status == RectRead::WindowGone) return PressResult::WindowGone;
    if (status != RectRead::Ok || !(now == expected)) return PressResult::Changed;
    moveCursor(x, y);
    clickLeftButton();
    return PressResult::Pressed;
}
