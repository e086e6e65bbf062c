#include "app/status_report.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "app/query_sweep.h"
#include "app/startup.h"
#include "app/surface_receive.h"
#include "diag/link_stats.h"
#include "editor/editor_clicks.h"
#include "editor/editor_window.h"
#include "mixer/mixer_send.h"
#include "model/console_model.h"
#include "model/surface_device.h"
#include "platform/clock.h"
#include "platform/console_output.h"
#include "platform/udp.h"
#include "control/surface_dispatch.h"
#include "surface/output_queue.h"
#include "surface/surface_learn.h"

namespace {

constexpr int64_t RECENT_MS = 10000;

// Set by the entry before the threads start; read by the status request.
std::atomic<const char*> mixerOrigin{""};
std::atomic<const char*> surfaceOrigin{""};
std::atomic<bool> editorShown{true};

// "192.168.1.20:10023 (found)", or what is still missing.
std::string endpointWithOrigin(const UdpEndpoint& endpoint, const char* origin, bool awaited,
                               const char* awaitedText)
{
    if (awaited) return awaitedText;
    std::string text = formatEndpoint(endpoint);
    if (*origin) text += std::string(" (") + origin + ")";
    return text;
}

// Whether something came in the last 10 s, from when it last did (0: never).
const char* recentness(int64_t lastMs, int64_t now)
{
    if (lastMs == 0) return "never";
    return now - lastMs <= RECENT_MS ? "yes" : "no";
}

const char* editorName()
{
    if (!editorFound) return "not found";
    return editorKind == 2 ? "M32-Edit" : "X32-Edit";
}

void addLine(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void addLine(std::string& text, const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    text += line;
}

// One surface: where it is, how it was found, what it shows and whether it
// is heard; the queue's counts are its own.
void addSurfaceLine(std::string& text, int n, int64_t now)
{
    const UdpEndpoint endpoint = surfaceEndpointOf(n);
    const bool awaited = n == 0 && (surfaceAwaitingProbe() || (endpoint.address == 0 && endpoint.port == 0));
    const SurfaceDeviceState& d = surfaceDevices[n];
    addLine(text, "surface %d %s  sent anything in the last 10 s: %s  page %d  bank %d  scroll %d\n", n + 1,
            endpointWithOrigin(endpoint, surfaceOrigin, awaited, "not known yet (waiting for its probe)").c_str(),
            recentness(surfaceLastHeardMs(n), now), d.surfacePage.load(), d.currentBank + 1,
            d.bankScroll.load());
}

} // namespace

std::string linkStatusText()
{
    const int64_t now = steadyMilliseconds();
    const LinkActivity mixerIn = linkActivity(LinkDirection::MixerIn);
    const LinkActivity mixerOut = linkActivity(LinkDirection::MixerOut);
    const LinkActivity surfaceIn = linkActivity(LinkDirection::SurfaceIn);
    const LinkActivity surfaceOut = linkActivity(LinkDirection::SurfaceOut);
    std::string text = "---- status ----\n";
    const UdpEndpoint mixer = mixerLinkEndpoint();
    addLine(text, "mixer   %s  answered in the last 10 s: %s\n",
            endpointWithOrigin(mixer, mixerOrigin, mixer.address == 0 && mixer.port == 0,
                               "not found yet (asking for /xinfo)")
                .c_str(),
            recentness(mixerIn.lastMs, now));
    for (int n = 0; n < surfacesServed; ++n) addSurfaceLine(text, n, now);
    if (editorShown) {
        if (surfacesServed > 1) addLine(text, "editor  %s (follows surface %d)\n", editorName(), editorSurface() + 1);
        else addLine(text, "editor  %s\n", editorName());
    }
    addLine(text, "start-up %s\n", startupComplete ? "complete" : "in progress");
    if (!startupComplete) {
        const std::string waiting = queryWaitText();
        addLine(text, "start-up: %s, waiting for %s\n", startupStepText().c_str(),
                waiting.empty() ? "nothing" : waiting.c_str());
    }
    addLine(text, "messages/s (last 10 s): mixer in %.1f out %.1f, surface in %.1f out %.1f\n",
            mixerIn.perSecond, mixerOut.perSecond, surfaceIn.perSecond, surfaceOut.perSecond);
    forEachSurface([&text] {
        const SurfaceQueueStats queue = surfaceQueueStats();
        addLine(text, "surface %d queue: depth %d, high-water %d, dropped %llu\n", servedSurface() + 1,
                queue.depth, queue.highWater, static_cast<unsigned long long>(queue.dropped));
    });
    addLine(text, "surface input: %llu datagrams handled, %llu incomplete messages dropped\n",
            static_cast<unsigned long long>(surfaceDatagramsHandled()),
            static_cast<unsigned long long>(droppedSurfaceMessages()));
    text += "----------------\n";
    return text;
}

void setAddressOrigins(const char* mixer, const char* surface)
{
    mixerOrigin = mixer ? mixer : "";
    surfaceOrigin = surface ? surface : "";
}

void setEditorInStatus(bool shown) { editorShown = shown; }

void resetAddressOrigins()
{
    setAddressOrigins("", "");
    editorShown = true;
}

void printLinkStatus() { consolePrint("%s", linkStatusText().c_str()); }
