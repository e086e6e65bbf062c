#include "model/surface_device.h"

#include "model/console_model.h"

SurfaceDeviceState surfaceDevices[MAX_SURFACES];
BankLayout bankLayout;
Relaxed<int> surfacesServed{1};

namespace {
thread_local int servedIndex = 0;
} // namespace

int servedSurface() { return servedIndex; }

void serveSurface(int surface)
{
    if (surface >= 0 && surface < MAX_SURFACES) servedIndex = surface;
}

SurfaceDeviceState& servedSurfaceDevice() { return surfaceDevices[servedIndex]; }

int bankSlotOf(int strip)
{
    for (int slot = 8; slot >= 1; --slot) {
        if (bankStrips[slot - 1] == strip) return slot;
    }
    return 0;
}

bool stripHeldOnAnotherSurface(int strip)
{
    const int count = surfacesServed;
    for (int other = 0; other < count; ++other) {
        if (other == servedIndex) continue;
        const SurfaceDeviceState& d = surfaceDevices[other];
        for (int i = 0; i < 8; ++i) {
            if (d.faderTouched[i] != 0 && d.faderHeldStrip[i] == strip) return true;
        }
        if (d.faderTouched[8] != 0 && strip == MAIN_STEREO) return true;
    }
    return false;
}

namespace {
constexpr int FIRST_SPILL_BANK = 8;

// A user bank that would show at least one strip.
bool hasStrips(int bank)
{
    int used = bankCount[bank];
    if (used > BANK_SLOTS) used = BANK_SLOTS;
    for (int i = 0; i < used; ++i) {
        int s = bankTable[bank][i];
        if (isValidStrip(s)) return true;
    }
    return false;
}
} // namespace

int nextBankWithStrips(int bank, int step)
{
    for (int b = bank + step; b >= 0 && b < FIRST_SPILL_BANK; b += step) {
        if (hasStrips(b)) return b;
    }
    return step > 0 ? FIRST_SPILL_BANK : -1;
}

namespace {
void resetRecord(SurfaceDeviceState& s)
{
    for (auto& position : s.bankStrips) position = BLANK_STRIP;
    s.surfacePage = 0;
    s.selectedBankSlot = 0;
    s.currentBank = 0;
    s.currentDcaGroup = -1;
    s.bankScroll = 0;
    for (auto& skip : s.bankSkip) skip = 0;
    s.surfaceRefreshEnabled = 0;
    for (auto& touched : s.faderTouched) touched = 0;
    for (auto& strip : s.faderHeldStrip) strip = -1;
    for (auto& page : s.faderHeldPage) page = -1;
    for (auto& pushed : s.encoderPushed) pushed = 0;
    for (auto& held : s.selectHeld) held = 0;
    s.eqEncoderLayer = 0;
    s.chosenDcaGroup = 0;
    s.chosenMuteGroup = 0;
    s.lastShownPage = -1;
}
} // namespace

void resetSurfaceDevice()
{
    for (SurfaceDeviceState& s : surfaceDevices) resetRecord(s);
    for (auto& bank : bankLayout.bankTable) {
        for (auto& slot : bank) slot = BLANK_STRIP;
    }
    for (auto& count : bankLayout.bankCount) count = 0;
    surfacesServed = 1;
    servedIndex = 0;
}
