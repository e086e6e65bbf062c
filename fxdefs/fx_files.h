// Descriptions of the console's effects, read once from the two effects
// parameter files in the user's application-data folder during start-up
// (entry thread). Afterwards the effects pages and their display texts only
// read the tables, from any thread.
#pragma once

#include <string>

constexpr int FX_TYPES_1TO4 = 61;        // effect types 0..60 of slots 1..4
constexpr int FX_TYPES_5TO8 = 34;        // effect types 0..33 of slots 5..8
constexpr int FX_PARAMS_PER_TYPE = 65;
constexpr int FX_LUT_MAX = 200;          // entries one look-up table may name
constexpr int FX_LUT_POOL_SIZE = 131072; // look-up entries of both files together
constexpr int FX_TEXT_SIZE = 8;          // 7 characters and the terminating zero

// Line capacities (characters) of the two files.
constexpr int FX_LINE_CAPACITY_1TO4 = 4999;
constexpr int FX_LINE_CAPACITY_5TO8 = 1023;

enum FxParamKind { FX_KIND_NONE = -1, FX_KIND_ENUM = 0, FX_KIND_LINF = 1, FX_KIND_LOGF = 2 };

struct FxLutEntry {
    double value;
    char label[FX_TEXT_SIZE];
};

struct FxParamDescription {
    char name[FX_TEXT_SIZE];
    int kind;          // FxParamKind; FX_KIND_NONE ends the list
    double step;       // normalised change per encoder step, or index change for "enum"
    double min;        // "linf": shown value at 0
    double max;        // "linf": shown value at 1; "enum": largest index
    int lutCount;      // entries of the look-up table ("logf", "enum")
    int lutFirst;      // where entry 0 sits in fxLutPool (valid while lutCount > 0)
    int page;
    int position;
};

struct FxDescription {
    char name[FX_TEXT_SIZE];
    int paramCount;    // never above FX_PARAMS_PER_TYPE
    int pageCount;
    int editorGroupCount;
    int group2FirstPage;
    int group3FirstPage;
    FxParamDescription params[FX_PARAMS_PER_TYPE];
};

extern FxDescription fxDescriptions1to4[FX_TYPES_1TO4];
extern FxDescription fxDescriptions5to8[FX_TYPES_5TO8];

// The look-up tables of every parameter, one after the other in load order;
// a table is never split and never written past the pool.
extern FxLutEntry fxLutPool[FX_LUT_POOL_SIZE];
extern int fxLutPoolUsed;

// Start values: every name "*" with no parameters (kind -1), except entries
// 31..33 of the second table, which are all zero. Empties the look-up pool.
void resetFxDescriptions();

// For each description file missing from the user profile, copies the one
// shipped with the bridge there (from "fxdata" beside the program, else from
// "../share/velumbra", else the copy built into the program) and prints one
// line; an existing file is never replaced. Entry thread, before the files
// are read.
void installShippedFxFiles();

// Print their progress line, read "\AppData\Roaming\Velumbra\fx1_4.prm"
// (fx5_8.prm) under the user profile into the table and print "done.\n";
// a missing profile or file is reported and leaves the start values.
void readFxFile1to4();
void readFxFile5to8();

// Reads one description file into a table; false when it cannot be opened.
// Reports grammar errors on the console and goes on.
bool readFxDescriptionFile(const std::string& path, FxDescription* table, int tableSize,
                           int lineCapacity);

// The description for an effects unit 0..7 (slots 1..8) and effect type, or
// nullptr when either is out of range.
const FxDescription* fxDescriptionFor(int unit, int type);

// Look-up entry i of a parameter, or nullptr when i is outside its table.
const FxLutEntry* fxLutEntry(const FxParamDescription& param, int i);
