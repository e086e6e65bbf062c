// One datagram from the console network: the parse step and the reply
// dispatcher, before and after start-up has completed.
//
// Input: a flag byte, an effect-type byte, then the datagram (at most 1024
// bytes, the receive buffer's size). Flag bit 0 sets startupComplete; the
// rest chooses the surface page the refreshes draw. The type byte gives
// every effects slot a type, so effects pages show described parameters.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "app/osc_receive.h"
#include "model/console_model.h"

namespace {
constexpr size_t RECEIVE_CAPACITY = 1024;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size - 2 > RECEIVE_CAPACITY) return -1;
    const uint8_t flags = data[0];
    fuzzsupport::resetToRunningState((flags & 1) != 0);
    surfacePage = fuzzsupport::usedPage(static_cast<uint8_t>(flags >> 1));
    for (int slot = 1; slot <= FX_SLOT_COUNT; ++slot) {
        fxSlots[slot].type = data[1] % (slot <= 4 ? 61 : 34);
    }

    // Exactly the received bytes, so that any read past them is caught; the
    // dispatcher splits the address in place.
    size_t length = size - 2;
    uint8_t* datagram = static_cast<uint8_t*>(std::malloc(length > 0 ? length : 1));
    if (length > 0) std::memcpy(datagram, data + 2, length);
    handleMixerDatagram(datagram, static_cast<int>(length));
    std::free(datagram);

    fuzzsupport::checkSurfaceState();
    fuzzsupport::drainSurfaceQueue();
    fuzzsupport::forgetConsoleOutput();
    return 0;
}
