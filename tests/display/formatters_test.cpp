// Value-to-text tables and strip labels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "display/formatters.h"

namespace {

struct TextCase {
    double value;
    const char* text;
};

using Formatter = const char* (*)(double);

void expectTexts(Formatter formatter, const char* name, std::initializer_list<TextCase> cases)
{
    for (const TextCase& c : cases) {
        EXPECT_STREQ(formatter(c.value), c.text) << name << "(" << c.value << ")";
    }
}

TEST(FormattersLevel, FaderLawAcrossSegmentsAndBounds)
{
    expectTexts(levelText, "levelText",
                {{0.0, "-oo"},
                 {-0.5, "-oo"},
                 {0.001, "-87.0"},
                 {1.0 / 160, "-87.0"},
                 {0.0063, "-87.0"},     // the stored four-decimal threshold of 1/160
                 {0.00631, "-84.0"},    // just above it: the next entry
                 {0.0563, "-63.0"},     // 9/160 stored as 0.0563, 3 dB per step below 0.0625
                 {0.05631, "-60.0"},
                 {0.0625, "-60.0"},
                 {0.25, "-30.0"},
                 {0.25625, "-29.5"},    // 2 dB per step from 0.25
                 {0.5, "-10.0"},
                 {0.50625, " -9.8"},    // -9.75 rounds away from zero
                 {0.74375, " -0.3"},    // -0.25 rounds away from zero
                 {0.75, " +0.0"},
                 {0.75625, " +0.3"},
                 {1.0, "+10.0"},
                 {2.0, "+10.0"}});
}

TEST(FormattersLevel, EveryEntryIsFiveCharactersAndRises)
{
    double previous = -1000.0;
    for (int k = 1; k <= 160; ++k) {
        const char* text = levelText(k / 160.0);
        ASSERT_EQ(std::strlen(text), 5u) << k;
        double db = std::atof(text);
        EXPECT_GE(db, previous) << k;
        previous = db;
    }
}

TEST(FormattersHold, TwoOneAndNoDecimals)
{
    // The last printed digit is cut, never rounded up.
    expectTexts(holdText, "holdText",
                {{0.0, "0.02"},
                 {-1.0, "0.02"},
                 {0.005, "0.02"},      // takes the next threshold, 0.01: 0.0224 ms
                 {0.2, "0.20"},
                 {0.34, "1.00"},
                 {0.3400001, "1.12"},
                 {0.4, "2.00"},
                 {0.47, "4.47"},       // 4.477 ms
                 {0.57, "14.1"},       // 14.16 ms
                 {0.59, "17.8"},
                 {0.6, "20.0"},
                 {0.73, "89.3"},
                 {0.8, " 200"},
                 {0.99, "1782"},
                 {1.0, "2000"},
                 {5.0, "2000"}});
}

TEST(FormattersRelease, ThreeOrFourPlaces)
{
    expectTexts(releaseText, "releaseText",
                {{0.0, "  5 "},
                 {0.01, "  5 "},
                 {0.44, " 94 "},      // 94.7 ms, cut
                 {0.45, " 101"},
                 {0.5, " 141"},
                 {0.99, "3741"},
                 {1.0, "4000"},
                 {1.5, "4000"}});
}

TEST(FormattersQ, TenThenOneDecimal)
{
    expectTexts(qText, "qText",
                {{0.0, "10"},
                 {-0.1, "10"},
                 {0.0141, "9.5"},     // 1/71 stored as 0.0141
                 {0.493, "1.7"},      // 35/71 stored as 0.4930
                 {0.4931, "1.6"},
                 {0.5, "1.6"},
                 {70.0 / 71, "0.3"},
                 {1.0, "0.3"}});
}

TEST(FormattersLowCut, WholeHertz)
{
    expectTexts(lowCutText, "lowCutText",
                {{0.0, "20"}, {0.25, "42"}, {0.5, "89"}, {0.99, "388"}, {1.0, "400"}, {9.0, "400"}});
}

TEST(FormattersFreq, HertzThenKilohertz)
{
    expectTexts(freqText, "freqText",
                {{0.0, "20.0"},
                 {0.005, "20.7"},
                 {0.5, "632.4"},
                 {0.565, "990.9"},
                 {0.57, "1k02"},
                 {0.665, "1k97"},
                 {0.9, "10k02"},
                 {0.995, "19k32"},
                 {1.0, "20k00"},
                 {1.01, "20k00"}});
}

TEST(FormattersTables, NotANumberGetsTheFirstText)
{
    EXPECT_STREQ(levelText(NAN), "-oo");
    EXPECT_STREQ(freqText(NAN), "20.0");
}

TEST(FormattersStripLabel, EveryFamilyAndItsEdges)
{
    struct LabelCase {
        int strip;
        const char* label;
    };
    const LabelCase cases[] = {
        {0, "Ch 1"},     {31, "Ch 32"},    {32, "Aux 1"},   {39, "Aux 8"},   {40, "Fx rt 1"},
        {47, "Fx rt 8"}, {48, "Bus 1"},    {63, "Bus 16"},  {64, "Mtrix 1"}, {69, "Mtrix 6"},
        {70, "LR"},      {71, "M/C"},      {72, "DCA 1"},   {79, "DCA 8"},   {80, ""},
        {-1, ""},        {1000, ""},
    };
    for (const LabelCase& c : cases) {
        char buffer[STRIP_LABEL_SIZE];
        std::memset(buffer, 'x', sizeof buffer);
        stripLabel(buffer, sizeof buffer, c.strip);
        EXPECT_STREQ(buffer, c.label) << c.strip;
    }
}

TEST(FormattersStripLabel, ShortBufferIsCutNotOverrun)
{
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    stripLabel(buffer, 4, 64);
    EXPECT_STREQ(buffer, "Mtr");
    EXPECT_EQ(buffer[4], 'x');
}

}  // namespace
