// What each surface device shows and holds: its page, its bank, the strips
// on its eight positions, the modifiers a hand holds on it and the choices
// made on its pages. One record per surface device (up to MAX_SURFACES, in
// surfaceDevices), owned by this module and reset by resetSurfaceDevice.
// The user and DCA spill banks are the console's and the editor's, shared
// by every surface (bankLayout). Every field is a Relaxed scalar
// (model/relaxed.h).
//
// Each thread serves one surface at a time (serveSurface; surface 1, index
// 0, unless it says otherwise). The field names below, used on their own,
// are the served surface's fields, and the surface output queue is the
// served surface's, so the code that handles and draws one surface reads as
// if there were only one. Code that must reach every surface (a console
// change, the heartbeat) runs it once per surface with forEachSurface.
#pragma once

#include <iterator>
#include <type_traits>
#include <utility>

#include "model/relaxed.h"

constexpr int MAX_SURFACES = 4;

// Banks: 0..7 user banks from the editor's preferences, 8..15 DCA spill banks.
constexpr int BANK_COUNT = 16;
constexpr int BANK_SLOTS = 80;

struct SurfaceDeviceState {
    Relaxed<int> bankStrips[8];       // console strip on each position, BLANK_STRIP when none
    Relaxed<int> surfacePage;
    Relaxed<int> selectedBankSlot;
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

struct BankLayout {
    Relaxed<int> bankTable[BANK_COUNT][BANK_SLOTS];
    Relaxed<int> bankCount[BANK_COUNT];
};

extern SurfaceDeviceState surfaceDevices[MAX_SURFACES];
extern BankLayout bankLayout;
// How many surfaces are served, 1..MAX_SURFACES: indexes 0..count-1. Grows
// as surfaces are learned; never shrinks while the bridge runs.
extern Relaxed<int> surfacesServed;

inline Relaxed<int> (&bankTable)[BANK_COUNT][BANK_SLOTS] = bankLayout.bankTable;
inline Relaxed<int> (&bankCount)[BANK_COUNT] = bankLayout.bankCount;

// The surface this thread serves, 0..MAX_SURFACES-1.
int servedSurface();
void serveSurface(int surface);
SurfaceDeviceState& servedSurfaceDevice();

// Serves surfaces 0..count-1 in turn and calls fn; the thread serves its
// own surface again afterwards.
template <typename F>
void serveEachOf(int count, F&& fn)
{
    const int own = servedSurface();
    for (int s = 0; s < count; ++s) {
        serveSurface(s);
        fn();
    }
    serveSurface(own);
}

// Each surface in use.
template <typename F>
void forEachSurface(F&& fn)
{
    serveEachOf(surfacesServed, fn);
}

// Every record, in use or not yet: start-up lays out a surface that is
// learned later as well.
template <typename F>
void forEverySurfaceRecord(F&& fn)
{
    serveEachOf(MAX_SURFACES, fn);
}

// A field of the served surface's record, named as if it stood alone.
template <auto Member>
struct ServedScalar {
    Relaxed<int>& get() const { return servedSurfaceDevice().*Member; }
    operator int() const { return get().load(); }
    int load() const { return get().load(); }
    void store(int v) const { get().store(v); }
    int operator=(int v) const { return get() = v; }
    int operator+=(int d) const { return get() += d; }
    int operator-=(int d) const { return get() -= d; }
    int operator++() const { return ++get(); }
    int operator--() const { return --get(); }
    int operator++(int) const { return get()++; }
    int operator--(int) const { return get()--; }
};

template <auto Member>
struct ServedArray {
    using Array = std::remove_reference_t<decltype(std::declval<SurfaceDeviceState&>().*Member)>;
    Array& get() const { return servedSurfaceDevice().*Member; }
    Relaxed<int>& operator[](int i) const { return get()[i]; }
    Relaxed<int>* begin() const { return std::begin(get()); }
    Relaxed<int>* end() const { return std::end(get()); }
    operator Array&() const { return get(); }
};

inline constexpr ServedArray<&SurfaceDeviceState::bankStrips> bankStrips{};
inline constexpr ServedScalar<&SurfaceDeviceState::surfacePage> surfacePage{};
inline constexpr ServedScalar<&SurfaceDeviceState::selectedBankSlot> selectedBankSlot{};
inline constexpr ServedScalar<&SurfaceDeviceState::currentBank> currentBank{};
inline constexpr ServedScalar<&SurfaceDeviceState::currentDcaGroup> currentDcaGroup{};
inline constexpr ServedScalar<&SurfaceDeviceState::bankScroll> bankScroll{};
inline constexpr ServedArray<&SurfaceDeviceState::bankSkip> bankSkip{};
inline constexpr ServedScalar<&SurfaceDeviceState::surfaceRefreshEnabled> surfaceRefreshEnabled{};
inline constexpr ServedArray<&SurfaceDeviceState::faderTouched> faderTouched{};
inline constexpr ServedArray<&SurfaceDeviceState::faderHeldStrip> faderHeldStrip{};
inline constexpr ServedArray<&SurfaceDeviceState::faderHeldPage> faderHeldPage{};
inline constexpr ServedArray<&SurfaceDeviceState::encoderPushed> encoderPushed{};
inline constexpr ServedArray<&SurfaceDeviceState::selectHeld> selectHeld{};
inline constexpr ServedScalar<&SurfaceDeviceState::eqEncoderLayer> eqEncoderLayer{};
inline constexpr ServedScalar<&SurfaceDeviceState::chosenDcaGroup> chosenDcaGroup{};
inline constexpr ServedScalar<&SurfaceDeviceState::chosenMuteGroup> chosenMuteGroup{};
inline constexpr ServedScalar<&SurfaceDeviceState::lastShownPage> lastShownPage{};

// Highest surface slot 1..8 that shows the strip, 0 when none does.
int bankSlotOf(int strip);

// A hand on a fader of another surface in use that shows the strip (the
// master fader shows main_stereo): this surface's motor for it stays still
// until the hand leaves, so that two motors never chase one hand.
bool stripHeldOnAnotherSurface(int strip);

// The nearest user bank with strips above (step +1) or below (step -1)
// bank: an empty bank would only show a blank surface. Past the last user
// bank up comes the first DCA spill bank (8); below the first, -1.
int nextBankWithStrips(int bank, int step);
// Every surface record and the bank layout back to their start: home page,
// no banks, nothing held, one surface served (surface 1), this thread
// serving it.
void resetSurfaceDevice();
