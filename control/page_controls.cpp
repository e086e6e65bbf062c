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
    case 1: eqEncoder(controller, value); break;
    case 28: preampEncoder(controller, value); break;
    case 29: sendsEncoder(0, controller, value); break;
    case 30: sendsEncoder(1, controller, value); break;
    case 31: assignEncoder(controller, value); break;
    case 32: gateEncoder(controller, value); break;
    case 33: dynamicsEncoder(controller, value); break;
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
    if ((page >= 8 && page <= 23) || page == 34) return faderPageTopButton(page, note);
    switch (page) {
    case 1: return eqTopButton(note);
    case 28: return preampTopButton(note);
    case 29: return sendsTopButton(0, note);
    case 30: return sendsTopButton(1, note);
    case 31: return assignTopButton(note);
    case 32: return gateTopButton(note);
    case 33: return dynamicsTopButton(note);
    default: return NOTHING_CHANGED;
    }
}

SurfaceChange handlePageEncoderPush(int page, int note)
{
    if (page == 28 && note == 39) return preampInsertPosPush();
    if (page == 31 && note == 33) return assignPanCentrePush();
    return NOTHING_CHANGED;
}

SurfaceChange handleFxSlotButton(int note)
{
    return showFxSlot(note);
}
