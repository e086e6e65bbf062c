// What the eight strip displays say on each page. Every text goes through
// writeStripDisplay, whose cache drops displays that did not change.
#include "display/strip_texts.h"

#include "display/mixer_gone.h"

#include <cmath>
#include <cstdio>

#include "display/formatters.h"
#include "display/mixer_gone.h"
#include "display/name_tables.h"
#include "display/strip_display.h"
#include "display/strip_texts_pages.h"
#include "fxdefs/fx_files.h"
#include "model/console_model.h"

namespace {

constexpr int HEADING_COLOUR = 7;

void showLocked()
{
    writeStripDisplay(1, LABEL_COLOUR, 0, "Console", "");
    writeStripDisplay(2, LABEL_COLOUR, 0, " Locked", "");
    writeStripDisplay(3, 0, 0, " ", "");
    for (int position = 4; position <= 8; ++position) showBlank(position);
}

void showBankNames()
{
    for (int position = 1; position <= 8; ++position) {
        showStripName(position, bankStrips[position - 1]);
    }
}

void showSendLevel(int position, int targetStrip, const StripRecord& from, int send)
{
    char label[STRIP_LABEL_SIZE];
    stripLabel(label, sizeof label, targetStrip);
    const StripRecord& target = strips[targetStrip];
    writeStripDisplay(position, target.color, target.colorInverted, label,
                      levelText(from.sends[send].level));
}

// Pages 29 and 30: the selected strip's sends to buses 1..8 or 9..16, or,
// for a bus or main, its six matrix sends on both pages.
void showSends(int s, int firstBus)
{
    const StripRecord& from = strips[s];
    int count = sendCountOf(s);
    if (sendsToBuses(s)) {
        for (int i = 1; i <= 8; ++i) showSendLevel(i, FIRST_BUS - 1 + firstBus + i, from, firstBus + i);
    } else if (count > 0) {
        for (int n = 1; n <= count; ++n) showSendLevel(n, FIRST_MATRIX - 1 + n, from, n);
        for (int position = count + 1; position <= 8; ++position) showBlank(position);
    } else {
        for (int position = 1; position <= 8; ++position) showBlank(position);
    }
}

void showEqBand(int position, const EqBand& band)
{
    if (eqEncoderLayer == 1) {
        showLabel(position, eqBandTypeName(band.type), qText(band.q));
        return;
    }
    char gain[16];
    std::snprintf(gain, sizeof gain, "%+02.02f", band.g * 30.0 - 15.0);
    showLabel(position, freqText(band.f), gain);
}

// Page 1. Positions that show nothing for the strip are blanked rather than
// left with another strip's texts.
void showEq(int s)
{
    const StripRecord& strip = strips[s];
    showStripName(1, s);
    if (eqEncoderLayer == 0 || eqEncoderLayer == 1) {
        writeStripDisplay(2, HEADING_COLOUR, 0, eqEncoderLayer == 0 ? "1/2" : "2/2", "EQ");
    }
    const StripFamily* family = stripFamilyOf(s);
    int bands = family ? family->eqBandCount : 0;
    if (bands > 0) {
        // Four bands leave encoders 3 and 4 to the low cut and a gap.
        int first = family->firstEqEncoder;
        for (int position = 3; position < first; ++position) {
            if (position == 3 && hasLowCutAndDelay(s)) showLabel(3, "LCUT", lowCutText(strip.hpf));
            else showBlank(position);
        }
        for (int b = 1; b <= bands; ++b) showEqBand(first + b - 1, strip.eq[b]);
    } else {
        for (int position = 3; position <= 8; ++position) showBlank(position);
    }
}

// Effects pages: heading, parameter page and the six parameters of the page.
void showFx(int unit)
{
    const FxSlot& slot = fxSlots[unit + 1];
    const FxDescription* fx = fxDescriptionFor(unit, slot.type);
    char text[16];
    std::snprintf(text, sizeof text, "FX %d", unit + 1);
    const char* typeName = unit <= 3 ? (fx ? fx->name : "?") : insertEffectName(slot.type);
    writeStripDisplay(1, HEADING_COLOUR, 0, text, typeName);
    char pages[24];
    std::snprintf(pages, sizeof pages, "%d/%d", slot.paramPage.load(), fx ? fx->pageCount : 0);
    writeStripDisplay(2, HEADING_COLOUR, 0, "Page", pages);
    for (int position = 1; position <= 6; ++position) {
        int q = findFxParameter(unit, slot.paramPage, position);
        if (q < 0 || !fx) {
            showBlank(position + 2);
            continue;
        }
        char name[10];
        std::snprintf(name, sizeof name, "%.7s", fx->params[q].name);
        char value[24];
        formatFxValue(value, sizeof value, unit, q);
        showLabel(position + 2, name, value);
    }
}

bool isSelectedStripPage(int page) { return page == PAGE_EQ || isPageInRange(page, PAGE_PREAMP, PAGE_DYNAMICS); }

void showSelectedStripPage(int page, int s)
{
    // A selection the model cannot address shows nothing.
    if (!isValidStrip(s)) {
        for (int position = 1; position <= 8; ++position) showBlank(position);
        return;
    }
    switch (page) {
    case PAGE_EQ: showEq(s); break;
    case PAGE_PREAMP: showPreampPage(s); break;
    case PAGE_SENDS_1_TO_8: showSends(s, 0); break;
    case PAGE_SENDS_9_TO_16: showSends(s, 8); break;
    case PAGE_ASSIGN: showPanPage(s); break;
    case PAGE_GATE: showGatePage(s); break;
    case PAGE_DYNAMICS: showDynamicsPage(s); break;
    default: break;
    }
}

}  // namespace

void showBlank(int position) { writeStripDisplay(position, 0, 0, "", ""); }

void showLabel(int position, const char* top, const char* bottom)
{
    writeStripDisplay(position, LABEL_COLOUR, 0, top, bottom);
}

void showStripName(int position, int strip)
{
    if (!isValidStrip(strip)) {
        showBlank(position);
        return;
    }
    char label[STRIP_LABEL_SIZE];
    stripLabel(label, sizeof label, strip);
    const StripRecord& record = strips[strip];
    char name[8];
    copyStripName(record, name);
    writeStripDisplay(position, record.color, record.colorInverted, label, name);
}

void refreshStripDisplays()
{
    if (holdMixerGoneDisplays()) return;
    if (consoleLock == 1) {
        showLocked();
        return;
    }
    int page = surfacePage;
    if (page == PAGE_HOME || isSendFaderPage(page) || page == PAGE_MONO_FADERS) {
        showBankNames();
    } else if (isSelectedStripPage(page)) {
        showSelectedStripPage(page, selectedStrip);
    } else if (isFxPage(page)) {
        showFx(fxSlotOfPage(page) - 1);
    }
}
