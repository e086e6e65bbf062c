#include "display/page_table.h"

#include "display/formatters.h"
#include "model/console_model.h"
#include "surface/output_queue.h"

#include <initializer_list>

namespace {

void rowLamp(int note, bool on)
{
    queueLamp(static_cast<uint8_t>(note), on ? 127 : 0);
}

void rowOff(std::initializer_list<int> notes)
{
    for (int note : notes) rowLamp(note, false);
}

// The selected strip's record, or nullptr when the console reported an index
// outside the strip table: such a selection lights nothing on row A.
const StripRecord* selectedRecord(int& strip)
{
    strip = selectedStrip;
    return isValidStrip(strip) ? &strips[strip] : nullptr;
}

const StripRecord* bankRecord(int position, int& strip)
{
    strip = bankStrips[position];
    return isValidStrip(strip) ? &strips[strip] : nullptr;
}

bool phantomOn(int strip)
{
    int h = preampHeadamp(strip);
    return h >= 0 && headamps[h].phantom == 1;
}

void rowAllOff(int)
{
    rowOff({0, 1, 2, 3, 4, 5, 6, 7});
}

void rowEqualiser(int)
{
    int s;
    const StripRecord* r = selectedRecord(s);
    rowLamp(1, r && r->eqOn == 1);
    rowLamp(2, r && hasLowCutAndDelay(s) && r->hpOn == 1);
    rowOff({0, 3, 4, 5, 6, 7});
}

void rowPreamp(int)
{
    int s;
    const StripRecord* r = selectedRecord(s);
    rowOff({0, 1, 4});
    rowLamp(6, r && r->delayOn != 0);
    rowLamp(2, r && phantomOn(s));
    rowLamp(7, r && hasInsert(s) && r->insertOn == 1);
    rowLamp(5, r && hasLowCutAndDelay(s) && r->hpOn == 1);
    rowLamp(3, r && hasPolarity(s) && r->invert == 1);
    rowLamp(4, r && hasLink(s) && r->link == 1);
}

// Send fader pages: which surface strips send to the page's bus. Only
// channels, aux inputs and effects returns have bus sends.
void rowBusSends(int page)
{
    int bus = busOfSendFaderPage(page);
    for (int i = 0; i < 8; ++i) {
        int s;
        const StripRecord* r = bankRecord(i, s);
        rowLamp(i, r && sendsToBuses(s) && r->sends[bus].on == 1);
    }
}

// Pages 29 and 30: the selected strip's sends 1..8 or 9..16 (matrix sends
// 1..6 for buses and mains on both). Matrices and
// DCAs have no sends, so their row is left alone.
void rowStripSends(int page)
{
    int s;
    const StripRecord* r = selectedRecord(s);
    if (r && sendCountOf(s) == 0) return;
    // The lamps show the sends the buttons below them toggle.
    for (int i = 0; i < 8; ++i) {
        int m = r ? sendAtPosition(s, sendsBankOfPage(page), i + 1) : 0;
        rowLamp(i, m > 0 && r->sends[m].on != 0);
    }
}

void rowMonoSends(int)
{
    for (int i = 0; i < 8; ++i) {
        int s;
        const StripRecord* r = bankRecord(i, s);
        rowLamp(i, r && hasMonoSend(s) && r->mono == 1);
    }
}

// The assignment page lists only notes 1, 2, 6 and 7; the others keep what the previous
// page showed.
void rowAssignment(int)
{
    int s;
    const StripRecord* r = selectedRecord(s);
    int dca = chosenDcaGroup;
    int muteGroup = chosenMuteGroup;
    rowLamp(1, r && r->stereo != 0);
    rowLamp(2, r && r->mono != 0);
    rowLamp(6, r && hasGroups(s) && dca >= 0 && dca < 8 && r->dcaGroups[dca] != 0);
    rowLamp(7, r && hasGroups(s) && muteGroup >= 0 && muteGroup < 6 && r->muteGroups[muteGroup] != 0);
}

void rowGate(int)
{
    int s;
    const StripRecord* r = selectedRecord(s);
    rowOff({0, 3, 4, 5, 7});
    rowLamp(2, r != nullptr);
    if (r && hasGate(s)) {
        rowLamp(1, r->gateOn != 0);
        rowLamp(6, r->gateFilterOn != 0);
        rowLamp(7, keySolo != 0);
    } else {
        rowOff({1, 6});
    }
}

// Strips without dynamics show the row dark; note 0 is not part of the row
// on the others.
void rowDynamics(int)
{
    int s;
    const StripRecord* r = selectedRecord(s);
    if (!r || !hasDynamics(s)) {
        rowAllOff(0);
        return;
    }
    rowLamp(1, r->dynOn != 0);
    rowLamp(6, r->dynFilterOn != 0);
    rowLamp(7, keySolo != 0);
    rowLamp(2, r->dynMode != 0);
    rowLamp(3, true);
    rowLamp(4, r->dynDet != 0);
    rowLamp(5, r->dynEnv != 0);
}

}  // namespace

// Editor entries: 150..159 view buttons of the top row (guarded), 200..215
// the bus-send panel buttons, 216 and 217 the mixing and mono panel buttons.
const SurfacePageEntry surfacePages[SURFACE_PAGE_COUNT] = {
    /* 0  mixing      */ {1, 0x33, 127, 2, {216, 150}, rowAllOff},
    /* 1  equaliser   */ {1, 0x2C, 127, 1, {154, -1}, rowEqualiser},
    /* 2  fx 1        */ {1, 0x46, 127, 1, {158, -1}, rowAllOff},
    /* 3  fx 2        */ {1, 0x47, 127, 1, {158, -1}, rowAllOff},
    /* 4  fx 3        */ {1, 0x48, 127, 1, {158, -1}, rowAllOff},
    /* 5  fx 4        */ {1, 0x49, 127, 1, {158, -1}, rowAllOff},
    /* 6  unused      */ {0, 0, 0, 0, {-1, -1}, rowAllOff},
    /* 7  unused      */ {0, 0, 0, 0, {-1, -1}, rowAllOff},
    /* 8  bus 1 sends */ {1, 0x3E, 127, 1, {200, -1}, rowBusSends},
    /* 9  bus 2       */ {1, 0x3F, 127, 1, {201, -1}, rowBusSends},
    /* 10 bus 3       */ {1, 0x40, 127, 1, {202, -1}, rowBusSends},
    /* 11 bus 4       */ {1, 0x41, 127, 1, {203, -1}, rowBusSends},
    /* 12 bus 5       */ {1, 0x42, 127, 1, {204, -1}, rowBusSends},
    /* 13 bus 6       */ {1, 0x43, 127, 1, {205, -1}, rowBusSends},
    /* 14 bus 7       */ {1, 0x44, 127, 1, {206, -1}, rowBusSends},
    /* 15 bus 8       */ {1, 0x45, 127, 1, {207, -1}, rowBusSends},
    /* 16 bus 9       */ {1, 0x36, 127, 1, {208, -1}, rowBusSends},
    /* 17 bus 10      */ {1, 0x37, 127, 1, {209, -1}, rowBusSends},
    /* 18 bus 11      */ {1, 0x38, 127, 1, {210, -1}, rowBusSends},
    /* 19 bus 12      */ {1, 0x39, 127, 1, {211, -1}, rowBusSends},
    /* 20 bus 13      */ {1, 0x3A, 127, 1, {212, -1}, rowBusSends},
    /* 21 bus 14      */ {1, 0x3B, 127, 1, {213, -1}, rowBusSends},
    /* 22 bus 15      */ {1, 0x3C, 127, 1, {214, -1}, rowBusSends},
    /* 23 bus 16      */ {1, 0x3D, 127, 1, {215, -1}, rowBusSends},
    /* 24 fx 5        */ {1, 0x50, 127, 1, {159, -1}, rowAllOff},
    /* 25 fx 6        */ {1, 0x51, 127, 1, {159, -1}, rowAllOff},
    /* 26 fx 7        */ {1, 0x52, 127, 1, {159, -1}, rowAllOff},
    /* 27 fx 8        */ {1, 0x53, 127, 1, {159, -1}, rowAllOff},
    /* 28 pre-amp     */ {1, 0x28, 127, 1, {152, -1}, rowPreamp},
    /* 29 sends 1-8   */ {1, 0x2D, 1, 1, {156, -1}, rowStripSends},
    /* 30 sends 9-16  */ {1, 0x2D, 127, 1, {156, -1}, rowStripSends},
    /* 31 assignment  */ {1, 0x2B, 127, 1, {157, -1}, rowAssignment},
    /* 32 gate        */ {1, 0x2A, 127, 1, {153, -1}, rowGate},
    /* 33 dynamics    */ {1, 0x29, 127, 1, {155, -1}, rowDynamics},
    /* 34 mono sends  */ {1, 0x55, 127, 1, {217, -1}, rowMonoSends},
};

const SurfacePageEntry& surfacePageEntry(int page)
{
    if (page < 0 || page >= SURFACE_PAGE_COUNT) return surfacePages[PAGE_UNUSED];
    return surfacePages[page];
}
