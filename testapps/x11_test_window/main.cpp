// A stand-in for the editor on an X display: one window at a given place
// and size, titled as asked, that writes every button and key it receives
// to a log file ("press 1 28 37", "key F3"). F8 hides it for a second, as a
// minimised window would be; F7 asks the window manager to minimise it.
// F6 starts or stops jumps between its place and one 550 px right and 270
// px down, F5 small moves of 2 to 4 px; either rests 10 to 100 ms at each
// place. F4 moves it to the screen's right edge, half off the screen, and
// back. Used by the desktop tests.
//
// velumbra-x11-test-window DISPLAY X Y WIDTH HEIGHT TITLE net|plain LOGFILE [iconic]
//   iconic: the window starts minimised
//   net:   the title goes to _NET_WM_NAME, WM_NAME holds a neutral text
//   plain: the title goes to WM_NAME only
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>

namespace {

constexpr unsigned LIFETIME_SECONDS = 60;  // never outlives a stuck test

void setTitle(Display* display, Window window, const char* title, bool net)
{
    if (!net) {
        XStoreName(display, window, title);
        return;
    }
    XStoreName(display, window, "velumbra test window");
    Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, window, netWmName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title),
                    static_cast<int>(std::strlen(title)));
}

void logLine(FILE* log, const char* format, long a, long b, long c)
{
    std::fprintf(log, format, a, b, c);
    std::fflush(log);
}

// The moves F4, F5 and F6 ask for.
struct Wander {
    int homeX = 0, homeY = 0;
    int mode = 0;  // 0 still, 5 small moves, 6 jumps
    bool away = false;
    int offScreenX = 0;
    timespec nextMove{};
};

long msUntil(const timespec& t)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (t.tv_sec - now.tv_sec) * 1000 + (t.tv_nsec - now.tv_nsec) / 1000000;
}

// The next move comes 10 to 100 ms from now, whatever events come meanwhile.
void scheduleMove(Wander& w)
{
    clock_gettime(CLOCK_MONOTONIC, &w.nextMove);
    long ns = w.nextMove.tv_nsec + (10 + std::rand() % 91) * 1000000L;
    w.nextMove.tv_sec += ns / 1000000000L;
    w.nextMove.tv_nsec = ns % 1000000000L;
}

void moveTo(Display* display, Window window, int x, int y)
{
    XMoveWindow(display, window, x, y);
    XFlush(display);
}

void wanderStep(Display* display, Window window, Wander& w)
{
    w.away = !w.away;
    int dx = w.mode == 6 ? 550 : 2 + std::rand() % 3;
    int dy = w.mode == 6 ? 270 : 2 + std::rand() % 3;
    moveTo(display, window, w.homeX + (w.away ? dx : 0), w.homeY + (w.away ? dy : 0));
}

void logKey(FILE* log, const char* what, XKeyEvent* event)
{
    const char* name = XKeysymToString(XLookupKeysym(event, 0));
    std::fprintf(log, "%s %s\n", what, name ? name : "?");
    std::fflush(log);
}

}

int main(int argc, char** argv)
{
    if (argc != 9 && argc != 10) {
        std::fprintf(stderr, "usage: %s DISPLAY X Y WIDTH HEIGHT TITLE net|plain LOGFILE [iconic]\n", argv[0]);
        return 2;
    }
    alarm(LIFETIME_SECONDS);
    Display* display = XOpenDisplay(argv[1]);
    if (!display) return 1;
    FILE* log = std::fopen(argv[8], "w");
    if (!log) return 1;
    int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
    unsigned width = static_cast<unsigned>(std::atoi(argv[4]));
    unsigned height = static_cast<unsigned>(std::atoi(argv[5]));
    int screen = DefaultScreen(display);
    Window window = XCreateSimpleWindow(display, RootWindow(display, screen), x, y, width, height,
                                        0, BlackPixel(display, screen), WhitePixel(display, screen));
    setTitle(display, window, argv[6], std::strcmp(argv[7], "net") == 0);
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = x;
    hints.y = y;
    hints.width = static_cast<int>(width);
    hints.height = static_cast<int>(height);
    XSetWMNormalHints(display, window, &hints);
    if (argc == 10 && std::strcmp(argv[9], "iconic") == 0) {
        XWMHints wmHints{};
        wmHints.flags = StateHint;
        wmHints.initial_state = IconicState;
        XSetWMHints(display, window, &wmHints);
        // A window that starts minimised is never mapped; it is ready at once.
        logLine(log, "ready %ld %ld %ld\n", static_cast<long>(window), 0, 0);
    }
    XSelectInput(display, window,
                 ButtonPressMask | ButtonReleaseMask | KeyPressMask | KeyReleaseMask |
                     StructureNotifyMask);
    XMapWindow(display, window);
    XFlush(display);
    Wander wander;
    wander.homeX = x;
    wander.homeY = y;
    wander.offScreenX = DisplayWidth(display, screen) - static_cast<int>(width) / 2;
    std::srand(static_cast<unsigned>(getpid()));
    for (;;) {
        if (wander.mode != 0 && XPending(display) == 0) {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            long wait = msUntil(wander.nextMove);
            if (wait <= 0 || poll(&fd, 1, static_cast<int>(wait)) == 0) {
                wanderStep(display, window, wander);
                scheduleMove(wander);
                continue;
            }
        }
        XEvent event;
        XNextEvent(display, &event);
        switch (event.type) {
        case MapNotify: logLine(log, "ready %ld %ld %ld\n", static_cast<long>(window), 0, 0); break;
        case ButtonPress:
            logLine(log, "press %ld %ld %ld\n", event.xbutton.button, event.xbutton.x, event.xbutton.y);
            break;
        case ButtonRelease:
            logLine(log, "release %ld %ld %ld\n", event.xbutton.button, event.xbutton.x,
                    event.xbutton.y);
            break;
        case KeyPress:
            logKey(log, "key", &event.xkey);
            if (XLookupKeysym(&event.xkey, 0) == XK_F7) {
                XIconifyWindow(display, window, screen);
                XFlush(display);
            }
            if (XLookupKeysym(&event.xkey, 0) == XK_F4) {
                wander.away = !wander.away;
                moveTo(display, window, wander.away ? wander.offScreenX : wander.homeX, wander.homeY);
            }
            for (int mode : {5, 6}) {
                if (XLookupKeysym(&event.xkey, 0) == static_cast<KeySym>(XK_F1 + mode - 1)) {
                    wander.mode = wander.mode == mode ? 0 : mode;
                    wander.away = false;
                    scheduleMove(wander);
                    moveTo(display, window, wander.homeX, wander.homeY);
                }
            }
            if (XLookupKeysym(&event.xkey, 0) == XK_F8) {
                XUnmapWindow(display, window);
                XFlush(display);
                sleep(1);
                XMapWindow(display, window);
                XFlush(display);
            }
            break;
        case KeyRelease: logKey(log, "keyup", &event.xkey); break;
        default: break;
        }
    }
}
