// The strip families other than the input channels. The family table names
// their address numbers, strip indexes and sends; which suffixes each
// answers is part of the shared row table.
#include "mixer/reply_handlers.h"

SurfaceChange handleAuxInReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, stripFamilies[FAMILY_AUX_IN]);
}

SurfaceChange handleFxReturnReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, stripFamilies[FAMILY_FX_RETURN]);
}

SurfaceChange handleBusReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, stripFamilies[FAMILY_BUS]);
}

SurfaceChange handleMatrixReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, stripFamilies[FAMILY_MATRIX]);
}

SurfaceChange handleMainStereoReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, stripFamilies[FAMILY_MAIN_STEREO]);
}

SurfaceChange handleMainMonoReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, stripFamilies[FAMILY_MAIN_MONO]);
}

SurfaceChange handleDcaReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, stripFamilies[FAMILY_DCA]);
}
