// Pre-amp and routing page (page 28) of the selected strip.
#include "control/processing_pages.h"

#include "control/processing_pages_steps.h"
#include "control/strip_controls.h"
#include "display/formatters.h"
#include "display/refresh.h"
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
// its kind (first is the strip's first index of that kind).
void sendLink(const char* kind, int strip, int first)
{
    int pairStart = ((strip - first) & ~1) + 1;
    char address[OSC_BUFFER_SIZE];
    formatText(address, sizeof address, "/config/%slink/%d-%d", kind, pairStart, pairStart + 1);
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
    sendLink("ch", s, 0);
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
    sendLink("aux", s, 32);
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
        if (s > 39) return false;
        r.invert = toggledFlag(r.invert);
        return true;
    case 4:
        if (s > 69) return false;
        r.link = toggledFlag(r.link);
        strips[s ^ 1].link = r.link.load();  // the partner: s + 1 for even s, s - 1 for odd
        refreshSurface(0);
        return true;
    case 5:
    case 6:
        if (s > 31) return false;
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
    if (s < 0 || s > 71) return;
    if (s <= 31) sendChannelPreamp(s);
    else if (s <= 39) sendAuxPreamp(s);
    else if (s <= 47) sendLink("fx", s, 40);
    else {
        sendInsert(s);
        if (s <= 63) sendLink("bus", s, 48);
        else if (s <= 69) sendLink("mtx", s, 64);
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
    if (encoder == 2 && s <= 39 && encoderPushed[1] != 0) {
        int before = r.source;
        r.source = stepByOne(r.source, value, 0, HIGHEST_SOURCE);
        sourceChanged = r.source != before;
    } else if (encoder == 2 && s <= 39 && h >= 0) headamps[h].gain = stepUnit(headamps[h].gain, value, GAIN_STEP);
    else if (encoder == 2 && s <= 39) r.trim = stepUnit(r.trim, value, GAIN_STEP);
    else if (encoder == 6 && s <= 31) r.hpf = stepUnit(r.hpf, value, LOW_CUT_STEP);
    else if (encoder == 7 && s <= 31) r.delayTime = stepUnit(r.delayTime, value, DELAY_STEP);
    else if (encoder == 8 && hasInsert(s)) r.insertSel = stepByOne(r.insertSel, value, 0, HIGHEST_INSERT_SLOT);
    else return;  // shows nothing there, so edits and sends nothing
    sendPreampPage();
    // Another source may come through another head amp: the console says which.
    if (sourceChanged) askHeadampIndex(s);
}

void preampTopButton(int note)
{
    int s = selectedStrip;
    if (!isValidStrip(s) || !applyPreampButton(s, note)) return;
    sendPreampPage();
    refreshSurface(0);
}

void preampInsertPosPush()
{
    int s = selectedStrip;
    if (!hasInsert(s)) return;
    strips[s].insertPos = toggledFlag(strips[s].insertPos);
    sendPreampPage();
    refreshSurface(0);
}
