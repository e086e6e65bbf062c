#include "diag/link_stats.h"

#include <atomic>

#include "platform/clock.h"

namespace {

constexpr int BUCKETS = 16;
constexpr int WINDOW_SECONDS = 10;

struct Bucket {
    std::atomic<int64_t> second{-1};
    std::atomic<uint64_t> count{0};
};

struct Counter {
    std::atomic<uint64_t> total{0};
    std::atomic<int64_t> lastMs{0};
    Bucket buckets[BUCKETS];
};

Counter counters[4];

} // namespace

void countLinkDatagram(LinkDirection direction)
{
    Counter& c = counters[static_cast<int>(direction)];
    int64_t now = steadyMilliseconds();
    c.total.fetch_add(1, std::memory_order_relaxed);
    c.lastMs.store(now, std::memory_order_relaxed);
    int64_t second = now / 1000;
    Bucket& b = c.buckets[second % BUCKETS];
    if (b.second.load(std::memory_order_relaxed) != second) {
        b.second.store(second, std::memory_order_relaxed);
        b.count.store(0, std::memory_order_relaxed);
    }
    b.count.fetch_add(1, std::memory_order_relaxed);
}

LinkActivity linkActivity(LinkDirection direction)
{
    const Counter& c = counters[static_cast<int>(direction)];
    int64_t second = steadyMilliseconds() / 1000;
    uint64_t recent = 0;
    for (const Bucket& b : c.buckets) {
        int64_t s = b.second.load(std::memory_order_relaxed);
        if (s > second - WINDOW_SECONDS && s <= second) recent += b.count.load(std::memory_order_relaxed);
    }
    return {c.total.load(), c.lastMs.load(), static_cast<double>(recent) / WINDOW_SECONDS};
}

void resetLinkStats()
{
    for (Counter& c : counters) {
        c.total = 0;
        c.lastMs = 0;
        for (Bucket& b : c.buckets) {
            b.second = -1;
            b.count = 0;
        }
    }
}
