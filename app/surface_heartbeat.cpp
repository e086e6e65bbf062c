#include "app/surface_heartbeat.h"

#include "display/refresh.h"
#include "model/surface_device.h"
#include "platform/stop_signal.h"
#include "surface/output_queue.h"

int surfaceHeartbeatLoop()
{
    while (!stopRequested) {
        forEachSurface([] {
            queueHeartbeat();
            // Anything lost on the network, or a fader left where a hand put
            // it, is repaired now rather than at the console's next change.
            forgetSentLampsAndFaders();
            refreshSurface();
        });
        if (sleepUnlessStopped(4000)) break;
    }
    return 0;
}
