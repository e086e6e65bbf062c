// Gate page (page 32) of the selected strip; only input channels have a
// gate. Every control writes the one field it changes.
#include "control/processing_pages.h"

#include "control/processing_pages_steps.h"
#include "control/strip_controls.h"
#include "model/console_model.h"

namespace {
constexpr int HIGHEST_GATE_MODE = 4;

void editGateEncoder(int s, int encoder, int value)
{
    StripRecord& r = strips[s];
    auto unit = [&](const char* suffix, Relaxed<double>& field, double step) {
        editStripFloat(s, suffix, field, stepUnit(field, value, step));
    };
    switch (encoder) {
    case 2: unit("/gate/thr", r.gateThr, 0.00625); break;
    case 3: unit("/gate/range", r.gateRange, 0.017543); break;
    case 4: unit("/gate/attack", r.gateAttack, 0.008333); break;
    case 5: unit("/gate/hold", r.gateHold, 0.01); break;
    case 6: unit("/gate/release", r.gateRelease, 0.01); break;
    case 7:
        if (encoderPushed[6] != 0)
            editStripInt(s, "/gate/keysrc", r.gateKeySrc, stepByTicks(r.gateKeySrc, value, 0, HIGHEST_KEY_SOURCE), 0,
                         HIGHEST_KEY_SOURCE);
        else
            editStripInt(s, "/gate/filter/type", r.gateFilterType,
                         stepByOne(r.gateFilterType, value, 0, HIGHEST_FILTER_TYPE), 0, HIGHEST_FILTER_TYPE);
        break;
    case 8: unit("/gate/filter/f", r.gateFilterF, 0.005); break;
    default: break;
    }
}
} // namespace

void gateEncoder(int controller, int value)
{
    int encoder = controller - 15;
    if (encoder == 1) selectAdjacentStrip(isClockwise(value) ? 1 : -1);
    // A strip without a gate shows none: its encoders edit and write nothing.
    else if (encoder >= 2 && encoder <= 8 && hasGate(selectedStrip)) editGateEncoder(selectedStrip, encoder, value);
}

SurfaceChange gateTopButton(int note)
{
    int s = selectedStrip;
    if (!hasGate(s)) return NOTHING_CHANGED;
    StripRecord& r = strips[s];
    switch (note) {
    case 1: return editStripInt(s, "/gate/on", r.gateOn, toggledFlag(r.gateOn), 0, 1) ? SURFACE_CHANGED : NOTHING_CHANGED;
    case 2: {
        int next = r.gateMode >= 0 && r.gateMode < HIGHEST_GATE_MODE ? r.gateMode + 1 : 0;
        editStripInt(s, "/gate/mode", r.gateMode, next, 0, HIGHEST_GATE_MODE);
        return NOTHING_CHANGED;  // the mode button shows nothing anew
    }
    case 6:
        return editStripInt(s, "/gate/filter/on", r.gateFilterOn, toggledFlag(r.gateFilterOn), 0, 1) ? SURFACE_CHANGED
                                                                                                      : NOTHING_CHANGED;
    case 7: return editIntAt("/-stat/keysolo", keySolo, toggledFlag(keySolo), 0, 1) ? SURFACE_CHANGED : NOTHING_CHANGED;
    default: return NOTHING_CHANGED;
    }
}
