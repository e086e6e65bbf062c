// The strip families other than the input channels. The family table names
// their address numbers, strip indexes and sends; which suffixes each
// answers is part of the shared row table.
#include "mixer/reply_handlers.h"

void handleAuxInReply(char* address, ParsedOscMessage& message)
{
    handleStripFamilyReply(address, message, stripFamilies[FAMILY_AUX_IN]);
}

void handleFxReturnReply(char* address, ParsedOscMessage& message)
{
    handleStripFamilyReply(address, message, stripFamilies[FAMILY_FX_RETURN]);
}

void handleBusReply(char* address, ParsedOscMessage& message)
{
    handleStripFamilyReply(address, message, stripFamilies[FAMILY_BUS]);
}

void handleMatrixReply(char* address, ParsedOscMessage& message)
{
    handleStripFamilyReply(address, message, stripFamilies[FAMILY_MATRIX]);
}

void handleMainStereoReply(char* address, ParsedOscMessage& message)
{
    handleStripFamilyReply(address, message, stripFamilies[FAMILY_MAIN_STEREO]);
}

void handleMainMonoReply(char* address, ParsedOscMessage& message)
{
    handleStripFamilyReply(address, message, stripFamilies[FAMILY_MAIN_MONO]);
}

void handleDcaReply(char* address, ParsedOscMessage& message)
{
    handleStripFamilyReply(address, message, stripFamilies[FAMILY_DCA]);
}
