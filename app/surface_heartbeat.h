// The surface keep-alive thread.
#pragma once

// Thread entry: every 4 s the heartbeat message, then the whole surface
// again with the lamp and fader caches forgotten. Returns 0 once
// stopRequested is set.
int surfaceHeartbeatLoop();
