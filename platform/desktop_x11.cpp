// The X11 desktop: top-level windows from the window manager's client list
// (or the root's children without one), titles from _NET_WM_NAME or WM_NAME,
// monitors from XRandR, and pointer clicks and keys through XTest.
#include "platform/desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// Xlib reports protocol errors through one process-wide handler; the
// default one ends the process, ours only remembers the code.
std::atomic<int> lastXError{0};

int recordXError(Display*, XErrorEvent* event)
{
    lastXError = event->error_code;
    return 0;
}

struct DisplayCloser {
    void operator()(Display* display) const
    {
        if (display) XCloseDisplay(display);
    }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

long long overlapArea(const DesktopRect& a, const DesktopRect& b)
{
    long long w = static_cast<long long>(std::min(a.right, b.right)) - std::max(a.left, b.left);
    long long h = static_cast<long long>(std::min(a.bottom, b.bottom)) - std::max(a.top, b.top);
    return (w > 0 && h > 0) ? w * h : 0;
}

class X11Desktop final : public DesktopBackend {
public:
    explicit X11Desktop(DisplayHandle display) : display_(std::move(display))
    {
        Display* d = display_.get();
        root_ = DefaultRootWindow(d);
        netWmName_ = XInternAtom(d, "_NET_WM_NAME", False);
        utf8String_ = XInternAtom(d, "UTF8_STRING", False);
        netClientList_ = XInternAtom(d, "_NET_CLIENT_LIST", False);
        netFrameExtents_ = XInternAtom(d, "_NET_FRAME_EXTENTS", False);
        netActiveWindow_ = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
        netSupported_ = XInternAtom(d, "_NET_SUPPORTED", False);
        int event = 0, error = 0, major = 0, minor = 0;
        hasXTest_ = XTestQueryExtension(d, &event, &error, &major, &minor) == True;
        if (XRRQueryExtension(d, &event, &error) && XRRQueryVersion(d, &major, &minor))
            hasMonitors_ = major > 1 || (major == 1 && minor >= 5);
    }

    void listWindows(std::vector<DesktopWindow>& windows) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        windows.clear();
        std::vector<Window> clients;
        if (!readWindowList(root_, netClientList_, clients)) collectTopLevels(clients);
        for (Window w : clients) windows.push_back({static_cast<uint64_t>(w), titleOf(w)});
    }

    RectRead readWindowRect(uint64_t window, DesktopRect& rect) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        WindowState state;
        RectRead status = readStateLocked(static_cast<Window>(window), state);
        if (status == RectRead::Ok) rect = state.rect;
        return status;
    }

    RectRead readWindowState(uint64_t window, WindowState& state) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return readStateLocked(static_cast<Window>(window), state);
    }

    PressResult pressIfStill(uint64_t window, const WindowState& expected, int x, int y) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Display* d = display_.get();
        if (!hasXTest_) return PressResult::Changed;
        // No other client is served from the read to the release: the window
        // manager cannot move the window between them.
        XGrabServer(d);
        WindowState now;
        RectRead status = readStateLocked(static_cast<Window>(window), now);
        bool still = status == RectRead::Ok && now == expected;
        if (still) {
            XTestFakeMotionEvent(d, DefaultScreen(d), x, y, CurrentTime);
            XTestFakeButtonEvent(d, 1, True, CurrentTime);
            XTestFakeButtonEvent(d, 1, False, CurrentTime);
        }
        XUngrabServer(d);
        XSync(d, False);
        if (status == RectRead::WindowGone) return PressResult::WindowGone;
        return still ? PressResult::Pressed : PressResult::Changed;
    }

    bool canTakeClicks(uint64_t window) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        XWindowAttributes a;
        lastXError = 0;
        if (!XGetWindowAttributes(display_.get(), static_cast<Window>(window), &a)) return false;
        // An iconified client is unmapped; IsViewable also needs every
        // ancestor mapped.
        return a.map_state == IsViewable && a.width > 0 && a.height > 0;
    }

    bool monitorOf(const DesktopRect& area, DesktopRect& monitor) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        long long best = 0;
        for (const DesktopRect& r : screensLocked()) {
            long long overlap = overlapArea(area, r);
            if (overlap > best) {
                best = overlap;
                monitor = r;
            }
        }
        return best > 0;
    }

    void listScreens(std::vector<DesktopRect>& screens) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        screens = screensLocked();
    }

    void focusWindow(uint64_t window) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Display* d = display_.get();
        Window w = static_cast<Window>(window);
        XRaiseWindow(d, w);
        if (windowManagerSupports(netActiveWindow_)) {
            // A window manager decides focus itself; ask it as a pager would.
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = w;
            event.xclient.message_type = netActiveWindow_;
            event.xclient.format = 32;
            event.xclient.data.l[0] = 2;
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(d, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        } else {
            XSetInputFocus(d, w, RevertToParent, CurrentTime);
        }
        XSync(d, False);
    }

    void moveCursor(int x, int y) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!hasXTest_) return;
        XTestFakeMotionEvent(display_.get(), DefaultScreen(display_.get()), x, y, CurrentTime);
        XSync(display_.get(), False);
    }

    void clickLeftButton() override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!hasXTest_) return;
        XTestFakeButtonEvent(display_.get(), 1, True, CurrentTime);
        XTestFakeButtonEvent(display_.get(), 1, False, CurrentTime);
        XSync(display_.get(), False);
    }

    void sendFunctionKey(uint64_t window, int fkey) override
    {
        if (fkey < 1 || fkey > 8) return;
        std::lock_guard<std::mutex> lock(mutex_);
        Display* d = display_.get();
        KeyCode code = XKeysymToKeycode(d, static_cast<KeySym>(XK_F1 + fkey - 1));
        if (!hasXTest_ || code == 0) return;
        // Synthesised keys go to whichever window has the keyboard, so they
        // are sent only once the focus request has reached this window.
        if (!waitForFocus(static_cast<Window>(window))) return;
        XTestFakeKeyEvent(d, code, True, CurrentTime);
        XTestFakeKeyEvent(d, code, False, CurrentTime);
        XSync(d, False);
    }

    int lastErrorCode() override { return lastXError; }

private:
    RectRead readStateLocked(Window w, WindowState& state)
    {
        Display* d = display_.get();
        lastXError = 0;
        XWindowAttributes a;
        int x = 0, y = 0;
        Window child;
        if (!XGetWindowAttributes(d, w, &a) ||
            !XTranslateCoordinates(d, w, root_, 0, 0, &x, &y, &child)) {
            if (lastXError != BadWindow) return RectRead::Failed;
            watches_.erase(w);
            return RectRead::WindowGone;
        }
        long extents[4] = {0, 0, 0, 0};  // left, right, top, bottom of the frame
        readFrameExtents(w, extents);
        state.rect.left = x - a.border_width - static_cast<int>(extents[0]);
        state.rect.top = y - a.border_width - static_cast<int>(extents[2]);
        state.rect.right = x + a.width + a.border_width + static_cast<int>(extents[1]);
        state.rect.bottom = y + a.height + a.border_width + static_cast<int>(extents[3]);
        // An iconified client is unmapped; IsViewable also needs every
        // ancestor mapped.
        state.clickable = a.map_state == IsViewable && a.width > 0 && a.height > 0;
        state.changes = countChanges(w);
        return RectRead::Ok;
    }

    // Moves, resizes, maps, unmaps and reparentings of the window and of the
    // frame a window manager put around it, counted from its first read on.
    // Polling the rectangle alone misses a window that moved away and back
    // between two reads. The reads before this waited for replies, so every
    // event the server sent until then is already here.
    uint64_t countChanges(Window w)
    {
        Display* d = display_.get();
        Watch& watch = watches_[w];
        if (!watch.selected) {
            XSelectInput(d, w, StructureNotifyMask);
            watch.selected = true;
        }
        if (watch.frame == 0) {
            watch.frame = topLevelOf(w);
            if (watch.frame != w) XSelectInput(d, watch.frame, StructureNotifyMask);
        }
        while (XPending(d) > 0) {
            XEvent event;
            XNextEvent(d, &event);
            // The window manager's own notices restate what the server did.
            if (event.xany.send_event) continue;
            for (auto& [client, other] : watches_) {
                if (event.xany.window != client && event.xany.window != other.frame) continue;
                ++other.changes;
                if (event.type == ReparentNotify) other.frame = 0;  // found again at the next read
            }
        }
        return watch.changes;
    }

    // The child of the root that holds w: its frame under a reparenting
    // window manager, else w itself.
    Window topLevelOf(Window w)
    {
        for (int depth = 0; depth < 32; ++depth) {
            Window rootReturn, parent = None;
            Window* children = nullptr;
            unsigned int count = 0;
            if (!XQueryTree(display_.get(), w, &rootReturn, &parent, &children, &count)) return w;
            if (children) XFree(children);
            if (parent == root_ || parent == None) return w;
            w = parent;
        }
        return w;
    }

    struct Watch {
        bool selected = false;
        Window frame = 0;
        uint64_t changes = 0;
    };
    std::map<Window, Watch> watches_;

    // The active RandR monitors; without them the whole screen is the one monitor.
    std::vector<DesktopRect> screensLocked()
    {
        Display* d = display_.get();
        std::vector<DesktopRect> screens;
        int count = 0;
        XRRMonitorInfo* monitors = hasMonitors_ ? XRRGetMonitors(d, root_, True, &count) : nullptr;
        for (int i = 0; i < count; ++i) {
            screens.push_back({monitors[i].x, monitors[i].y, monitors[i].x + monitors[i].width,
                               monitors[i].y + monitors[i].height});
        }
        if (monitors) XRRFreeMonitors(monitors);
        if (screens.empty()) {
            int screen = DefaultScreen(d);
            screens.push_back({0, 0, DisplayWidth(d, screen), DisplayHeight(d, screen)});
        }
        return screens;
    }

    bool readWindowList(Window w, Atom property, std::vector<Window>& list)
    {
        Atom type;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display_.get(), w, property, 0, 4096, False, XA_WINDOW, &type,
                               &format, &items, &after, &data) != Success)
            return false;
        bool ok = data && type == XA_WINDOW && format == 32;
        if (ok) {
            auto* ids = reinterpret_cast<unsigned long*>(data);
            list.assign(ids, ids + items);
        }
        if (data) XFree(data);
        return ok;
    }

    void collectTopLevels(std::vector<Window>& list)
    {
        for (Window child : childrenOf(root_)) {
            if (!titleOf(child).empty()) {
                list.push_back(child);
                continue;
            }
            // A reparenting window manager without EWMH puts the client one level down.
            for (Window inner : childrenOf(child)) {
                if (!titleOf(inner).empty()) list.push_back(inner);
            }
        }
    }

    std::vector<Window> childrenOf(Window w)
    {
        std::vector<Window> list;
        Window rootReturn, parent;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display_.get(), w, &rootReturn, &parent, &children, &count) && children)
            list.assign(children, children + count);
        if (children) XFree(children);
        return list;
    }

    std::string titleOf(Window w)
    {
        std::string title;
        Atom type;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display_.get(), w, netWmName_, 0, 1024, False, utf8String_, &type,
                               &format, &items, &after, &data) == Success &&
            data && format == 8 && type == utf8String_)
            title.assign(reinterpret_cast<char*>(data), items);
        if (data) XFree(data);
        if (!title.empty()) return title;
        XTextProperty text;
        if (XGetWMName(display_.get(), w, &text) && text.value) {
            if (text.format == 8) title.assign(reinterpret_cast<char*>(text.value), text.nitems);
            XFree(text.value);
        }
        return title;
    }

    void readFrameExtents(Window w, long extents[4])
    {
        Atom type;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display_.get(), w, netFrameExtents_, 0, 4, False, XA_CARDINAL,
                               &type, &format, &items, &after, &data) == Success &&
            data && format == 32 && items == 4) {
            auto* values = reinterpret_cast<long*>(data);
            for (int i = 0; i < 4; ++i) extents[i] = values[i];
        }
        if (data) XFree(data);
    }

    bool windowManagerSupports(Atom feature)
    {
        Atom type;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        bool found = false;
        if (XGetWindowProperty(display_.get(), root_, netSupported_, 0, 4096, False, XA_ATOM,
                               &type, &format, &items, &after, &data) == Success &&
            data && format == 32) {
            auto* atoms = reinterpret_cast<Atom*>(data);
            for (unsigned long i = 0; i < items && !found; ++i) found = atoms[i] == feature;
        }
        if (data) XFree(data);
        return found;
    }

    bool focusIsIn(Window w)
    {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display_.get(), &focus, &revert);
        // Walk up from the focused window: toolkits focus an inner child.
        for (int depth = 0; focus != None && focus != PointerRoot && depth < 32; ++depth) {
            if (focus == w) return true;
            if (focus == root_) return false;
            Window rootReturn, parent = None;
            Window* children = nullptr;
            unsigned int count = 0;
            if (!XQueryTree(display_.get(), focus, &rootReturn, &parent, &children, &count))
                return false;
            if (children) XFree(children);
            focus = parent;
        }
        return false;
    }

    bool waitForFocus(Window w)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        while (!focusIsIn(w)) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    std::mutex mutex_;
    DisplayHandle display_;
    Window root_ = 0;
    Atom netWmName_ = 0;
    Atom utf8String_ = 0;
    Atom netClientList_ = 0;
    Atom netFrameExtents_ = 0;
    Atom netActiveWindow_ = 0;
    Atom netSupported_ = 0;
    bool hasXTest_ = false;
    bool hasMonitors_ = false;
};

std::shared_ptr<DesktopBackend> openX11Desktop(const char* displayName)
{
    DisplayHandle display(XOpenDisplay(displayName));
    if (!display) return nullptr;
    XSetErrorHandler(recordXError);
    return std::make_shared<X11Desktop>(std::move(display));
}

}

std::shared_ptr<DesktopBackend> makeDefaultDesktop()
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return makeNullDesktop();
    std::shared_ptr<DesktopBackend> desktop = openX11Desktop(name);
    return desktop ? desktop : makeNullDesktop();
}

bool useX11Desktop(const char* displayName)
{
    std::shared_ptr<DesktopBackend> desktop = openX11Desktop(displayName);
    if (!desktop) return false;
    installDesktopBackend(std::move(desktop));
    return true;
}

bool desktopHasX11Support() { return true; }
