#include "control/strip_controls.h"

#include <algorithm>
#include <cstdint>
#include <mutex>

#include "display/surface_change.h"
#include "editor/editor_clicks.h"
#include "mixer/mixer_send.h"
#include "model/console_model.h"
#include "platform/console_output.h"
#include "surface/output_queue.h"

namespace {

constexpr int FIRST_SPILL_BANK = 8;
constexpr int SCROLL_STEPS = 10;
constexpr uint8_t NOTE_MUTE_GROUP_1 = 74;

// The strip shown at surface position 0..7, or -1 for an empty or
// out-of-range position.
int stripAt(int position)
{
    if (position < 0 || position > 7) return -1;
    int s = bankStrips[position];
    return isValidStrip(s) ? s : -1;
}

bool isMixStrip(int s) { return isAudioStrip(s); }
// Every audio strip, matrices and mains too, can belong to mute groups.
bool hasMuteGroups(int s) { return familyHas(s, &StripFamily::hasGroups); }
bool isSpillBank(int bank) { return bank >= FIRST_SPILL_BANK && bank < BANK_COUNT; }

int usedEntries(int bank) { return std::clamp(bankCount[bank].load(), 0, BANK_SLOTS); }

int entryOrBlank(int bank, int index)
{
    if (index < 0 || index >= BANK_SLOTS) return BLANK_STRIP;
    int s = bankTable[bank][index];
    return isValidStrip(s) ? s : BLANK_STRIP;
}

void storeBankStrip(int position, int strip)
{
    std::lock_guard<std::mutex> lock(modelMutex);
    bankStrips[position] = strip;
}

void storePan(int strip, double pan)
{
    std::lock_guard<std::mutex> lock(modelMutex);
    strips[strip].pan = pan;
}

// Sends the strip's int value to strip path + suffix, or to "/dca/N" +
// dcaSuffix for a DCA (nothing when dcaSuffix is null).
void sendStripInt(int strip, const char* suffix, const char* dcaSuffix, int value)
{
    char address[OSC_BUFFER_SIZE];
    int length = -1;
    if (isMixStrip(strip)) {
        length = formatStripPath(address, sizeof address, strip, suffix);
    } else if (isDca(strip) && dcaSuffix) {
        length = formatText(address, sizeof address, "/dca/%d%s", stripNumberOf(strip), dcaSuffix);
    }
    if (length > 0) sendToMixer(address, "i", value);
}

// The DCA group whose spill bank is shown, made valid first: the
// preferences may not have set one yet.
int validDcaGroup()
{
    if (currentDcaGroup < 0 || currentDcaGroup > 7) currentDcaGroup = 0;
    return currentDcaGroup;
}

// First index of strip in the bank's list; -1 when it is not there. DCA
// spill banks keep their members from entry 1 on.
int positionInBank(int bank, int strip)
{
    int limit = std::min(usedEntries(bank) + (isSpillBank(bank) ? 1 : 0), BANK_SLOTS);
    for (int p = 0; p < limit; ++p) {
        if (bankTable[bank][p] == strip) return p;
    }
    return -1;
}

bool skippable(int bank, int p) { return bankTable[bank][p] >= FIRST_DCA || bankTable[bank][p] < 0; }

int stepForward(int bank, int p)
{
    int n = std::min(usedEntries(bank) + (isSpillBank(bank) ? 1 : 0), BANK_SLOTS);
    if (p >= BANK_SLOTS - 1) return p;
    if (p < n - 1) ++p;
    while (p < n - 1 && skippable(bank, p)) ++p;
    // A list that ends with DCAs or empty entries: back to the last strip.
    if (p == n - 1 && skippable(bank, p)) {
        while (p > 0 && skippable(bank, p)) --p;
    }
    return p;
}

int stepBackward(int bank, int p)
{
    int n = usedEntries(bank);
    if (p >= 1) --p;
    while (p > 0 && skippable(bank, p)) --p;
    if (p == 0 && skippable(bank, 0)) {
        for (int steps = 0; steps < n - 1 && skippable(bank, p); ++steps) ++p;
    }
    return p;
}

// A selection the current bank does not hold (the console chose it, or a
// DCA step left it behind) steps onto the surface: next takes the first
// strip shown, previous the last. BLANK_STRIP when none is shown.
int shownStripFrom(int direction)
{
    for (int k = 0; k < 8; ++k) {
        int s = bankStrips[direction > 0 ? k : 7 - k];
        if (isMixStrip(s)) return s;
    }
    return BLANK_STRIP;
}

void buildUserBank(int bank, int scroll)
{
    int count = usedEntries(bank);
    int base = scroll * 8;
    int skip = scroll > 0 ? std::max(bankSkip[scroll - 1].load(), 0) : 0;
    // Only empty entries at the start of a scroll step are skipped.
    while (base + skip < count && bankTable[bank][base + skip] == BLANK_STRIP) ++skip;
    bankSkip[scroll] = skip;
    for (int i = 0; i < 8; ++i) {
        int index = base + skip + i;
        storeBankStrip(i, index < count ? entryOrBlank(bank, index) : BLANK_STRIP);
    }
}

// Surface strip 1 shows the DCA itself, the other seven its members, seven
// members per scroll step.
void buildSpillBank(int bank, int scroll)
{
    storeBankStrip(0, FIRST_DCA + (bank - FIRST_SPILL_BANK));
    for (int i = 1; i < 8; ++i) storeBankStrip(i, entryOrBlank(bank, scroll * 7 + i));
}

void stepBankUp()
{
    if (currentBank < FIRST_SPILL_BANK) {
        currentBank = nextBankWithStrips(currentBank, 1);
        if (currentBank < FIRST_SPILL_BANK) buildBankStrips(currentBank, 0);
        clickEditorBank(currentBank);
        if (currentBank < FIRST_SPILL_BANK) return;
    }
    currentBank = FIRST_SPILL_BANK + validDcaGroup();
    buildBankStrips(currentBank, 0);
}

void stepBankDown()
{
    int below = nextBankWithStrips(std::min(currentBank.load(), FIRST_SPILL_BANK), -1);
    if (below < 0) {
        // Nothing to switch to; the surface goes back to the bank's start
        // so that it matches the reset scroll step.
        buildBankStrips(currentBank, 0);
        return;
    }
    currentBank = below;
    buildBankStrips(currentBank, 0);
    clickEditorBank(currentBank);
}

} // namespace

int formatStripPath(char* buffer, int capacity, int strip, const char* suffix)
{
    if (!buffer || capacity <= 0) return -1;
    if (!suffix) suffix = "";
    char root[OSC_BUFFER_SIZE];
    if (!isMixStrip(strip) || formatStripRoot(root, sizeof root, strip) < 0) return -1;
    return formatText(buffer, capacity, "%s%s", root, suffix);
}

namespace {

// The messages a hand on a fader, encoder or mute button sends, encoded
// once: a move only writes its value.
struct StripMessages {
    PrebuiltOscMessage fader[STRIP_COUNT];
    PrebuiltOscMessage pan[STRIP_COUNT];
    PrebuiltOscMessage on[STRIP_COUNT];
};

StripMessages buildStripMessages()
{
    StripMessages built{};
    char address[OSC_BUFFER_SIZE];
    for (int s = 0; s < STRIP_COUNT; ++s) {
        if (isMixStrip(s)) {
            if (formatStripPath(address, sizeof address, s, "/mix/fader") > 0) prebuildOscMessage(built.fader[s], address, 'f');
            if (formatStripPath(address, sizeof address, s, "/mix/pan") > 0) prebuildOscMessage(built.pan[s], address, 'f');
            if (formatStripPath(address, sizeof address, s, "/mix/on") > 0) prebuildOscMessage(built.on[s], address, 'i');
        } else {
            if (formatText(address, sizeof address, "/dca/%d/fader", stripNumberOf(s)) > 0) prebuildOscMessage(built.fader[s], address, 'f');
            if (formatText(address, sizeof address, "/dca/%d/on", stripNumberOf(s)) > 0) prebuildOscMessage(built.on[s], address, 'i');
        }
    }
    return built;
}

const StripMessages& stripMessages()
{
    static const StripMessages built = buildStripMessages();
    return built;
}

} // namespace

void prepareStripMessages() { stripMessages(); }

void sendStripFader(int strip)
{
    if (!isValidStrip(strip)) return;
    sendPrebuiltFloat(stripMessages().fader[strip], static_cast<float>(strips[strip].fader));
}

void sendStripPan(int strip)
{
    if (!hasPan(strip)) return;
    sendPrebuiltFloat(stripMessages().pan[strip], static_cast<float>(strips[strip].pan));
}

void sendStripMute(int strip)
{
    if (!isValidStrip(strip)) return;
    // The console's flag is "on": the opposite of muted.
    sendPrebuiltInt(stripMessages().on[strip], strips[strip].mute ? 0 : 1);
}

void sendChannelSelect(int strip)
{
    if (!isValidStrip(strip)) return;
    if (!sendToMixerQuietly("/-stat/selidx", "i", strip)) {
        consolePrint("Error sending channel select to mixer\n");
    }
}

void sendMuteGroupMembership()
{
    int s = selectedStrip;
    if (!hasMuteGroups(s)) return;
    int mask = 0;
    for (int k = 0; k < 6; ++k) {
        if (strips[s].muteGroups[k]) mask |= 1 << k;
    }
    sendStripInt(s, "/grp/mute", nullptr, mask);
}

void turnBankStripPan(int position, int value)
{
    int s = stripAt(position);
    if (!hasPan(s)) return;
    double pan = strips[s].pan;
    // A turn that would reach or pass either end is ignored.
    if (value < 65) {
        double step = value * 0.01;
        if (pan < 1.0 - step) pan += step;
    } else {
        double step = (value - 64) * 0.01;
        if (pan > step) pan -= step;
    }
    pan = static_cast<float>(pan);  // as the console holds it
    if (pan == strips[s].pan) return;  // nothing moved: nothing to write
    storePan(s, pan);
    sendStripPan(s);
}

SurfaceChange centreBankStripPan(int position) { return centreStripPan(stripAt(position)); }

SurfaceChange centreStripPan(int strip)
{
    if (!hasPan(strip) || strips[strip].pan == 0.5) return NOTHING_CHANGED;
    storePan(strip, 0.5);
    sendStripPan(strip);
    return SURFACE_CHANGED;
}

SurfaceChange toggleBankStripMute(int position)
{
    int s = stripAt(position);
    if (s < 0) return NOTHING_CHANGED;
    strips[s].mute = strips[s].mute ? 0 : 1;
    sendStripMute(s);
    return SURFACE_CHANGED;
}

SurfaceChange toggleBankStripSolo(int position)
{
    int s = stripAt(position);
    if (s < 0) return NOTHING_CHANGED;
    strips[s].solo = strips[s].solo ? 0 : 1;
    char address[OSC_BUFFER_SIZE];
    if (formatText(address, sizeof address, "/-stat/solosw/%02d", s + 1) > 0) {
        sendToMixer(address, "i", strips[s].solo.load());
    }
    return SURFACE_CHANGED;
}

SurfaceChange pressStripSelect(int position)
{
    if (position < 0 || position > 7) return NOTHING_CHANGED;
    selectHeld[position] = 1;
    int s = stripAt(position);
    if (isMixStrip(s)) {
        selectedStrip = s;
        selectedBankSlot = bankSlotOf(s);
        sendChannelSelect(s);
    }
    // Also for a DCA or empty strip: the held select changes the group lamps.
    return SURFACE_CHANGED;
}

SurfaceChange releaseStripSelect(int position)
{
    if (position < 0 || position > 7) return NOTHING_CHANGED;
    selectHeld[position] = 0;
    return SURFACE_CHANGED;
}

SurfaceChange pressMuteGroup(int group)
{
    if (group < 1 || group > 6) return NOTHING_CHANGED;
    int g = group - 1;
    bool selectIsHeld = std::any_of(std::begin(selectHeld), std::end(selectHeld),
                                    [](int held) { return held == 1; });
    if (selectIsHeld) {
        // Holding select edits the selected strip's membership instead.
        int s = selectedStrip;
        if (hasMuteGroups(s)) {
            strips[s].muteGroups[g] = strips[s].muteGroups[g] ? 0 : 1;
            sendMuteGroupMembership();
        }
    } else {
        muteGroupOn[g] = muteGroupOn[g] ? 0 : 1;
        queueLamp(static_cast<uint8_t>(NOTE_MUTE_GROUP_1 + g), muteGroupOn[g] ? 127 : 0);
        char address[OSC_BUFFER_SIZE];
        if (formatText(address, sizeof address, "/config/mute/%d", group) > 0) {
            sendToMixer(address, "i", muteGroupOn[g].load());
        }
    }
    return SURFACE_CHANGED;
}

SurfaceChange toggleRoutingSwitch()
{
    routSwitch = routSwitch ? 0 : 1;
    sendToMixer("/config/routing/routswitch", "i", routSwitch.load());
    // The other routing row feeds the channels from other head amps.
    askEveryHeadampIndex();
    // The console does not echo a change back to its sender: redraw the lamp now.
    return SURFACE_CHANGED;
}

void clearAllSolos()
{
    // The solo flags follow when the console reports its solo states.
    sendToMixer("/-action/clearsolo", "i", 1);
}

SurfaceChange selectAdjacentStrip(int direction)
{
    int bank = currentBank;
    if (bank < 0 || bank >= BANK_COUNT || (direction != 1 && direction != -1)) return NOTHING_CHANGED;
    int selected = selectedStrip;
    if (!isValidStrip(selected)) return NOTHING_CHANGED;
    int p = positionInBank(bank, selected);
    // A spill bank's own DCA on surface strip 1 is not among its members: it
    // stands before the first one, so there is nothing before it.
    if (p < 0 && isSpillBank(bank) && selected == FIRST_DCA + bank - FIRST_SPILL_BANK) {
        if (direction < 0) return NOTHING_CHANGED;
        p = 0;
    }
    int next;
    if (p >= 0) {
        p = direction > 0 ? stepForward(bank, p) : stepBackward(bank, p);
        next = bankTable[bank][p];
    } else {
        next = shownStripFrom(direction);
    }
    // A list of nothing but DCAs and empty entries keeps the selection.
    if (!isValidStrip(next)) return NOTHING_CHANGED;
    selectedStrip = next;
    selectedBankSlot = bankSlotOf(next);
    sendChannelSelect(next);
    return SURFACE_CHANGED;
}

SurfaceChange buildBankStrips(int bank, int scroll)
{
    if (bank < 0 || bank >= BANK_COUNT || scroll < 0 || scroll >= SCROLL_STEPS) return NOTHING_CHANGED;
    if (isSpillBank(bank)) buildSpillBank(bank, scroll);
    else buildUserBank(bank, scroll);
    // The selection lamp follows the selected strip to where it is shown now.
    selectedBankSlot = bankSlotOf(selectedStrip);
    return SURFACE_CHANGED;
}

SurfaceChange switchBank(int direction)
{
    if (direction != 1 && direction != -1) return NOTHING_CHANGED;
    if (currentBank < 0 || currentBank >= BANK_COUNT) currentBank = 0;
    // A console reply meanwhile must not show a bank half laid out; the
    // receiving loop refreshes once the switch returns. Restored rather than
    // forced on, so a press during start-up does not enable it early.
    int refreshWas = surfaceRefreshEnabled;
    surfaceRefreshEnabled = 0;
    bankScroll = 0;
    if (direction > 0) stepBankUp();
    else stepBankDown();
    surfaceRefreshEnabled = refreshWas;
    // The selection is the console's: a bank step only moves its lamp to
    // where the selected strip is shown now, if anywhere.
    return SURFACE_CHANGED;
}

SurfaceChange scrollBank(int direction)
{
    int bank = currentBank;
    if (bank < 0 || bank >= BANK_COUNT) return NOTHING_CHANGED;
    if (bankScroll < 0 || bankScroll >= SCROLL_STEPS) bankScroll = 0;
    if (direction > 0) {
        bool more;
        if (isSpillBank(bank)) {
            // Seven members per step, from entry 1 on.
            more = bankScroll * 7 + 7 < usedEntries(bank);
        } else {
            more = bankScroll * 8 + 8 < usedEntries(bank) - bankSkip[bankScroll];
        }
        if (bankScroll < SCROLL_STEPS - 1 && more) ++bankScroll;
    } else if (direction < 0) {
        if (bankScroll > 0) --bankScroll;
    } else {
        return NOTHING_CHANGED;
    }
    return buildBankStrips(bank, bankScroll);
}
