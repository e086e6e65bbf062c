// Pre-amp and routing page (page 28) of the selected strip.
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

void sendHeadamp(int h)
{
    char address[OSC_BUFFER_SIZE];
    formatText(address, sizeof address, "/headamp/%03d/gain", h);
    sendFloatTo(address, headamps[h].gain);
    formatText(address, sizeof address, "/headamp/%03d/phantom", h);
    sendIntTo(address, headamps[h].phantom, 0, 1);
}

void sendInsert(int strip)
{
    const StripRecord& r = strips[strip];
    sendStripInt(strip, "/insert/on", r.insertOn, 0, 1);
    sendStripInt(strip, "/insert/pos", r.insertPos, 0, 1);
    sendStripInt(strip, "/insert/sel", r.insertSel, 0, HIGHEST_INSERT_SLOT);
}

// "/config/chlink/5-6": the odd-even pair holding the strip, numbered within
// its family. Nothing for a strip the console does not link.
void sendLink(int strip)
{
    const StripFamily* family = stripFamilyOf(strip);
    if (!family || !family->linkWord) return;
    int pairStart = ((strip - family->firstStrip) & ~1) + 1;
    char address[OSC_BUFFER_SIZE];
    formatText(address, sizeof address, "/config/%s/%d-%d", family->linkWord, pairStart, pairStart + 1);
    sendIntTo(address, strips[strip].link, 0, 1);
}

void sendChannelPreamp(int s)
{
    const StripRecord& r = strips[s];
    int h = preampHeadamp(s);
    if (h >= 0) sendHeadamp(h);
    sendStripInt(s, "/config/source", r.source, 0, HIGHEST_SOURCE);
    sendStripInt(s, "/delay/on", r.delayOn, 0, 1);
    sendStripFloat(s, "/delay/time", r.delayTime);
    sendStripInt(s, "/preamp/hpon", r.hpOn, 0, 1);
    sendStripFloat(s, "/preamp/trim", r.trim);
    sendStripFloat(s, "/preamp/hpf", r.hpf);
    sendStripInt(s, "/preamp/invert", r.invert, 0, 1);
    sendInsert(s);
    sendLink(s);
}

void sendAuxPreamp(int s)
{
    const StripRecord& r = strips[s];
    int h = preampHeadamp(s);
    // Its phantom too: button 2 switches it for an aux input as for a channel.
    if (h >= 0) sendHeadamp(h);
    sendStripInt(s, "/config/source", r.source, 0, HIGHEST_SOURCE);
    sendStripFloat(s, "/preamp/trim", r.trim);
    sendStripInt(s, "/preamp/invert", r.invert, 0, 1);
    sendLink(s);
}

// Applies a top-row press; false when the button or the strip does not take it.
bool applyPreampButton(int s, int note)
{
    StripRecord& r = strips[s];
    switch (note) {
    case 2: {
        int h = preampHeadamp(s);
        if (h < 0) return false;
        headamps[h].phantom = toggledFlag(headamps[h].phantom);
        return true;
    }
    case 3:
        if (!hasPolarity(s)) return false;
        r.invert = toggledFlag(r.invert);
        return true;
    case 4:
        if (!hasLink(s)) return false;
        r.link = toggledFlag(r.link);
        strips[s ^ 1].link = r.link.load();  // the partner: s + 1 for even s, s - 1 for odd
        return true;
    case 5:
    case 6:
        if (!hasLowCutAndDelay(s)) return false;
        if (note == 5) r.hpOn = toggledFlag(r.hpOn);
        else r.delayOn = toggledFlag(r.delayOn);
        return true;
    case 7:
        if (!hasInsert(s)) return false;
        r.insertOn = toggledFlag(r.insertOn);
        return true;
    default:
        return false;
    }
}
} // namespace

void sendPreampPage()
{
    int s = selectedStrip;
    if (!isAudioStrip(s)) return;
    if (isChannel(s)) sendChannelPreamp(s);
    else if (canHaveHeadamp(s)) sendAuxPreamp(s);
    else {
        if (hasPolarity(s)) sendStripInt(s, "/preamp/invert", strips[s].invert, 0, 1);
        if (hasInsert(s)) sendInsert(s);
        sendLink(s);
    }
}

void preampEncoder(int controller, int value)
{
    int encoder = controller - 15;
    if (encoder == 1) {
        selectAdjacentStrip(isClockwise(value) ? 1 : -1);
        sendPreampPage();
        return;
    }
    int s = selectedStrip;
    if (!isValidStrip(s)) return;
    bool sourceChanged = false;
    StripRecord& r = strips[s];
    int h = preampHeadamp(s);
    // Only channels and aux inputs show a source and a gain.
    if (encoder == 2 && canHaveHeadamp(s) && encoderPushed[1] != 0) {
        int before = r.source;
        r.source = stepByOne(r.source, value, 0, HIGHEST_SOURCE);
        sourceChanged = r.source != before;
    } else if (encoder == 2 && canHaveHeadamp(s) && h >= 0) headamps[h].gain = stepUnit(headamps[h].gain, value, GAIN_STEP);
    else if (encoder == 2 && canHaveHeadamp(s)) r.trim = stepUnit(r.trim, value, GAIN_STEP);
    else if (encoder == 6 && hasLowCutAndDelay(s)) r.hpf = stepUnit(r.hpf, value, LOW_CUT_STEP);
    else if (encoder == 7 && hasLowCutAndDelay(s)) r.delayTime = stepUnit(r.delayTime, value, DELAY_STEP);
    else if (encoder == 8 && hasInsert(s)) r.insertSel = stepByOne(r.insertSel, value, 0, HIGHEST_INSERT_SLOT);
    else return;  // shows nothing there, so edits and sends nothing
    sendPreampPage();
    // Another source may come through another head amp: the console says which.
    if (sourceChanged) askHeadampIndex(s);
}

SurfaceChange preampTopButton(int note)
{
    int s = selectedStrip;
    if (!isValidStrip(s) || !applyPreampButton(s, note)) return NOTHING_CHANGED;
    sendPreampPage();
    return SURFACE_CHANGED;
}

SurfaceChange preampInsertPosPush()
{
    int s = selectedStrip;
    if (!hasInsert(s)) return NOTHING_CHANGED;
    strips[s].insertPos = toggledFlag(strips[s].insertPos);
    sendPreampPage();
    return SURFACE_CHANGED;
}
