// What one surface device shows and holds: its page, its banks, the strips
// on its eight positions, the modifiers a hand holds on it and the choices
// made on its pages. One record per surface device (today one, surfaceDevice),
// owned by this module and reset by resetSurfaceDevice. Written by the surface
// receive thread and, for the bank layout, by start-up and the refreshes;
// read by every refresh. Every field is a Relaxed scalar (model/relaxed.h).
// The names of the fields stay usable on their own through the references
// below.
#pragma once

#include "model/relaxed.h"

// Banks: 0..7 user banks from the editor's preferences, 8..15 DCA spill banks.
constexpr int BANK_COUNT = 16;
constexpr int BANK_SLOTS = 80;

struct SurfaceDeviceState {
    Relaxed<int> bankStrips[8];       // console strip on each position, BLANK_STRIP when none
    Relaxed<int> surfacePage;
    Relaxed<int> selectedBankSlot;
    Relaxed<int> bankTable[BANK_COUNT][BANK_SLOTS];
    Relaxed<int> bankCount[BANK_COUNT];
    Relaxed<int> currentBank;
    Relaxed<int> currentDcaGroup;     // -1 until the preferences set it
    Relaxed<int> bankScroll;
    Relaxed<int> bankSkip[10];
    Relaxed<int> surfaceRefreshEnabled;
    // A hand on a surface fader: positions 0..7 and 8 for the master. Touch
    // belongs to the physical fader, not to the strip it happened to show.
    Relaxed<int> faderTouched[9];
    // What a touched fader 1..8 writes: the strip and page it showed when the
    // hand came down. A fader whose strip or page changed under the hand
    // writes nothing until it is released and touched again.
    Relaxed<int> faderHeldStrip[8];
    Relaxed<int> faderHeldPage[8];
    Relaxed<int> encoderPushed[8];
    Relaxed<int> selectHeld[8];
    // EQ page: 0 = encoders edit gain (frequency while pushed), 1 = Q (band
    // type while pushed). Kept across page changes and selections.
    Relaxed<int> eqEncoderLayer;
    // Choices made on the assignment page.
    Relaxed<int> chosenDcaGroup;
    Relaxed<int> chosenMuteGroup;
    // The page whose entry block was sent last; -1 = send it next time.
    Relaxed<int> lastShownPage;
};

extern SurfaceDeviceState surfaceDevice;

inline Relaxed<int> (&bankStrips)[8] = surfaceDevice.bankStrips;
inline Relaxed<int>& surfacePage = surfaceDevice.surfacePage;
inline Relaxed<int>& selectedBankSlot = surfaceDevice.selectedBankSlot;
inline Relaxed<int> (&bankTable)[BANK_COUNT][BANK_SLOTS] = surfaceDevice.bankTable;
inline Relaxed<int> (&bankCount)[BANK_COUNT] = surfaceDevice.bankCount;
inline Relaxed<int>& currentBank = surfaceDevice.currentBank;
inline Relaxed<int>& currentDcaGroup = surfaceDevice.currentDcaGroup;
inline Relaxed<int>& bankScroll = surfaceDevice.bankScroll;
inline Relaxed<int> (&bankSkip)[10] = surfaceDevice.bankSkip;
inline Relaxed<int>& surfaceRefreshEnabled = surfaceDevice.surfaceRefreshEnabled;
inline Relaxed<int> (&faderTouched)[9] = surfaceDevice.faderTouched;
inline Relaxed<int> (&faderHeldStrip)[8] = surfaceDevice.faderHeldStrip;
inline Relaxed<int> (&faderHeldPage)[8] = surfaceDevice.faderHeldPage;
inline Relaxed<int> (&encoderPushed)[8] = surfaceDevice.encoderPushed;
inline Relaxed<int> (&selectHeld)[8] = surfaceDevice.selectHeld;
inline Relaxed<int>& eqEncoderLayer = surfaceDevice.eqEncoderLayer;
inline Relaxed<int>& chosenDcaGroup = surfaceDevice.chosenDcaGroup;
inline Relaxed<int>& chosenMuteGroup = surfaceDevice.chosenMuteGroup;
inline Relaxed<int>& lastShownPage = surfaceDevice.lastShownPage;

// Highest surface slot 1..8 that shows the strip, 0 when none does.
int bankSlotOf(int strip);

// The nearest user bank with strips above (step +1) or below (step -1)
// bank: an empty bank would only show a blank surface. Past the last user
// bank up comes the first DCA spill bank (8); below the first, -1.
int nextBankWithStrips(int bank, int step);
// The surface record back to its start: home page, no banks, nothing held.
void resetSurfaceDevice();
