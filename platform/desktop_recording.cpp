#include "platform/desktop_recording.h"

#include <algorithm>
#include <mutex>
#include <string>

namespace {

struct FakeWindow {
    uint64_t handle = 0;
    std::string title;
    DesktopRect rect;
    bool open = true;
    bool rectFails = false;
    std::vector<DesktopRect> script;  // rectangles the next reads see, in turn
    FakeWindowState state = FakeWindowState::Shown;
};

constexpr int FAKE_RECT_ERROR = 5;
constexpr DesktopRect ICONIC_RECT{-32000, -32000, -31840, -31972};
constexpr DesktopRect DEFAULT_SCREEN{0, 0, 1920, 1080};

long long overlapArea(const DesktopRect& a, const DesktopRect& b)
{
    long long w = static_cast<long long>(std::min(a.right, b.right)) - std::max(a.left, b.left);
    long long h = static_cast<long long>(std::min(a.bottom, b.bottom)) - std::max(a.top, b.top);
    return (w > 0 && h > 0) ? w * h : 0;
}

class RecordingDesktop final : public DesktopBackend {
public:
    void listWindows(std::vector<DesktopWindow>& windows) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        windows.clear();
        for (const FakeWindow& w : fakeWindows) {
            if (w.open) windows.push_back({w.handle, w.title});
        }
    }

    RectRead readWindowRect(uint64_t window, DesktopRect& rect) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        FakeWindow* w = find(window);
        if (!w || !w->open) return RectRead::WindowGone;
        if (w->rectFails) {
            lastError = FAKE_RECT_ERROR;
            return RectRead::Failed;
        }
        if (!w->script.empty()) {
            w->rect = w->script.front();
            w->script.erase(w->script.begin());
        }
        rect = w->state == FakeWindowState::Minimised ? ICONIC_RECT : w->rect;
        return RectRead::Ok;
    }

    bool canTakeClicks(uint64_t window) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        FakeWindow* w = find(window);
        return w && w->open && w->state == FakeWindowState::Shown && w->rect.right > w->rect.left &&
               w->rect.bottom > w->rect.top;
    }

    bool monitorOf(const DesktopRect& area, DesktopRect& monitor) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        long long best = 0;
        for (const DesktopRect& m : monitors) {
            long long overlap = overlapArea(area, m);
            if (overlap > best) {
                best = overlap;
                monitor = m;
            }
        }
        return best > 0;
    }

    void listScreens(std::vector<DesktopRect>& screens) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        screens = monitors;
        if (screens.empty()) screens.push_back(DEFAULT_SCREEN);
    }

    void focusWindow(uint64_t window) override { record(focusEvent(window)); }

    void moveCursor(int x, int y) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        cursorX = x;
        cursorY = y;
        events.push_back(cursorMoveEvent(x, y));
    }

    void clickLeftButton() override
    {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back(leftClickEvent(cursorX, cursorY));
    }

    void sendFunctionKey(uint64_t window, int fkey) override
    {
        record(functionKeyEvent(window, fkey));
    }

    int lastErrorCode() override
    {
        std::lock_guard<std::mutex> lock(mutex);
        return lastError;
    }

    FakeWindow* find(uint64_t window)
    {
        for (FakeWindow& w : fakeWindows) {
            if (w.handle == window) return &w;
        }
        return nullptr;
    }

    void record(const DesktopEvent& event)
    {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back(event);
    }

    std::mutex mutex;
    std::vector<FakeWindow> fakeWindows;
    std::vector<DesktopRect> monitors;
    std::vector<DesktopEvent> events;
    uint64_t nextHandle = 0x1000;
    int cursorX = 0;
    int cursorY = 0;
    int lastError = 0;
};

// The installed recording desktop, if it is still the active backend.
std::shared_ptr<RecordingDesktop> installed()
{
    return std::dynamic_pointer_cast<RecordingDesktop>(currentDesktop());
}

}

bool operator==(const DesktopEvent& a, const DesktopEvent& b)
{
    return a.kind == b.kind && a.x == b.x && a.y == b.y && a.window == b.window &&
           a.fkey == b.fkey;
}

std::ostream& operator<<(std::ostream& out, const DesktopEvent& event)
{
    switch (event.kind) {
    case DesktopEventKind::CursorMove: return out << "move(" << event.x << "," << event.y << ")";
    case DesktopEventKind::LeftClick: return out << "click(" << event.x << "," << event.y << ")";
    case DesktopEventKind::Focus: return out << "focus(" << event.window << ")";
    case DesktopEventKind::FunctionKey:
        return out << "key(" << event.window << ",F" << event.fkey << ")";
    }
    return out;
}

DesktopEvent cursorMoveEvent(int x, int y)
{
    DesktopEvent e;
    e.kind = DesktopEventKind::CursorMove;
    e.x = x;
    e.y = y;
    return e;
}

DesktopEvent leftClickEvent(int x, int y)
{
    DesktopEvent e = cursorMoveEvent(x, y);
    e.kind = DesktopEventKind::LeftClick;
    return e;
}

std::vector<DesktopEvent> clickEvents(std::initializer_list<std::pair<int, int>> points)
{
    std::vector<DesktopEvent> events;
    for (auto [x, y] : points) {
        events.push_back(cursorMoveEvent(x, y));
        events.push_back(leftClickEvent(x, y));
    }
    return events;
}

DesktopEvent focusEvent(uint64_t window)
{
    DesktopEvent e;
    e.kind = DesktopEventKind::Focus;
    e.window = window;
    return e;
}

DesktopEvent functionKeyEvent(uint64_t window, int fkey)
{
    DesktopEvent e;
    e.kind = DesktopEventKind::FunctionKey;
    e.window = window;
    e.fkey = fkey;
    return e;
}

void installRecordingDesktop()
{
    installDesktopBackend(std::make_shared<RecordingDesktop>());
}

uint64_t addFakeWindow(const char* title, DesktopRect rect)
{
    auto desktop = installed();
    if (!desktop) return 0;
    std::lock_guard<std::mutex> lock(desktop->mutex);
    FakeWindow w;
    w.handle = desktop->nextHandle++;
    w.title = title ? title : "";
    w.rect = rect;
    desktop->fakeWindows.push_back(w);
    return w.handle;
}

void moveFakeWindow(uint64_t window, DesktopRect rect)
{
    auto desktop = installed();
    if (!desktop) return;
    std::lock_guard<std::mutex> lock(desktop->mutex);
    if (FakeWindow* w = desktop->find(window)) w->rect = rect;
}

void scriptFakeWindowRects(uint64_t window, std::vector<DesktopRect> rects)
{
    auto desktop = installed();
    if (!desktop) return;
    std::lock_guard<std::mutex> lock(desktop->mutex);
    if (FakeWindow* w = desktop->find(window)) w->script = std::move(rects);
}

void closeFakeWindow(uint64_t window)
{
    auto desktop = installed();
    if (!desktop) return;
    std::lock_guard<std::mutex> lock(desktop->mutex);
    if (FakeWindow* w = desktop->find(window)) w->open = false;
}

void failFakeWindowRect(uint64_t window, bool fail)
{
    auto desktop = installed();
    if (!desktop) return;
    std::lock_guard<std::mutex> lock(desktop->mutex);
    if (FakeWindow* w = desktop->find(window)) w->rectFails = fail;
}

void addFakeMonitor(DesktopRect rect)
{
    auto desktop = installed();
    if (!desktop) return;
    std::lock_guard<std::mutex> lock(desktop->mutex);
    desktop->monitors.push_back(rect);
}

void setFakeWindowState(uint64_t window, FakeWindowState state)
{
    auto desktop = installed();
    if (!desktop) return;
    std::lock_guard<std::mutex> lock(desktop->mutex);
    if (FakeWindow* w = desktop->find(window)) w->state = state;
}

std::vector<DesktopEvent> recordedDesktopEvents()
{
    auto desktop = installed();
    if (!desktop) return {};
    std::lock_guard<std::mutex> lock(desktop->mutex);
    return desktop->events;
}

void clearRecordedDesktopEvents()
{
    auto desktop = installed();
    if (!desktop) return;
    std::lock_guard<std::mutex> lock(desktop->mutex);
    desktop->events.clear();
}
