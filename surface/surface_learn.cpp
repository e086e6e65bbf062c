#include "surface/surface_learn.h"

#include <atomic>
#include <cstring>

#include "platform/console_output.h"
#include "surface/output_queue.h"

namespace {

constexpr int NAMED_MAX = 16;

std::atomic<bool> learning{false};
std::atomic<bool> learned{false};
// Other surfaces already named, so that one probing every 2 s is named once.
uint32_t namedOthers[NAMED_MAX];
int namedCount = 0;

bool nameOnce(uint32_t address)
{
    for (int i = 0; i < namedCount; ++i) {
        if (namedOthers[i] == address) return false;
    }
    // Past the list, stay quiet rather than name the same ones again.
    if (namedCount >= NAMED_MAX) return false;
    namedOthers[namedCount++] = address;
    return true;
}

} // namespace

void startSurfaceLearning()
{
    learning = true;
    learned = false;
}

bool surfaceAwaitingProbe() { return learning && !learned; }

bool isSurfaceProbe(const uint8_t* bytes, int length)
{
    static const uint8_t probe[8] = {0xF0, 0x00, 0x20, 0x32, 0x58, 0x54, 0x00, 0xF7};
    return bytes && length == static_cast<int>(sizeof probe) && std::memcmp(bytes, probe, sizeof probe) == 0;
}

LearnStep learnSurfaceFrom(const uint8_t* bytes, int length, const UdpEndpoint& from)
{
    if (!learning) return LearnStep::Pass;
    const bool probe = isSurfaceProbe(bytes, length);
    if (learned) {
        const UdpEndpoint surface = surfaceLinkEndpoint();
        if (!probe || from.address == surface.address) return LearnStep::Pass;
        if (nameOnce(from.address)) {
            consolePrint("Ignoring another X-Touch at %s: this bridge serves the one at %s\n",
                         formatEndpoint(from).c_str(), formatEndpoint(surface).c_str());
        }
        return LearnStep::Drop;
    }
    if (!probe) return LearnStep::Drop;
    setSurfaceLink(surfaceLinkSocket(), from);
    learned = true;
    consolePrint("Found X-Touch at %s\n", formatEndpoint(from).c_str());
    return LearnStep::Learned;
}

void resetSurfaceLearning()
{
    learning = false;
    learned = false;
    namedCount = 0;
}
