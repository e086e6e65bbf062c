// The reply handlers behind dispatchReply, and the rules they share.
// All run on the OSC receive thread; only dispatchReply calls them.
//
// Shared rules: a value is stored only when its argument has the type the
// field needs and is complete inside the datagram; a stored reply is counted
// once (noteCountedReply, or the locked section of the status and
// configuration handlers followed by notifyReplyObserver); numbers in the
// address that fall outside the model's arrays store nothing.
#pragma once

#include "mixer/osc_codec.h"
#include "model/strip_families.h"

void handleChannelReply(char* address, ParsedOscMessage& message);
void handleAuxInReply(char* address, ParsedOscMessage& message);
void handleFxReturnReply(char* address, ParsedOscMessage& message);
void handleBusReply(char* address, ParsedOscMessage& message);
void handleMatrixReply(char* address, ParsedOscMessage& message);
void handleMainStereoReply(char* address, ParsedOscMessage& message);
void handleMainMonoReply(char* address, ParsedOscMessage& message);
void handleDcaReply(char* address, ParsedOscMessage& message);
void handleStatReply(char* address, ParsedOscMessage& message);
void handleConfigReply(char* address, ParsedOscMessage& message);
void handleHeadampIndexReply(char* address, ParsedOscMessage& message);
void handleHeadampReply(char* address, ParsedOscMessage& message);
void handleFxReply(char* address, ParsedOscMessage& message);
void handleMeterBlob1(ParsedOscMessage& message);
void handleMeterBlob2(ParsedOscMessage& message);
void handleMeterBlob3(ParsedOscMessage& message);

// Splits address, stores the one field it names for that family, counts it
// and refreshes as the family requires.
void handleStripFamilyReply(char* address, ParsedOscMessage& message, const StripFamily& family);

// True when at least one argument byte lies inside the datagram. A string
// tag with no bytes at all is a missing argument, not an empty string.
bool hasArgumentBytes(const ParsedOscMessage& message);

// countReply(), then the reply observer.
void noteCountedReply();
// The reply observer alone, for handlers that incremented replyCounter in
// their own locked section. Must be called with no lock held.
void notifyReplyObserver();
// refreshSurface(0) once startupComplete is set.
void refreshAfterReply();
// refreshMotorFaders() at once, start-up or not.
void driveMotorFaders();
