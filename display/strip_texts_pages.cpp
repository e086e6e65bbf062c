#include <cmath>
#include <cstdio>

#include "display/formatters.h"
#include "display/name_tables.h"
#include "display/strip_display.h"
#include "display/strip_texts_pages.h"
#include "model/console_model.h"

namespace {

constexpr int VALUE_SIZE = 24;
// Console delay steps of 0.003602 are 1.8 ms each, from 0.3 ms.
constexpr double DELAY_STEP = 0.003602;

const char* onOff(bool on) { return on ? "On" : "Off"; }

void showNumber(int position, const char* top, const char* format, double value)
{
    char text[VALUE_SIZE];
    std::snprintf(text, sizeof text, format, value);
    showLabel(position, top, text);
}

// Input gain: the head amp's gain when the page edits one, else the digital
// trim, which is then what encoder 2 turns.
void showGain(int s)
{
    char gain[VALUE_SIZE];
    int h = preampHeadamp(s);
    if (h >= 0) {
        std::snprintf(gain, sizeof gain, "%2.1f", headamps[h].gain * 72.0 - 12.0);
    } else {
        std::snprintf(gain, sizeof gain, "%+2.2f", strips[s].trim * 36.0 - 18.0);
    }
    showLabel(2, stripSourceName(s), gain);
}

bool phantomOn(int s)
{
    int h = preampHeadamp(s);
    return h >= 0 && headamps[h].phantom == 1;
}

// Pan as "<>" in the middle, "< 50 " left of it and " 50 >" right of it. A
// pan that rounds to 0 either way is the middle: a float a hair off 0.5 would
// otherwise read "< 0".
void panText(double pan, char* text, int capacity)
{
    size_t size = static_cast<size_t>(capacity);
    if (std::fabs(pan - 0.5) * 200.0 < 0.5) {
        std::snprintf(text, size, "<>");
    } else if (pan < 0.5) {
        std::snprintf(text, size, "< %-3ld", std::lround(std::fmin((0.5 - pan) * 200.0, 1e6)));
    } else if (pan > 0.5) {
        std::snprintf(text, size, "%3ld >", std::lround(std::fmin((pan - 0.5) * 200.0, 1e6)));
    } else {
        std::snprintf(text, size, "?");
    }
}

void showKeyAndFilter(int keySource, int filterType, double filterFreq)
{
    showLabel(7, keySourceName(keySource), filterTypeName(filterType));
    showLabel(8, "freq", freqText(filterFreq));
}

}  // namespace

void showPreampPage(int s)
{
    if (!isValidStrip(s)) return;
    const StripRecord& strip = strips[s];
    showStripName(1, s);
    if (hasLowCutAndDelay(s)) {
        showLabel(6, "LCUT", lowCutText(strip.hpf));
    } else {
        showBlank(6);
    }
    // The mains and DCAs have no stereo link.
    if (hasLink(s)) {
        showLabel(5, "Link", onOff(strip.link != 0));
    } else {
        showBlank(5);
    }
    if (strip.haIndex == -1) {
        showBlank(3);
    } else {
        showLabel(3, "Phantom", onOff(phantomOn(s)));
    }
    if (hasPolarity(s)) {
        showLabel(4, "Polarit", onOff(strip.invert != 0));
    } else {
        showBlank(4);
    }
    if (canHaveHeadamp(s)) {
        showGain(s);
    } else {
        showBlank(2);
    }
    if (hasLowCutAndDelay(s)) {
        showNumber(7, "Delay", "%2.1f", strip.delayTime / DELAY_STEP * 1.8 + 0.3);
    } else {
        showBlank(7);
    }
    if (!hasInsert(s)) {
        showBlank(8);
    } else {
        char insert[VALUE_SIZE];
        std::snprintf(insert, sizeof insert, "%c %s", strip.insertPos == 0 ? '*' : ' ',
                      insertSlotName(strip.insertSel));
        showLabel(8, "Insert", insert);
    }
}

void showPanPage(int s)
{
    const StripRecord& strip = strips[s];
    char text[VALUE_SIZE];
    showStripName(1, s);
    // Matrices, the mono main and DCAs have no pan; the console holds a mono
    // level only up to the buses.
    if (hasPan(s)) {
        panText(strip.pan, text, sizeof text);
        showLabel(2, "Pan", text);
    } else {
        showBlank(2);
    }
    if (hasMonoSend(s)) {
        showLabel(3, "M/C", levelText(strip.monoLevel));
    } else {
        showBlank(3);
    }
    showBlank(4);
    if (s <= 7) {
        char group = strip.automixGroup == 1 ? 'X' : (strip.automixGroup == 2 ? 'Y' : ' ');
        std::snprintf(text, sizeof text, "%c %+2.1f", group, strip.automixWeight * 24.0 - 12.0);
        showLabel(5, "Automix", text);
    } else {
        showBlank(5);
    }
    showBlank(6);
    std::snprintf(text, sizeof text, "%d", chosenDcaGroup + 1);
    showLabel(7, "Dca grp", text);
    std::snprintf(text, sizeof text, "%d", chosenMuteGroup + 1);
    showLabel(8, "Mutegrp", text);
}

void showGatePage(int s)
{
    const StripRecord& strip = strips[s];
    showStripName(1, s);
    if (!hasGate(s)) {
        for (int position = 2; position <= 8; ++position) showBlank(position);
        return;
    }
    showNumber(2, "Thresh", "%+2.1f", strip.gateThr * 80.0 - 80.0);
    showNumber(3, "Range", "%2.1f", strip.gateRange * 57.0 + 3.0);
    showNumber(4, "Attck", "%2.0f", strip.gateAttack * 120.0);
    showLabel(5, "Hold", holdText(strip.gateHold));
    showLabel(6, "Rel", releaseText(strip.gateRelease));
    showKeyAndFilter(strip.gateKeySrc, strip.gateFilterType, strip.gateFilterF);
}

void showDynamicsPage(int s)
{
    const StripRecord& strip = strips[s];
    showStripName(1, s);
    if (!hasDynamics(s)) {
        for (int position = 2; position <= 8; ++position) showBlank(position);
        return;
    }
    if (encoderPushed[1] != 0) {
        showLabel(2, "Ratio", dynRatioName(strip.dynRatio));
    } else {
        showNumber(2, "Thresh", "%+2.1f", strip.dynThr * 60.0 - 60.0);
    }
    if (encoderPushed[2] != 0) {
        showNumber(3, "Gain", "%2.2f", strip.dynMGain * 24.0);
    } else {
        showNumber(3, "Mix", "%3.0f", strip.dynMix * 100.0);
    }
    showNumber(4, "Attck", "%2.0f", strip.dynAttack * 120.0);
    showLabel(5, "Hold", holdText(strip.dynHold));
    showLabel(6, "Rel", releaseText(strip.dynRelease));
    showKeyAndFilter(strip.dynKeySrc, strip.dynFilterType, strip.dynFilterF);
}
