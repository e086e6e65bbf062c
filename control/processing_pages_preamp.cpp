// Pre-amp and routing page (page 28) of the selected strip. Every control
// writes the one field it changes.
#include "control/processing_pages.h"

#include "control/processing_pages_steps.h"
#include "control/strip_controls.h"
#include "display/formatters.h"
#include "mixer/mixer_send.h"
#include "model/console_model.h"
#include "platform/console_output.h"

namespace {
constexpr double GAIN_STEP = 0.006944;
constexpr double LOW_CUT_STEP = 0.01;
constexpr double DELAY_STEP = 0.003602;

bool editHeadampGain(int h, double next)
{
    char address[OSC_BUFFER_SIZE];
    formatText(address, sizeof address, "/headamp/%03d/gain", h);
    return editFloatAt(address, headamps[h].gain, next);
}

bool toggleHeadampPhantom(int h)
{
    char address[OSC_BUFFER_SIZE];
    formatText(address, sizeof address, "/headamp/%03d/phantom", h);
    return editIntAt(address, headamps[h].phantom, toggledFlag(headamps[h].phantom), 0, 1);
}

// The console links odd-even pairs with one switch, "/config/chlink/5-6",
// numbered within the family: one write, and the model's flag of both
// strips of the pair follows it.
bool toggleLink(int strip)
{
    const StripFamily* family = stripFamilyOf(strip);
    if (!family || !family->linkWord) return false;
    int pairStart = ((strip - family->firstStrip) & ~1) + 1;
    char address[OSC_BUFFER_SIZE];
    formatText(address, sizeof address, "/config/%s/%d-%d", family->linkWord, pairStart, pairStart + 1);
    if (!editIntAt(address, strips[strip].link, toggledFlag(strips[strip].link), 0, 1)) return false;
    strips[strip ^ 1].link = strips[strip].link.load();  // the partner: s + 1 for even s, s - 1 for odd
    return true;
}

bool toggleStripFlag(int s, const char* suffix, Relaxed<int>& flag)
{
    return editStripInt(s, suffix, flag, toggledFlag(flag), 0, 1);
}

// Applies a top-row press; false when the button or the strip does not
// take it, or nothing changed.
bool applyPreampButton(int s, int note)
{
    StripRecord& r = strips[s];
    switch (note) {
    case 2: {
        int h = preampHeadamp(s);
        return h >= 0 && toggleHeadampPhantom(h);
    }
    case 3: return hasPolarity(s) && toggleStripFlag(s, "/preamp/invert", r.invert);
    case 4: return hasLink(s) && toggleLink(s);
    case 5: return hasLowCutAndDelay(s) && toggleStripFlag(s, "/preamp/hpon", r.hpOn);
    case 6: return hasLowCutAndDelay(s) && toggleStripFlag(s, "/delay/on", r.delayOn);
    case 7: return hasInsert(s) && toggleStripFlag(s, "/insert/on", r.insertOn);
    default: return false;
    }
}

// Encoder 2: the source while pushed, else the head amp's gain, or the
// trim of a strip without a head amp. Only channels and aux inputs show one.
void editSourceOrGain(int s, int value)
{
    StripRecord& r = strips[s];
    if (encoderPushed[1] != 0) {
        // Another source may come through another head amp: the console says which.
        if (editStripInt(s, "/config/source", r.source, stepByOne(r.source, value, 0, HIGHEST_SOURCE), 0, HIGHEST_SOURCE))
            askHeadampIndex(s);
        return;
    }
    int h = preampHeadamp(s);
    if (h >= 0) editHeadampGain(h, stepUnit(headamps[h].gain, value, GAIN_STEP));
    else editStripFloat(s, "/preamp/trim", r.trim, stepUnit(r.trim, value, GAIN_STEP));
}
} // namespace

void preampEncoder(int controller, int value)
{
    int encoder = controller - 15;
    if (encoder == 1) {
        selectAdjacentStrip(isClockwise(value) ? 1 : -1);
        return;
    }
    int s = selectedStrip;
    if (!isValidStrip(s)) return;
    StripRecord& r = strips[s];
    // Encoders with nothing to show there edit and write nothing.
    if (encoder == 2 && canHaveHeadamp(s)) editSourceOrGain(s, value);
    else if (encoder == 6 && hasLowCutAndDelay(s)) editStripFloat(s, "/preamp/hpf", r.hpf, stepUnit(r.hpf, value, LOW_CUT_STEP));
    else if (encoder == 7 && hasLowCutAndDelay(s))
        editStripFloat(s, "/delay/time", r.delayTime, stepUnit(r.delayTime, value, DELAY_STEP));
    else if (encoder == 8 && hasInsert(s))
        editStripInt(s, "/insert/sel", r.insertSel, stepByOne(r.insertSel, value, 0, HIGHEST_INSERT_SLOT), 0, HIGHEST_INSERT_SLOT);
}

SurfaceChange preampTopButton(int note)
{
    int s = selectedStrip;
    if (!isValidStrip(s) || !applyPreampButton(s, note)) return NOTHING_CHANGED;
    return SURFACE_CHANGED;
}

SurfaceChange preampInsertPosPush()
{
    int s = selectedStrip;
    if (!hasInsert(s) || !toggleStripFlag(s, "/insert/pos", strips[s].insertPos)) return NOTHING_CHANGED;
    return SURFACE_CHANGED;
}
