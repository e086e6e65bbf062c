#include "surface/input_dispatch.h"

#include <atomic>
#include <cstdint>
#include <cstring>

#include "control/page_controls.h"
#include "control/strip_controls.h"
#include "diag/traffic_log.h"
#include "display/refresh.h"
#include "editor/dca_spill.h"
#include "editor/editor_clicks.h"
#include "editor/editor_window.h"
#include "model/console_model.h"
#include "model/fader_scale.h"
#include "platform/clock.h"
#include "platform/console_output.h"
#include "platform/stop_signal.h"
#include "platform/udp.h"
#include "surface/midi_reader.h"
#include "surface/output_queue.h"
#include "surface/self_loop.h"
#include "surface/surface_learn.h"

namespace {

constexpr int RECEIVE_CAPACITY = 1024;
// While an editor window is followed, the loop wakes at least this often to
// follow it with the surface idle; otherwise it blocks until a datagram or
// the stop request.
constexpr int EDITOR_FOLLOW_MS = 500;
constexpr int EDITOR_SEARCH_INTERVAL_MS = 500;

constexpr int MAIN_STEREO = 70;
constexpr uint8_t PRESS = 127;

bool editorSearched = false;
int64_t lastEditorSearchMs = 0;

// Until the editor is found, look for it again now and then, so that an
// editor started after the bridge is picked up by the next surface action.
void searchEditorIfDue()
{
    if (editorFound == 1) return;
    int64_t now = steadyMilliseconds();
    if (editorSearched && now - lastEditorSearchMs < EDITOR_SEARCH_INTERVAL_MS) return;
    editorSearched = true;
    lastEditorSearchMs = now;
    searchEditorWindow();
}

bool inRange(int value, int low, int high) { return value >= low && value <= high; }

void showPage(int page)
{
    surfacePage = page;
    refreshSurface(0);
}

// Faders 1..8: the strip's level, or on the send and mono pages the send
// or mono level of the strips that have one.
void moveStripFader(int position, double level)
{
    int s = bankStrips[position];
    if (!isValidStrip(s)) return;
    int page = surfacePage;
    if (inRange(page, 8, 23) && s <= 47) {
        strips[s].sends[page - 7].level = level;
        sendStripSend(s, page - 8);
        return;
    }
    if (page == 34 && s <= 63) {
        strips[s].monoLevel = level;
        sendStripSend(s, 16);
        return;
    }
    bool fadersShowLevels = page == 0 || inRange(page, 2, 5) || inRange(page, 8, 34);
    if (!fadersShowLevels) return;
    strips[s].fader = level;
    sendStripFader(s);
    // The master fader shows the main stereo strip too.
    if (s == MAIN_STEREO) refreshMotorFaders();
}

void moveMasterFader(double level)
{
    strips[MAIN_STEREO].fader = level;
    sendStripFader(MAIN_STEREO);
    refreshMotorFaders();
}

void turnEncoder(int k, int value)
{
    int page = surfacePage;
    if (page == 0) {
        turnBankStripPan(k, value);
    } else if (page == 1 || inRange(page, 2, 5) || inRange(page, 24, 33)) {
        handlePageEncoder(page, k, value);
    }
    refreshSurface(0);
}

// The top-row notes (bit n = note n) each page gives a meaning to.
struct TopRowPages {
    int firstPage;
    int lastPage;
    uint8_t notes;
};
constexpr TopRowPages topRowPages[] = {
    {1, 1, 0x06},   {2, 5, 0x01},   {8, 23, 0xFF},  {24, 27, 0x01}, {28, 28, 0xFC},
    {29, 30, 0xFF}, {31, 31, 0xD6}, {32, 32, 0xC6}, {33, 33, 0xFE}, {34, 34, 0xFF},
};

void pressTopButton(int note, int)
{
    int page = surfacePage;
    for (const TopRowPages& entry : topRowPages) {
        if (!inRange(page, entry.firstPage, entry.lastPage)) continue;
        if (!(entry.notes & (1 << note))) return;
        // The send and mono pages act on the strip above the button.
        bool perStrip = inRange(page, 8, 23) || page == 34;
        if (perStrip && !isValidStrip(bankStrips[note])) return;
        handlePageTopButton(page, note);
        return;
    }
}

enum class PageChange { Show, Toggle, AlternateSends };
struct PageButton {
    uint8_t note;
    int page;
    PageChange change;
};
constexpr PageButton pageButtons[] = {
    {40, 28, PageChange::Toggle}, {41, 33, PageChange::Toggle}, {42, 32, PageChange::Toggle},
    {43, 31, PageChange::Toggle}, {44, 1, PageChange::Toggle},  {45, 29, PageChange::AlternateSends},
    {51, 0, PageChange::Show},
};

void pressPageButton(int note, int)
{
    for (const PageButton& button : pageButtons) {
        if (button.note != note) continue;
        int page = surfacePage;
        switch (button.change) {
        case PageChange::Show: page = button.page; break;
        case PageChange::Toggle: page = page == button.page ? 0 : button.page; break;
        case PageChange::AlternateSends: page = page == 29 ? 30 : 29; break;
        }
        showPage(page);
        return;
    }
}

void storeEncoderPush(int note, int velocity)
{
    const bool changed = (encoderPushed[note - 32] != 0) != (velocity != 0);
    encoderPushed[note - 32] = velocity;
    int page = surfacePage;
    if (velocity == PRESS && (page == 28 || page == 31)) handlePageEncoderPush(page, note);
    // On these pages a held encoder edits another value: its ring (and on
    // the dynamics page its label) shows the other one as soon as the push
    // changes, not at the next refresh.
    bool pushSwitchesValue = page == 1 || inRange(page, 2, 5) || inRange(page, 24, 28) || page == 32 || page == 33;
    if (changed && pushSwitchesValue) refreshSurface(0);
}

// Touch is kept per physical fader: a hand that holds a fader across a bank
// change releases the fader it holds, whatever strip it shows by then.
void touchFader(int note, int velocity)
{
    if (velocity != PRESS && velocity != 0) return;
    int position = note - 104;
    faderTouched[position] = velocity == PRESS ? 1 : 0;
    if (velocity == PRESS) return;
    // The fader stays where the hand left it: send it the model's position.
    forgetSentFader(position + 1);
    refreshMotorFaders();
}

void releaseSelect(int note, int) { releaseStripSelect(note - 24); }
void pressSelect(int note, int) { pressStripSelect(note - 24); }
void pressFxSlot(int note, int) { handleFxSlotButton(note); }
void pressSendFaders(int note, int) { showPage(note >= 62 ? note - 54 : note - 38); }
void pressMonoFaders(int, int) { showPage(34); }
void pressMute(int note, int) { toggleBankStripMute(note - 16); }
void pressGroup(int note, int) { pressMuteGroup(note - 73); }
void pressSolo(int note, int) { toggleBankStripSolo(note - 8); }
void pressAutomix(int note, int) { toggleAutomixEnable(note - 89); }
void pressRoutingSwitch(int, int) { toggleRoutingSwitch(); }
void pressClearSolo(int, int) { clearAllSolos(); }
void pressSelectStep(int note, int) { selectAdjacentStrip(note == 49 ? 1 : -1); }
void pressScroll(int note, int) { scrollBank(note == 47 ? 1 : -1); }

void pressDcaStep(int note, int)
{
    // Only the DCA spill banks have neighbours to step to.
    if (currentBank >= 8) stepDcaSpill(note == 99 ? 1 : -1);
}

void pressBank(int note, int)
{
    switchBank(note == 97 ? 1 : -1);
    selectFirstBankStrip();
}

void pressPanCentre(int note, int)
{
    if (surfacePage == 0) centreBankStripPan(note - 32);
}

enum class Velocity { Any, Press, Release };
struct NoteRoute {
    uint8_t first;
    uint8_t last;
    Velocity velocity;
    void (*handle)(int note, int velocity);
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

void dispatchNote(int note, int velocity)
{
    for (const NoteRoute& route : noteRoutes) {
        if (inRange(note, route.first, route.last) && velocityMatches(route.velocity, velocity)) {
            route.handle(note, velocity);
        }
    }
}

// A locked console takes no surface action, but a finger lifted meanwhile
// must not leave a fader, select or encoder held for good.
void releaseWhileLocked(int note)
{
    if (inRange(note, 104, 112)) touchFader(note, 0);
    else if (inRange(note, 24, 31)) selectHeld[note - 24] = 0;
    else if (inRange(note, 32, 39)) encoderPushed[note - 32] = 0;
}

} // namespace

double faderPositionOf(uint8_t low, uint8_t high)
{
    return faderPositionOfStep(faderStepOfBytes(low, high));
}

namespace {

// One channel message with its two data bytes.
void dispatchChannelMessage(uint8_t status, uint8_t first, uint8_t second)
{
    // A fader that moved is no longer where it was last sent, whether or not
    // the move is taken (locked console, a page where faders do nothing).
    if (inRange(status, 0xE0, 0xE8)) forgetSentFader(status - 0xE0 + 1);
    // Until start-up has read the console, an action would write values the
    // bridge does not know yet: the surface is locked as for a locked console.
    if (consoleLock == 1 || startupComplete.load() != 1) {
        if (status == 0x90 && second == 0) releaseWhileLocked(first);
        return;
    }

    if (inRange(status, 0xE0, 0xE7)) moveStripFader(status - 0xE0, faderPositionOf(first, second));
    if (status == 0xB0 && inRange(first, 16, 23)) turnEncoder(first - 16, second);
    if (status == 0xE8) moveMasterFader(faderPositionOf(first, second));
    if (status == 0x90) dispatchNote(first, second);
}

std::atomic<uint64_t> droppedMessages{0};

}  // namespace

void handleSurfaceProbe()
{
    static const uint8_t answer[8] = {0xF0, 0x00, 0x20, 0x32, 0x58, 0x54, 0x01, 0xF7};
    queueSurfaceBytes(answer, sizeof answer, 150);
    // The keep-alive at once ends the probing; the next one is 4 s away.
    queueHeartbeat();
    // A surface that restarted holds nothing down any more.
    for (auto& touched : faderTouched) touched = 0;
    for (int i = 0; i < 8; ++i) selectHeld[i] = encoderPushed[i] = 0;
    redrawWholeSurface();
}

void dispatchSurfaceMessage(const uint8_t* bytes, int length)
{
    searchEditorIfDue();
    if (!bytes || length < 1) return;
    resyncEditorAfterMissedClicks();
    MidiReader reader = startMidiReader(bytes, length);
    MidiMessage message;
    while (nextMidiMessage(reader, message)) {
        if (message.sysex) {
            if (isSurfaceProbe(message.sysex, message.sysexLength)) handleSurfaceProbe();
        } else if (message.dataLength == 2) {
            dispatchChannelMessage(message.status, message.data[0], message.data[1]);
        }
    }
    if (reader.dropped > 0) droppedMessages.fetch_add(static_cast<uint64_t>(reader.dropped));
}

uint64_t droppedSurfaceMessages() { return droppedMessages.load(); }

int surfaceReceiveLoop()
{
    if (stopRequested) return 0;
    UdpSocket* socket = surfaceLinkSocket();
    if (!socket) return 0;
    prepareStripMessages();
    uint8_t buffer[RECEIVE_CAPACITY];
    const uint16_t ownPort = socket->localPort();  // bound before this loop starts
    while (!stopRequested) {
        if (editorFound == 1) updateEditorGeometry();
        flushConsole();
        int length = 0;
        UdpEndpoint from;
        const int timeoutMs = editorFound == 1 ? EDITOR_FOLLOW_MS : -1;
        ReceiveStatus status = socket->receive(buffer, sizeof buffer, length, from, timeoutMs);
        if (status == ReceiveStatus::Interrupted) {
            // A time-out, or a wake-up for the stop request; never spin on a
            // socket left interrupted.
            sleepUnlessStopped(5);
            continue;
        }
        if (status == ReceiveStatus::Failed) {
            if (stopRequested) break;
            // The platform layer retries what is transient; this is not.
            fatalSystemError("rcvfrom()");
        }
        // Our own messages looped back (the surface address set to this
        // machine) would read as fader moves.
        if (isOwnSurfaceDatagram(from, ownPort)) continue;
        // A surface learned from its probe is answered and drawn by the
        // probe's own dispatch below.
        if (learnSurfaceFrom(buffer, length, from) == LearnStep::Drop) continue;
        // Only the configured surface's address counts; its port may vary.
        if (from.address != surfaceLinkEndpoint().address) continue;
        noteSurfaceDatagram(LinkDirection::SurfaceIn, buffer, length);
        dispatchSurfaceMessage(buffer, length);
    }
    return 0;
}

void resetSurfaceInputState()
{
    droppedMessages = 0;
    editorSearched = false;
    lastEditorSearchMs = 0;
}
