// The thread that receives every datagram from the surface.
#pragma once

#include <cstdint>

// Dispatches one datagram from the served surface and shows what it
// changed, once, there and on every other surface that shows the same.
void handleSurfaceDatagram(const uint8_t* bytes, int length);
// How many datagrams have been handled so far, for the status block: a
// datagram counts once everything it caused has been sent to the console
// and queued for the surface. Any thread.
uint64_t surfaceDatagramsHandled();
void resetSurfaceDatagramsHandled();
// When a surface 0..MAX_SURFACES-1 last sent a datagram (steady ms), 0 for
// never. Any thread.
int64_t surfaceLastHeardMs(int surface);

// Thread entry. Receives from the surface link socket (setSurfaceLink) and
// handles every datagram whose source address is a surface's, serving that
// surface meanwhile; other senders are ignored. Returns 0 once stopRequested is set. A socket that
// can no longer receive ends the process with the "rcvfrom()" line.
int surfaceReceiveLoop();
