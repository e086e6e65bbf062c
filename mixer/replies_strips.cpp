// The strip families other than the input channels. Each names its address
// numbers, its strip indexes and its sends; which suffixes it answers is
// part of the shared row table.
#include "mixer/reply_handlers.h"

namespace {

const StripFamily auxInFamily = {STRIP_FAMILY_AUX_IN, true, 1, 8, 31, 16, false};
const StripFamily fxReturnFamily = {STRIP_FAMILY_FX_RETURN, true, 1, 8, 39, 16, true};
const StripFamily busFamily = {STRIP_FAMILY_BUS, true, 1, 16, 47, 6, true};
const StripFamily matrixFamily = {STRIP_FAMILY_MATRIX, true, 1, 6, 63, 0, true};
const StripFamily mainStereoFamily = {STRIP_FAMILY_MAIN, false, 0, 0, 70, 6, true};
const StripFamily mainMonoFamily = {STRIP_FAMILY_MAIN, false, 0, 0, 71, 6, true};
const StripFamily dcaFamily = {STRIP_FAMILY_DCA, true, 1, 8, 71, 0, true};

} // namespace

SurfaceChange handleAuxInReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, auxInFamily);
}

SurfaceChange handleFxReturnReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, fxReturnFamily);
}

SurfaceChange handleBusReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, busFamily);
}

SurfaceChange handleMatrixReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, matrixFamily);
}

SurfaceChange handleMainStereoReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, mainStereoFamily);
}

SurfaceChange handleMainMonoReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, mainMonoFamily);
}

SurfaceChange handleDcaReply(char* address, ParsedOscMessage& message)
{
    return handleStripFamilyReply(address, message, dcaFamily);
}
