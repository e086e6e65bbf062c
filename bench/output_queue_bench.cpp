// Surface output queue, in process: what handing a change over costs when
// it takes a new place in the queue and when it replaces a waiting one, with
// one and several producers; the CPU of an idle sender; and a paced burst of
// 2,000 changes, each a new value, to 137 targets (128 lamps, 9 faders)
// through a live sender: how many datagrams it becomes and how long it takes.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "app/reset_state.h"
#include "platform/clock.h"
#include "platform/stop_signal.h"
#include "platform/udp.h"
#include "surface/output_queue.h"

namespace {

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void drain()
{
    SurfaceMessage m;
    while (takeQueuedSurfaceMessage(m)) {
    }
}

// Change k of a stream over the 137 targets: every change a new value for
// its target, so none is swallowed as "already shown".
void handOver(int k)
{
    const int target = k % 137;
    const int round = k / 137;
    if (target < 128) queueLamp(static_cast<uint8_t>(target), static_cast<uint8_t>(round % 2 ? 127 : 0));
    else queueFaderPosition(target - 127, round % 1000);
}

// Each change takes a new place: the queue is emptied after every 137.
double newPlaceNanoseconds(int rounds)
{
    resetAllState();
    int64_t spent = 0;
    for (int r = 0; r < rounds; ++r) {
        int64_t start = steadyNanoseconds();
        for (int t = 0; t < 137; ++t) handOver(r * 137 + t);
        spent += steadyNanoseconds() - start;
        drain();
    }
    return static_cast<double>(spent) / (137.0 * rounds);
}

// Each change replaces a waiting one: nothing is taken out meanwhile.
// Producer p owns lamps 32p..32p+31.
double replaceNanoseconds(int producers, int perProducer)
{
    resetAllState();
    int64_t start = steadyNanoseconds();
    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p) {
        threads.emplace_back([p, perProducer] {
            for (int i = 0; i < perProducer; ++i)
                queueLamp(static_cast<uint8_t>(32 * p + i % 32), static_cast<uint8_t>((i / 32) % 2 ? 127 : 1));
        });
    }
    for (auto& t : threads) t.join();
    double ns = static_cast<double>(steadyNanoseconds() - start) / (producers * perProducer);
    drain();
    return ns;
}

} // namespace

int main()
{
    std::printf("surface output queue\n");
    double best = 1e18;
    for (int run = 0; run < 5; ++run) best = std::min(best, newPlaceNanoseconds(2000));
    std::printf("  hand-over taking a new place: %.1f ns per change (137 targets, best of 5)\n", best);
    for (int producers : {1, 2, 4}) {
        best = 1e18;
        for (int run = 0; run < 5; ++run) best = std::min(best, replaceNanoseconds(producers, 100000));
        std::printf("  hand-over replacing a waiting value, %d producer(s): %.1f ns per change (best of 5)\n",
                    producers, best);
    }

    resetAllState();
    UdpSocket sink;
    UdpSocket source;
    sink.open();
    sink.bind(0x7F000001, 0);
    sink.setReceiveBufferSize(4 * 1024 * 1024);
    source.open();
    setSurfaceLink(&source, UdpEndpoint{0x7F000001, sink.localPort()});
    std::thread sender(surfaceSenderLoop);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    double cpuBefore = processCpuSeconds();
    const double idleSeconds = 2.0;
    std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
    double cpu = processCpuSeconds() - cpuBefore;
    std::printf("  idle sender: %.3f %% of one core over %.0f s\n", 100.0 * cpu / idleSeconds, idleSeconds);

    // A single change to an idle queue: sent by the caller, sendto included.
    std::vector<double> direct;
    for (int i = 0; i < 200; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        int64_t start = steadyNanoseconds();
        queueLamp(0x40, static_cast<uint8_t>(i % 2 ? 127 : 0));
        direct.push_back(static_cast<double>(steadyNanoseconds() - start) / 1000.0);
    }
    std::sort(direct.begin(), direct.end());
    SurfaceQueueStats stats = surfaceQueueStats();
    std::printf("  a change to an idle queue: sent on the caller's thread in %.1f us (median of 200, sendto "
                "included); %llu of %llu sent directly\n",
                direct[direct.size() / 2], static_cast<unsigned long long>(stats.sentDirectly),
                static_cast<unsigned long long>(stats.sent));

    // The paced burst.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // Lamps and faders in a row share a datagram: count what reaches the surface.
    auto datagramsAtSink = [&sink] {
        uint8_t buffer[1024];
        int length = 0;
        UdpEndpoint from;
        unsigned long long n = 0;
        while (sink.receive(buffer, sizeof buffer, length, from, 20) == ReceiveStatus::Received) ++n;
        return n;
    };
    datagramsAtSink();
    const SurfaceQueueStats before = surfaceQueueStats();
    int64_t start = steadyNanoseconds();
    for (int k = 0; k < 2000; ++k) handOver(k);
    const int64_t handedOver = steadyNanoseconds() - start;
    while (surfaceQueueStats().depth > 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
    const double ms = static_cast<double>(steadyNanoseconds() - start) / 1e6;
    const SurfaceQueueStats after = surfaceQueueStats();
    const unsigned long long sent = after.sent - before.sent;
    const unsigned long long datagrams = datagramsAtSink();
    std::printf("  2000 changes to 137 targets handed over in %.2f ms: %llu messages sent in %llu datagrams, %llu "
                "replaced a waiting one; drained %.1f ms after the first (pacing alone: at least %.1f ms)\n",
                static_cast<double>(handedOver) / 1e6, sent, datagrams,
                static_cast<unsigned long long>(after.coalesced - before.coalesced), ms,
                // At most 9 faders at 10 us, the rest lamps at 150 us.
                (static_cast<double>(sent > 9 ? sent - 9 : 0) * 150 + 9 * 10) / 1000.0);

    requestStop();
    wakeSurfaceSender();
    sender.join();
    setSurfaceLink(nullptr, UdpEndpoint{});
    return 0;
}
