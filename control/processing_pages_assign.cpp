// Assignment page (page 31): pan, mono, stereo, automix, DCA and mute-group
// membership of the selected strip; and the global automix enables.
#include "control/page_controls.h"
#include "control/processing_pages.h"

#include "control/processing_pages_steps.h"
#include "control/strip_controls.h"
#include "mixer/mixer_send.h"
#include "model/console_model.h"
#include "platform/console_output.h"

namespace {
constexpr double PAN_STEP = 0.01;
constexpr double MONO_LEVEL_STEP = 0.00635;
constexpr double AUTOMIX_WEIGHT_STEP = 0.02083;

int groupMask(const Relaxed<int>* flags, int count)
{
    int mask = 0;
    for (int k = 0; k < count; ++k) {
        if (flags[k] != 0) mask |= 1 << k;
    }
    return mask;
}

bool applyAssignButton(int s, int note)
{
    if ((note == 1 || note == 2) && !hasMonoSend(s)) return false;
    if ((note == 6 || note == 7) && !hasGroups(s)) return false;
    StripRecord& r = strips[s];
    switch (note) {
    case 1:
        r.stereo = toggledFlag(r.stereo);
        return true;
    case 2:
        r.mono = toggledFlag(r.mono);
        return true;
    case 4:
        // Automix off, X, Y in turn; only input channels 1-8 have automix.
        if (!hasAutomix(s)) return false;
        r.automixGroup = r.automixGroup >= 0 && r.automixGroup < 2 ? r.automixGroup + 1 : 0;
        return true;
    case 6: {
        auto& flag = r.dcaGroups[clampInt(chosenDcaGroup, 0, 7)];
        flag = toggledFlag(flag);
        return true;
    }
    case 7: {
        auto& flag = r.muteGroups[clampInt(chosenMuteGroup, 0, 5)];
        flag = toggledFlag(flag);
        return true;
    }
    default:
        return false;
    }
}
} // namespace

void sendAssignPage()
{
    int s = selectedStrip;
    if (!hasGroups(s)) return;
    const StripRecord& r = strips[s];
    sendStripInt(s, "/grp/dca", groupMask(r.dcaGroups, 8), 0, 255);
    sendStripInt(s, "/grp/mute", groupMask(r.muteGroups, 6), 0, 63);
    // Matrices and mains have group membership but no mono send.
    if (!hasMonoSend(s)) return;
    if (hasAutomix(s)) {
        char address[OSC_BUFFER_SIZE];
        formatText(address, sizeof address, "/ch/%02d/automix/weight", stripNumberOf(s));
        sendFloatTo(address, r.automixWeight);
        formatText(address, sizeof address, "/ch/%02d/automix/group", stripNumberOf(s));
        sendIntTo(address, r.automixGroup, 0, 2);
    }
    sendStripFloat(s, "/mix/mlevel", r.monoLevel);
    sendStripInt(s, "/mix/mono", r.mono, 0, 1);
    sendStripInt(s, "/mix/st", r.stereo, 0, 1);
}

void assignEncoder(int controller, int value)
{
    int encoder = controller - 15;
    int s = selectedStrip;
    switch (encoder) {
    case 1:
        selectAdjacentStrip(isClockwise(value) ? 1 : -1);
        break;
    case 2:
        // Matrices and the mono main have no pan.
        if (!hasPan(s)) return;
        strips[s].pan = stepUnit(strips[s].pan, value, PAN_STEP);
        sendStripPan(s);
        break;
    // The mono level of a matrix, main or DCA and the automix weight beyond
    // channel 8 are not the console's: nothing shown, edited or sent.
    case 3:
        if (!hasMonoSend(s)) return;
        strips[s].monoLevel = stepUnit(strips[s].monoLevel, value, MONO_LEVEL_STEP);
        sendAssignPage();
        break;
    case 5:
        if (!hasAutomix(s)) return;
        strips[s].automixWeight = stepUnit(strips[s].automixWeight, value, AUTOMIX_WEIGHT_STEP);
        sendAssignPage();
        break;
    case 7:
        chosenDcaGroup = stepByTicks(clampInt(chosenDcaGroup, 0, 7), value, 0, 7);
        break;
    case 8:
        chosenMuteGroup = stepByTicks(clampInt(chosenMuteGroup, 0, 5), value, 0, 5);
        break;
    default:
        break;
    }
}

SurfaceChange assignTopButton(int note)
{
    int s = selectedStrip;
    if (!isValidStrip(s) || !applyAssignButton(s, note)) return NOTHING_CHANGED;
    sendAssignPage();
    return SURFACE_CHANGED;
}

SurfaceChange assignPanCentrePush()
{
    int s = selectedStrip;
    if (!hasPan(s)) return NOTHING_CHANGED;
    strips[s].pan = 0.5;
    sendStripPan(s);
    return SURFACE_CHANGED;
}

void sendAutomixEnable()
{
    sendIntTo("/config/amixenable/X", automixEnableX, 0, 1);
    sendIntTo("/config/amixenable/Y", automixEnableY, 0, 1);
}

SurfaceChange toggleAutomixEnable(int which)
{
    if (which == 0) automixEnableX = toggledFlag(automixEnableX);
    else if (which == 1) automixEnableY = toggledFlag(automixEnableY);
    else return NOTHING_CHANGED;
    sendAutomixEnable();
    return SURFACE_CHANGED;
}
