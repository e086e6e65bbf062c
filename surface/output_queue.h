// The paced queue of datagrams to a surface, one per surface device: every
// call below acts on the queue of the surface the calling thread serves
// (model/surface_device.h). Any thread may enqueue.
// Each target (a motor fader, a lamp, the mute-lamp batch, an encoder ring,
// a strip display, the meters) has at most one message waiting: a newer
// value replaces the waiting one in its place, so a burst of changes sends
// the final state, not every state between. A message handed to an idle
// queue is sent at once by the thread that hands it over; otherwise the
// sender thread sends the waiting messages in order, each no sooner than
// the pacing delay of the one before it. Nothing else writes to the surface
// socket. Each queue has its own lock, pacing, caches and sender thread.
#pragma once

#include <cstdint>
#include <mutex>

class UdpSocket;
struct UdpEndpoint;

// Messages without a target of their own (the heartbeat, raw bytes) wait in
// a ring of this many; beyond it they are dropped.
constexpr int SURFACE_RAW_CAPACITY = 1024;
constexpr int SURFACE_MESSAGE_MAX = 1023;

// Where messages go: the one socket every surface shares, and the served
// surface's address; set by the entry before the threads start, and by
// learning. Without a link everything waits in the queue (tests take it out
// themselves); with a socket but no address (a surface still to be learned)
// messages leave the queue as usual and go nowhere.
void setSurfaceLink(UdpSocket* socket, const UdpEndpoint& endpoint);
UdpSocket* surfaceLinkSocket();
UdpEndpoint surfaceLinkEndpoint();
// Any surface's address, surface 0..MAX_SURFACES-1.
UdpEndpoint surfaceEndpointOf(int surface);

// Enqueue operations. None reports a drop. Data bytes out of 0..127 are held to it. Faders, lamps, rings and displays go out only
// when they differ from what that target was last sent.
void queueSurfaceBytes(const uint8_t* bytes, int length, int waitMicros);
// Fader 1..9 (9 = master) to a step 0..FADER_STEPS (model/fader_scale.h),
// sent as pitch bend with the step split into two 7-bit data bytes.
void queueFaderPosition(int fader, int step);
void queueLamp(uint8_t note, uint8_t velocity);
// The mute lamps as one running-status datagram (0x90, then note, velocity
// pairs), left out when every lamp in it already shows that velocity, or
// when it holds no pair.
void queueLampBatch(const uint8_t* batch, int length, int waitMicros);
void queueEncoderRing(int strip, int first, int second);
// One strip display's system-exclusive message (22 bytes), position 1..8.
void queueStripDisplay(int position, const uint8_t* message, int length);
void queueMeterLevel(int strip, float level);
// All eight strip meters as one datagram of eight channel-pressure messages.
void queueMeterLevels(const float (&levels)[8]);
void queueHeartbeat();

// Meter segment 0..8 for a linear level.
int meterSegment(float level);

// Lamps and motor faders are sent only when they change; this makes the
// next refresh send all of them again (the heartbeat does it, and refreshes,
// every 4 s).
void forgetSentLampsAndFaders();
// A hand moved this fader (1..9): it is no longer where it was last sent, so
// the next position for it goes out even if it equals the last one.
void forgetSentFader(int fader);
// The encoder rings likewise, for a surface that lost everything it showed.
void forgetSentRings();
// The strip displays likewise; resetting makes them "blank, colour 0".
void forgetSentStripDisplays();
void resetSentStripDisplays();

// One message as it leaves the queue.
struct SurfaceMessage {
    uint8_t data[SURFACE_MESSAGE_MAX + 1];
    int length;
    int waitMicros;
};

// Takes the oldest message, ignoring the pacing, and counts it as sent;
// false when nothing is waiting.
bool takeQueuedSurfaceMessage(SurfaceMessage& message);

// Counters for diagnostics and benchmarks.
struct SurfaceQueueStats {
    int depth;              // messages waiting
    int highWater;
    uint64_t enqueued;      // messages that joined the queue or went out at once
    uint64_t coalesced;     // newer values that replaced a waiting one
    uint64_t dropped;       // raw messages refused by a full ring
    uint64_t sent;
    uint64_t sentDirectly;  // sent by the enqueuing thread
};
SurfaceQueueStats surfaceQueueStats();

// Thread entry, the served surface's sender; returns 0 once stopRequested
// is set.
int surfaceSenderLoop();

// Wakes every sender blocked on an empty queue (used on stop).
void wakeSurfaceSender();

// Every queue empty, zero counters, caches back to their start.
void resetSurfaceQueue();
