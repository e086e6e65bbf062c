// The console's strip families: which strip indexes each covers, how the
// console addresses it and what processing it has. Every rule that depends
// on the kind of strip reads it here. Header-only and constexpr, so the
// refresh and reply paths pay one array load per lookup.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>

enum StripFamilyId : int {
    FAMILY_CHANNEL,
    FAMILY_AUX_IN,
    FAMILY_FX_RETURN,
    FAMILY_BUS,
    FAMILY_MATRIX,
    FAMILY_MAIN_STEREO,
    FAMILY_MAIN_MONO,
    FAMILY_DCA,
    FAMILY_COUNT,
    FAMILY_NONE = FAMILY_COUNT,
};

struct StripFamily {
    StripFamilyId id;
    int firstStrip;          // strip index of the family's number 1
    int stripCount;
    const char* root;        // OSC root; numbered families take the number
    bool numbered;           // false for the mains: a fixed root
    const char* label;       // display label before the number
    const char* linkWord;    // "/config/<word>/1-2" pairs, null when none
    int sendCount;           // sends 1..16 to buses, 1..6 to matrices, or none
    int eqBandCount;
    int firstEqEncoder;      // encoder of band 1 on the EQ page
    int highestEqBandType;
    int meterBlock;          // meter blob that carries it, 0 for none
    bool faderDrivesMotors;  // false: a fader reply refreshes the whole surface
    bool hasHeadamp;         // source and gain on the pre-amp page
    bool hasPolarity;        // preamp/invert
    bool hasLowCutAndDelay;
    bool hasGate;
    bool hasDynamics;
    bool hasDynamicsKeySource;
    bool hasInsert;
    bool hasMonoSend;        // mono level and switch, stereo switch
    bool hasGroups;          // DCA and mute group membership (grp/dca, grp/mute)
    bool hasPan;             // mix/pan: not matrices, the mono main or DCAs
    bool hasAudio;           // everything but the DCAs
};

// Ordered by strip index; the families tile 0..STRIP_COUNT-1.
inline constexpr StripFamily stripFamilies[FAMILY_COUNT] = {
    // id, first strip, count, root, numbered, label, link word, sends, EQ bands,
    // first EQ encoder, highest band type, meter block, fader drives motors;
    // then head amp, polarity, low cut, gate, dynamics, key source, insert,
    // mono send, groups, pan, audio. A matrix mixes only on and fader (no pan,
    // stereo or mono) and has polarity alone of the pre-amp.
    {FAMILY_CHANNEL, 0, 32, "/ch/%02d", true, "Ch", "chlink", 16, 4, 5, 5, 1, true,
     true, true, true, true, true, true, true, true, true, true, true},
    {FAMILY_AUX_IN, 32, 8, "/auxin/%02d", true, "Aux", "auxlink", 16, 4, 5, 5, 3, false,
     true, true, false, false, false, false, false, true, true, true, true},
    {FAMILY_FX_RETURN, 40, 8, "/fxrtn/%02d", true, "Fx rt", "fxlink", 16, 4, 5, 5, 3, true,
     false, false, false, false, false, false, false, true, true, true, true},
    {FAMILY_BUS, 48, 16, "/bus/%02d", true, "Bus", "buslink", 6, 6, 3, 5, 2, true,
     false, false, false, false, true, true, true, true, true, true, true},
    {FAMILY_MATRIX, 64, 6, "/mtx/%02d", true, "Mtrix", "mtxlink", 0, 6, 3, 13, 2, true,
     false, true, false, false, true, false, true, false, true, false, true},
    {FAMILY_MAIN_STEREO, 70, 1, "/main/st", false, "LR", nullptr, 6, 6, 3, 13, 2, true,
     false, false, false, false, true, false, true, false, true, true, true},
    {FAMILY_MAIN_MONO, 71, 1, "/main/m", false, "M/C", nullptr, 6, 6, 3, 13, 2, true,
     false, false, false, false, true, false, true, false, true, false, true},
    {FAMILY_DCA, 72, 8, "/dca/%d", true, "DCA", nullptr, 0, 0, 0, 13, 0, true,
     false, false, false, false, false, false, false, false, false, false, false},
};

constexpr int firstStripOf(StripFamilyId f) { return stripFamilies[f].firstStrip; }
constexpr int lastStripOf(StripFamilyId f) { return stripFamilies[f].firstStrip + stripFamilies[f].stripCount - 1; }

constexpr int FIRST_CHANNEL = firstStripOf(FAMILY_CHANNEL);
constexpr int CHANNEL_COUNT = stripFamilies[FAMILY_CHANNEL].stripCount;
constexpr int FIRST_AUX_IN = firstStripOf(FAMILY_AUX_IN);
constexpr int FIRST_FX_RETURN = firstStripOf(FAMILY_FX_RETURN);
constexpr int FIRST_BUS = firstStripOf(FAMILY_BUS);
constexpr int FIRST_MATRIX = firstStripOf(FAMILY_MATRIX);
constexpr int MAIN_STEREO = firstStripOf(FAMILY_MAIN_STEREO);
constexpr int MAIN_MONO = firstStripOf(FAMILY_MAIN_MONO);
constexpr int FIRST_DCA = firstStripOf(FAMILY_DCA);
constexpr int LAST_DCA = lastStripOf(FAMILY_DCA);
// Strips a head amp can feed: channels and aux inputs, the first of the table.
constexpr int HEADAMP_STRIP_COUNT = lastStripOf(FAMILY_AUX_IN) + 1;
// Automix weights and groups exist for channels 1-8 only.
constexpr int AUTOMIX_CHANNEL_COUNT = 8;

namespace strip_families_detail {
constexpr std::array<StripFamilyId, LAST_DCA + 1> buildFamilyIndex()
{
    std::array<StripFamilyId, LAST_DCA + 1> index{};
    for (StripFamilyId& f : index) f = FAMILY_NONE;
    for (int f = 0; f < FAMILY_COUNT; ++f) {
        for (int k = 0; k < stripFamilies[f].stripCount; ++k) {
            index[stripFamilies[f].firstStrip + k] = static_cast<StripFamilyId>(f);
        }
    }
    return index;
}
inline constexpr auto familyIndex = buildFamilyIndex();
}  // namespace strip_families_detail

// The family of a strip index, FAMILY_NONE for BLANK_STRIP or anything else.
constexpr StripFamilyId familyOf(int s)
{
    if (s < 0 || s > LAST_DCA) return FAMILY_NONE;
    return strip_families_detail::familyIndex[s];
}

// The family's record, or null for a strip index outside the families.
constexpr const StripFamily* stripFamilyOf(int s)
{
    StripFamilyId f = familyOf(s);
    return f == FAMILY_NONE ? nullptr : &stripFamilies[f];
}

// The strip's number within its family (channel 1, bus 16, ...), 0 outside.
constexpr int stripNumberOf(int s)
{
    const StripFamily* f = stripFamilyOf(s);
    return f ? s - f->firstStrip + 1 : 0;
}

constexpr bool isInFamily(int s, StripFamilyId f) { return familyOf(s) == f; }
constexpr bool isChannel(int s) { return isInFamily(s, FAMILY_CHANNEL); }
constexpr bool isMain(int s) { return isInFamily(s, FAMILY_MAIN_STEREO) || isInFamily(s, FAMILY_MAIN_MONO); }
constexpr bool isDca(int s) { return isInFamily(s, FAMILY_DCA); }

// One flag of the strip's family; false outside the families.
constexpr bool familyHas(int s, bool StripFamily::*flag)
{
    const StripFamily* f = stripFamilyOf(s);
    return f && f->*flag;
}

// Bit (1 << family) for every family with the flag set.
constexpr unsigned familyMaskWith(bool StripFamily::*flag)
{
    unsigned mask = 0;
    for (int f = 0; f < FAMILY_COUNT; ++f) {
        if (stripFamilies[f].*flag) mask |= 1u << f;
    }
    return mask;
}

constexpr unsigned familyBit(StripFamilyId f) { return 1u << f; }

// The strip's OSC root ("/ch/05", "/main/st", "/dca/3") into buffer; the
// length, or -1 for a strip outside the families or a buffer too small.
inline int formatStripRoot(char* buffer, size_t size, int s)
{
    const StripFamily* f = stripFamilyOf(s);
    if (!f || !buffer || size == 0) return -1;
    int length = std::snprintf(buffer, size, f->root, stripNumberOf(s));
    return length >= 0 && static_cast<size_t>(length) < size ? length : -1;
}
