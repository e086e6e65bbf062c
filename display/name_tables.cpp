#include "display/name_tables.h"

#include <cstdio>

#include "display/formatters.h"

namespace {

constexpr int NAME_SIZE = 16;   // texts are at most 7 characters; room for any int
constexpr const char* UNKNOWN_NAME = "?";

template <int N>
struct NameTable {
    char names[N][NAME_SIZE];
};

template <int N>
const char* nameAt(const NameTable<N>& table, int index)
{
    if (index < 0 || index >= N) return UNKNOWN_NAME;
    return table.names[index];
}

template <int N>
void setName(NameTable<N>& table, int index, const char* format, int number)
{
    std::snprintf(table.names[index], NAME_SIZE, format, number);
}

const char* const FILTER_TYPES[] = {"LC6", "LC12", "HC6", "HC12", "1.0", "2.0", "3.0", "5.0",
                                    "10.0"};
const char* const INSERT_EFFECTS[] = {
    "GEQ2", "GEQ",  "TEQ2", "TEQ",  "DES2", "DES", "P1A", "P1A2", "PQ5",  "PQ5S", "WAVD", "LIM",
    "FAC",  "FAC1M", "FAC2", "LEC", "LEC2", "ULC", "ULC2", "ENH2", "ENH", "EXC2", "EXC", "IMG",
    "EDI",  "SON",  "AMP2", "AMP",  "DRV2", "DRV", "PHAS", "FILT", "PAN", "SUB"};
const char* const DYN_RATIOS[] = {"1.1", "1.3", "1.5", "2.0", "2.5", "3.0",
                                  "4.0", "5.0", "7.0", "10",  "20",  "100"};
const char* const EQ_BAND_TYPES[] = {"LCut", "LShv", "PEQ", "VEQ", "HShv", "HCut"};
const char* const FX_STEREO_NAMES[] = {"FX1 L", "FX1 R", "FX2 L", "FX2 R",
                                       "FX3 L", "FX3 R", "FX4 L", "FX4 R"};
const char* const CHANNEL_FX_NAMES[] = {"FX 1L", "FX 1R", "FX 2L", "FX 2R",
                                        "FX 3L", "FX 3R", "FX 4L", "FX 4R"};

template <int N>
void copyName(NameTable<N>& table, int index, const char* text)
{
    int k = 0;
    for (; k < NAME_SIZE - 1 && text[k] != '\0'; ++k) table.names[index][k] = text[k];
    table.names[index][k] = '\0';
}

template <size_t N>
const char* listAt(const char* const (&list)[N], int index)
{
    if (index < 0 || index >= static_cast<int>(N)) return UNKNOWN_NAME;
    return list[index];
}

void fillConsoleInputName(char* name, int input)
{
    if (input < 32) {
        std::snprintf(name, NAME_SIZE, "In%02d", input + 1);
    } else if (input < 80) {
        std::snprintf(name, NAME_SIZE, "A%02d", input - 31);
    } else if (input < 128) {
        std::snprintf(name, NAME_SIZE, "B%02d", input - 79);
    } else {
        std::snprintf(name, NAME_SIZE, "C%02d", input - 127);
    }
}

struct Names {
    NameTable<65> keySources;
    NameTable<23> insertSlots;
    NameTable<160> consoleInputs;
    NameTable<209> userRoutingSources;
    NameTable<32> channelSources;   // sources 33..64
    NameTable<72> auxInputs;        // 12 codes x 6 places
};

void buildKeySources(NameTable<65>& t)
{
    copyName(t, 0, "Self");
    for (int i = 1; i <= 32; ++i) setName(t, i, "Ch%02d", i);
    for (int i = 1; i <= 6; ++i) setName(t, 32 + i, "Aux%d", i);
    copyName(t, 39, "USB L");
    copyName(t, 40, "USB R");
    for (int i = 0; i < 8; ++i) copyName(t, 41 + i, FX_STEREO_NAMES[i]);
    for (int i = 1; i <= 16; ++i) setName(t, 48 + i, "BUS %02d", i);
}

void buildInsertSlots(NameTable<23>& t)
{
    copyName(t, 0, "OFF");
    for (int n = 1; n <= 8; ++n) {
        setName(t, 2 * n - 1, "FX%dL", n);
        setName(t, 2 * n, "FX%dR", n);
    }
    for (int i = 1; i <= 6; ++i) setName(t, 16 + i, "AUX%d", i);
}

void buildUserRoutingSources(NameTable<209>& t, const NameTable<160>& inputs)
{
    copyName(t, 0, "-");
    for (int i = 0; i < 160; ++i) copyName(t, 1 + i, inputs.names[i]);
    for (int i = 1; i <= 6; ++i) setName(t, 160 + i, "Aux%d", i);
    copyName(t, 167, "TB int");
    copyName(t, 168, "TB ext");
    for (int i = 1; i <= 16; ++i) setName(t, 168 + i, "Out%02d", i);
    for (int i = 1; i <= 16; ++i) setName(t, 184 + i, "P16 %02d", i);
    for (int i = 1; i <= 6; ++i) setName(t, 200 + i, "Aux%d", i);
    copyName(t, 207, "Mon L");
    copyName(t, 208, "MON R");
}

void buildChannelSources(NameTable<32>& t)
{
    for (int i = 1; i <= 6; ++i) setName(t, i - 1, "Aux%d", i);
    copyName(t, 6, "USB L");
    copyName(t, 7, "USB R");
    for (int i = 0; i < 8; ++i) copyName(t, 8 + i, CHANNEL_FX_NAMES[i]);
    for (int i = 1; i <= 16; ++i) setName(t, 15 + i, "BUS %d", i);
}

// Codes 1..3 name 2, 4 or 6 local inputs, 4..6 the same on AES50 A, 7..9 on
// AES50 B, 10..12 on the card; the remaining places read "-".
void buildAuxInputs(NameTable<72>& t)
{
    const int firstInput[] = {0, 32, 80, 128};
    for (int code = 1; code <= 12; ++code) {
        int family = (code - 1) / 3;
        int used = ((code - 1) % 3 + 1) * 2;
        for (int place = 0; place < 6; ++place) {
            char* name = t.names[(code - 1) * 6 + place];
            if (place < used) {
                fillConsoleInputName(name, firstInput[family] + place);
            } else {
                std::snprintf(name, NAME_SIZE, "-");
            }
        }
    }
}

const Names& names()
{
    static const Names* built = [] {
        static Names n;
        buildKeySources(n.keySources);
        buildInsertSlots(n.insertSlots);
        for (int i = 0; i < 160; ++i) fillConsoleInputName(n.consoleInputs.names[i], i);
        buildUserRoutingSources(n.userRoutingSources, n.consoleInputs);
        buildChannelSources(n.channelSources);
        buildAuxInputs(n.auxInputs);
        return &n;
    }();
    return *built;
}

}  // namespace

const char* keySourceName(int source) { return nameAt(names().keySources, source); }
const char* filterTypeName(int type) { return listAt(FILTER_TYPES, type); }
const char* insertEffectName(int type) { return listAt(INSERT_EFFECTS, type); }
const char* dynRatioName(int ratio) { return listAt(DYN_RATIOS, ratio); }
const char* eqBandTypeName(int type) { return listAt(EQ_BAND_TYPES, type); }
const char* insertSlotName(int slot) { return nameAt(names().insertSlots, slot); }
const char* consoleInputName(int input) { return nameAt(names().consoleInputs, input); }

const char* userRoutingSourceName(int index)
{
    return nameAt(names().userRoutingSources, index);
}

const char* channelSourceName(int source) { return nameAt(names().channelSources, source - 33); }

const char* auxInputName(int code, int place)
{
    if (code < 1 || code > 12 || place < 0 || place > 5) return UNKNOWN_NAME;
    return names().auxInputs.names[(code - 1) * 6 + place];
}
