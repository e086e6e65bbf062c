// Dynamics page (page 33) of the selected strip.
#include "control/processing_pages.h"

#include "control/processing_pages_steps.h"
#include "control/strip_controls.h"
#include "model/console_model.h"

namespace {
constexpr double KNEE_STEP = 0.2;
// Knee sums of 0.2 steps land a rounding error away from 0 and 1.
constexpr double KNEE_TOLERANCE = 1e-9;

// keySource: the strip has one (not the matrices and mains).
void stepDynamicsEncoder(StripRecord& r, int encoder, int value, bool keySource)
{
    bool pushed = encoderPushed[encoder - 1] != 0;
    switch (encoder) {
    case 2:
        if (pushed) r.dynRatio = stepByOne(r.dynRatio, value, 0, HIGHEST_RATIO);
        else r.dynThr = stepUnit(r.dynThr, value, 0.008333);
        break;
    case 3:
        if (pushed) r.dynMGain = stepUnit(r.dynMGain, value, 0.02083);
        else r.dynMix = stepUnit(r.dynMix, value, 0.05);
        break;
    case 4: r.dynAttack = stepUnit(r.dynAttack, value, 0.008333); break;
    case 5: r.dynHold = stepUnit(r.dynHold, value, 0.01); break;
    case 6: r.dynRelease = stepUnit(r.dynRelease, value, 0.01); break;
    case 7:
        if (pushed && keySource) r.dynKeySrc = stepByTicks(r.dynKeySrc, value, 0, HIGHEST_KEY_SOURCE);
        else if (pushed) break;
        else r.dynFilterType = stepByOne(r.dynFilterType, value, 0, HIGHEST_FILTER_TYPE);
        break;
    case 8: r.dynFilterF = stepUnit(r.dynFilterF, value, 0.005); break;
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

bool applyDynamicsButton(StripRecord& r, int note)
{
    switch (note) {
    case 1: r.dynOn = toggledFlag(r.dynOn); return true;
    case 2: r.dynMode = toggledFlag(r.dynMode); return true;
    case 3: r.dynKnee = nextKnee(r.dynKnee); return true;
    case 4: r.dynDet = toggledFlag(r.dynDet); return true;
    case 5: r.dynEnv = toggledFlag(r.dynEnv); return true;
    case 6: r.dynFilterOn = toggledFlag(r.dynFilterOn); return true;
    case 7: keySolo = toggledFlag(keySolo); return true;
    default: return false;
    }
}
} // namespace

void sendDynamicsPage(int s)
{
    if (!hasDynamics(s)) return;
    const StripRecord& r = strips[s];
    sendStripInt(s, "/dyn/on", r.dynOn, 0, 1);
    sendStripInt(s, "/dyn/mode", r.dynMode, 0, 1);
    sendStripFloat(s, "/dyn/knee", r.dynKnee);
    sendStripInt(s, "/dyn/det", r.dynDet, 0, 1);
    sendStripInt(s, "/dyn/env", r.dynEnv, 0, 1);
    sendStripInt(s, "/dyn/ratio", r.dynRatio, 0, HIGHEST_RATIO);
    sendStripFloat(s, "/dyn/thr", r.dynThr);
    sendStripFloat(s, "/dyn/mix", r.dynMix);
    sendStripFloat(s, "/dyn/mgain", r.dynMGain);
    sendStripFloat(s, "/dyn/attack", r.dynAttack);
    sendStripFloat(s, "/dyn/hold", r.dynHold);
    sendStripFloat(s, "/dyn/release", r.dynRelease);
    sendStripInt(s, "/dyn/filter/on", r.dynFilterOn, 0, 1);
    sendStripFloat(s, "/dyn/filter/f", r.dynFilterF);
    sendStripInt(s, "/dyn/filter/type", r.dynFilterType, 0, HIGHEST_FILTER_TYPE);
    // Matrices and mains have no key source; the key solo is the console's
    // one switch, whichever strip the page shows.
    if (hasDynamicsKeySource(s)) sendStripInt(s, "/dyn/keysrc", r.dynKeySrc, 0, HIGHEST_KEY_SOURCE);
    sendIntTo("/-stat/keysolo", keySolo, 0, 1);
}

void dynamicsEncoder(int controller, int value)
{
    int encoder = controller - 15;
    if (encoder == 1) {
        selectAdjacentStrip(isClockwise(value) ? 1 : -1);
        sendDynamicsPage(selectedStrip);
    } else if (encoder >= 2 && encoder <= 8 && hasDynamics(selectedStrip)) {
        // A strip without dynamics shows none: its encoders edit and send nothing.
        stepDynamicsEncoder(strips[selectedStrip], encoder, value, hasDynamicsKeySource(selectedStrip));
        sendDynamicsPage(selectedStrip);
    }
}

SurfaceChange dynamicsTopButton(int note)
{
    int s = selectedStrip;
    if (!hasDynamics(s) || !applyDynamicsButton(strips[s], note)) return NOTHING_CHANGED;
    sendDynamicsPage(s);
    return SURFACE_CHANGED;
}
