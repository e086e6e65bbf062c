// Entry point for every message the console sends: routes it by address
// prefix to the reply handlers that fold it into the console model.
// Runs on the OSC receive thread, one message at a time.
#pragma once

#include "display/surface_change.h"
#include "mixer/osc_codec.h"

// Routes one received message. Splits message.address in place and moves
// argCursor past the arguments it reads; an unknown prefix is ignored.
// Returns what the surface must show anew: the motor faders for a stored
// fader, the whole surface for any other reply of a strip, status,
// configuration, head-amp or effects.
SurfaceChange dispatchReply(ParsedOscMessage& message);

// Called on the OSC receive thread with the original (unsplit) address of
// every reply that was stored and counted, right after the count and with no
// lock held. The address is valid only during the call. nullptr removes it.
// Lets the start-up query-and-wait tell its own answer from pushed changes.
void setReplyObserver(void (*observer)(const char* address));

// No observer.
void resetReplyDispatch();
