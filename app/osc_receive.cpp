#include "app/osc_receive.h"

#include <atomic>

#include "diag/traffic_log.h"
#include "display/refresh.h"
#include "mixer/mixer_send.h"
#include "mixer/osc_codec.h"
#include "mixer/reply_dispatch.h"
#include "model/console_model.h"
#include "model/surface_device.h"
#include "platform/console_output.h"
#include "platform/stop_signal.h"
#include "platform/udp.h"

namespace {
std::atomic<uint32_t> sourceFilter{0};
}

void setMixerSourceFilter(uint32_t address) { sourceFilter = address; }

bool handleMixerDatagram(uint8_t* datagram, int length)
{
    ParsedOscMessage message;
    if (!parseOscMessage(datagram, length, message)) return false;
    SurfaceChange change = dispatchReply(message);
    // Until start-up has read the console the surface shows only its
    // faders; start-up draws the rest once.
    if (startupComplete.load() != 1) change = static_cast<SurfaceChange>(change & FADERS_CHANGED);
    // The console is everyone's: each surface shows what it changed.
    forEachSurface([change] { showSurfaceChange(change); });
    return true;
}

int oscReceiveLoop()
{
    consolePrint("Listening to OSC packets...\n");
    if (stopRequested) return 0;
    UdpSocket* socket = mixerLinkSocket();
    if (!socket) return 0;
    uint8_t datagram[1024];
    while (!stopRequested) {
        int length = 0;
        UdpEndpoint from;
        ReceiveStatus status = socket->receive(datagram, sizeof datagram, length, from);
        if (status != ReceiveStatus::Received || length <= 0) {
            // Until the first send gives the socket its port a receive fails;
            // that and any other receive error is not fatal here.
            if (status == ReceiveStatus::Failed) sleepUnlessStopped(10);
            continue;
        }
        // Only the configured console may write into the model.
        uint32_t filter = sourceFilter;
        if (filter != 0 && from.address != filter) continue;
        noteMixerDatagram(LinkDirection::MixerIn, datagram, length);
        handleMixerDatagram(datagram, length);
    }
    return 0;
}
