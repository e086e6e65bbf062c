// Logs, in the X server's own order and with its time in milliseconds, every
// pointer button press on an X display wherever it lands ("press 1 420 999
// T", screen coordinates) and every top-level window's creation, move or
// resize, map, unmap and reparenting ("configure W X Y WIDTH HEIGHT T",
// "map W T", "unmap W T", "reparent W PARENT T"), through the RECORD
// extension. The desktop tests check with it that no press fell outside the
// editor's window of that moment, nor came before the window held still.
//
// velumbra-x11-pointer-recorder DISPLAY LOGFILE
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>

#include <unistd.h>

#include <cstdio>

namespace {

constexpr unsigned LIFETIME_SECONDS = 120;  // never outlives a stuck test

struct Recording {
    FILE* log = nullptr;
    Window root = 0;
};

void logEvent(const Recording& r, const xEvent* e, unsigned long time)
{
    int type = e->u.u.type & 0x7F;
    // Sent events restate a move; only the server's own count.
    bool sent = (e->u.u.type & 0x80) != 0;
    switch (type) {
    case ButtonPress:
        std::fprintf(r.log, "press %d %d %d %lu\n", e->u.u.detail, e->u.keyButtonPointer.rootX,
                     e->u.keyButtonPointer.rootY, time);
        break;
    // Delivered to whoever follows the root's children: root coordinates.
    case CreateNotify:
        if (e->u.createNotify.parent == r.root)
            std::fprintf(r.log, "configure %lu %d %d %d %d %lu\n", static_cast<unsigned long>(e->u.createNotify.window),
                         e->u.createNotify.x, e->u.createNotify.y, e->u.createNotify.width + 2 * e->u.createNotify.borderWidth,
                         e->u.createNotify.height + 2 * e->u.createNotify.borderWidth, time);
        break;
    case ConfigureNotify:
        if (!sent && e->u.configureNotify.event == r.root)
            std::fprintf(r.log, "configure %lu %d %d %d %d %lu\n", static_cast<unsigned long>(e->u.configureNotify.window),
                         e->u.configureNotify.x, e->u.configureNotify.y,
                         e->u.configureNotify.width + 2 * e->u.configureNotify.borderWidth,
                         e->u.configureNotify.height + 2 * e->u.configureNotify.borderWidth, time);
        break;
    case MapNotify:
        if (!sent && e->u.mapNotify.event == r.root)
            std::fprintf(r.log, "map %lu %lu\n", static_cast<unsigned long>(e->u.mapNotify.window), time);
        break;
    case UnmapNotify:
        if (!sent && e->u.unmapNotify.event == r.root)
            std::fprintf(r.log, "unmap %lu %lu\n", static_cast<unsigned long>(e->u.unmapNotify.window), time);
        break;
    case ReparentNotify:
        if (!sent && e->u.reparent.event == r.root)
            std::fprintf(r.log, "reparent %lu %lu %lu\n", static_cast<unsigned long>(e->u.reparent.window),
                         static_cast<unsigned long>(e->u.reparent.parent), time);
        break;
    default: return;
    }
    std::fflush(r.log);
}

void record(XPointer closure, XRecordInterceptData* data)
{
    const Recording& r = *reinterpret_cast<const Recording*>(closure);
    if (data->category == XRecordStartOfData) {
        std::fprintf(r.log, "ready\n");
        std::fflush(r.log);
    } else if (data->category == XRecordFromServer && data->data_len * 4 >= sizeof(xEvent)) {
        logEvent(r, reinterpret_cast<const xEvent*>(data->data), data->server_time);
    }
    XRecordFreeData(data);
}

}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DISPLAY LOGFILE\n", argv[0]);
        return 2;
    }
    alarm(LIFETIME_SECONDS);
    // One connection sets the context up, the other carries the recorded
    // data; the first also follows the root's children, so that their
    // changes are delivered (and recorded) with or without a window manager.
    Display* control = XOpenDisplay(argv[1]);
    Display* data = XOpenDisplay(argv[1]);
    if (!control || !data) return 1;
    int major = 0, minor = 0;
    if (!XRecordQueryVersion(control, &major, &minor)) {
        std::fprintf(stderr, "the display has no RECORD extension\n");
        return 1;
    }
    Recording recording;
    recording.log = std::fopen(argv[2], "w");
    if (!recording.log) return 1;
    recording.root = DefaultRootWindow(control);
    XSelectInput(control, recording.root, SubstructureNotifyMask);
    XRecordRange* range = XRecordAllocRange();
    if (!range) return 1;
    range->device_events.first = ButtonPress;
    range->device_events.last = ButtonPress;
    range->delivered_events.first = CreateNotify;
    range->delivered_events.last = ConfigureNotify;
    XRecordClientSpec clients = XRecordAllClients;
    XRecordContext context = XRecordCreateContext(control, XRecordFromServerTime, &clients, 1, &range, 1);
    if (!context) return 1;
    XSync(control, False);
    // Blocks, calling record for every event, until the process is ended.
    // The events the control connection gets are never read: it only sends.
    XRecordEnableContext(data, context, record, reinterpret_cast<XPointer>(&recording));
    return 0;
}
