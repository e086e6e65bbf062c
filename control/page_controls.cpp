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

void handlePageTopButton(int page, int note)
{
    if (note < 0 || note > 7) return;
    if (fxSlotOfPage(page) != 0) {
        if (note == 0) openFxSlotInEditor(page);
        return;
    }
    if (isSendFaderPage(page) || page == PAGE_MONO_FADERS) {
        faderPageTopButton(page, note);
        return;
    }
    switch (page) {
    case PAGE_EQ: eqTopButton(note); break;
    case PAGE_PREAMP: preampTopButton(note); break;
    case PAGE_SENDS_1_TO_8: sendsTopButton(0, note); break;
    case PAGE_SENDS_9_TO_16: sendsTopButton(1, note); break;
    case PAGE_ASSIGN: assignTopButton(note); break;
    case PAGE_GATE: gateTopButton(note); break;
    case PAGE_DYNAMICS: dynamicsTopButton(note); break;
    default: break;
    }
}

void handlePageEncoderPush(int page, int note)
{
    if (page == PAGE_PREAMP && note == 39) preampInsertPosPush();
    else if (page == PAGE_ASSIGN && note == 33) assignPanCentrePush();
}

void handleFxSlotButton(int note)
{
    showFxSlot(note);
}
