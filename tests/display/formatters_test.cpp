// Value-to-text tables, strip labels, the index-to-name tables (both ends
// of every family and the numbers past them), and the head amp and source
// name of a strip through every routing-code family.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/reset_state.h"
#include "display/formatters.h"
#include "display/name_tables.h"
#include "model/console_model.h"

namespace {

struct TextCase {
    double value;
    const char* text;
};

struct FormatterCases {
    const char* name;
    const char* (*format)(double);
    std::vector<TextCase> cases;
};

// Thresholds stored with four decimals, segment edges, the last printed digit
// cut rather than rounded, and values outside 0..1.
const FormatterCases formatterCases[] = {
    {"levelText", levelText,
     {{0.0, "-oo"}, {-0.5, "-oo"}, {NAN, "-oo"}, {0.001, "-87.0"},
      {0.0063, "-87.0"}, {0.00631, "-84.0"},   // 1/160 stored as 0.0063
      {0.0563, "-63.0"}, {0.05631, "-60.0"},   // 3 dB steps end at 0.0625
      {0.25, "-30.0"}, {0.25625, "-29.5"}, {0.5, "-10.0"},
      {0.50625, " -9.8"}, {0.74375, " -0.3"}, {0.75, " +0.0"}, {0.75625, " +0.3"},
      {1.0, "+10.0"}, {2.0, "+10.0"}}},
    {"holdText", holdText,
     {{-1.0, "0.02"}, {0.2, "0.20"}, {0.34, "1.00"}, {0.3400001, "1.12"}, {0.47, "4.47"},
      {0.57, "14.1"}, {0.6, "20.0"}, {0.8, " 200"}, {0.99, "1782"}, {1.0, "2000"}, {5.0, "2000"}}},
    {"releaseText", releaseText,
     {{0.0, "  5 "}, {0.44, " 94 "}, {0.45, " 101"}, {0.99, "3741"}, {1.0, "4000"}, {1.5, "4000"}}},
    {"qText", qText,
     {{-0.1, "10"}, {0.0, "10"}, {0.0141, "9.5"}, {4 / 71.0, "8.2"}, {0.0563, "8.2"}, {0.4931, "1.7"},
      {1.0, "0.3"}}},
    {"lowCutText", lowCutText, {{0.0, "20"}, {0.5, "89"}, {1.0, "400"}, {9.0, "400"}}},
    {"freqText", freqText,
     {{NAN, "20.0"}, {0.0, "20.0"}, {0.005, "20.7"}, {0.565, "990.9"}, {0.57, "1k02"},
      {0.9, "10k02"}, {1.0, "20k00"}, {1.01, "20k00"}}},
};

TEST(Formatters, TablesAcrossTheirRangesAndEdges)
{
    for (const FormatterCases& f : formatterCases) {
        for (const TextCase& c : f.cases) {
            EXPECT_STREQ(f.format(c.value), c.text) << f.name << "(" << c.value << ")";
        }
    }
}

// Every console Q position k / 71, as sent and as rounded either way to four
// decimals, reads 10 x 0.03^(k/71) cut to one decimal.
TEST(Formatters, QTextShowsEachConsolePositionsOwnValue)
{
    for (int k = 0; k <= 71; ++k) {
        long long tenths = static_cast<long long>(100.0 * std::pow(0.03, k / 71.0) + 1e-6);
        char expected[32];
        std::snprintf(expected, sizeof expected, "%lld.%lld", tenths / 10, tenths % 10);
        if (k == 0) std::snprintf(expected, sizeof expected, "10");
        double exact = k / 71.0;
        for (double v : {static_cast<double>(static_cast<float>(exact)), std::floor(exact * 1e4) / 1e4,
                         std::ceil(exact * 1e4) / 1e4}) {
            EXPECT_STREQ(qText(v), expected) << "k=" << k << " value " << v;
        }
    }
}

TEST(Formatters, StripLabelOfEveryFamilyAndItsEdges)
{
    const std::pair<int, const char*> cases[] = {
        {0, "Ch 1"},     {31, "Ch 32"},    {32, "Aux 1"},    {39, "Aux 8"},  {40, "Fx rt 1"},
        {47, "Fx rt 8"}, {48, "Bus 1"},    {63, "Bus 16"},   {64, "Mtrix 1"}, {69, "Mtrix 6"},
        {70, "LR"},      {71, "M/C"},      {72, "DCA 1"},    {79, "DCA 8"},  {80, ""}, {-1, ""}};
    char buffer[STRIP_LABEL_SIZE];
    for (const auto& [strip, text] : cases) {
        std::memset(buffer, 'x', sizeof buffer);
        stripLabel(buffer, sizeof buffer, strip);
        EXPECT_STREQ(buffer, text) << strip;
    }
    std::memset(buffer, 'x', sizeof buffer);
    stripLabel(buffer, 4, 64);   // a short buffer is cut, not overrun
    EXPECT_STREQ(buffer, "Mtr");
    EXPECT_EQ(buffer[4], 'x');
}

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

struct RoutingCase {
    const char* what;
    int source;      // the strip's source code
    int code;        // routing code of the block (or aux column) the source uses
    int userInput;   // user-routing value at the element the rule should read
    int headAmp;
    const char* name;
};

// Channel 6 reads blocks of eight; aux 2 reads the aux column.
void expectCases(int strip, std::initializer_list<RoutingCase> cases)
{
    for (const RoutingCase& c : cases) {
        resetAllState();
        strips[strip].source = c.source;
        routingBlocks[0][c.source >= 1 && c.source <= 32 ? (c.source - 1) / 8 : 4] = c.code;
        // Only the right element holds the value, so a rule reading another sees "-".
        int element = c.source <= 32 ? c.source - 1 : c.source - 33;
        if (element >= 0 && element < 32) userRouting[element] = c.userInput;
        EXPECT_EQ(headAmpIndexOf(strip), c.headAmp) << c.what;
        EXPECT_STREQ(stripSourceName(strip), c.name) << c.what;
    }
}

TEST(FormattersRouting, InputChannelBlocks)
{
    expectCases(5, {
        {"off", 0, 0, 0, -1, "OFF"},
        {"local 10 in block 1", 10, 1, 0, 9, "In10"},
        {"local block code 3 place 7", 8, 3, 0, 31, "In32"},
        {"AES50 A block 4", 3, 4, 0, 34, "A03"},
        {"AES50 B last block", 8, 15, 0, 127, "B48"},
        {"card block has no head amp", 1, 16, 0, -1, "C01"},
        {"card last block", 32, 19, 0, -1, "C32"},
        {"user routing to AES50 A 1", 5, 20, 33, 32, "A01"},
        {"user routing to local 1", 25, 23, 1, 0, "In01"},
        {"user routing unassigned", 2, 20, 0, -1, "-"},
        {"user routing to card", 2, 20, 129, -1, "C01"},
        {"user routing value out of table", 2, 20, 500, -1, "?"},
        {"negative block code", 1, -1, 0, -1, "?"},
    });
}

TEST(FormattersRouting, AuxInputColumn)
{
    expectCases(33, {
        {"code 0: the console's own aux inputs", 33, 0, 0, -1, "Aux1"},
        {"code 1 place 0", 33, 1, 0, 0, "In01"},
        {"code 1 has two places only", 35, 1, 0, -1, "-"},
        {"code 3 place 5", 38, 3, 0, 5, "In06"},
        {"code 9 place 5", 38, 9, 0, 85, "B06"},
        {"card code 10 has no head amp", 33, 10, 0, -1, "C01"},
        {"user routing reads input 1 for aux 1", 33, 13, 7, 6, "In07"},
        {"user routing reads input 6 for aux 6", 38, 14, 40, 39, "A08"},
        {"USB is not an aux input", 39, 1, 0, -1, "USB L"},
        {"bus source", 64, 1, 0, -1, "BUS 16"},
        {"source past the table", 65, 0, 0, -1, "*"},
        {"negative source", -3, 0, 0, -1, "*"},
    });
}

TEST(FormattersRouting, PlayRowWhenTheRoutingSwitchIsOnAndStripsWithoutASource)
{
    resetAllState();
    strips[5].source = 9;       // block 1, place 0
    routingBlocks[0][1] = 1;    // IN: local 9-16
    routingBlocks[5][1] = 4;    // PLAY: AES50 A 1-8
    EXPECT_EQ(headAmpIndexOf(5), 8);
    routSwitch = 1;
    EXPECT_EQ(headAmpIndexOf(5), 32);
    EXPECT_STREQ(stripSourceName(5), "A01");

    for (int strip : {40, 48, BLANK_STRIP, -1}) EXPECT_EQ(headAmpIndexOf(strip), -1) << strip;
    EXPECT_STREQ(stripSourceName(BLANK_STRIP), "?");
}

}  // namespace
