// Gate page (page 32) of the selected strip; only input channels have a gate.
#include "control/processing_pages.h"

#include "control/processing_pages_steps.h"
#include "control/strip_controls.h"
#include "model/console_model.h"

namespace {
constexpr int HIGHEST_GATE_MODE = 4;

void stepGateEncoder(StripRecord& r, int encoder, int value)
{
    switch (encoder) {
    case 2: r.gateThr = stepUnit(r.gateThr, value, 0.00625); break;
    case 3: r.gateRange = stepUnit(r.gateRange, value, 0.017543); break;
    case 4: r.gateAttack = stepUnit(r.gateAttack, value, 0.008333); break;
    case 5: r.gateHold = stepUnit(r.gateHold, value, 0.01); break;
    case 6: r.gateRelease = stepUnit(r.gateRelease, value, 0.01); break;
    case 7:
        if (encoderPushed[6] != 0)
            r.gateKeySrc = stepByTicks(r.gateKeySrc, value, 0, HIGHEST_KEY_SOURCE);
        else
            r.gateFilterType = stepByOne(r.gateFilterType, value, 0, HIGHEST_FILTER_TYPE);
        break;
    case 8: r.gateFilterF = stepUnit(r.gateFilterF, value, 0.005); break;
    default: break;
    }
}
} // namespace

void sendGatePage()
{
    int s = selectedStrip;
    if (!hasGate(s)) return;
    const StripRecord& r = strips[s];
    sendStripInt(s, "/gate/on", r.gateOn, 0, 1);
    sendStripFloat(s, "/gate/thr", r.gateThr);
    sendStripFloat(s, "/gate/range", r.gateRange);
    sendStripFloat(s, "/gate/attack", r.gateAttack);
    sendStripFloat(s, "/gate/hold", r.gateHold);
    sendStripFloat(s, "/gate/release", r.gateRelease);
    sendStripInt(s, "/gate/keysrc", r.gateKeySrc, 0, HIGHEST_KEY_SOURCE);
    sendStripInt(s, "/gate/mode", r.gateMode, 0, HIGHEST_GATE_MODE);
    sendStripInt(s, "/gate/filter/on", r.gateFilterOn, 0, 1);
    sendStripFloat(s, "/gate/filter/f", r.gateFilterF);
    sendStripInt(s, "/gate/filter/type", r.gateFilterType, 0, HIGHEST_FILTER_TYPE);
    sendIntTo("/-stat/keysolo", keySolo, 0, 1);
}

void gateEncoder(int controller, int value)
{
    int encoder = controller - 15;
    if (encoder == 1) {
        selectAdjacentStrip(isClockwise(value) ? 1 : -1);
        sendGatePage();
    } else if (encoder >= 2 && encoder <= 8 && hasGate(selectedStrip)) {
        // A strip without a gate shows none: its encoders edit and send nothing.
        stepGateEncoder(strips[selectedStrip], encoder, value);
        sendGatePage();
    }
}

SurfaceChange gateTopButton(int note)
{
    int s = selectedStrip;
    if (!hasGate(s)) return NOTHING_CHANGED;
    StripRecord& r = strips[s];
    switch (note) {
    case 1: r.gateOn = toggledFlag(r.gateOn); break;
    case 2:
        r.gateMode = r.gateMode >= 0 && r.gateMode < HIGHEST_GATE_MODE ? r.gateMode + 1 : 0;
        sendGatePage();
        return NOTHING_CHANGED;  // the mode button shows nothing anew
    case 6: r.gateFilterOn = toggledFlag(r.gateFilterOn); break;
    case 7: keySolo = toggledFlag(keySolo); break;
    default: return NOTHING_CHANGED;
    }
    sendGatePage();
    return SURFACE_CHANGED;
}
