// Logs every pointer button press on an X display, wherever it lands, in
// screen coordinates ("press 1 420 999"), through the RECORD extension.
// The desktop tests check with it that no press fell outside the editor.
//
// velumbra-x11-pointer-recorder DISPLAY LOGFILE
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>

#include <unistd.h>

#include <cstdio>

namespace {

constexpr unsigned LIFETIME_SECONDS = 120;  // never outlives a stuck test

void logPress(XPointer closure, XRecordInterceptData* data)
{
    FILE* log = reinterpret_cast<FILE*>(closure);
    if (data->category == XRecordStartOfData) {
        std::fprintf(log, "ready\n");
        std::fflush(log);
    } else if (data->category == XRecordFromServer && data->data_len * 4 >= sizeof(xEvent)) {
        const auto* event = reinterpret_cast<const xEvent*>(data->data);
        if ((event->u.u.type & 0x7F) == ButtonPress) {
            std::fprintf(log, "press %d %d %d\n", event->u.u.detail, event->u.keyButtonPointer.rootX,
                         event->u.keyButtonPointer.rootY);
            std::fflush(log);
        }
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
    // One connection sets the context up, the other carries the recorded data.
    Display* control = XOpenDisplay(argv[1]);
    Display* data = XOpenDisplay(argv[1]);
    if (!control || !data) return 1;
    int major = 0, minor = 0;
    if (!XRecordQueryVersion(control, &major, &minor)) {
        std::fprintf(stderr, "the display has no RECORD extension\n");
        return 1;
    }
    FILE* log = std::fopen(argv[2], "w");
    if (!log) return 1;
    XRecordRange* range = XRecordAllocRange();
    if (!range) return 1;
    range->device_events.first = ButtonPress;
    range->device_events.last = ButtonPress;
    XRecordClientSpec clients = XRecordAllClients;
    XRecordContext context = XRecordCreateContext(control, 0, &clients, 1, &range, 1);
    if (!context) return 1;
    XSync(control, False);
    // Blocks, calling logPress for every press, until the process is ended.
    XRecordEnableContext(data, context, logPress, reinterpret_cast<XPointer>(log));
    return 0;
}
