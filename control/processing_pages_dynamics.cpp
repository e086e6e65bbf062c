// Dynamics page (page 33) of the selected strip. Every control writes the
// one field it changes.
#include "control/processing_pages.h"

#include "control/processing_pages_steps.h"
#include "control/strip_controls.h"
#include "model/console_model.h"

namespace {
constexpr double KNEE_STEP = 0.2;
// Knee sums of 0.2 steps land a rounding error away from 0 and 1.
constexpr double KNEE_TOLERANCE = 1e-9;

// keySource: the strip has one (not the matrices and mains).
void editDynamicsEncoder(int s, int encoder, int value, bool keySource)
{
    StripRecord& r = strips[s];
    bool pushed = encoderPushed[encoder - 1] != 0;
    auto unit = [&](const char* suffix, Relaxed<double>& field, double step) {
        editStripFloat(s, suffix, field, stepUnit(field, value, step));
    };
    switch (encoder) {
    case 2:
        if (pushed) editStripInt(s, "/dyn/ratio", r.dynRatio, stepByOne(r.dynRatio, value, 0, HIGHEST_RATIO), 0, HIGHEST_RATIO);
        else unit("/dyn/thr", r.dynThr, 0.008333);
        break;
    case 3:
        if (pushed) unit("/dyn/mgain", r.dynMGain, 0.02083);
        else unit("/dyn/mix", r.dynMix, 0.05);
        break;
    case 4: unit("/dyn/attack", r.dynAttack, 0.008333); break;
    case 5: unit("/dyn/hold", r.dynHold, 0.01); break;
    case 6: unit("/dyn/release", r.dynRelease, 0.01); break;
    case 7:
        if (pushed && keySource)
            editStripInt(s, "/dyn/keysrc", r.dynKeySrc, stepByTicks(r.dynKeySrc, value, 0, HIGHEST_KEY_SOURCE), 0,
                         HIGHEST_KEY_SOURCE);
        else if (!pushed)
            editStripInt(s, "/dyn/filter/type", r.dynFilterType, stepByOne(r.dynFilterType, value, 0, HIGHEST_FILTER_TYPE),
                         0, HIGHEST_FILTER_TYPE);
        break;
    case 8: unit("/dyn/filter/f", r.dynFilterF, 0.005); break;
    default: break;
    }
}

// Knee in fifths with wrap-around: down while encoder 4 is held, else up.
double nextKnee(double knee)
{
    if (encoderPushed[3] != 0) {
        knee -= KNEE_STEP;
        if (knee < -KNEE_TOLERANCE) return 1.0;
    } else {
        knee += KNEE_STEP;
        if (knee > 1.0 + KNEE_TOLERANCE) return 0.0;
    }
    return clampUnit(knee);
}

bool toggle(int s, const char* suffix, Relaxed<int>& flag) { return editStripInt(s, suffix, flag, toggledFlag(flag), 0, 1); }

// False when the button does nothing here or nothing changed.
bool applyDynamicsButton(int s, int note)
{
    StripRecord& r = strips[s];
    switch (note) {
    case 1: return toggle(s, "/dyn/on", r.dynOn);
    case 2: return toggle(s, "/dyn/mode", r.dynMode);
    case 3: return editStripFloat(s, "/dyn/knee", r.dynKnee, nextKnee(r.dynKnee));
    case 4: return toggle(s, "/dyn/det", r.dynDet);
    case 5: return toggle(s, "/dyn/env", r.dynEnv);
    case 6: return toggle(s, "/dyn/filter/on", r.dynFilterOn);
    // The console's one key solo switch, whichever strip the page shows.
    case 7: return editIntAt("/-stat/keysolo", keySolo, toggledFlag(keySolo), 0, 1);
    default: return false;
    }
}
} // namespace

void dynamicsEncoder(int controller, int value)
{
    int encoder = controller - 15;
    if (encoder == 1) selectAdjacentStrip(isClockwise(value) ? 1 : -1);
    // A strip without dynamics shows none: its encoders edit and write nothing.
    else if (encoder >= 2 && encoder <= 8 && hasDynamics(selectedStrip))
        editDynamicsEncoder(selectedStrip, encoder, value, hasDynamicsKeySource(selectedStrip));
}

SurfaceChange dynamicsTopButton(int note)
{
    int s = selectedStrip;
    if (!hasDynamics(s) || !applyDynamicsButton(s, note)) return NOTHING_CHANGED;
    return SURFACE_CHANGED;
}
