#include "mixer/reply_dispatch.h"

#include <atomic>
#include <cstring>

#include "mixer/address_tokens.h"
#include "mixer/reply_handlers.h"
#include "model/console_model.h"

namespace {

using ReplyObserver = void (*)(const char*);

std::atomic<ReplyObserver> replyObserver{nullptr};

// The observer and the unsplit address of the message being dispatched.
// Only the OSC receive thread touches these two.
ReplyObserver activeObserver = nullptr;
char originalAddress[1024];

SurfaceChange routeMeter1(char*, ParsedOscMessage& m) { return handleMeterBlob1(m); }
SurfaceChange routeMeter2(char*, ParsedOscMessage& m) { return handleMeterBlob2(m); }
SurfaceChange routeMeter3(char*, ParsedOscMessage& m) { return handleMeterBlob3(m); }

struct ReplyRoute {
    const char* prefix;
    SurfaceChange (*handler)(char* address, ParsedOscMessage& message);
};

// First matching prefix wins; "/fx/" must stay after "/fxrtn/" is tested,
// and the meter aliases have no trailing "/".
const ReplyRoute replyRoutes[] = {
    {"/ch/", handleFamilyReply<FAMILY_CHANNEL>},
    {"/auxin/", handleFamilyReply<FAMILY_AUX_IN>},
    {"/fxrtn/", handleFamilyReply<FAMILY_FX_RETURN>},
    {"/bus/", handleFamilyReply<FAMILY_BUS>},
    {"/mtx/", handleFamilyReply<FAMILY_MATRIX>},
    {"/main/st/", handleFamilyReply<FAMILY_MAIN_STEREO>},
    {"/main/m/", handleFamilyReply<FAMILY_MAIN_MONO>},
    {"/dca/", handleFamilyReply<FAMILY_DCA>},
    {"/-stat/", handleStatReply},
    {"/config/", handleConfigReply},
    {"/-ha/", handleHeadampIndexReply},
    {"/headamp/", handleHeadampReply},
    {"/fx/", handleFxReply},
    {"/meter1", routeMeter1},
    {"/meter2", routeMeter2},
    {"/meter3", routeMeter3},
};

// Copies the address for the observer before the handlers split it.
void keepOriginalAddress(const char* address, size_t length)
{
    if (length >= sizeof originalAddress) length = sizeof originalAddress - 1;
    std::memcpy(originalAddress, address, length);
    originalAddress[length] = '\0';
}

} // namespace

SurfaceChange dispatchReply(ParsedOscMessage& message)
{
    if (!message.address || message.length <= 0) return NOTHING_CHANGED;
    const void* end = std::memchr(message.address, 0, static_cast<size_t>(message.length));
    if (!end) return NOTHING_CHANGED;
    size_t addressLength = static_cast<size_t>(static_cast<const char*>(end) - message.address);

    for (const ReplyRoute& route : replyRoutes) {
        if (std::strncmp(message.address, route.prefix, std::strlen(route.prefix)) != 0) continue;
        activeObserver = replyObserver.load();
        if (activeObserver) keepOriginalAddress(message.address, addressLength);
        SurfaceChange change = route.handler(message.address, message);
        activeObserver = nullptr;
        return change;
    }
    return NOTHING_CHANGED;
}

void setReplyObserver(void (*observer)(const char* address)) { replyObserver = observer; }

void resetReplyDispatch()
{
    replyObserver = nullptr;
    activeObserver = nullptr;
    originalAddress[0] = '\0';
}

bool hasArgumentBytes(const ParsedOscMessage& message)
{
    const uint8_t* end = reinterpret_cast<const uint8_t*>(message.address) + message.length;
    return message.argCursor && message.argCursor >= reinterpret_cast<const uint8_t*>(message.address) &&
           message.argCursor < end;
}

void notifyReplyObserver()
{
    if (activeObserver) activeObserver(originalAddress);
}

void noteCountedReply()
{
    countReply();
    notifyReplyObserver();
}

// /-ha/NN/index: NN is the strip index itself (from 00). The third word is
// not compared. A new source on the pre-amp page changes which head-amp the
// page shows.
SurfaceChange handleHeadampIndexReply(char* address, ParsedOscMessage& message)
{
    AddressTokens tokens;
    splitAddress(address, tokens);
    int strip;
    if (tokens.count != 3 || !parseAddressNumber(tokens.token[1], strip)) return NOTHING_CHANGED;
    int32_t value;
    if (!isValidStrip(strip) || !readOscInt(message, value)) return NOTHING_CHANGED;
    // -1 means no head-amp; anything else outside the table would later be
    // used to index headamps.
    if (value < -1 || value >= HEADAMP_COUNT) return NOTHING_CHANGED;
    strips[strip].haIndex = value;
    noteCountedReply();
    return SURFACE_CHANGED;
}

// /headamp/NNN/gain (float) and /headamp/NNN/phantom (int).
SurfaceChange handleHeadampReply(char* address, ParsedOscMessage& message)
{
    AddressTokens tokens;
    splitAddress(address, tokens);
    int number;
    if (tokens.count == 3 && parseAddressNumber(tokens.token[1], number) && number < HEADAMP_COUNT) {
        if (tokenIs(tokens, 2, "gain")) {
            float value;
            if (readOscFloat(message, value)) {
                headamps[number].gain = value;
                noteCountedReply();
            }
        } else if (tokenIs(tokens, 2, "phantom")) {
            int32_t value;
            if (readOscInt(message, value)) {
                headamps[number].phantom = value;
                noteCountedReply();
            }
        }
    }
    return SURFACE_CHANGED;
}
