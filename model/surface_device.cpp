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
    for (auto& pushed : s.encoderPushed) pushed = 0;
    for (auto& held : s.selectHeld) held = 0;
    s.eqEncoderLayer = 0;
    s.chosenDcaGroup = 0;
    s.chosenMuteGroup = 0;
    s.lastShownPage = -1;
}
