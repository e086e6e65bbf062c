#include "editor/dca_spill.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>

#include "control/strip_controls.h"
#include "display/refresh.h"
#include "editor/editor_window.h"
#include "model/console_model.h"

namespace {

using Clock = std::chrono::steady_clock;

// The editor's DCA button, in design units.
constexpr int DCA_BUTTON_X = 25;
constexpr int DCA_BUTTON_Y = 700;
constexpr auto SECOND_CLICK_DELAY = std::chrono::milliseconds(100);
constexpr int MAX_PENDING_CLICKS = 16;

struct DelayedClick {
    int x;
    int y;
    Clock::time_point due;
};

// Clicks wait here in the order they were scheduled (and so in due order).
std::mutex clickMutex;
std::condition_variable_any clickChanged;
DelayedClick pendingClicks[MAX_PENDING_CLICKS];
int pendingCount = 0;
bool clickInProgress = false;
// Declared last: destroyed (stopped and joined) before the state above.
std::jthread clickThread;

void runDelayedClicks(std::stop_token stop)
{
    std::unique_lock<std::mutex> lock(clickMutex);
    while (!stop.stop_requested()) {
        if (pendingCount == 0) {
            clickChanged.wait(lock, stop, [] { return pendingCount > 0; });
            continue;
        }
        if (Clock::now() < pendingClicks[0].due) {
            clickChanged.wait_until(lock, stop, pendingClicks[0].due, [] { return false; });
            continue;
        }
        DelayedClick click = pendingClicks[0];
        for (int k = 1; k < pendingCount; ++k) pendingClicks[k - 1] = pendingClicks[k];
        --pendingCount;
        clickInProgress = true;
        lock.unlock();
        clickScreenPoint(click.x, click.y);
        lock.lock();
        clickInProgress = false;
        clickChanged.notify_all();
    }
}

void scheduleClick(int x, int y)
{
    std::lock_guard<std::mutex> lock(clickMutex);
    // More than a handful in 100 ms cannot come from a hand; drop the excess.
    if (pendingCount >= MAX_PENDING_CLICKS) return;
    pendingClicks[pendingCount++] = {x, y, Clock::now() + SECOND_CLICK_DELAY};
    if (!clickThread.joinable()) clickThread = std::jthread(runDelayedClicks);
    clickChanged.notify_all();
}

int scaled(int units, double scale) { return static_cast<int>(units * scale); }

// Where the row of DCA group buttons starts. The editor places it beside
// the DCA button, or above it when the window reaches the monitor's bottom.
void dcaRowBase(int& x1, int& y1)
{
    const int a = DCA_BUTTON_X;
    const int b = DCA_BUTTON_Y;
    const double sx = editorScaleX;
    const double sy = editorScaleY;
    const int left = editorOffsetX;
    const int top = editorOffsetY;
    int monitorLeft = 0;
    int monitorBottom = 0;
    editorMonitorEdges(monitorLeft, monitorBottom);

    int x0 = scaled(a - 150, sx) + left;
    int y0 = scaled(b + 55, sy) + top;
    if (x0 < monitorLeft - scaled(113, sx)) {
        x1 = scaled(a + 60, sx) + left;
        y1 = scaled(b, sy) + top;
        if (top + scaled(785, sy) - 52 >= monitorBottom) {
            x1 = scaled(a + 25, sx) + left;
            y1 = scaled(b - 10, sy) + top;
        }
        return;
    }
    x1 = std::max(x0, monitorLeft + scaled(40, sx));
    y1 = y0;
    if (top + scaled(785, sy) >= monitorBottom) y1 = scaled(b - 50, sy) + top;
}

} // namespace

void dcaGroupClickPoint(int group, int& x, int& y)
{
    int x1 = 0;
    int y1 = 0;
    dcaRowBase(x1, y1);
    x = x1 + scaled(45, editorScaleX) * group;
    y = y1;
}

void stepDcaSpill(int direction)
{
    if (direction != 1 && direction != -1) return;
    int group = currentDcaGroup;
    if (group < 0 || group > 7) group = 0;
    if (direction > 0 && group >= 7) return;
    if (direction < 0 && group < 1) return;
    group += direction;
    currentDcaGroup = group;

    if (isLeftOfPanel(DCA_BUTTON_X)) clickEditor(DCA_BUTTON_X, DCA_BUTTON_Y, 0);
    if (editorFound == 1) {
        int x = 0;
        int y = 0;
        dcaGroupClickPoint(group, x, y);
        scheduleClick(x, y);
    }

    currentBank = 8 + group;
    buildBankStrips(currentBank, bankScroll);
    refreshSurface(0);
}

void waitForDelayedEditorClicks()
{
    std::unique_lock<std::mutex> lock(clickMutex);
    if (!clickThread.joinable()) return;
    clickChanged.wait(lock, [] { return pendingCount == 0 && !clickInProgress; });
}

void stopDelayedEditorClicks()
{
    {
        std::lock_guard<std::mutex> lock(clickMutex);
        pendingCount = 0;
    }
    if (clickThread.joinable()) {
        clickThread.request_stop();
        clickThread.join();
    }
    clickThread = std::jthread();
}

void resetDcaSpillState() { stopDelayedEditorClicks(); }
