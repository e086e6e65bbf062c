// The bridge's image of the console: plain process-wide records, written in
// place by the OSC receive thread, the surface receive thread and, during
// start-up, the entry thread.
#pragma once

#include <atomic>
#include <mutex>

#include "model/strip_families.h"
#include "model/surface_pages.h"

constexpr int STRIP_COUNT = LAST_DCA + 1;
constexpr int BLANK_STRIP = STRIP_COUNT;   // an empty surface position or bank slot
constexpr int HEADAMP_COUNT = 128;
constexpr int FX_SLOT_COUNT = 8;
constexpr int FX_PARAM_COUNT = 64;

struct EqBand {
    int type;
    double f;
    double g;
    double q;
};

struct SendState {
    int on;
    double level;
};

struct StripRecord {
    double fader;
    double pan;
    int mute;              // 1 = muted (console sends "on")
    char name[8];          // first 7 characters, always NUL-terminated
    int color;             // 0..7
    int colorInverted;
    int solo;
    int hpOn;
    double hpf;
    int eqOn;
    int eqBandCount;
    EqBand eq[7];          // bands 1..6; index 0 unused
    int gateOn;
    int gateMode;
    double gateThr;
    double gateRange;
    double gateAttack;
    double gateHold;
    double gateRelease;
    int gateKeySrc;
    int gateFilterOn;
    int gateFilterType;
    double gateFilterF;
    int dynOn;
    int dynMode;
    int dynDet;
    int dynEnv;
    double dynThr;
    int dynRatio;
    double dynKnee;
    double dynMGain;
    double dynAttack;
    double dynHold;
    double dynRelease;
    double dynMix;
    int dynKeySrc;
    int dynFilterOn;
    int dynFilterType;
    double dynFilterF;
    int muteGroups[6];     // element k = mute group k+1
    int dcaGroups[8];      // element k = DCA k+1
    int invert;
    int link;
    int haIndex;           // -1 = no head-amp
    double trim;
    int source;
    int delayOn;
    double delayTime;
    int insertOn;
    int insertPos;
    int insertSel;
    SendState sends[17];   // sends 1..16; index 0 unused
    int mono;
    double monoLevel;
    int stereo;
    int automixGroup;
    double automixWeight;
    float meter;
};

struct HeadampRecord {
    double gain;
    int phantom;
};

struct FxSlot {
    int type;              // -1 = not yet known
    int paramPage;
    int editorPageGroup;
    double par[FX_PARAM_COUNT + 1];  // parameters 1..64; index 0 unused
};

// Console state.
extern StripRecord strips[STRIP_COUNT];
extern HeadampRecord headamps[HEADAMP_COUNT];
extern FxSlot fxSlots[FX_SLOT_COUNT + 1];  // slots 1..8; index 0 unused
extern int routingBlocks[6][6];
extern int routSwitch;
extern int userRouting[32];
extern int muteGroupOn[6];
extern int automixEnableX;
extern int automixEnableY;
extern int keySolo;
extern int consoleLock;
extern int selectedStrip;
extern int selectedBankSlot;

// Surface-side state that replies and refreshes act on.
extern int bankStrips[8];
extern int surfacePage;

// Banks: 0..7 user banks from the editor's preferences, 8..15 DCA spill banks.
constexpr int BANK_COUNT = 16;
constexpr int BANK_SLOTS = 80;
extern int bankTable[BANK_COUNT][BANK_SLOTS];
extern int bankCount[BANK_COUNT];
extern int currentBank;
extern int currentDcaGroup;   // -1 until the preferences set it
extern int bankScroll;
extern int bankSkip[10];
extern int surfaceRefreshEnabled;

// Modifiers held on the surface.
// A hand on a surface fader: positions 0..7 and 8 for the master. Touch
// belongs to the physical fader, not to the strip it happened to show.
// Atomic: written by the surface thread, read by every refresh.
extern std::atomic<int> faderTouched[9];
extern int encoderPushed[8];
extern int selectHeld[8];

// EQ page: 0 = encoders edit gain (frequency while pushed), 1 = Q (band type
// while pushed). Kept across page changes and selections.
extern int eqEncoderLayer;

// Choices made on the assignment page.
extern int chosenDcaGroup;
extern int chosenMuteGroup;

// Link and synchronisation state.
extern std::mutex modelMutex;
extern int replyCounter;                 // guarded by modelMutex
extern std::atomic<int> startupComplete;

// Adds one to replyCounter under modelMutex.
void countReply();
// Highest surface slot 1..8 that shows the strip, 0 when none does.
int bankSlotOf(int strip);

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
// Start values of every console record, as the start-up synchronisation expects.
void resetConsoleModel();
// Everything in this module back to process-start values.
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
// Channels and aux inputs: source, gain and polarity, maybe through a head amp.
inline bool canHaveHeadamp(int s) { return familyHas(s, &StripFamily::hasHeadamp); }
// Input channels only: low cut and delay.
inline bool hasLowCutAndDelay(int s) { return familyHas(s, &StripFamily::hasLowCutAndDelay); }
// Strips the console links in odd-even pairs (not the mains or DCAs).
inline bool hasLink(int s)
{
    const StripFamily* f = stripFamilyOf(s);
    return f && f->linkWord;
}
// Everything but the mono main and the DCAs pans.
inline bool hasPan(int s) { return familyHas(s, &StripFamily::hasPan); }
// Strips with audio, that is every strip but a DCA.
inline bool isAudioStrip(int s) { return familyHas(s, &StripFamily::hasAudio); }
// Automix weights and groups: channels 1-8.
inline bool hasAutomix(int s) { return isChannel(s) && stripNumberOf(s) <= AUTOMIX_CHANNEL_COUNT; }
// Channels, aux inputs and effects returns send to the sixteen buses.
constexpr int BUS_SEND_COUNT = 16;
inline bool sendsToBuses(int s) { return sendCountOf(s) == BUS_SEND_COUNT; }

