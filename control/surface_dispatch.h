// What the operator does on the surface: the control map that turns one
// MIDI message into a strip, page or bank action. Runs on the surface
// receive thread.
#pragma once

#include <cstdint>

#include "display/surface_change.h"

// Routes every complete MIDI message of one datagram, in order, with
// running status; a cut message is dropped and counted. Everything but
// releases is dropped while the console is locked; a probe is answered
// even then. The bytes are not changed. Returns what the surface must show
// anew, for the caller to show once.
SurfaceChange dispatchSurfaceMessage(const uint8_t* bytes, int length);

// The surface sent its probe (F0 00 20 32 58 54 00 F7): it has restarted,
// shows nothing and holds nothing down. Answers it, sends the keep-alive
// and releases every hold; returns SURFACE_LOST, so that the whole surface
// is drawn again with every send cache forgotten.
SurfaceChange handleSurfaceProbe();

// Messages from the surface dropped as incomplete since the start.
uint64_t droppedSurfaceMessages();

// Fader position from the two pitch-bend data bytes.
double faderPositionOf(uint8_t low, uint8_t high);

// Back to process-start values (the editor search pacing).
void resetSurfaceInputState();
