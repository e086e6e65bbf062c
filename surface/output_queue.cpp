#include "surface/output_queue.h"

#include <condition_variable>
#include <cstring>

#include "diag/traffic_log.h"
#include "model/fader_scale.h"
#include "model/surface_device.h"
#include "platform/clock.h"
#include "platform/precise_sleep.h"
#include "platform/stop_signal.h"
#include "platform/udp.h"

namespace {

constexpr int FADER_WAIT = 10;
constexpr int OTHER_WAIT = 150;
// At most this many bytes of lamps and faders in one datagram.
constexpr int JOINED_MAX_BYTES = 48;

// Target numbers: each names one thing on the surface that a newer message
// makes the older one pointless for.
constexpr int FADER_TARGETS = 0;                        // faders 1..9 at 0..8
constexpr int LAMP_TARGETS = FADER_TARGETS + 9;         // notes 0..127
constexpr int MUTE_BATCH_TARGET = LAMP_TARGETS + 128;
constexpr int RING_TARGETS = MUTE_BATCH_TARGET + 1;     // strips 0..7
constexpr int DISPLAY_TARGETS = RING_TARGETS + 8;       // positions 1..8 at 0..7
constexpr int METERS_TARGET = DISPLAY_TARGETS + 8;      // all eight meters
constexpr int METER_TARGETS = METERS_TARGET + 1;        // one meter, strips 0..7
constexpr int TARGET_COUNT = METER_TARGETS + 8;
constexpr int TARGET_BYTES = 24;
constexpr int16_t RAW_ENTRY = -1;
// Every target at most once, plus every raw slot: the order never overflows.
constexpr int ORDER_CAPACITY = TARGET_COUNT + SURFACE_RAW_CAPACITY;

struct Target {
    uint8_t waiting[TARGET_BYTES];
    int waitingLength;
    int waitMicros;
    bool queued;
    bool onlyChanges;           // meters are re-sent even when equal
    uint8_t sent[TARGET_BYTES];
    int sentLength;             // 0: what the surface shows is unknown
};

struct RawSlot {
    uint8_t inlineData[TARGET_BYTES];
    uint8_t* bigData;           // messages longer than TARGET_BYTES
    int length;
    int waitMicros;
};

// One surface's queue: its own lock, order, caches and pacing.
struct SurfaceQueue {
    std::mutex mutex;
    Target targets[TARGET_COUNT];
    RawSlot rawRing[SURFACE_RAW_CAPACITY];
    int rawHead = 0;
    int rawCount = 0;
    int16_t order[ORDER_CAPACITY];
    int orderHead = 0;
    int orderCount = 0;

    int highWater = 0;
    uint64_t enqueuedCount = 0;
    uint64_t coalescedCount = 0;
    uint64_t droppedCount = 0;
    uint64_t sentCount = 0;
    uint64_t sentDirectlyCount = 0;

    // Some thread is inside sendto; nobody else may send meanwhile.
    bool wireBusy = false;
    // The pacing: no message leaves before this steady time.
    int64_t readyAt = 0;
    bool senderWaiting = false;
    std::condition_variable queueCondition;

    UdpSocket* linkSocket = nullptr;
    UdpEndpoint linkEndpoint;
};

SurfaceQueue queues[MAX_SURFACES];
// Each sender thread's message, 1 kB off its stack.
SurfaceMessage outgoing[MAX_SURFACES];

SurfaceQueue& servedQueue() { return queues[servedSurface()]; }

// MIDI data bytes stay below 0x80: a value beyond that shows as the most.
uint8_t dataByte(int value) { return static_cast<uint8_t>(value < 0 ? 0 : (value > 0x7F ? 0x7F : value)); }

void pushOrder(SurfaceQueue& q, int16_t entry)
{
    q.order[(q.orderHead + q.orderCount) % ORDER_CAPACITY] = entry;
    if (++q.orderCount > q.highWater) q.highWater = q.orderCount;
}

// Does the waiting message of target id change nothing on the surface?
bool unchanged(SurfaceQueue& q, int id)
{
    const Target& t = q.targets[id];
    if (id == MUTE_BATCH_TARGET) {
        for (int k = 1; k + 1 < t.waitingLength; k += 2) {
            const Target& lamp = q.targets[LAMP_TARGETS + (t.waiting[k] & 0x7F)];
            if (lamp.sentLength != 3 || lamp.sent[2] != t.waiting[k + 1]) return false;
        }
        return true;
    }
    return t.onlyChanges && t.sentLength == t.waitingLength &&
           std::memcmp(t.sent, t.waiting, static_cast<size_t>(t.waitingLength)) == 0;
}

void markSent(SurfaceQueue& q, int id)
{
    const Target& t = q.targets[id];
    if (id == MUTE_BATCH_TARGET) {
        for (int k = 1; k + 1 < t.waitingLength; k += 2) {
            Target& lamp = q.targets[LAMP_TARGETS + (t.waiting[k] & 0x7F)];
            lamp.sent[0] = 0x90;
            lamp.sent[1] = t.waiting[k];
            lamp.sent[2] = t.waiting[k + 1];
            lamp.sentLength = 3;
        }
        return;
    }
    Target& target = q.targets[id];
    std::memcpy(target.sent, target.waiting, static_cast<size_t>(target.waitingLength));
    target.sentLength = target.waitingLength;
}

// Two q.targets that show the same thing (a mute lamp alone and in the batch,
// one meter alone and in the eight) both carry the newest value, whichever
// of them goes out last.
void shareNewestValue(SurfaceQueue& q, int id)
{
    const Target& t = q.targets[id];
    if (id >= LAMP_TARGETS && id < LAMP_TARGETS + 128) {
        Target& batch = q.targets[MUTE_BATCH_TARGET];
        if (!batch.queued) return;
        for (int k = 1; k + 1 < batch.waitingLength; k += 2)
            if (batch.waiting[k] == t.waiting[1]) batch.waiting[k + 1] = t.waiting[2];
    } else if (id == MUTE_BATCH_TARGET) {
        for (int k = 1; k + 1 < t.waitingLength; k += 2) {
            Target& lamp = q.targets[LAMP_TARGETS + (t.waiting[k] & 0x7F)];
            if (lamp.queued && lamp.waiting[1] == t.waiting[k]) lamp.waiting[2] = t.waiting[k + 1];
        }
    } else if (id >= METER_TARGETS && id < METER_TARGETS + 8) {
        Target& all = q.targets[METERS_TARGET];
        if (all.queued) all.waiting[2 * (id - METER_TARGETS) + 1] = t.waiting[1];
    } else if (id == METERS_TARGET) {
        for (int strip = 0; strip < 8; ++strip) {
            Target& one = q.targets[METER_TARGETS + strip];
            if (one.queued) one.waiting[1] = t.waiting[2 * strip + 1];
        }
    }
}

// Caller holds q.mutex.
void wakeSenderLocked(SurfaceQueue& q)
{
    if (!q.senderWaiting || q.wireBusy) return;
    // One notify per wait: the enqueues that follow find it awake already.
    q.senderWaiting = false;
    q.queueCondition.notify_one();
}

bool canSendNow(SurfaceQueue& q)
{
    return q.orderCount == 0 && !q.wireBusy && q.linkSocket && steadyNanoseconds() >= q.readyAt;
}

// Sends with q.mutex released; the pacing then counts from this send.
void sendLocked(SurfaceQueue& q, std::unique_lock<std::mutex>& lock, const uint8_t* data, int length, int waitMicros)
{
    q.wireBusy = true;
    UdpSocket* socket = q.linkSocket;
    const UdpEndpoint endpoint = q.linkEndpoint;
    lock.unlock();
    // A surface not learned yet has no address: what is meant for it is dropped.
    if (socket && endpoint.address != 0 && socket->sendTo(data, length, endpoint) == length) {
        noteSurfaceDatagram(LinkDirection::SurfaceOut, data, length);
    }
    const int64_t sentAt = steadyNanoseconds();
    lock.lock();
    q.wireBusy = false;
    q.readyAt = sentAt + (waitMicros > 0 ? static_cast<int64_t>(waitMicros) * 1000 : 0);
    ++q.sentCount;
    if (q.orderCount > 0) wakeSenderLocked(q);
}

// Hands the newest message for target id over: sent at once when the queue
// is idle, else waiting in its place (joining the end if it had none).
void offer(SurfaceQueue& q, int id, const uint8_t* bytes, int length, int waitMicros)
{
    std::unique_lock<std::mutex> lock(q.mutex);
    Target& t = q.targets[id];
    std::memcpy(t.waiting, bytes, static_cast<size_t>(length));
    t.waitingLength = length;
    t.waitMicros = waitMicros;
    shareNewestValue(q, id);
    if (t.queued) {
        ++q.coalescedCount;
        return;
    }
    if (unchanged(q, id)) return;
    ++q.enqueuedCount;
    if (canSendNow(q)) {
        uint8_t now[TARGET_BYTES];
        std::memcpy(now, bytes, static_cast<size_t>(length));
        markSent(q, id);
        ++q.sentDirectlyCount;
        sendLocked(q, lock, now, length, waitMicros);
        return;
    }
    t.queued = true;
    pushOrder(q, static_cast<int16_t>(id));
    wakeSenderLocked(q);
}

// Caller holds q.mutex. Takes the oldest message that still changes
// something, and says which entry it was; false when none is left.
bool takeLocked(SurfaceQueue& q, SurfaceMessage& message, int16_t& taken)
{
    while (q.orderCount > 0) {
        const int16_t entry = q.order[q.orderHead];
        q.orderHead = (q.orderHead + 1) % ORDER_CAPACITY;
        --q.orderCount;
        taken = entry;
        if (entry == RAW_ENTRY) {
            RawSlot& slot = q.rawRing[q.rawHead];
            const uint8_t* data = slot.bigData ? slot.bigData : slot.inlineData;
            std::memcpy(message.data, data, static_cast<size_t>(slot.length));
            message.length = slot.length;
            message.waitMicros = slot.waitMicros;
            delete[] slot.bigData;
            slot.bigData = nullptr;
            q.rawHead = (q.rawHead + 1) % SURFACE_RAW_CAPACITY;
            --q.rawCount;
            return true;
        }
        Target& t = q.targets[entry];
        t.queued = false;
        if (unchanged(q, entry)) continue;
        std::memcpy(message.data, t.waiting, static_cast<size_t>(t.waitingLength));
        message.length = t.waitingLength;
        message.waitMicros = t.waitMicros;
        markSent(q, entry);
        return true;
    }
    return false;
}

// Lamps and motor faders: three-byte messages, several of which the surface
// takes in one datagram.
bool isShortTarget(int id) { return id >= FADER_TARGETS && id < LAMP_TARGETS + 128; }

// Caller holds q.mutex and has just taken a lamp or fader: the lamps and
// faders waiting right behind it join its datagram, in q.order, their waits
// added up. A repaint then costs the sender a few wake-ups, not one each.
void joinShortMessages(SurfaceQueue& q, SurfaceMessage& message)
{
    while (q.orderCount > 0 && message.length >= 0 && message.length + 3 <= JOINED_MAX_BYTES) {
        const int16_t entry = q.order[q.orderHead];
        if (entry == RAW_ENTRY || !isShortTarget(entry)) return;
        q.orderHead = (q.orderHead + 1) % ORDER_CAPACITY;
        --q.orderCount;
        Target& t = q.targets[entry];
        t.queued = false;
        if (unchanged(q, entry)) continue;
        std::memcpy(message.data + message.length, t.waiting, 3);
        message.length += 3;
        message.waitMicros += t.waitMicros;
        markSent(q, entry);
        ++q.sentCount;
    }
}

void setSent(SurfaceQueue& q, int id, const uint8_t* bytes, int length)
{
    std::memcpy(q.targets[id].sent, bytes, static_cast<size_t>(length));
    q.targets[id].sentLength = length;
}

void blankDisplayMessage(int position, uint8_t (&message)[22])
{
    std::memset(message, 0, sizeof message);
    const uint8_t head[5] = {0xF0, 0x00, 0x00, 0x66, 0x58};
    std::memcpy(message, head, sizeof head);
    message[5] = static_cast<uint8_t>(0x1F + position);
    message[21] = 0xF7;
}

// Caller holds q.mutex.
void resetDisplaysLocked(SurfaceQueue& q)
{
    for (int position = 1; position <= 8; ++position) {
        uint8_t blank[22];
        blankDisplayMessage(position, blank);
        setSent(q, DISPLAY_TARGETS + position - 1, blank, 22);
    }
}

} // namespace

void setSurfaceLink(UdpSocket* socket, const UdpEndpoint& endpoint)
{
    SurfaceQueue& served = servedQueue();
    for (SurfaceQueue& q : queues) {
        std::lock_guard<std::mutex> lock(q.mutex);
        q.linkSocket = socket;
        if (&q == &served) q.linkEndpoint = endpoint;
    }
}

UdpEndpoint surfaceEndpointOf(int surface)
{
    if (surface < 0 || surface >= MAX_SURFACES) return UdpEndpoint{};
    SurfaceQueue& q = queues[surface];
    std::lock_guard<std::mutex> lock(q.mutex);
    return q.linkEndpoint;
}

UdpSocket* surfaceLinkSocket()
{
    SurfaceQueue& q = servedQueue();
    std::lock_guard<std::mutex> lock(q.mutex);
    return q.linkSocket;
}

UdpEndpoint surfaceLinkEndpoint()
{
    SurfaceQueue& q = servedQueue();
    std::lock_guard<std::mutex> lock(q.mutex);
    return q.linkEndpoint;
}

void queueSurfaceBytes(const uint8_t* bytes, int length, int waitMicros)
{
    SurfaceQueue& q = servedQueue();
    if (!bytes || length < 0 || length > SURFACE_MESSAGE_MAX) return;
    std::unique_lock<std::mutex> lock(q.mutex);
    if (q.rawCount == SURFACE_RAW_CAPACITY) {
        ++q.droppedCount;
        return;
    }
    ++q.enqueuedCount;
    if (canSendNow(q)) {
        ++q.sentDirectlyCount;
        sendLocked(q, lock, bytes, length, waitMicros);
        return;
    }
    RawSlot& slot = q.rawRing[(q.rawHead + q.rawCount) % SURFACE_RAW_CAPACITY];
    slot.bigData = nullptr;
    if (length <= TARGET_BYTES) {
        std::memcpy(slot.inlineData, bytes, static_cast<size_t>(length));
    } else {
        slot.bigData = new uint8_t[static_cast<size_t>(length)];
        std::memcpy(slot.bigData, bytes, static_cast<size_t>(length));
    }
    slot.length = length;
    slot.waitMicros = waitMicros;
    ++q.rawCount;
    pushOrder(q, RAW_ENTRY);
    wakeSenderLocked(q);
}

void queueFaderPosition(int fader, int step)
{
    SurfaceQueue& q = servedQueue();
    if (fader < 1 || fader > 9) return;
    // A data byte with its top bit set would read as a new status byte.
    if (step < 0) step = 0;
    if (step > FADER_STEPS) step = FADER_STEPS;
    const uint8_t bytes[3] = {static_cast<uint8_t>(0xE0 + fader - 1), faderLowByte(step), faderHighByte(step)};
    offer(q, FADER_TARGETS + fader - 1, bytes, 3, FADER_WAIT);
}

void queueLamp(uint8_t note, uint8_t velocity)
{
    SurfaceQueue& q = servedQueue();
    if (note > 0x7F) return;
    const uint8_t bytes[3] = {0x90, note, dataByte(velocity)};
    offer(q, LAMP_TARGETS + (note & 0x7F), bytes, 3, OTHER_WAIT);
}

void queueLampBatch(const uint8_t* batch, int length, int waitMicros)
{
    SurfaceQueue& q = servedQueue();
    // A status byte with no pair after it, or a note without its velocity,
    // is a cut message to the surface.
    if (!batch || length < 3 || length % 2 == 0 || length > SURFACE_MESSAGE_MAX || batch[0] != 0x90) return;
    for (int k = 1; k < length; ++k)
        if (batch[k] > 0x7F) return;
    // Longer runs than the surface has mute lamps are not the batch.
    if (length > TARGET_BYTES) {
        queueSurfaceBytes(batch, length, waitMicros);
        return;
    }
    offer(q, MUTE_BATCH_TARGET, batch, length, waitMicros);
}

void queueEncoderRing(int strip, int first, int second)
{
    SurfaceQueue& q = servedQueue();
    if (strip < 0 || strip > 7) return;
    const uint8_t bytes[6] = {0xB0, static_cast<uint8_t>(0x30 + strip), dataByte(first),
                              0xB0, static_cast<uint8_t>(0x38 + strip), dataByte(second)};
    offer(q, RING_TARGETS + strip, bytes, 6, OTHER_WAIT);
}

void queueStripDisplay(int position, const uint8_t* message, int length)
{
    SurfaceQueue& q = servedQueue();
    if (position < 1 || position > 8 || !message || length < 1 || length > TARGET_BYTES) return;
    offer(q, DISPLAY_TARGETS + position - 1, message, length, OTHER_WAIT);
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
    SurfaceQueue& q = servedQueue();
    if (strip < 0 || strip > 7) return;
    const uint8_t bytes[2] = {0xD0, meterByte(strip, level)};
    offer(q, METER_TARGETS + strip, bytes, 2, OTHER_WAIT);
}

void queueMeterLevels(const float (&levels)[8])
{
    SurfaceQueue& q = servedQueue();
    uint8_t bytes[16];
    for (int strip = 0; strip < 8; ++strip) {
        bytes[2 * strip] = 0xD0;
        bytes[2 * strip + 1] = meterByte(strip, levels[strip]);
    }
    offer(q, METERS_TARGET, bytes, 16, OTHER_WAIT);
}

void queueHeartbeat()
{
    static const uint8_t heartbeat[7] = {0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7};
    queueSurfaceBytes(heartbeat, 7, OTHER_WAIT);
}

void forgetSentLampsAndFaders()
{
    SurfaceQueue& q = servedQueue();
    std::lock_guard<std::mutex> lock(q.mutex);
    for (int i = 0; i < 9; ++i) q.targets[FADER_TARGETS + i].sentLength = 0;
    for (int i = 0; i < 128; ++i) q.targets[LAMP_TARGETS + i].sentLength = 0;
}

void forgetSentFader(int fader)
{
    SurfaceQueue& q = servedQueue();
    if (fader < 1 || fader > 9) return;
    std::lock_guard<std::mutex> lock(q.mutex);
    q.targets[FADER_TARGETS + fader - 1].sentLength = 0;
}

void forgetSentRings()
{
    SurfaceQueue& q = servedQueue();
    std::lock_guard<std::mutex> lock(q.mutex);
    for (int i = 0; i < 8; ++i) q.targets[RING_TARGETS + i].sentLength = 0;
}

void forgetSentStripDisplays()
{
    SurfaceQueue& q = servedQueue();
    std::lock_guard<std::mutex> lock(q.mutex);
    for (int i = 0; i < 8; ++i) q.targets[DISPLAY_TARGETS + i].sentLength = 0;
}

void resetSentStripDisplays()
{
    SurfaceQueue& q = servedQueue();
    std::lock_guard<std::mutex> lock(q.mutex);
    resetDisplaysLocked(q);
}

bool takeQueuedSurfaceMessage(SurfaceMessage& message)
{
    SurfaceQueue& q = servedQueue();
    std::lock_guard<std::mutex> lock(q.mutex);
    int16_t taken = RAW_ENTRY;
    if (!takeLocked(q, message, taken)) return false;
    ++q.sentCount;
    return true;
}

SurfaceQueueStats surfaceQueueStats()
{
    SurfaceQueue& q = servedQueue();
    std::lock_guard<std::mutex> lock(q.mutex);
    return {q.orderCount,    q.highWater, q.enqueuedCount,    q.coalescedCount,
            q.droppedCount,  q.sentCount, q.sentDirectlyCount};
}

int surfaceSenderLoop()
{
    SurfaceQueue& q = servedQueue();
    usePreciseSleeps();
    SurfaceMessage& message = outgoing[servedSurface()];
    std::unique_lock<std::mutex> lock(q.mutex);
    for (;;) {
        if (stopRequested) return 0;
        if (q.orderCount == 0 || q.wireBusy) {
            q.senderWaiting = true;
            q.queueCondition.wait(lock);
            q.senderWaiting = false;
            continue;
        }
        const int64_t until = q.readyAt;
        if (steadyNanoseconds() < until) {
            lock.unlock();
            sleepUntilSteady(until);
            lock.lock();
            continue;
        }
        int16_t taken = RAW_ENTRY;
        if (!takeLocked(q, message, taken)) continue;
        if (taken != RAW_ENTRY && isShortTarget(taken)) joinShortMessages(q, message);
        sendLocked(q, lock, message.data, message.length, message.waitMicros);
    }
}

void wakeSurfaceSender()
{
    for (SurfaceQueue& q : queues) {
        std::lock_guard<std::mutex> lock(q.mutex);
        q.queueCondition.notify_all();
    }
}

namespace {
void resetQueue(SurfaceQueue& q)
{
    std::lock_guard<std::mutex> lock(q.mutex);
    for (RawSlot& slot : q.rawRing) {
        delete[] slot.bigData;
        slot.bigData = nullptr;
    }
    q.rawHead = q.rawCount = 0;
    q.orderHead = q.orderCount = 0;
    q.highWater = 0;
    q.enqueuedCount = q.coalescedCount = q.droppedCount = q.sentCount = q.sentDirectlyCount = 0;
    q.wireBusy = false;
    q.readyAt = 0;
    for (int id = 0; id < TARGET_COUNT; ++id) {
        q.targets[id] = Target{};
        q.targets[id].onlyChanges = id < METERS_TARGET;
    }
    // The rings start dark, as the surface does; lamps and faders unknown.
    for (int strip = 0; strip < 8; ++strip) {
        const uint8_t dark[6] = {0xB0, static_cast<uint8_t>(0x30 + strip), 0,
                                 0xB0, static_cast<uint8_t>(0x38 + strip), 0};
        setSent(q, RING_TARGETS + strip, dark, 6);
    }
    resetDisplaysLocked(q);
}
} // namespace

void resetSurfaceQueue()
{
    for (SurfaceQueue& q : queues) resetQueue(q);
}
