#include "control/surface_dispatch.h"

#include <atomic>
#include <cstdint>
#include <cstring>

#include "control/dca_spill.h"
#include "control/page_change.h"
#include "control/page_controls.h"
#include "control/processing_pages_steps.h"
#include "control/strip_controls.h"
#include "editor/editor_clicks.h"
#include "editor/editor_window.h"
#include "model/console_model.h"
#include "model/fader_scale.h"
#include "platform/clock.h"
#include "surface/midi_reader.h"
#include "surface/output_queue.h"
#include "surface/surface_learn.h"

namespace {

constexpr uint8_t PRESS = 127;

bool inRange(int value, int low, int high) { return value >= low && value <= high; }

// False once the strip or page under a held fader is no longer the one the
// hand took hold of (the console changed the bank's content, a page or bank
// button under the hand): from then on until the release it writes nothing.
bool faderStillOnItsStrip(int position, int strip, int page)
{
    if (faderTouched[position] == 0) return true;  // a move without a touch note
    if (faderHeldStrip[position] == strip && faderHeldPage[position] == page) return true;
    faderHeldStrip[position] = -1;
    return false;
}

// Faders 1..8 write only what they show: the strip's level, on the send and
// mono pages the send or mono level of the strips that have one. A fader
// the page does not drive (dark) writes nothing.
SurfaceChange moveStripFader(int position, double level)
{
    int s = bankStrips[position];
    int page = surfacePage;
    const bool heldAStrip = faderHeldStrip[position] >= 0;
    // A hand that lets go of its strip (a blank position under it too)
    // lets the other surfaces' motors for it follow the console again.
    if (!faderStillOnItsStrip(position, s, page)) return heldAStrip ? FADERS_CHANGED : NOTHING_CHANGED;
    if (!isValidStrip(s)) return NOTHING_CHANGED;
    if (isSendFaderPage(page)) {
        if (sendsToBuses(s)) editSendLevel(s, busOfSendFaderPage(page), level);
        return NOTHING_CHANGED;
    }
    if (page == PAGE_MONO_FADERS) {
        if (hasMonoSend(s)) editStripFloat(s, "/mix/mlevel", strips[s].monoLevel, level);
        return NOTHING_CHANGED;
    }
    bool fadersShowLevels = page == PAGE_HOME || inRange(page, PAGE_FX_1, PAGE_FX_4) ||
                            inRange(page, PAGE_FX_5, PAGE_DYNAMICS);
    if (!fadersShowLevels) return NOTHING_CHANGED;
    strips[s].fader = level;
    sendStripFader(s);
    // The master fader shows the main stereo strip too.
    return s == MAIN_STEREO ? FADERS_CHANGED : NOTHING_CHANGED;
}

SurfaceChange moveMasterFader(double level)
{
    strips[MAIN_STEREO].fader = level;
    sendStripFader(MAIN_STEREO);
    return FADERS_CHANGED;
}

SurfaceChange turnEncoder(int k, int value)
{
    int page = surfacePage;
    if (page == PAGE_HOME) {
        turnBankStripPan(k, value);
    } else if (page == PAGE_EQ || inRange(page, PAGE_FX_1, PAGE_FX_4) || inRange(page, PAGE_FX_5, PAGE_DYNAMICS)) {
        handlePageEncoder(page, k, value);
    }
    return SURFACE_CHANGED;
}

// The top-row notes (bit n = note n) each page gives a meaning to.
struct TopRowPages {
    int firstPage;
    int lastPage;
    uint8_t notes;
};
constexpr TopRowPages topRowPages[] = {
    {PAGE_EQ, PAGE_EQ, 0x06},
    {PAGE_FX_1, PAGE_FX_4, 0x01},
    {PAGE_SEND_FADERS_BUS_1, PAGE_SEND_FADERS_BUS_16, 0xFF},
    {PAGE_FX_5, PAGE_FX_8, 0x01},
    {PAGE_PREAMP, PAGE_PREAMP, 0xFC},
    {PAGE_SENDS_1_TO_8, PAGE_SENDS_9_TO_16, 0xFF},
    {PAGE_ASSIGN, PAGE_ASSIGN, 0xD6},
    {PAGE_GATE, PAGE_GATE, 0xC6},
    {PAGE_DYNAMICS, PAGE_DYNAMICS, 0xFE},
    {PAGE_MONO_FADERS, PAGE_MONO_FADERS, 0xFF},
};

SurfaceChange pressTopButton(int note, int)
{
    int page = surfacePage;
    for (const TopRowPages& entry : topRowPages) {
        if (!inRange(page, entry.firstPage, entry.lastPage)) continue;
        if (!(entry.notes & (1 << note))) return NOTHING_CHANGED;
        // The send and mono pages act on the strip above the button.
        bool perStrip = isSendFaderPage(page) || page == PAGE_MONO_FADERS;
        if (perStrip && !isValidStrip(bankStrips[note])) return NOTHING_CHANGED;
        return handlePageTopButton(page, note);
    }
    return NOTHING_CHANGED;
}

enum class PageChange { Show, Toggle, AlternateSends };
struct PageButton {
    uint8_t note;
    int page;
    PageChange change;
};
constexpr PageButton pageButtons[] = {
    {40, PAGE_PREAMP, PageChange::Toggle},
    {41, PAGE_DYNAMICS, PageChange::Toggle},
    {42, PAGE_GATE, PageChange::Toggle},
    {43, PAGE_ASSIGN, PageChange::Toggle},
    {44, PAGE_EQ, PageChange::Toggle},
    {45, PAGE_SENDS_1_TO_8, PageChange::AlternateSends},
    {51, PAGE_HOME, PageChange::Show},
};

SurfaceChange pressPageButton(int note, int)
{
    for (const PageButton& button : pageButtons) {
        if (button.note != note) continue;
        int page = surfacePage;
        switch (button.change) {
        case PageChange::Show: page = button.page; break;
        case PageChange::Toggle: page = page == button.page ? PAGE_HOME : button.page; break;
        case PageChange::AlternateSends:
            page = page == PAGE_SENDS_1_TO_8 ? PAGE_SENDS_9_TO_16 : PAGE_SENDS_1_TO_8;
            break;
        }
        return changeSurfacePage(page);
    }
    return NOTHING_CHANGED;
}

SurfaceChange storeEncoderPush(int note, int velocity)
{
    const bool changed = (encoderPushed[note - 32] != 0) != (velocity != 0);
    encoderPushed[note - 32] = velocity;
    int page = surfacePage;
    SurfaceChange change = NOTHING_CHANGED;
    if (velocity == PRESS && (page == PAGE_PREAMP || page == PAGE_ASSIGN)) change = handlePageEncoderPush(page, note);
    // On these pages a held encoder edits another value: its ring (and on
    // the dynamics page its label) shows the other one as soon as the push
    // changes, not at the next refresh.
    bool pushSwitchesValue = page == PAGE_EQ || isFxPage(page) || page == PAGE_PREAMP ||
                             page == PAGE_GATE || page == PAGE_DYNAMICS;
    if (changed && pushSwitchesValue) change |= SURFACE_CHANGED;
    return change;
}

// Touch is kept per physical fader: a hand that holds a fader across a bank
// change releases the fader it holds, whatever strip it shows by then.
SurfaceChange touchFader(int note, int velocity)
{
    if (velocity != PRESS && velocity != 0) return NOTHING_CHANGED;
    int position = note - 104;
    faderTouched[position] = velocity == PRESS ? 1 : 0;
    int heldBefore = -1;
    if (position < 8) {
        heldBefore = faderHeldStrip[position];
        faderHeldStrip[position] = velocity == PRESS ? bankStrips[position].load() : -1;
        faderHeldPage[position] = surfacePage.load();
    }
    // A touch again on another strip lets go of the one held before.
    if (velocity == PRESS) return heldBefore >= 0 && heldBefore != faderHeldStrip[position] ? FADERS_CHANGED : NOTHING_CHANGED;
    // The fader stays where the hand left it: send it the model's position.
    forgetSentFader(position + 1);
    return FADERS_CHANGED;
}

SurfaceChange releaseSelect(int note, int) { return releaseStripSelect(note - 24); }
SurfaceChange pressSelect(int note, int) { return pressStripSelect(note - 24); }
SurfaceChange pressFxSlot(int note, int) { return handleFxSlotButton(note); }
// Notes 62-69 choose buses 1-8, notes 54-61 buses 9-16.
SurfaceChange pressSendFaders(int note, int) { return changeSurfacePage(sendFaderPageOfBus(note >= 62 ? note - 61 : note - 45)); }
SurfaceChange pressMonoFaders(int, int) { return changeSurfacePage(PAGE_MONO_FADERS); }
SurfaceChange pressMute(int note, int) { return toggleBankStripMute(note - 16); }
SurfaceChange pressGroup(int note, int) { return pressMuteGroup(note - 73); }
SurfaceChange pressSolo(int note, int) { return toggleBankStripSolo(note - 8); }
SurfaceChange pressAutomix(int note, int) { return toggleAutomixEnable(note - 89); }
SurfaceChange pressRoutingSwitch(int, int) { return toggleRoutingSwitch(); }
SurfaceChange pressSelectStep(int note, int) { return selectAdjacentStrip(note == 49 ? 1 : -1); }
SurfaceChange pressScroll(int note, int) { return scrollBank(note == 47 ? 1 : -1); }

SurfaceChange pressClearSolo(int, int)
{
    clearAllSolos();
    return NOTHING_CHANGED;
}

SurfaceChange pressDcaStep(int note, int)
{
    // Only the DCA spill banks have neighbours to step to.
    if (currentBank < 8) return NOTHING_CHANGED;
    return stepDcaSpill(note == 99 ? 1 : -1);
}

SurfaceChange pressBank(int note, int)
{
    return switchBank(note == 97 ? 1 : -1);
}

SurfaceChange pressPanCentre(int note, int)
{
    if (surfacePage != PAGE_HOME) return NOTHING_CHANGED;
    return centreBankStripPan(note - 32);
}

enum class Velocity { Any, Press, Release };
struct NoteRoute {
    uint8_t first;
    uint8_t last;
    Velocity velocity;
    SurfaceChange (*handle)(int note, int velocity);
};

// The note-on map, in the order its steps run: every route matching the
// note runs, so a later one sees what an earlier one changed.
constexpr NoteRoute noteRoutes[] = {
    {32, 39, Velocity::Any, storeEncoderPush},
    {24, 31, Velocity::Release, releaseSelect},
    {24, 31, Velocity::Press, pressSelect},
    {70, 73, Velocity::Press, pressFxSlot},
    {80, 83, Velocity::Press, pressFxSlot},
    {62, 69, Velocity::Press, pressSendFaders},
    {85, 85, Velocity::Press, pressMonoFaders},
    {54, 61, Velocity::Press, pressSendFaders},
    {16, 23, Velocity::Press, pressMute},
    {0, 7, Velocity::Press, pressTopButton},
    {104, 112, Velocity::Any, touchFader},
    {74, 79, Velocity::Press, pressGroup},
    {8, 15, Velocity::Press, pressSolo},
    {40, 45, Velocity::Press, pressPageButton},
    {51, 51, Velocity::Press, pressPageButton},
    {89, 90, Velocity::Press, pressAutomix},
    {86, 86, Velocity::Press, pressRoutingSwitch},
    {84, 84, Velocity::Press, pressClearSolo},
    {48, 49, Velocity::Press, pressSelectStep},
    {98, 99, Velocity::Press, pressDcaStep},
    {96, 97, Velocity::Press, pressBank},
    {46, 47, Velocity::Press, pressScroll},
    {32, 39, Velocity::Press, pressPanCentre},
};

bool velocityMatches(Velocity wanted, int velocity)
{
    switch (wanted) {
    case Velocity::Any: return true;
    case Velocity::Press: return velocity == PRESS;
    case Velocity::Release: return velocity == 0;
    }
    return false;
}

SurfaceChange dispatchNote(int note, int velocity)
{
    SurfaceChange change = NOTHING_CHANGED;
    for (const NoteRoute& route : noteRoutes) {
        if (inRange(note, route.first, route.last) && velocityMatches(route.velocity, velocity)) {
            change |= route.handle(note, velocity);
        }
    }
    return change;
}

// A locked console takes no surface action, but a finger lifted meanwhile
// must not leave a fader, select or encoder held for good.
SurfaceChange releaseWhileLocked(int note)
{
    if (inRange(note, 104, 112)) return touchFader(note, 0);
    if (inRange(note, 24, 31)) selectHeld[note - 24] = 0;
    else if (inRange(note, 32, 39)) encoderPushed[note - 32] = 0;
    return NOTHING_CHANGED;
}

} // namespace

double faderPositionOf(uint8_t low, uint8_t high)
{
    return faderPositionOfStep(faderStepOfBytes(low, high));
}

namespace {

// One channel message with its two data bytes.
SurfaceChange dispatchChannelMessage(uint8_t status, uint8_t first, uint8_t second)
{
    // A fader that moved is no longer where it was last sent, whether or not
    // the move is taken (locked console, a page where faders do nothing).
    if (inRange(status, 0xE0, 0xE8)) forgetSentFader(status - 0xE0 + 1);
    // Until start-up has read the console, an action would write values the
    // bridge does not know yet: the surface is locked as for a locked console.
    if (consoleLock == 1 || startupComplete.load() != 1) {
        if (status == 0x90 && second == 0) return releaseWhileLocked(first);
        return NOTHING_CHANGED;
    }

    if (inRange(status, 0xE0, 0xE7)) return moveStripFader(status - 0xE0, faderPositionOf(first, second));
    if (status == 0xB0 && inRange(first, 16, 23)) return turnEncoder(first - 16, second);
    if (status == 0xE8) return moveMasterFader(faderPositionOf(first, second));
    if (status == 0x90) return dispatchNote(first, second);
    return NOTHING_CHANGED;
}

std::atomic<uint64_t> droppedMessages{0};

}  // namespace

SurfaceChange handleSurfaceProbe()
{
    static const uint8_t answer[8] = {0xF0, 0x00, 0x20, 0x32, 0x58, 0x54, 0x01, 0xF7};
    queueSurfaceBytes(answer, sizeof answer, 150);
    // The keep-alive at once ends the probing; the next one is 4 s away.
    queueHeartbeat();
    // A surface that restarted holds nothing down any more.
    for (auto& touched : faderTouched) touched = 0;
    for (int i = 0; i < 8; ++i) selectHeld[i] = encoderPushed[i] = 0;
    return SURFACE_LOST;
}

SurfaceChange dispatchSurfaceMessage(const uint8_t* bytes, int length)
{
    if (!bytes || length < 1) return NOTHING_CHANGED;
    // Before this action's own clicks: an editor that just appeared, or one
    // that owes clicks, is caught up first.
    resyncEditorAfterMissedClicks();
    SurfaceChange change = NOTHING_CHANGED;
    MidiReader reader = startMidiReader(bytes, length);
    MidiMessage message;
    while (nextMidiMessage(reader, message)) {
        if (message.sysex) {
            if (isSurfaceProbe(message.sysex, message.sysexLength)) change |= handleSurfaceProbe();
        } else if (message.dataLength == 2) {
            change |= dispatchChannelMessage(message.status, message.data[0], message.data[1]);
        }
    }
    if (reader.dropped > 0) droppedMessages.fetch_add(static_cast<uint64_t>(reader.dropped));
    return change;
}

uint64_t droppedSurfaceMessages() { return droppedMessages.load(); }

void resetSurfaceInputState()
{
    droppedMessages = 0;
}
