// Datagrams from the surface network, in any surface state: every page,
// any strips on the surface, any selection, locked or not.
//
// Input: a 13-byte header that sets the state, then datagrams, each one a
// length byte (0..7) and that many bytes.
//   0      surface page (index into the used pages)
//   1      selected strip (0..79)
//   2      bits 0-2 all set: console locked; bit 3: strips belong to DCA
//          groups (so the spill banks are not empty); bit 4: keep the bank
//          layout instead of bytes 5..12; bit 5: an editor runs (a scripted
//          desktop with the editor's and the effects windows, never a real
//          one)
//   3      bank (low nibble) and scroll step (high nibble, 0..9) laid out
//   4      effect type of every effects slot
//   5..12  strip index (0..80) shown on surface strips 1..8
#include <cstdint>

#include <cstdio>

#include "control/strip_controls.h"
#include "editor/editor_window.h"
#include "fuzz_support.h"
#include "model/console_model.h"
#include "platform/desktop_recording.h"
#include "app/surface_receive.h"

namespace {
constexpr size_t HEADER_SIZE = 13;
constexpr int MAX_DATAGRAMS = 32;

void startScriptedEditor()
{
    installRecordingDesktop();
    addFakeMonitor(DesktopRect{0, 0, 1920, 1080});
    addFakeWindow("X32 EDIT 4.3", DesktopRect{0, 0, 1188, 751});
    char title[8];
    for (int slot = 1; slot <= FX_SLOT_COUNT; ++slot) {
        std::snprintf(title, sizeof title, "FX %d", slot);
        addFakeWindow(title, DesktopRect{200, 100, 1100, 700});
    }
    searchEditorWindow();
    FUZZ_CHECK(editorFound == 1);
}

void setUpSurface(const uint8_t* header)
{
    const uint8_t flags = header[2];
    if (flags & 0x20) startScriptedEditor();
    if (flags & 0x08) {
        for (int s = 0; s <= 71; ++s) strips[s].dcaGroups[s % 8] = 1;
    }
    for (int slot = 1; slot <= FX_SLOT_COUNT; ++slot) {
        fxSlots[slot].type = header[4] % (slot <= 4 ? 61 : 34);
    }
    buildBankStrips(header[3] & 0x0F, (header[3] >> 4) % 10);
    if (!(flags & 0x10)) {
        for (int i = 0; i < 8; ++i) bankStrips[i] = header[5 + i] % (BLANK_STRIP + 1);
    }
    surfacePage = fuzzsupport::usedPage(header[0]);
    selectedStrip = header[1] % STRIP_COUNT;
    selectedBankSlot = bankSlotOf(selectedStrip);
    consoleLock = (flags & 0x07) == 0x07 ? 1 : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < HEADER_SIZE) return -1;
    fuzzsupport::resetToRunningState(true);
    setUpSurface(data);
    fuzzsupport::drainSurfaceQueue();
    fuzzsupport::checkSurfaceState();

    size_t at = HEADER_SIZE;
    for (int n = 0; n < MAX_DATAGRAMS && at < size; ++n) {
        size_t length = data[at++] % 8;
        if (length > size - at) length = size - at;
        // A copy of exactly the datagram, so a read past it is caught.
        uint8_t* datagram = new uint8_t[length > 0 ? length : 1];
        for (size_t i = 0; i < length; ++i) datagram[i] = data[at + i];
        handleSurfaceDatagram(datagram, static_cast<int>(length));
        delete[] datagram;
        at += length;

        fuzzsupport::checkSurfaceState();
        fuzzsupport::drainSurfaceQueue();
        fuzzsupport::forgetConsoleOutput();
    }
    return 0;
}
