// Value-to-text tables and strip labels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "display/formatters.h"

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

}  // namespace
