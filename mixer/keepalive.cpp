#include "mixer/keepalive.h"

#include "mixer/mixer_send.h"
#include "platform/console_output.h"
#include "platform/stop_signal.h"

int mixerKeepAliveLoop()
{
    if (stopRequested) return 0;
    for (;;) {
        // The first "/xremote" also gives the mixer socket its local port.
        if (!sendToMixerQuietly("/xremote", "")) consolePrint("Error sending /xemote to mixer\n");
        if (!sendToMixerQuietly("/renew", "")) consolePrint("Error sending /renew to mixer\n");
        if (sleepUnlessStopped(KEEPALIVE_PERIOD_MS)) return 0;
    }
}

void sendMeterSubscriptions()
{
    consolePrint("sending meters command\n");
    static const char* const aliases[3] = {"/meter1", "/meter2", "/meter3"};
    static const char* const blocks[3] = {"/meters/1", "/meters/2", "/meters/3"};
    for (int i = 0; i < 3; ++i) {
        if (!sendToMixerQuietly("/batchsubscribe", "ssiii", aliases[i], blocks[i], 0, 0, 1)) {
            consolePrint("Error sending %s to mixer\n", "/batchsubscribe");
        }
    }
}
