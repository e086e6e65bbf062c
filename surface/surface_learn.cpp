#include "surface/surface_learn.h"

#include <atomic>
#include <cstring>

#include "model/surface_device.h"
#include "platform/console_output.h"
#include "surface/output_queue.h"

namespace {

constexpr int NAMED_MAX = 16;

std::atomic<bool> learning{false};
std::atomic<int> learnedCount{0};
// Surfaces beyond the last already named, so that one probing every 2 s is
// named once.
UdpEndpoint namedOthers[NAMED_MAX];
int namedCount = 0;

bool sameEndpoint(const UdpEndpoint& a, const UdpEndpoint& b) { return a.address == b.address && a.port == b.port; }

bool nameOnce(const UdpEndpoint& from)
{
    for (int i = 0; i < namedCount; ++i) {
        if (sameEndpoint(namedOthers[i], from)) return false;
    }
    // Past the list, stay quiet rather than name the same ones again.
    if (namedCount >= NAMED_MAX) return false;
    namedOthers[namedCount++] = from;
    return true;
}

int exactSurfaceOf(const UdpEndpoint& from)
{
    const int count = surfacesServed;
    for (int s = 0; s < count; ++s) {
        if (sameEndpoint(surfaceEndpointOf(s), from)) return s;
    }
    return -1;
}

} // namespace

void startSurfaceLearning()
{
    learning = true;
    learnedCount = 0;
}

bool surfaceAwaitingProbe() { return learning && learnedCount == 0; }

bool isSurfaceProbe(const uint8_t* bytes, int length)
{
    static const uint8_t probe[8] = {0xF0, 0x00, 0x20, 0x32, 0x58, 0x54, 0x00, 0xF7};
    return bytes && length == static_cast<int>(sizeof probe) && std::memcmp(bytes, probe, sizeof probe) == 0;
}

int surfaceIndexOf(const UdpEndpoint& from)
{
    const int exact = exactSurfaceOf(from);
    if (exact >= 0) return exact;
    const int count = surfacesServed;
    int found = -1;
    for (int s = 0; s < count; ++s) {
        if (surfaceEndpointOf(s).address != from.address) continue;
        if (found >= 0) return -1;  // two surfaces on that host: only the port tells
        found = s;
    }
    return found;
}

LearnStep learnSurfaceFrom(const uint8_t* bytes, int length, const UdpEndpoint& from)
{
    if (!learning) return LearnStep::Pass;
    const bool probe = isSurfaceProbe(bytes, length);
    const int learned = learnedCount;
    if (!probe) return learned > 0 ? LearnStep::Pass : LearnStep::Drop;
    if (exactSurfaceOf(from) >= 0 && learned > 0) return LearnStep::Pass;
    if (learned >= MAX_SURFACES) {
        if (nameOnce(from)) {
            consolePrint("Ignoring another X-Touch at %s: this bridge serves %d X-Touches already\n",
                         formatEndpoint(from).c_str(), MAX_SURFACES);
        }
        return LearnStep::Drop;
    }
    // Surface 1 waits without an address; later ones are counted once
    // their address is set, so no thread sends to a surface without one.
    const int own = servedSurface();
    serveSurface(learned);
    setSurfaceLink(surfaceLinkSocket(), from);
    serveSurface(own);
    if (learned > 0) surfacesServed = learned + 1;
    learnedCount = learned + 1;
    consolePrint("Found X-Touch at %s (surface %d)\n", formatEndpoint(from).c_str(), learned + 1);
    return LearnStep::Learned;
}

void resetSurfaceLearning()
{
    learning = false;
    learnedCount = 0;
    namedCount = 0;
}
