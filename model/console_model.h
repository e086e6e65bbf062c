// The bridge's image of the console: one record, consoleModel, owned by this
// module and reset by resetConsoleModel. The OSC receive thread, the surface
// receive thread and, during start-up, the entry thread write it in place;
// every field is a Relaxed scalar (model/relaxed.h), so each load and store
// is whole and the last store wins, and a strip name is one atomic word.
// modelMutex guards replyCounter and keeps together what must not interleave:
// a status or configuration reply with its count, the home-page pan, and the
// bankStrips entries of start-up and of a bank switch.
// The names of the fields stay usable on their own (strips, headamps, ...)
// through the references below.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "model/relaxed.h"
#include "model/strip_families.h"
// The surface record comes along: users of the model read both.
#include "model/surface_device.h"
#include "model/surface_pages.h"

constexpr int STRIP_COUNT = LAST_DCA + 1;
constexpr int BLANK_STRIP = STRIP_COUNT;   // an empty surface position or bank slot
constexpr int HEADAMP_COUNT = 128;
constexpr int FX_SLOT_COUNT = 8;
constexpr int FX_PARAM_COUNT = 64;

// Up to 7 characters and a NUL in one 8-byte word: a reader on another thread
// sees the old name or the new one, never a mix of both.
struct StripName {
    Relaxed<uint64_t> bits;
};

struct EqBand {
    Relaxed<int> type;
    Relaxed<double> f;
    Relaxed<double> g;
    Relaxed<double> q;
};

struct SendState {
    Relaxed<int> on;
    Relaxed<double> level;
};

struct StripRecord {
    Relaxed<double> fader;
    Relaxed<double> pan;
    Relaxed<int> mute;              // 1 = muted (console sends "on")
    StripName name;        // storeStripName / copyStripName
    Relaxed<int> color;             // 0..7
    Relaxed<int> colorInverted;
    Relaxed<int> solo;
    Relaxed<int> hpOn;
    Relaxed<double> hpf;
    Relaxed<int> eqOn;
    Relaxed<int> eqBandCount;
    EqBand eq[7];          // bands 1..6; index 0 unused
    Relaxed<int> gateOn;
    Relaxed<int> gateMode;
    Relaxed<double> gateThr;
    Relaxed<double> gateRange;
    Relaxed<double> gateAttack;
    Relaxed<double> gateHold;
    Relaxed<double> gateRelease;
    Relaxed<int> gateKeySrc;
    Relaxed<int> gateFilterOn;
    Relaxed<int> gateFilterType;
    Relaxed<double> gateFilterF;
    Relaxed<int> dynOn;
    Relaxed<int> dynMode;
    Relaxed<int> dynDet;
    Relaxed<int> dynEnv;
    Relaxed<double> dynThr;
    Relaxed<int> dynRatio;
    Relaxed<double> dynKnee;
    Relaxed<double> dynMGain;
    Relaxed<double> dynAttack;
    Relaxed<double> dynHold;
    Relaxed<double> dynRelease;
    Relaxed<double> dynMix;
    Relaxed<int> dynKeySrc;
    Relaxed<int> dynFilterOn;
    Relaxed<int> dynFilterType;
    Relaxed<double> dynFilterF;
    Relaxed<int> muteGroups[6];     // element k = mute group k+1
    Relaxed<int> dcaGroups[8];      // element k = DCA k+1
    Relaxed<int> invert;
    Relaxed<int> link;
    Relaxed<int> haIndex;           // -1 = no head-amp
    Relaxed<double> trim;
    Relaxed<int> source;
    Relaxed<int> delayOn;
    Relaxed<double> delayTime;
    Relaxed<int> insertOn;
    Relaxed<int> insertPos;
    Relaxed<int> insertSel;
    SendState sends[17];   // sends 1..16; index 0 unused
    Relaxed<int> mono;
    Relaxed<double> monoLevel;
    Relaxed<int> stereo;
    Relaxed<int> automixGroup;
    Relaxed<double> automixWeight;
    Relaxed<float> meter;
};

struct HeadampRecord {
    Relaxed<double> gain;
    Relaxed<int> phantom;
};

struct FxSlot {
    Relaxed<int> type;              // -1 = not yet known
    Relaxed<int> paramPage;
    Relaxed<int> editorPageGroup;
    Relaxed<double> par[FX_PARAM_COUNT + 1];  // parameters 1..64; index 0 unused
};

struct ConsoleModel {
    StripRecord strips[STRIP_COUNT];
    HeadampRecord headamps[HEADAMP_COUNT];
    FxSlot fxSlots[FX_SLOT_COUNT + 1];  // slots 1..8; index 0 unused
    Relaxed<int> routingBlocks[6][6];
    Relaxed<int> routSwitch;
    Relaxed<int> userRouting[32];
    Relaxed<int> muteGroupOn[6];
    Relaxed<int> automixEnableX;
    Relaxed<int> automixEnableY;
    Relaxed<int> keySolo;
    Relaxed<int> consoleLock;
    Relaxed<int> selectedStrip;
};

extern ConsoleModel consoleModel;

inline StripRecord (&strips)[STRIP_COUNT] = consoleModel.strips;
inline HeadampRecord (&headamps)[HEADAMP_COUNT] = consoleModel.headamps;
inline FxSlot (&fxSlots)[FX_SLOT_COUNT + 1] = consoleModel.fxSlots;
inline Relaxed<int> (&routingBlocks)[6][6] = consoleModel.routingBlocks;
inline Relaxed<int>& routSwitch = consoleModel.routSwitch;
inline Relaxed<int> (&userRouting)[32] = consoleModel.userRouting;
inline Relaxed<int> (&muteGroupOn)[6] = consoleModel.muteGroupOn;
inline Relaxed<int>& automixEnableX = consoleModel.automixEnableX;
inline Relaxed<int>& automixEnableY = consoleModel.automixEnableY;
inline Relaxed<int>& keySolo = consoleModel.keySolo;
inline Relaxed<int>& consoleLock = consoleModel.consoleLock;
inline Relaxed<int>& selectedStrip = consoleModel.selectedStrip;

// A strip's name, cut to 7 characters (length < 0: up to the NUL). Any thread.
void storeStripName(StripRecord& strip, const char* text, int length = -1);
// The strip's name, NUL-terminated. Any thread.
void copyStripName(const StripRecord& strip, char (&out)[8]);

// Link and synchronisation state of the model floor.
extern std::mutex modelMutex;
struct LinkState {
    int replyCounter;                   // guarded by modelMutex
    // Sequentially consistent, not relaxed: setting it publishes what
    // start-up wrote before (the effects tables, the editor's points).
    std::atomic<int> startupComplete;
};
extern LinkState linkState;
inline int& replyCounter = linkState.replyCounter;
inline std::atomic<int>& startupComplete = linkState.startupComplete;

// Adds one to replyCounter under modelMutex.
void countReply();
// The send (1..16) that position e (1..8) of the send pages shows for the
// strip, 0 for none: channels, aux inputs and effects returns send to buses
// 1-16 (bank 1 shows 9-16); buses and mains to matrices 1-6 on both banks.
int sendAtPosition(int strip, int bank, int e);
// Highest send the console has for the strip: 16 buses, or 6 matrices.
inline int sendCountOf(int strip)
{
    const StripFamily* f = stripFamilyOf(strip);
    return f ? f->sendCount : 0;
}

// Start values of one strip record (empty name, haIndex -1, band count by family).
void resetStrip(int strip);
// Start values of one head-amp: no gain, no phantom power.
void resetHeadamp(HeadampRecord& headamp);
// Start values of every console record, as the start-up synchronisation expects.
void resetConsoleModel();
// The link record back to its start: no reply counted, start-up not done.
void resetLinkState();
// Console model, surface state and link state back to process-start values.
void resetModelState();

// Strip families by index (model/strip_families.h).
inline bool isValidStrip(int s) { return s >= 0 && s < STRIP_COUNT; }
inline int eqBandCountFor(int s)
{
    const StripFamily* f = stripFamilyOf(s);
    return f ? f->eqBandCount : 0;
}
// Channels, aux inputs and effects returns have four bands on encoders 5-8;
// buses, matrices and mains six on encoders 3-8. 0 = no band there.
inline int eqBandOnEncoder(int s, int encoder)
{
    const StripFamily* f = stripFamilyOf(s);
    if (!f || f->eqBandCount == 0 || encoder > 8 || encoder < f->firstEqEncoder) return 0;
    return encoder - f->firstEqEncoder + 1;
}
inline int highestEqBandType(int s)
{
    const StripFamily* f = stripFamilyOf(s);
    return f ? f->highestEqBandType : stripFamilies[FAMILY_DCA].highestEqBandType;
}
// The console's highest choice of the stepped settings: input source,
// insert slot, gate and dynamics key source, key filter type, ratio.
constexpr int HIGHEST_SOURCE = 64;
constexpr int HIGHEST_INSERT_SLOT = 22;
constexpr int HIGHEST_KEY_SOURCE = 64;
constexpr int HIGHEST_FILTER_TYPE = 8;
constexpr int HIGHEST_RATIO = 11;
// Only input channels 1-32 have a gate; channels, buses, matrices and mains
// have dynamics; aux inputs and effects returns have no insert.
inline bool hasGate(int s) { return familyHas(s, &StripFamily::hasGate); }
inline bool hasDynamics(int s) { return familyHas(s, &StripFamily::hasDynamics); }
// Matrices and mains have dynamics but no key source.
inline bool hasDynamicsKeySource(int s) { return familyHas(s, &StripFamily::hasDynamicsKeySource); }
inline bool hasInsert(int s) { return familyHas(s, &StripFamily::hasInsert); }
// The strips whose mono level and mono switch the console holds.
inline bool hasMonoSend(int s) { return familyHas(s, &StripFamily::hasMonoSend); }
// Channels and aux inputs: source and gain, maybe through a head amp.
inline bool canHaveHeadamp(int s) { return familyHas(s, &StripFamily::hasHeadamp); }
// Channels, aux inputs and matrices: the pre-amp's polarity switch.
inline bool hasPolarity(int s) { return familyHas(s, &StripFamily::hasPolarity); }
// Every audio strip but the DCAs: DCA and mute-group membership.
inline bool hasGroups(int s) { return familyHas(s, &StripFamily::hasGroups); }
// Input channels only: low cut and delay.
inline bool hasLowCutAndDelay(int s) { return familyHas(s, &StripFamily::hasLowCutAndDelay); }
// Strips the console links in odd-even pairs (not the mains or DCAs).
inline bool hasLink(int s)
{
    const StripFamily* f = stripFamilyOf(s);
    return f && f->linkWord;
}
// Everything but the matrices, the mono main and the DCAs pans.
inline bool hasPan(int s) { return familyHas(s, &StripFamily::hasPan); }
// Strips with audio, that is every strip but a DCA.
inline bool isAudioStrip(int s) { return familyHas(s, &StripFamily::hasAudio); }
// Automix weights and groups: channels 1-8.
inline bool hasAutomix(int s) { return isChannel(s) && stripNumberOf(s) <= AUTOMIX_CHANNEL_COUNT; }
// Channels, aux inputs and effects returns send to the sixteen buses.
constexpr int BUS_SEND_COUNT = 16;
inline bool sendsToBuses(int s) { return sendCountOf(s) == BUS_SEND_COUNT; }
