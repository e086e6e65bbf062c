// The strip reply scheme: one table of address suffixes, each naming the
// field it sets and the strip families that send it; every strip family's
// replies go through it (handleFamilyReply).
#include <cstring>

#include "mixer/address_tokens.h"
#include "mixer/mixer_send.h"
#include "mixer/reply_handlers.h"
#include "model/console_model.h"

namespace {

enum class Store {
    Int,        // console int into an int field
    Double,     // console float widened into a double field
    Fader,      // like Double, then the motor faders
    Mute,       // console "on" kept as mute
    MuteGroups, // bit mask unpacked into muteGroups
    DcaGroups,  // bit mask unpacked into dcaGroups
    Name,
    Color,
    SendOn,
    SendLevel,
    BandType,
    BandF,
    BandG,
    BandQ,
};

// section/[K/]param[/sub]; a null section means the parameter follows the
// number directly (the DCAs' fader and on).
struct StripReplyRow {
    const char* section;
    bool indexed;
    const char* param;
    const char* sub;
    Store store;
    Relaxed<int> StripRecord::*intField;
    Relaxed<double> StripRecord::*doubleField;
    unsigned families;
};

constexpr unsigned CH = familyBit(FAMILY_CHANNEL);
constexpr unsigned AUX = familyBit(FAMILY_AUX_IN);
constexpr unsigned FXR = familyBit(FAMILY_FX_RETURN);
constexpr unsigned BUS = familyBit(FAMILY_BUS);
constexpr unsigned MTX = familyBit(FAMILY_MATRIX);
constexpr unsigned MAIN = familyBit(FAMILY_MAIN_STEREO) | familyBit(FAMILY_MAIN_MONO);
constexpr unsigned DCA = familyBit(FAMILY_DCA);
constexpr unsigned INPUTS = CH | AUX | FXR;
constexpr unsigned MIXED = INPUTS | BUS | MTX | MAIN;
constexpr unsigned DYNAMICS = familyMaskWith(&StripFamily::hasDynamics);
constexpr unsigned EVERY = MIXED | DCA;
constexpr unsigned INSERTS = familyMaskWith(&StripFamily::hasInsert);
constexpr unsigned PANNED = familyMaskWith(&StripFamily::hasPan);
constexpr unsigned MONO_SENDS = familyMaskWith(&StripFamily::hasMonoSend);
constexpr unsigned GROUPED = familyMaskWith(&StripFamily::hasGroups);
constexpr unsigned POLARITY = familyMaskWith(&StripFamily::hasPolarity);

#define INT_ROW(sec, par, sub, field, fam) {sec, false, par, sub, Store::Int, &StripRecord::field, nullptr, fam}
#define DBL_ROW(sec, par, sub, field, fam) {sec, false, par, sub, Store::Double, nullptr, &StripRecord::field, fam}
#define SPECIAL_ROW(sec, idx, par, store, fam) {sec, idx, par, nullptr, store, nullptr, nullptr, fam}

const StripReplyRow stripReplyRows[] = {
    SPECIAL_ROW("mix", false, "fader", Store::Fader, MIXED),
    DBL_ROW("mix", "pan", nullptr, pan, PANNED),
    SPECIAL_ROW("mix", false, "on", Store::Mute, MIXED),
    INT_ROW("mix", "st", nullptr, stereo, MONO_SENDS),
    INT_ROW("mix", "mono", nullptr, mono, MONO_SENDS),
    DBL_ROW("mix", "mlevel", nullptr, monoLevel, MONO_SENDS),
    SPECIAL_ROW("mix", true, "on", Store::SendOn, INPUTS | BUS | MAIN),
    SPECIAL_ROW("mix", true, "level", Store::SendLevel, INPUTS | BUS | MAIN),
    SPECIAL_ROW(nullptr, false, "fader", Store::Fader, DCA),
    SPECIAL_ROW(nullptr, false, "on", Store::Mute, DCA),

    INT_ROW("gate", "on", nullptr, gateOn, CH),
    INT_ROW("gate", "mode", nullptr, gateMode, CH),
    DBL_ROW("gate", "thr", nullptr, gateThr, CH),
    DBL_ROW("gate", "range", nullptr, gateRange, CH),
    DBL_ROW("gate", "attack", nullptr, gateAttack, CH),
    DBL_ROW("gate", "hold", nullptr, gateHold, CH),
    DBL_ROW("gate", "release", nullptr, gateRelease, CH),
    INT_ROW("gate", "keysrc", nullptr, gateKeySrc, CH),
    INT_ROW("gate", "filter", "on", gateFilterOn, CH),
    INT_ROW("gate", "filter", "type", gateFilterType, CH),
    DBL_ROW("gate", "filter", "f", gateFilterF, CH),

    INT_ROW("dyn", "on", nullptr, dynOn, DYNAMICS),
    INT_ROW("dyn", "mode", nullptr, dynMode, DYNAMICS),
    INT_ROW("dyn", "det", nullptr, dynDet, DYNAMICS),
    INT_ROW("dyn", "env", nullptr, dynEnv, DYNAMICS),
    DBL_ROW("dyn", "thr", nullptr, dynThr, DYNAMICS),
    INT_ROW("dyn", "ratio", nullptr, dynRatio, DYNAMICS),
    DBL_ROW("dyn", "knee", nullptr, dynKnee, DYNAMICS),
    DBL_ROW("dyn", "mgain", nullptr, dynMGain, DYNAMICS),
    DBL_ROW("dyn", "attack", nullptr, dynAttack, DYNAMICS),
    DBL_ROW("dyn", "hold", nullptr, dynHold, DYNAMICS),
    DBL_ROW("dyn", "release", nullptr, dynRelease, DYNAMICS),
    DBL_ROW("dyn", "mix", nullptr, dynMix, DYNAMICS),
    INT_ROW("dyn", "keysrc", nullptr, dynKeySrc, DYNAMICS),
    INT_ROW("dyn", "filter", "on", dynFilterOn, DYNAMICS),
    INT_ROW("dyn", "filter", "type", dynFilterType, DYNAMICS),
    DBL_ROW("dyn", "filter", "f", dynFilterF, DYNAMICS),

    INT_ROW("automix", "group", nullptr, automixGroup, CH),
    DBL_ROW("automix", "weight", nullptr, automixWeight, CH),
    SPECIAL_ROW("grp", false, "mute", Store::MuteGroups, GROUPED),
    SPECIAL_ROW("grp", false, "dca", Store::DcaGroups, GROUPED),

    INT_ROW("eq", "on", nullptr, eqOn, MIXED),
    SPECIAL_ROW("eq", true, "type", Store::BandType, MIXED),
    SPECIAL_ROW("eq", true, "f", Store::BandF, MIXED),
    SPECIAL_ROW("eq", true, "g", Store::BandG, MIXED),
    SPECIAL_ROW("eq", true, "q", Store::BandQ, MIXED),

    INT_ROW("preamp", "invert", nullptr, invert, POLARITY),
    INT_ROW("preamp", "hpon", nullptr, hpOn, CH),
    DBL_ROW("preamp", "hpf", nullptr, hpf, CH),
    DBL_ROW("preamp", "trim", nullptr, trim, CH | AUX),
    INT_ROW("delay", "on", nullptr, delayOn, CH),
    DBL_ROW("delay", "time", nullptr, delayTime, CH),
    INT_ROW("insert", "on", nullptr, insertOn, INSERTS),
    INT_ROW("insert", "pos", nullptr, insertPos, INSERTS),
    INT_ROW("insert", "sel", nullptr, insertSel, INSERTS),

    SPECIAL_ROW("config", false, "name", Store::Name, EVERY),
    SPECIAL_ROW("config", false, "color", Store::Color, EVERY),
    INT_ROW("config", "source", nullptr, source, CH | AUX),
};

#undef INT_ROW
#undef DBL_ROW
#undef SPECIAL_ROW

// Matches the words after the family and number against one row; the whole
// rest of the address must be used. kToken receives the send or band word.
bool matchRow(const StripReplyRow& row, const AddressTokens& tokens, int first, const char*& kToken)
{
    int i = first;
    if (row.section) {
        if (!tokenIs(tokens, i, row.section)) return false;
        ++i;
    }
    if (row.indexed) {
        if (i >= tokens.count || i >= ADDRESS_TOKEN_MAX || !startsWithDigit(tokens.token[i]))
            return false;
        kToken = tokens.token[i];
        ++i;
    }
    if (!tokenIs(tokens, i, row.param)) return false;
    ++i;
    if (row.sub) {
        if (!tokenIs(tokens, i, row.sub)) return false;
        ++i;
    }
    return i == tokens.count;
}

const StripReplyRow* findRow(const AddressTokens& tokens, int first, const char*& kToken)
{
    for (const StripReplyRow& row : stripReplyRows) {
        if (matchRow(row, tokens, first, kToken)) return &row;
    }
    return nullptr;
}

bool readDouble(ParsedOscMessage& message, double& value)
{
    float f;
    if (!readOscFloat(message, f)) return false;
    value = f;
    return true;
}

void unpackMask(int32_t mask, Relaxed<int>* flags, int count)
{
    for (int k = 0; k < count; ++k) flags[k] = (mask >> k) & 1;
}

// Stores the row's field; false when the argument is missing, of another
// type, or holds a value the model cannot keep.
bool storeField(const StripReplyRow& row, StripRecord& strip, int k, ParsedOscMessage& message)
{
    int32_t i;
    double d;
    switch (row.store) {
    case Store::Int:
        if (!readOscInt(message, i)) return false;
        strip.*row.intField = i;
        return true;
    case Store::Double:
    case Store::Fader:
        if (!readDouble(message, d)) return false;
        if (row.store == Store::Fader) strip.fader = d;
        else strip.*row.doubleField = d;
        return true;
    case Store::Mute:
        if (!readOscInt(message, i)) return false;
        strip.mute = i == 0 ? 1 : 0;
        return true;
    case Store::MuteGroups:
        if (!readOscInt(message, i)) return false;
        unpackMask(i, strip.muteGroups, 6);
        return true;
    case Store::DcaGroups:
        if (!readOscInt(message, i)) return false;
        unpackMask(i, strip.dcaGroups, 8);
        return true;
    case Store::Name: {
        const char* text;
        int length;
        if (!hasArgumentBytes(message) || !readOscString(message, text, length)) return false;
        storeStripName(strip, text, length);
        return true;
    }
    case Store::Color:
        // 0..7 plain, 8..15 the same colours inverted; nothing else exists.
        if (!readOscInt(message, i) || i < 0 || i > 15) return false;
        strip.colorInverted = i > 7 ? 1 : 0;
        strip.color = i > 7 ? i - 8 : i;
        return true;
    case Store::SendOn:
        if (!readOscInt(message, i)) return false;
        strip.sends[k].on = i;
        return true;
    case Store::SendLevel:
        if (!readDouble(message, d)) return false;
        strip.sends[k].level = d;
        return true;
    case Store::BandType:
        if (!readOscInt(message, i)) return false;
        strip.eq[k].type = i;
        return true;
    case Store::BandF:
    case Store::BandG:
    case Store::BandQ:
        if (!readDouble(message, d)) return false;
        if (row.store == Store::BandF) strip.eq[k].f = d;
        else if (row.store == Store::BandG) strip.eq[k].g = d;
        else strip.eq[k].q = d;
        return true;
    }
    return false;
}

// The strip index the address names, or -1.
int stripOf(const AddressTokens& tokens, const StripFamily& family)
{
    if (!family.numbered) return family.firstStrip;
    int number;
    if (tokens.count < 2 || !parseAddressNumber(tokens.token[1], number)) return -1;
    if (number < 1 || number > family.stripCount) return -1;
    int strip = family.firstStrip + number - 1;
    return isValidStrip(strip) ? strip : -1;
}

// Send numbers follow the family's sends, bands the strip's equaliser.
bool indexInRange(const StripReplyRow& row, int strip, const StripFamily& family, int k)
{
    bool send = row.store == Store::SendOn || row.store == Store::SendLevel;
    int last = send ? family.sendCount : eqBandCountFor(strip);
    return k >= 1 && k <= last;
}

// True when the reply was a stored fader that the motor faders show.
bool handleStripReply(const AddressTokens& tokens, ParsedOscMessage& message, const StripFamily& family)
{
    int strip = stripOf(tokens, family);
    if (strip < 0) return false;
    const char* kToken = nullptr;
    const StripReplyRow* row = findRow(tokens, 2, kToken);
    if (!row || !(row->families & familyBit(family.id))) return false;
    int k = 0;
    if (row->indexed && (!parseAddressNumber(kToken, k) || !indexInRange(*row, strip, family, k)))
        return false;
    if (!storeField(*row, strips[strip], k, message)) return false;
    // Another source may come through another head amp: the console says which.
    if (row->intField == &StripRecord::source && startupComplete.load() == 1) askHeadampIndex(strip);
    noteCountedReply();
    return row->store == Store::Fader && family.faderDrivesMotors;
}

} // namespace

SurfaceChange handleStripFamilyReply(char* address, ParsedOscMessage& message, const StripFamily& family)
{
    AddressTokens tokens;
    splitAddress(address, tokens);
    // A stored fader drives the motor faders at once, start-up or not;
    // anything else, stored or not, refreshes the surface.
    return handleStripReply(tokens, message, family) ? FADERS_CHANGED : SURFACE_CHANGED;
}
