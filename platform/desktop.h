// The desktop the editor application runs on: its top-level windows, their
// rectangles and monitors, focus, synthesised pointer clicks and function
// keys. One backend is active per process: Win32 on Windows, X11 when a
// display answers, otherwise the null desktop (no window is ever found).
// Backends are called from the surface receive thread and from whichever
// thread refreshes the surface; each backend serialises its own calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct DesktopRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

inline bool operator==(const DesktopRect& a, const DesktopRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline bool rectContains(const DesktopRect& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

struct DesktopWindow {
    uint64_t handle = 0;
    std::string title;  // narrow text; empty when the window has none
};

// A rectangle read can fail for a window that still exists (keep the last
// geometry) or because the window is gone (forget the handle).
enum class RectRead { Ok, Failed, WindowGone };

// What a press into a window relies on, read at one moment: where the
// window is, whether a click would reach it, and how often the desktop has
// reported it moved, resized, shown or hidden (X11 counts the events; a
// desktop that keeps no count reports 0, and only the rectangle tells).
struct WindowState {
    DesktopRect rect;
    bool clickable = false;
    uint64_t changes = 0;
};

inline bool operator==(const WindowState& a, const WindowState& b)
{
    return a.rect == b.rect && a.clickable == b.clickable && a.changes == b.changes;
}

enum class PressResult { Pressed, Changed, WindowGone };

class DesktopBackend {
public:
    virtual ~DesktopBackend() = default;

    // Every top-level window in the desktop's own order.
    virtual void listWindows(std::vector<DesktopWindow>& windows) = 0;
    // The window's outer rectangle in screen coordinates.
    virtual RectRead readWindowRect(uint64_t window, DesktopRect& rect) = 0;
    // By default the rectangle and canTakeClicks, with no count of changes
    // (a desktop that keeps none; X11 counts them).
    virtual RectRead readWindowState(uint64_t window, WindowState& state);
    // Moves the cursor to (x, y) and presses and releases the left button,
    // only while the window is still in state expected: it is read again
    // right before the press. X11 holds the server from that read to the
    // release, so nothing moves the window in between; Windows offers no
    // such hold. Changed (nothing pressed) when the state differs. By default
    // the state is read again and compared, then the cursor pressed.
    virtual PressResult pressIfStill(uint64_t window, const WindowState& expected, int x, int y);
    // Whether a click now would reach the window: it is shown, not
    // minimised, and its rectangle is not empty.
    virtual bool canTakeClicks(uint64_t window) = 0;
    // The monitor holding the largest part of area; false when none does.
    virtual bool monitorOf(const DesktopRect& area, DesktopRect& monitor) = 0;
    // Every monitor's rectangle in screen coordinates: the only places a
    // pointer can be. A point outside all of them would be moved onto an
    // edge by the system and land on whatever lies there.
    virtual void listScreens(std::vector<DesktopRect>& screens) = 0;
    // Raises the window and gives it the keyboard.
    virtual void focusWindow(uint64_t window) = 0;
    virtual void moveCursor(int x, int y) = 0;
    // Left button down, then up, where the cursor is.
    virtual void clickLeftButton() = 0;
    // Key-down and key-up of F1..F8 (fkey 1..8) to the window.
    virtual void sendFunctionKey(uint64_t window, int fkey) = 0;
    // The system error code of the last failed call, 0 when none.
    virtual int lastErrorCode() = 0;
};

// The active backend; the default is chosen at first use.
std::shared_ptr<DesktopBackend> currentDesktop();

// No editor integration at all (--no-editor): the null desktop until reset.
void useNullDesktop();
// Tests: makes backend the active one until resetDesktopBackend().
void installDesktopBackend(std::shared_ptr<DesktopBackend> backend);
// Back to the default backend, chosen again at next use.
void resetDesktopBackend();

// Connects to the named X display (":N") and makes it the active backend.
// False when the display does not answer or the build has no X11.
bool useX11Desktop(const char* displayName);
bool desktopHasX11Support();

std::shared_ptr<DesktopBackend> makeNullDesktop();
// Defined once per platform: the backend a fresh process uses.
std::shared_ptr<DesktopBackend> makeDefaultDesktop();
