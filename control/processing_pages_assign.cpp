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

// The console keeps DCA and mute-group membership as one mask per strip
// ("/grp/dca", "/grp/mute"): toggling one group writes that one field, and
// the other groups' bits in it come from the model.
bool toggleGroup(int s, const char* suffix, Relaxed<int>* flags, int count, int group)
{
    int mask = 0;
    for (int k = 0; k < count; ++k) {
        bool member = k == group ? flags[k] == 0 : flags[k] != 0;
        if (member) mask |= 1 << k;
    }
    char address[OSC_BUFFER_SIZE];
    if (formatStripPath(address, sizeof address, s, suffix) < 0) return false;
    flags[group] = toggledFlag(flags[group]);
    sendIntTo(address, mask, 0, (1 << count) - 1);
    return true;
}

bool automixAddress(int s, const char* field, char (&address)[OSC_BUFFER_SIZE])
{
    return formatText(address, sizeof address, "/ch/%02d/automix/%s", stripNumberOf(s), field) > 0;
}

// False when the button does nothing for the strip or nothing changed.
bool applyAssignButton(int s, int note)
{
    if ((note == 1 || note == 2) && !hasMonoSend(s)) return false;
    if ((note == 6 || note == 7) && !hasGroups(s)) return false;
    StripRecord& r = strips[s];
    char address[OSC_BUFFER_SIZE];
    switch (note) {
    case 1: return editStripInt(s, "/mix/st", r.stereo, toggledFlag(r.stereo), 0, 1);
    case 2: return editStripInt(s, "/mix/mono", r.mono, toggledFlag(r.mono), 0, 1);
    case 4:
        // Automix off, X, Y in turn; only input channels 1-8 have automix.
        if (!hasAutomix(s) || !automixAddress(s, "group", address)) return false;
        return editIntAt(address, r.automixGroup, r.automixGroup >= 0 && r.automixGroup < 2 ? r.automixGroup + 1 : 0, 0, 2);
    case 6: return toggleGroup(s, "/grp/dca", r.dcaGroups, 8, clampInt(chosenDcaGroup, 0, 7));
    case 7: return toggleGroup(s, "/grp/mute", r.muteGroups, 6, clampInt(chosenMuteGroup, 0, 5));
    default: return false;
    }
}
} // namespace

void assignEncoder(int controller, int value)
{
    int encoder = controller - 15;
    int s = selectedStrip;
    char address[OSC_BUFFER_SIZE];
    switch (encoder) {
    case 1:
        selectAdjacentStrip(isClockwise(value) ? 1 : -1);
        break;
    case 2:
        // Matrices and the mono main have no pan.
        if (!hasPan(s)) return;
        editStripFloat(s, "/mix/pan", strips[s].pan, stepUnit(strips[s].pan, value, PAN_STEP));
        break;
    // The mono level of a matrix, main or DCA and the automix weight beyond
    // channel 8 are not the console's: nothing shown, edited or sent.
    case 3:
        if (!hasMonoSend(s)) return;
        editStripFloat(s, "/mix/mlevel", strips[s].monoLevel, stepUnit(strips[s].monoLevel, value, MONO_LEVEL_STEP));
        break;
    case 5:
        if (!hasAutomix(s) || !automixAddress(s, "weight", address)) return;
        editFloatAt(address, strips[s].automixWeight, stepUnit(strips[s].automixWeight, value, AUTOMIX_WEIGHT_STEP));
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
    return SURFACE_CHANGED;
}

SurfaceChange assignPanCentrePush()
{
    int s = selectedStrip;
    if (!hasPan(s) || !editStripFloat(s, "/mix/pan", strips[s].pan, 0.5)) return NOTHING_CHANGED;
    return SURFACE_CHANGED;
}

SurfaceChange toggleAutomixEnable(int which)
{
    if (which != 0 && which != 1) return NOTHING_CHANGED;
    Relaxed<int>& enable = which == 0 ? automixEnableX : automixEnableY;
    editIntAt(which == 0 ? "/config/amixenable/X" : "/config/amixenable/Y", enable, toggledFlag(enable), 0, 1);
    return SURFACE_CHANGED;
}
