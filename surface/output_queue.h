// The paced queue of datagrams to the surface. Any thread may enqueue; one
// sender thread sends them in order, waiting each message's pacing delay
// after it. Nothing else writes to the surface socket.
#pragma once

#include <cstdint>
#include <mutex>

class UdpSocket;
struct UdpEndpoint;

constexpr int SURFACE_QUEUE_CAPACITY = 100000;
constexpr int SURFACE_MESSAGE_MAX = 1023;

extern std::mutex queueMutex;

// Where the sender sends; set by the entry before the threads start.
void setSurfaceLink(UdpSocket* socket, const UdpEndpoint& endpoint);
UdpSocket* surfaceLinkSocket();
UdpEndpoint surfaceLinkEndpoint();

// Enqueue operations. None reports a drop; a full queue drops silently and
// counts it. None may be called while the caller holds queueMutex.
void queueSurfaceBytes(const uint8_t* bytes, int length, int waitMicros);
void queueFaderPosition(int fader, int value);       // fader 1..9 (9 = master)
void queueLamp(uint8_t note, uint8_t velocity);
// A running-status run of lamps (0x90, then note, velocity pairs) as one
// datagram, left out when every lamp in it already shows that velocity.
void queueLampBatch(const uint8_t* batch, int length, int waitMicros);
void queueEncoderRing(int strip, int first, int second);  // cached per strip
void queueMeterLevel(int strip, float level);
// All eight strip meters as one datagram of eight channel-pressure messages:
// one send and one pacing wait instead of eight, several times a second.
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

// One message as the sender takes it out.
struct SurfaceMessage {
    uint8_t data[SURFACE_MESSAGE_MAX + 1];
    int length;
    int waitMicros;
};

// Takes the oldest message without blocking; false when the queue is empty.
bool takeQueuedSurfaceMessage(SurfaceMessage& message);

// Counters for diagnostics and benchmarks.
struct SurfaceQueueStats {
    int depth;
    int highWater;
    uint64_t enqueued;
    uint64_t dropped;
    uint64_t sent;
};
SurfaceQueueStats surfaceQueueStats();

// Thread entries; both return 0 once stopRequested is set.
int surfaceSenderLoop();
int surfaceHeartbeatLoop();

// Wakes a sender blocked on an empty queue (used on stop).
void wakeSurfaceSender();

// Empty queue, zero counters, ring cache cleared.
void resetSurfaceQueue();
