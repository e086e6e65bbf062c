// The reply handlers behind dispatchReply, and the rules they share.
// All run on the OSC receive thread; only dispatchReply calls them.
//
// Shared rules: a value is stored only when its argument has the type the
// field needs and is complete inside the datagram; a stored reply is counted
// once (noteCountedReply, or the locked section of the status and
// configuration handlers followed by notifyReplyObserver); numbers in the
// address that fall outside the model's arrays store nothing.
#pragma once

#include "display/surface_change.h"
#include "mixer/osc_codec.h"
#include "model/strip_families.h"

SurfaceChange handleStatReply(char* address, ParsedOscMessage& message);
SurfaceChange handleConfigReply(char* address, ParsedOscMessage& message);
SurfaceChange handleHeadampIndexReply(char* address, ParsedOscMessage& message);
SurfaceChange handleHeadampReply(char* address, ParsedOscMessage& message);
SurfaceChange handleFxReply(char* address, ParsedOscMessage& message);
SurfaceChange handleMeterBlob1(ParsedOscMessage& message);
SurfaceChange handleMeterBlob2(ParsedOscMessage& message);
SurfaceChange handleMeterBlob3(ParsedOscMessage& message);

// Splits address, stores the one field it names for that family and counts
// it; returns the motor faders for a stored fader of a family whose faders
// drive them, the whole surface otherwise.
SurfaceChange handleStripFamilyReply(char* address, ParsedOscMessage& message, const StripFamily& family);

// The reply handler of one strip family, as the route table holds it.
template <StripFamilyId F>
SurfaceChange handleFamilyReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, stripFamilies[F]);
}

// True when at least one argument byte lies inside the datagram. A string
// tag with no bytes at all is a missing argument, not an empty string.
bool hasArgumentBytes(const ParsedOscMessage& message);

// countReply(), then the reply observer.
void noteCountedReply();
// The reply observer alone, for handlers that incremented replyCounter in
// their own locked section. Must be called with no lock held.
void notifyReplyObserver();
