#include "display/refresh.h"

#include "display/encoder_rings.h"
#include "display/page_table.h"
#include "display/strip_display.h"
#include "display/strip_texts.h"
#include "model/console_model.h"
#include "model/fader_scale.h"
#include "surface/output_queue.h"

#include <cstdint>
#include <mutex>

namespace {

constexpr int MUTE_LAMP_WAIT = 150;
// The lamps of the pages that have a button of their own, in sending order.
constexpr uint8_t MODE_LAMPS[8] = {0x33, 0x2C, 0x28, 0x2D, 0x2B, 0x2A, 0x29, 0x55};

uint8_t lit(bool on) { return on ? 127 : 0; }

// A position holding anything but a strip index shows as blank.
const StripRecord* recordOf(int strip)
{
    return isValidStrip(strip) ? &strips[strip] : nullptr;
}

int faderPosition(double level) { return faderStepOf(level); }

// Only a fader under a hand is left alone: another fader showing the same
// strip (the master and a fader showing LR) follows the hand, so that every
// fader without a hand shows what the console holds. On another surface a
// fader of the held strip stays still until the hand leaves. Blank positions go to
// the bottom; a full refresh sends those among their lamps instead
// (withBlanks false).
void sendMotorFaders(int page, bool withBlanks)
{
    for (int i = 0; i < 8; ++i) {
        if (faderTouched[i] != 0) continue;
        int s = bankStrips[i];
        const StripRecord* r = recordOf(s);
        if (!r) {
            if (withBlanks) queueFaderPosition(i + 1, 0);
            continue;
        }
        if (stripHeldOnAnotherSurface(s)) continue;
        // A strip without the send or mono level the page puts on the
        // faders has nothing there: its fader is dark, like a blank one.
        bool dark = (isSendFaderPage(page) && !sendsToBuses(s)) || (page == PAGE_MONO_FADERS && !hasMonoSend(s));
        if (dark) {
            queueFaderPosition(i + 1, 0);
            continue;
        }
        double level = isSendFaderPage(page)      ? r->sends[busOfSendFaderPage(page)].level
                       : page == PAGE_MONO_FADERS ? r->monoLevel
                                                  : r->fader;
        queueFaderPosition(i + 1, faderPosition(level));
    }
    if (faderTouched[8] == 0 && !stripHeldOnAnotherSurface(MAIN_STEREO))
        queueFaderPosition(9, faderPosition(strips[MAIN_STEREO].fader));
}

// The mode lamps and the cleared send and effects blocks of a page.
void sendPageEntryLamps(const SurfacePageEntry& entry)
{
    bool ownLampIsMode = false;
    for (uint8_t note : MODE_LAMPS) {
        bool own = note == entry.lampNote;
        ownLampIsMode = ownLampIsMode || own;
        queueLamp(note, own ? entry.lampVelocity : 0);
    }
    for (uint8_t note = 0x3E; note <= 0x45; ++note) queueLamp(note, 0);
    for (uint8_t note = 0x36; note <= 0x3D; ++note) queueLamp(note, 0);
    for (uint8_t i = 0; i < 4; ++i) {
        queueLamp(0x46 + i, 0);
        queueLamp(0x50 + i, 0);
    }
    // Send and effects pages light their own lamp from the block just cleared.
    if (!ownLampIsMode) queueLamp(entry.lampNote, entry.lampVelocity);
}

// The spill bank on show follows a DCA membership the console changed: the
// members move at once, so the faders write to the new ones. Checked and
// written under modelMutex: a bank change on the surface thread stores
// currentBank before it lays out its strips under the same lock, so its
// layout always comes last.
void layOutShownSpillBank()
{
    std::lock_guard<std::mutex> lock(modelMutex);
    int bank = currentBank;
    int scroll = bankScroll;
    if (bank < 8 || bank >= BANK_COUNT || scroll < 0 || scroll > 9) return;
    bool moved = false;
    for (int i = 0; i < 8; ++i) {
        int s = i == 0 ? FIRST_DCA + bank - 8 : bankTable[bank][scroll * 7 + i].load();
        if (!isValidStrip(s)) s = BLANK_STRIP;
        moved = moved || bankStrips[i] != s;
        bankStrips[i] = s;
    }
    if (moved) selectedBankSlot = bankSlotOf(selectedStrip);
}

// The editor was clicked to the page where the page changed.
void sendPageEntry(int page, const SurfacePageEntry& entry)
{
    lastShownPage = page;
    sendPageEntryLamps(entry);
}

void sendGroupLamps()
{
    queueLamp(0x59, lit(automixEnableX != 0));
    queueLamp(0x5A, lit(automixEnableY != 0));

    bool holding = false;
    for (int held : selectHeld) holding = holding || held != 0;
    const StripRecord* selected = recordOf(selectedStrip);
    for (int g = 0; g < 6; ++g) {
        bool on = holding ? (selected && selected->muteGroups[g] != 0) : muteGroupOn[g] == 1;
        queueLamp(static_cast<uint8_t>(0x4A + g), lit(on));
    }
}

void sendSelectionIndicator()
{
    int slot = selectedBankSlot;
    if (slot < 0 || slot > 8) return;
    for (int k = 1; k <= 8; ++k) queueLamp(static_cast<uint8_t>(0x17 + k), lit(k == slot));
}

// Queues what each position shows besides its fader and collects the mute
// lamps of the strips shown into muteLampBatch after its status byte.
// Returns the batch length.
int sendStripLamps(int page, uint8_t* muteLampBatch)
{
    int length = 1;
    for (int i = 0; i < 8; ++i) {
        const StripRecord* r = recordOf(bankStrips[i]);
        uint8_t position = static_cast<uint8_t>(i);
        if (!r) {
            if (faderTouched[i] == 0) queueFaderPosition(i + 1, 0);
            showEncoderRing(page, i);
            queueLamp(0x10 + position, 0);
            queueLamp(0x08 + position, 0);
            queueLamp(0x00 + position, 0);
            continue;
        }
        muteLampBatch[length++] = 0x10 + position;
        muteLampBatch[length++] = lit(r->mute != 0);
        queueLamp(0x08 + position, lit(r->solo != 0));
        showEncoderRing(page, i);
    }
    return length;
}

// Bank up lit while a bank lies above (the DCA spill banks above the user
// banks), bank down while a user bank with strips lies below.
void sendBankLamps()
{
    int bank = currentBank;
    queueLamp(97, lit(bank < 8));
    queueLamp(96, lit(nextBankWithStrips(bank < 8 ? bank : 8, -1) >= 0));
}

void sendSoloAndRouting()
{
    bool anySolo = keySolo != 0;
    for (const StripRecord& r : strips) anySolo = anySolo || r.solo != 0;
    queueLamp(0x73, anySolo ? 1 : 0);
    queueLamp(0x54, lit(anySolo));
    queueLamp(0x56, lit(routSwitch != 0));
}

// A refresh asked for while another thread's is running for the same
// surface merges into it: that one runs once more, reading the model
// afresh, instead of both racing.
std::atomic<bool> refreshRunning[MAX_SURFACES];
std::atomic<bool> refreshWanted[MAX_SURFACES];

void refreshOnce()
{
    rebuildDcaBanks();
    layOutShownSpillBank();

    // One read of the page, so that a page change on another thread cannot
    // mix two pages in one refresh.
    int page = surfacePage;
    const SurfacePageEntry& entry = surfacePageEntry(page);
    if (page != lastShownPage && entry.hasEntryBlock) sendPageEntry(page, entry);

    sendGroupLamps();
    sendSelectionIndicator();

    // The mute lamps go out as one running-status datagram, one pair per
    // strip shown, after the row-A lamps.
    uint8_t muteLampBatch[1 + 2 * 8];
    muteLampBatch[0] = 0x90;
    sendMotorFaders(page, false);
    int length = sendStripLamps(page, muteLampBatch);
    entry.showRowA(page);
    queueLampBatch(muteLampBatch, length, MUTE_LAMP_WAIT);

    sendSoloAndRouting();
    sendBankLamps();
    refreshStripDisplays();
}

}  // namespace

void refreshSurface()
{
    if (surfaceRefreshEnabled < 1) return;
    std::atomic<bool>& running = refreshRunning[servedSurface()];
    std::atomic<bool>& wanted = refreshWanted[servedSurface()];
    wanted = true;
    for (;;) {
        if (running.exchange(true)) return;
        while (wanted.exchange(false)) refreshOnce();
        running = false;
        // A request that came after the last pass but before the release
        // found the refresh still running; take it up here.
        if (!wanted) return;
    }
}

void redrawWholeSurface()
{
    forgetSentLampsAndFaders();
    forgetSentRings();
    forgetSentStripDisplays();
    // The surface lost its page lamps too; the editor shows the page already.
    int page = lastShownPage;
    if (page >= 0 && surfaceRefreshEnabled >= 1) {
        const SurfacePageEntry& entry = surfacePageEntry(page);
        if (entry.hasEntryBlock) sendPageEntryLamps(entry);
    }
    refreshSurface();
}

void showSurfaceChange(SurfaceChange change)
{
    if (change & SURFACE_LOST) {
        redrawWholeSurface();
        return;
    }
    // A refresh sends the faders too, unless refreshes are held back.
    if ((change & (SURFACE_CHANGED | PAGE_CHANGED)) && surfaceRefreshEnabled >= 1) {
        refreshSurface();
        return;
    }
    if (change & FADERS_CHANGED) refreshMotorFaders();
}

void refreshMotorFaders()
{
    sendMotorFaders(surfacePage, true);
}

void rebuildDcaBanks()
{
    // Each slot is stored once with its final value, so a reader on another
    // thread never sees a bank emptied halfway through the rebuild.
    for (int d = 0; d < 8; ++d) {
        Relaxed<int>* bank = bankTable[8 + d];
        int count = 0;
        bank[0] = BLANK_STRIP;
        for (int s = 0; s < FIRST_DCA; ++s) {
            if (strips[s].dcaGroups[d] > 0) bank[1 + count++] = s;
        }
        for (int slot = 1 + count; slot < BANK_SLOTS; ++slot) bank[slot] = BLANK_STRIP;
        bankCount[8 + d] = count;
    }
}

void resetRefreshState()
{
    for (SurfaceDeviceState& d : surfaceDevices) d.lastShownPage = -1;
    for (auto& running : refreshRunning) running = false;
    for (auto& wanted : refreshWanted) wanted = false;
}
