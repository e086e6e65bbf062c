// Routes the dispatcher's page events to the page that owns them.
#include "control/page_controls.h"

#include "control/fx_editing.h"
#include "control/processing_pages.h"

void handlePageEncoder(int page, int k, int value)
{
    if (k < 0 || k > 7) return;
    int controller = 16 + k;
    value &= 0x7F;  // a MIDI data byte
    int slot = fxSlotOfPage(page);
    if (slot != 0) {
        fxEncoder(slot, controller, value);
        return;
    }
    switch (page) {
    case PAGE_EQ: eqEncoder(controller, value); break;
    case PAGE_PREAMP: preampEncoder(controller, value); break;
    case PAGE_SENDS_1_TO_8: sendsEncoder(0, controller, value); break;
    case PAGE_SENDS_9_TO_16: sendsEncoder(1, controller, value); break;
    case PAGE_ASSIGN: assignEncoder(controller, value); break;
    case PAGE_GATE: gateEncoder(controller, value); break;
    case PAGE_DYNAMICS: dynamicsEncoder(controller, value); break;
    default: break;
    }
}

SurfaceChange handlePageTopButton(int page, int note)
{
    if (note < 0 || note > 7) return NOTHING_CHANGED;
    if (fxSlotOfPage(page) != 0) {
        if (note == 0) openFxSlotInEditor(page);
        return NOTHING_CHANGED;
    }
    if (isSendFaderPage(page) || page == PAGE_MONO_FADERS) return faderPageTopButton(page, note);
    switch (page) {
    case PAGE_EQ: return eqTopButton(note);
    case PAGE_PREAMP: return preampTopButton(note);
    case PAGE_SENDS_1_TO_8: return sendsTopButton(0, note);
    case PAGE_SENDS_9_TO_16: return sendsTopButton(1, note);
    case PAGE_ASSIGN: return assignTopButton(note);
    case PAGE_GATE: return gateTopButton(note);
    case PAGE_DYNAMICS: return dynamicsTopButton(note);
    default: return NOTHING_CHANGED;
    }
}

SurfaceChange handlePageEncoderPush(int page, int note)
{
    if (page == PAGE_PREAMP && note == 39) return preampInsertPosPush();
    if (page == PAGE_ASSIGN && note == 33) return assignPanCentrePush();
    return NOTHING_CHANGED;
}

SurfaceChange handleFxSlotButton(int note)
{
    return showFxSlot(note);
}
