#include "app/surface_receive.h"

#include <atomic>

#include "control/strip_controls.h"
#include "control/surface_dispatch.h"
#include "diag/traffic_log.h"
#include "display/refresh.h"
#include "model/console_model.h"
#include "model/surface_device.h"
#include "platform/clock.h"
#include "platform/console_output.h"
#include "platform/stop_signal.h"
#include "platform/udp.h"
#include "surface/output_queue.h"
#include "surface/self_loop.h"
#include "surface/surface_learn.h"

namespace {

constexpr int RECEIVE_CAPACITY = 1024;

std::atomic<uint64_t> handledDatagrams{0};
std::atomic<int64_t> lastHeardMs[MAX_SURFACES];

} // namespace

void handleSurfaceDatagram(const uint8_t* bytes, int length)
{
    showSurfaceChange(dispatchSurfaceMessage(bytes, length));
    // Whatever the action wrote may be shown on another surface too (a level
    // on a ring, a mute, the selection, a hand let go): each is brought in
    // line with the model. A refresh that finds nothing changed sends
    // nothing; a motor of a strip held here stays still. Until start-up is
    // complete no action writes anything.
    if (startupComplete.load() == 1 && surfacesServed > 1) {
        const int own = servedSurface();
        forEachSurface([own] {
            if (servedSurface() != own) showSurfaceChange(SURFACE_CHANGED);
        });
    }
    handledDatagrams.fetch_add(1, std::memory_order_relaxed);
}

uint64_t surfaceDatagramsHandled() { return handledDatagrams.load(std::memory_order_relaxed); }

void resetSurfaceDatagramsHandled()
{
    handledDatagrams = 0;
    for (auto& heard : lastHeardMs) heard = 0;
}

int64_t surfaceLastHeardMs(int surface)
{
    return surface >= 0 && surface < MAX_SURFACES ? lastHeardMs[surface].load() : 0;
}

int surfaceReceiveLoop()
{
    if (stopRequested) return 0;
    UdpSocket* socket = surfaceLinkSocket();
    if (!socket) return 0;
    prepareStripMessages();
    uint8_t buffer[RECEIVE_CAPACITY];
    const uint16_t ownPort = socket->localPort();  // bound before this loop starts
    while (!stopRequested) {
        flushConsole();
        int length = 0;
        UdpEndpoint from;
        // The editor's window is read on the click thread, right before each
        // press and at each surface action; this loop makes no desktop call.
        ReceiveStatus status = socket->receive(buffer, sizeof buffer, length, from);
        if (status == ReceiveStatus::Interrupted) {
            // A time-out, or a wake-up for the stop request; never spin on a
            // socket left interrupted.
            sleepUnlessStopped(5);
            continue;
        }
        if (status == ReceiveStatus::Failed) {
            if (stopRequested) break;
            // The platform layer retries what is transient; this is not.
            fatalSystemError("rcvfrom()");
        }
        // Our own messages looped back (the surface address set to this
        // machine) would read as fader moves.
        if (isOwnSurfaceDatagram(from, ownPort)) continue;
        // A surface learned from its probe is answered and drawn by the
        // probe's own dispatch below.
        if (learnSurfaceFrom(buffer, length, from) == LearnStep::Drop) continue;
        // Only the surfaces' addresses count; a surface's port may vary.
        const int surface = surfaceIndexOf(from);
        if (surface < 0) continue;
        serveSurface(surface);
        lastHeardMs[surface] = steadyMilliseconds();
        noteSurfaceDatagram(LinkDirection::SurfaceIn, buffer, length);
        handleSurfaceDatagram(buffer, length);
    }
    return 0;
}
