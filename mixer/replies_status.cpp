// Console status, configuration and effects replies. The status and
// configuration stores are made in the same modelMutex section as the count,
// so a thread holding the mutex never sees one half done.
#include <cstdio>
#include <mutex>

#include "mixer/address_tokens.h"
#include "mixer/mixer_send.h"
#include "mixer/reply_handlers.h"
#include "model/console_model.h"

namespace {

struct RoutingRow {
    const char* name;
    const char* columns[6];  // unused columns are null
};

const RoutingRow routingRows[6] = {
    {"IN", {"1-8", "9-16", "17-24", "25-32", "AUX", nullptr}},
    {"AES50A", {"1-8", "9-16", "17-24", "25-32", "33-40", "41-48"}},
    {"AES50B", {"1-8", "9-16", "17-24", "25-32", "33-40", "41-48"}},
    {"CARD", {"1-8", "9-16", "17-24", "25-32", nullptr, nullptr}},
    {"OUT", {"1-4", "5-8", "9-12", "13-16", nullptr, nullptr}},
    {"PLAY", {"1-8", "9-16", "17-24", "25-32", nullptr, nullptr}},
};

// An int-valued word with number in range first..last, or -1.
int numberedWord(const AddressTokens& tokens, int index, int first, int last)
{
    int n;
    if (index >= tokens.count || index >= ADDRESS_TOKEN_MAX) return -1;
    if (!parseAddressNumber(tokens.token[index], n) || n < first || n > last) return -1;
    return n;
}

Relaxed<int>* routingCell(const AddressTokens& tokens)
{
    if (tokens.count == 3 && tokenIs(tokens, 2, "routswitch")) return &routSwitch;
    if (tokens.count != 4) return nullptr;
    for (int row = 0; row < 6; ++row) {
        if (!tokenIs(tokens, 2, routingRows[row].name)) continue;
        for (int column = 0; column < 6; ++column) {
            const char* word = routingRows[row].columns[column];
            if (word && tokenIs(tokens, 3, word)) return &routingBlocks[row][column];
        }
        return nullptr;
    }
    return nullptr;
}

Relaxed<int>* configTarget(const AddressTokens& tokens)
{
    if (tokenIs(tokens, 1, "amixenable") && tokens.count == 3) {
        if (tokenIs(tokens, 2, "X")) return &automixEnableX;
        if (tokenIs(tokens, 2, "Y")) return &automixEnableY;
        return nullptr;
    }
    if (tokenIs(tokens, 1, "userrout") && tokens.count == 4 && tokenIs(tokens, 2, "in")) {
        int n = numberedWord(tokens, 3, 1, 32);
        return n > 0 ? &userRouting[n - 1] : nullptr;
    }
    if (tokenIs(tokens, 1, "routing")) return routingCell(tokens);
    if (tokenIs(tokens, 1, "mute") && tokens.count == 3) {
        int n = numberedWord(tokens, 2, 1, 6);
        return n > 0 ? &muteGroupOn[n - 1] : nullptr;
    }
    return nullptr;
}

// "/config/chlink/5-6": the strip index of the pair's first strip (strip
// 4 here), or -1. The pair must be odd-even within the kind.
int linkedPairStart(const AddressTokens& tokens)
{
    if (tokens.count != 3) return -1;
    for (const StripFamily& kind : stripFamilies) {
        if (!kind.linkWord || !tokenIs(tokens, 1, kind.linkWord)) continue;
        for (int first = 1; first < kind.stripCount; first += 2) {
            char pair[24];
            std::snprintf(pair, sizeof pair, "%d-%d", first, first + 1);
            if (tokenIs(tokens, 2, pair)) return kind.firstStrip + first - 1;
        }
        return -1;
    }
    return -1;
}

// Both strips of the pair carry the flag, stored and counted in one locked section.
void storeLink(int pairStart, int32_t value)
{
    {
        std::lock_guard<std::mutex> lock(modelMutex);
        strips[pairStart].link = value;
        strips[pairStart + 1].link = value;
        ++replyCounter;
    }
    notifyReplyObserver();
}

// Stores value into target and counts it in one locked section.
void storeCounted(Relaxed<int>* target, int32_t value)
{
    {
        std::lock_guard<std::mutex> lock(modelMutex);
        *target = value;
        ++replyCounter;
    }
    notifyReplyObserver();
}

void storeSelection(int32_t strip)
{
    {
        std::lock_guard<std::mutex> lock(modelMutex);
        selectedStrip = strip;
        forEachSurface([strip] { selectedBankSlot = bankSlotOf(strip); });
        ++replyCounter;
    }
    notifyReplyObserver();
}

void handleFxParameter(FxSlot& slot, int parameter, ParsedOscMessage& message)
{
    int32_t i;
    float f;
    const char* text;
    int length;
    switch (currentOscTag(message)) {
    case 'i':
        if (!readOscInt(message, i)) return;
        slot.par[parameter] = i;
        break;
    case 'f':
        if (!readOscFloat(message, f)) return;
        slot.par[parameter] = f;
        break;
    case 's':
        // Not a value, but the answer to the sweep's query all the same.
        if (!hasArgumentBytes(message) || !readOscString(message, text, length)) return;
        break;
    default:
        return;
    }
    noteCountedReply();
}

} // namespace

SurfaceChange handleStatReply(char* address, ParsedOscMessage& message)
{
    AddressTokens tokens;
    splitAddress(address, tokens);
    int32_t value;
    if (tokens.count == 2 && tokenIs(tokens, 1, "selidx")) {
        // Every selection is later used as a strip index.
        if (readOscInt(message, value) && isValidStrip(value)) storeSelection(value);
    } else {
        Relaxed<int>* target = nullptr;
        if (tokens.count == 2 && tokenIs(tokens, 1, "keysolo")) target = &keySolo;
        if (tokens.count == 2 && tokenIs(tokens, 1, "lock")) target = &consoleLock;
        if (tokens.count == 3 && tokenIs(tokens, 1, "solosw")) {
            int n = numberedWord(tokens, 2, 1, STRIP_COUNT);
            if (n > 0) target = &strips[n - 1].solo;
        }
        if (target && readOscInt(message, value)) storeCounted(target, value);
    }
    return SURFACE_CHANGED;
}

SurfaceChange handleConfigReply(char* address, ParsedOscMessage& message)
{
    AddressTokens tokens;
    splitAddress(address, tokens);
    Relaxed<int>* target = configTarget(tokens);
    int pairStart = target ? -1 : linkedPairStart(tokens);
    int32_t value;
    if (target && readOscInt(message, value)) {
        storeCounted(target, value);
        // The console now feeds inputs from other head amps; the start-up
        // sweep asks for them itself.
        bool routing = tokenIs(tokens, 1, "routing") || tokenIs(tokens, 1, "userrout");
        if (routing && startupComplete.load() == 1) askEveryHeadampIndex();
    } else if (pairStart >= 0 && readOscInt(message, value)) {
        storeLink(pairStart, value);
    }
    return SURFACE_CHANGED;
}

// /fx/n/type and /fx/n/par/pp, n 1..8, pp 1..64.
SurfaceChange handleFxReply(char* address, ParsedOscMessage& message)
{
    AddressTokens tokens;
    splitAddress(address, tokens);
    int n = numberedWord(tokens, 1, 1, FX_SLOT_COUNT);
    if (n < 0) return NOTHING_CHANGED;
    if (tokens.count == 3 && tokenIs(tokens, 2, "type")) {
        int32_t value;
        if (readOscInt(message, value)) {
            fxSlots[n].type = value;
            noteCountedReply();
        }
        return SURFACE_CHANGED;
    }
    if (tokens.count != 4 || !tokenIs(tokens, 2, "par")) return NOTHING_CHANGED;
    int parameter = numberedWord(tokens, 3, 1, FX_PARAM_COUNT);
    if (parameter < 0) return NOTHING_CHANGED;
    handleFxParameter(fxSlots[n], parameter, message);
    // Every parameter refreshes once start-up is over: a change made on the
    // console must show at once, and a refresh sends only what changed.
    return SURFACE_CHANGED;
}
