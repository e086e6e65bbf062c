// What the operator does on the surface: the receive loop and the control
// map that turns one MIDI message into a strip, page or bank action.
// Everything here runs on the surface receive thread.
#pragma once

#include <cstdint>

// Thread entry. Receives from the surface link socket (setSurfaceLink) and
// dispatches every datagram whose source address is the surface's; other
// senders are ignored. Returns 0 once stopRequested is set. A socket that
// can no longer receive ends the process with the "rcvfrom()" line.
int surfaceReceiveLoop();

// Decodes the MIDI message at the start of one datagram (the rest is
// ignored) and routes it. Short or malformed messages and everything while
// the console is locked are dropped. The bytes are not changed.
void dispatchSurfaceMessage(const uint8_t* bytes, int length);

// Fader position from the two pitch-bend data bytes.
double faderPositionOf(uint8_t low, uint8_t high);

// Back to process-start values (the editor search pacing).
void resetSurfaceInputState();
