// Index-to-name tables: both ends of every family and the numbers past them.
#include <gtest/gtest.h>

#include "display/name_tables.h"

namespace {

struct NameCase {
    const char* (*lookUp)(int);
    int index;
    const char* name;
};

const NameCase nameCases[] = {
    {keySourceName, 0, "Self"}, {keySourceName, 32, "Ch32"}, {keySourceName, 33, "Aux1"},
    {keySourceName, 39, "USB L"}, {keySourceName, 41, "FX1 L"}, {keySourceName, 48, "FX4 R"},
    {keySourceName, 64, "BUS 16"}, {keySourceName, 65, "?"}, {keySourceName, -1, "?"},
    {filterTypeName, 3, "HC12"}, {filterTypeName, 8, "10.0"}, {filterTypeName, 9, "?"},
    {dynRatioName, 0, "1.1"}, {dynRatioName, 11, "100"}, {dynRatioName, 12, "?"},
    {eqBandTypeName, 5, "HCut"}, {eqBandTypeName, 6, "?"}, {eqBandTypeName, -1, "?"},
    {insertEffectName, 0, "GEQ2"}, {insertEffectName, 33, "SUB"}, {insertEffectName, 34, "?"},
    {insertSlotName, 0, "OFF"}, {insertSlotName, 1, "FX1L"}, {insertSlotName, 16, "FX8R"},
    {insertSlotName, 17, "AUX1"}, {insertSlotName, 22, "AUX6"}, {insertSlotName, 23, "?"},
    {consoleInputName, 31, "In32"}, {consoleInputName, 32, "A01"}, {consoleInputName, 79, "A48"},
    {consoleInputName, 80, "B01"}, {consoleInputName, 128, "C01"}, {consoleInputName, 159, "C32"},
    {consoleInputName, 160, "?"}, {consoleInputName, -1, "?"},
    {userRoutingSourceName, 0, "-"}, {userRoutingSourceName, 1, "In01"}, {userRoutingSourceName, 160, "C32"},
    {userRoutingSourceName, 161, "Aux1"}, {userRoutingSourceName, 167, "TB int"},
    {userRoutingSourceName, 168, "TB ext"}, {userRoutingSourceName, 169, "Out01"},
    {userRoutingSourceName, 185, "P16 01"}, {userRoutingSourceName, 200, "P16 16"},
    {userRoutingSourceName, 206, "Aux6"}, {userRoutingSourceName, 207, "Mon L"},
    {userRoutingSourceName, 208, "MON R"}, {userRoutingSourceName, 209, "?"},
    {channelSourceName, 32, "?"}, {channelSourceName, 33, "Aux1"}, {channelSourceName, 39, "USB L"},
    {channelSourceName, 41, "FX 1L"}, {channelSourceName, 64, "BUS 16"}, {channelSourceName, 65, "?"},
};

TEST(FormattersNames, EveryTableAndItsEnds)
{
    for (const NameCase& c : nameCases) {
        EXPECT_STREQ(c.lookUp(c.index), c.name) << "index " << c.index << ", expected " << c.name;
    }
}

TEST(FormattersNames, AuxInputsByRoutingCode)
{
    // Codes name 2, 4 or 6 inputs of local, AES50 A, AES50 B or card; other places "-".
    const struct { int code, place; const char* name; } cases[] = {
        {2, 3, "In04"}, {2, 4, "-"}, {7, 1, "B02"}, {12, 5, "C06"},
        {0, 0, "?"},    {13, 0, "?"}, {1, 6, "?"},  {1, -1, "?"}};
    for (const auto& c : cases) EXPECT_STREQ(auxInputName(c.code, c.place), c.name) << c.code << "/" << c.place;
}

}  // namespace
