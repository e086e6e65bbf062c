// Index-to-name tables: both ends of every table and the numbers past them.
#include <gtest/gtest.h>

#include "display/name_tables.h"

namespace {

struct NameCase {
    int index;
    const char* name;
};

using NameLookup = const char* (*)(int);

void expectNames(NameLookup lookup, const char* table, std::initializer_list<NameCase> cases)
{
    for (const NameCase& c : cases) {
        EXPECT_STREQ(lookup(c.index), c.name) << table << "[" << c.index << "]";
    }
}

TEST(FormattersNames, KeySources)
{
    expectNames(keySourceName, "keySource",
                {{0, "Self"}, {1, "Ch01"}, {32, "Ch32"}, {33, "Aux1"}, {38, "Aux6"}, {39, "USB L"},
                 {40, "USB R"}, {41, "FX1 L"}, {44, "FX2 R"}, {48, "FX4 R"}, {49, "BUS 01"},
                 {64, "BUS 16"}, {65, "?"}, {-1, "?"}});
}

TEST(FormattersNames, FilterTypesRatiosBandTypes)
{
    expectNames(filterTypeName, "filterType",
                {{0, "LC6"}, {3, "HC12"}, {4, "1.0"}, {8, "10.0"}, {9, "?"}, {-1, "?"}});
    expectNames(dynRatioName, "ratio", {{0, "1.1"}, {3, "2.0"}, {9, "10"}, {11, "100"}, {12, "?"}});
    // Matrices and mains report band types up to 13; only six have names.
    expectNames(eqBandTypeName, "bandType",
                {{0, "LCut"}, {2, "PEQ"}, {5, "HCut"}, {6, "?"}, {13, "?"}, {-1, "?"}});
}

TEST(FormattersNames, InsertEffectsAndSlots)
{
    expectNames(insertEffectName, "insertEffect",
                {{0, "GEQ2"}, {13, "FAC1M"}, {33, "SUB"}, {34, "?"}, {-1, "?"}});
    expectNames(insertSlotName, "insertSlot",
                {{0, "OFF"}, {1, "FX1L"}, {2, "FX1R"}, {15, "FX8L"}, {16, "FX8R"}, {17, "AUX1"},
                 {22, "AUX6"}, {23, "?"}, {-1, "?"}});
}

TEST(FormattersNames, ConsoleInputsAndUserRoutingSources)
{
    expectNames(consoleInputName, "consoleInput",
                {{0, "In01"}, {31, "In32"}, {32, "A01"}, {79, "A48"}, {80, "B01"}, {127, "B48"},
                 {128, "C01"}, {159, "C32"}, {160, "?"}, {-1, "?"}});
    expectNames(userRoutingSourceName, "userRouting",
                {{0, "-"}, {1, "In01"}, {33, "A01"}, {160, "C32"}, {161, "Aux1"}, {166, "Aux6"},
                 {167, "TB int"}, {168, "TB ext"}, {169, "Out01"}, {184, "Out16"},
                 {185, "P16 01"}, {200, "P16 16"}, {201, "Aux1"}, {206, "Aux6"}, {207, "Mon L"},
                 {208, "MON R"}, {209, "?"}, {-1, "?"}});
}

TEST(FormattersNames, ChannelSources)
{
    expectNames(channelSourceName, "channelSource",
                {{33, "Aux1"}, {38, "Aux6"}, {39, "USB L"}, {40, "USB R"}, {41, "FX 1L"},
                 {48, "FX 4R"}, {49, "BUS 1"}, {64, "BUS 16"}, {32, "?"}, {65, "?"}});
}

TEST(FormattersNames, AuxInputsByRoutingCode)
{
    struct AuxCase {
        int code;
        int place;
        const char* name;
    };
    const AuxCase cases[] = {
        {1, 0, "In01"}, {1, 1, "In02"}, {1, 2, "-"},   {1, 5, "-"},   {2, 3, "In04"},
        {2, 4, "-"},    {3, 5, "In06"}, {4, 0, "A01"}, {6, 5, "A06"}, {7, 1, "B02"},
        {8, 4, "-"},    {10, 1, "C02"}, {10, 2, "-"},  {12, 0, "C01"}, {12, 5, "C06"},
        {0, 0, "?"},    {13, 0, "?"},   {1, 6, "?"},   {1, -1, "?"},
    };
    for (const AuxCase& c : cases) {
        EXPECT_STREQ(auxInputName(c.code, c.place), c.name) << c.code << "/" << c.place;
    }
}

}  // namespace
