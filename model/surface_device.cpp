#include "model/surface_device.h"

#include "model/console_model.h"

SurfaceDeviceState surfaceDevice;

int bankSlotOf(int strip)
{
    for (int slot = 8; slot >= 1; --slot) {
        if (bankStrips[slot - 1] == strip) return slot;
    }
    return 0;
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

void resetSurfaceDevice()
{
    SurfaceDeviceState& s = surfaceDevice;
    for (auto& position : s.bankStrips) position = BLANK_STRIP;
    s.surfacePage = 0;
    s.selectedBankSlot = 0;
    for (auto& bank : s.bankTable) {
        for (auto& slot : bank) slot = BLANK_STRIP;
    }
    for (auto& count : s.bankCount) count = 0;
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
