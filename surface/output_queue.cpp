#include "surface/output_queue.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <thread>

#include "display/refresh.h"
#include "model/link_stats.h"
#include "platform/clock.h"
#include "platform/stop_signal.h"
#include "platform/udp.h"

std::mutex queueMutex;

namespace {

// Short messages (all the bridge builds itself) live in the slot; longer
// ones get their own allocation, so the ring stays a few megabytes.
constexpr int INLINE_BYTES = 24;

struct SurfaceQueueSlot {
    uint8_t inlineData[INLINE_BYTES];
    uint8_t* bigData;
    int length;
    int wait;
};

SurfaceQueueSlot surfaceQueue[SURFACE_QUEUE_CAPACITY];
int writeIndex = 0;
int readIndex = 0;
bool queueEmpty = true;
bool queueFull = false;
int depth = 0;
int highWater = 0;
uint64_t enqueuedCount = 0;
uint64_t droppedCount = 0;
uint64_t sentCount = 0;
int ringCache[8][2];
// What each lamp and motor fader was last sent, -1 = unknown. A refresh
// re-sends everything; only changes go on the wire, so a scene recall's
// thousands of refreshes do not flood the surface.
int lampCache[128];
int faderCache[10];
std::condition_variable queueCondition;

UdpSocket* linkSocket = nullptr;
UdpEndpoint linkEndpoint;

// Caller holds queueMutex. Returns false when the queue is full.
bool enqueueLocked(const uint8_t* bytes, int length, int waitMicros)
{
    if (queueFull) {
        ++droppedCount;
        return false;
    }
    SurfaceQueueSlot& slot = surfaceQueue[writeIndex];
    if (length <= INLINE_BYTES) {
        slot.bigData = nullptr;
        std::memcpy(slot.inlineData, bytes, static_cast<size_t>(length));
    } else {
        slot.bigData = new uint8_t[static_cast<size_t>(length)];
        std::memcpy(slot.bigData, bytes, static_cast<size_t>(length));
    }
    slot.length = length;
    slot.wait = waitMicros;
    queueEmpty = false;
    writeIndex = (writeIndex + 1) % SURFACE_QUEUE_CAPACITY;
    if (writeIndex == readIndex) queueFull = true;
    ++enqueuedCount;
    if (++depth > highWater) highWater = depth;
    return true;
}

// Caller holds queueMutex and has checked that the queue is not empty.
void dequeueLocked(SurfaceMessage& message)
{
    SurfaceQueueSlot& slot = surfaceQueue[readIndex];
    const uint8_t* data = slot.bigData ? slot.bigData : slot.inlineData;
    std::memcpy(message.data, data, static_cast<size_t>(slot.length));
    message.length = slot.length;
    message.waitMicros = slot.wait;
    delete[] slot.bigData;
    slot.bigData = nullptr;
    queueFull = false;
    readIndex = (readIndex + 1) % SURFACE_QUEUE_CAPACITY;
    if (readIndex == writeIndex) queueEmpty = true;
    --depth;
}

void enqueue(const uint8_t* bytes, int length, int waitMicros)
{
    bool accepted;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        accepted = enqueueLocked(bytes, length, waitMicros);
    }
    if (accepted) queueCondition.notify_one();
}

// Waits until waitMicros have passed since sentAt: sleeps most of the time,
// then spins the last stretch so that short waits stay exact.
void pace(int64_t sentAt, int waitMicros)
{
    if (waitMicros <= 0) return;
    const int64_t deadline = sentAt + static_cast<int64_t>(waitMicros) * 1000;
    const int64_t spinNs = 80000;
    int64_t now = steadyNanoseconds();
    if (deadline - now > spinNs) {
        std::this_thread::sleep_for(std::chrono::nanoseconds(deadline - now - spinNs));
    }
    while ((steadyNanoseconds() - sentAt) / 1000 < waitMicros) {
    }
}

} // namespace

void setSurfaceLink(UdpSocket* socket, const UdpEndpoint& endpoint)
{
    std::lock_guard<std::mutex> lock(queueMutex);
    linkSocket = socket;
    linkEndpoint = endpoint;
}

UdpSocket* surfaceLinkSocket()
{
    std::lock_guard<std::mutex> lock(queueMutex);
    return linkSocket;
}

UdpEndpoint surfaceLinkEndpoint()
{
    std::lock_guard<std::mutex> lock(queueMutex);
    return linkEndpoint;
}

void queueSurfaceBytes(const uint8_t* bytes, int length, int waitMicros)
{
    if (!bytes || length < 0 || length > SURFACE_MESSAGE_MAX) return;
    enqueue(bytes, length, waitMicros);
}

namespace {
// Enqueues unless cache already holds value; the cache follows what was
// accepted, so a dropped message is sent again next time.
void enqueueCached(int& cache, int value, const uint8_t* bytes, int length, int waitMicros)
{
    bool accepted;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        if (cache == value) return;
        accepted = enqueueLocked(bytes, length, waitMicros);
        if (accepted) cache = value;
    }
    if (accepted) queueCondition.notify_one();
}
} // namespace

void queueFaderPosition(int fader, int value)
{
    if (fader < 1 || fader > 9) return;
    const uint8_t bytes[3] = {static_cast<uint8_t>(0xE0 + fader - 1),
                              static_cast<uint8_t>(value & 0xFF),
                              static_cast<uint8_t>((value >> 8) & 0xFF)};
    enqueueCached(faderCache[fader], value & 0xFFFF, bytes, 3, 10);
}

void queueLamp(uint8_t note, uint8_t velocity)
{
    const uint8_t bytes[3] = {0x90, note, velocity};
    enqueueCached(lampCache[note & 0x7F], velocity, bytes, 3, 150);
}

void queueLampBatch(const uint8_t* batch, int length, int waitMicros)
{
    if (!batch || length < 1 || length > SURFACE_MESSAGE_MAX || batch[0] != 0x90) return;
    bool accepted;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        // Sent whole when any lamp in it differs; a bare status always goes.
        bool changed = length < 3;
        for (int k = 1; k + 1 < length; k += 2) {
            changed = changed || lampCache[batch[k] & 0x7F] != batch[k + 1];
        }
        if (!changed) return;
        accepted = enqueueLocked(batch, length, waitMicros);
        if (accepted) {
            for (int k = 1; k + 1 < length; k += 2) lampCache[batch[k] & 0x7F] = batch[k + 1];
        }
    }
    if (accepted) queueCondition.notify_one();
}

void forgetSentLampsAndFaders()
{
    std::lock_guard<std::mutex> lock(queueMutex);
    for (int& v : lampCache) v = -1;
    for (int& v : faderCache) v = -1;
}

void forgetSentFader(int fader)
{
    if (fader < 1 || fader > 9) return;
    std::lock_guard<std::mutex> lock(queueMutex);
    faderCache[fader] = -1;
}

void forgetSentRings()
{
    std::lock_guard<std::mutex> lock(queueMutex);
    for (auto& ring : ringCache) ring[0] = ring[1] = -1;
}

void queueEncoderRing(int strip, int first, int second)
{
    if (strip < 0 || strip > 7) return;
    const uint8_t bytes[6] = {0xB0, static_cast<uint8_t>(0x30 + strip), static_cast<uint8_t>(first),
                              0xB0, static_cast<uint8_t>(0x38 + strip), static_cast<uint8_t>(second)};
    bool accepted = false;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        if (ringCache[strip][0] == first && ringCache[strip][1] == second) return;
        accepted = enqueueLocked(bytes, 6, 150);
        // Stored even when dropped: the ring is only re-sent when it changes.
        ringCache[strip][0] = first;
        ringCache[strip][1] = second;
    }
    if (accepted) queueCondition.notify_one();
}

// Compared in single precision, the level's own: a level of exactly 0.001
// stays at segment 0 rather than being lifted by the widening to double.
int meterSegment(float level)
{
    static const float thresholds[8] = {0.99f, 0.8f, 0.5f, 0.25f, 0.07f, 0.015f, 0.002f, 0.001f};
    for (int i = 0; i < 8; ++i) {
        if (level > thresholds[i]) return 8 - i;
    }
    return 0;
}

namespace {
// Channel pressure data: strip in the high nibble, segment in the low one.
uint8_t meterByte(int strip, float level)
{
    return static_cast<uint8_t>(strip * 16 + meterSegment(level));
}
}  // namespace

void queueMeterLevel(int strip, float level)
{
    if (strip < 0 || strip > 7) return;
    const uint8_t bytes[2] = {0xD0, meterByte(strip, level)};
    enqueue(bytes, 2, 150);
}

void queueMeterLevels(const float (&levels)[8])
{
    uint8_t bytes[16];
    for (int strip = 0; strip < 8; ++strip) {
        bytes[2 * strip] = 0xD0;
        bytes[2 * strip + 1] = meterByte(strip, levels[strip]);
    }
    enqueue(bytes, 16, 150);
}

void queueHeartbeat()
{
    static const uint8_t heartbeat[7] = {0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7};
    enqueue(heartbeat, 7, 150);
}

bool takeQueuedSurfaceMessage(SurfaceMessage& message)
{
    std::lock_guard<std::mutex> lock(queueMutex);
    if (queueEmpty) return false;
    dequeueLocked(message);
    return true;
}


SurfaceQueueStats surfaceQueueStats()
{
    std::lock_guard<std::mutex> lock(queueMutex);
    return {depth, highWater, enqueuedCount, droppedCount, sentCount};
}

int surfaceSenderLoop()
{
    SurfaceMessage message;
    for (;;) {
        UdpSocket* socket;
        UdpEndpoint endpoint;
        {
            std::unique_lock<std::mutex> lock(queueMutex);
            // Blocks while idle: no spinning on an empty queue.
            queueCondition.wait(lock, [] { return stopRequested.load() || !queueEmpty; });
            if (stopRequested) return 0;
            dequeueLocked(message);
            socket = linkSocket;
            endpoint = linkEndpoint;
        }
        // The pacing wait runs outside the lock, so producers never wait for it.
        if (socket && socket->sendTo(message.data, message.length, endpoint) == message.length) {
            noteSurfaceDatagram(LinkDirection::SurfaceOut, message.data, message.length);
        }
        const int64_t sentAt = steadyNanoseconds();
        {
            std::lock_guard<std::mutex> lock(queueMutex);
            ++sentCount;
        }
        pace(sentAt, message.waitMicros);
    }
}

int surfaceHeartbeatLoop()
{
    while (!stopRequested) {
        queueHeartbeat();
        // Anything lost on the network, or a fader left where a hand put it,
        // is repaired now rather than at the console's next change.
        forgetSentLampsAndFaders();
        refreshSurface(0);
        if (sleepUnlessStopped(4000)) break;
    }
    return 0;
}

void wakeSurfaceSender()
{
    { std::lock_guard<std::mutex> lock(queueMutex); }
    queueCondition.notify_all();
}

void resetSurfaceQueue()
{
    std::lock_guard<std::mutex> lock(queueMutex);
    for (SurfaceQueueSlot& slot : surfaceQueue) delete[] slot.bigData;
    // Writing the whole ring now keeps the bridge's memory flat later,
    // instead of growing page by page as the ring first wraps.
    std::memset(static_cast<void*>(surfaceQueue), 0, sizeof surfaceQueue);
    writeIndex = 0;
    readIndex = 0;
    queueEmpty = true;
    queueFull = false;
    depth = 0;
    highWater = 0;
    enqueuedCount = 0;
    droppedCount = 0;
    sentCount = 0;
    std::memset(ringCache, 0, sizeof ringCache);
    for (int& v : lampCache) v = -1;
    for (int& v : faderCache) v = -1;
}
