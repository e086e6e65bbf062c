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

void handlePageTopButton(int page, int note)
{
    if (note < 0 || note > 7) return;
    if (fxSlotOfPage(page) != 0) {
        if (note == 0) openFxSlotInEditor(page);
        return;
    }
    if ((page >= 8 && page <= 23) || page == 34) {
        faderPageTopButton(page, note);
        return;
    }
    switch (page) {
    case 1: eqTopButton(note); break;
    case 28: preampTopButton(note); break;
    case 29: sendsTopButton(0, note); break;
    case 30: sendsTopButton(1, note); break;
    case 31: assignTopButton(note); break;
    case 32: gateTopButton(note); break;
    case 33: dynamicsTopButton(note); break;
    default: break;
    }
}

void handlePageEncoderPush(int page, int note)
{
    if (page == 28 && note == 39) preampInsertPosPush();
    else if (page == 31 && note == 33) assignPanCentrePush();
}

void handleFxSlotButton(int note)
{
    showFxSlot(note);
}
