// The line grammar of the effects parameter files, on well-formed and on
// malformed files.
#include "fx_files_support.h"

namespace {

class FxGrammar : public FxProfileTest {};

const char* const DONE = "Reading fx 1..4 parameter file...\ndone.\n";

std::string labelsOf(const FxParamDescription& p)
{
    std::string labels;
    for (int i = 0; i < p.lutCount; ++i) labels += (i ? "|" : "") + lutLabel(p, i);
    return labels;
}

TEST_F(FxGrammar, EveryKindOfLineInAWellFormedFile)
{
    std::string decayLabels;
    for (int i = 0; i <= 100; ++i) decayLabels += "L" + std::to_string(i) + " ";
    EXPECT_EQ(readFile("4 # four effects\n" + effectHeader("HALL # the hall", 3, 3, "3 2 3 # groups") +
                       paramBlock("Mode", 2, 4, "enum", "1", "3 # entries", "ST X M") +
                       paramBlock("Decay", 1, 2, "logf", "0.01", "101", decayLabels) +
                       paramBlock("KeySignature", 1, 1, "enum", "1", "5", "C#   D# #1 VeryLongLabel") +
                       effectHeader("PLATE", 0, 1, "2") + effectHeader("A", 0, 1, "1 5 6") +
                       effectHeader("", 1, 1, "") + paramBlock("", 0, 0, "enum", "1", "0", "")),
              DONE);
    const FxDescription& hall = fxDescriptions1to4[0];
    EXPECT_STREQ(hall.name, "HALL");
    EXPECT_EQ(hall.paramCount, 3);
    EXPECT_EQ(hall.pageCount, 3);
    EXPECT_EQ(hall.editorGroupCount, 3);
    EXPECT_EQ(hall.group2FirstPage, 2);
    EXPECT_EQ(hall.group3FirstPage, 3);

    const FxParamDescription& mode = hall.params[0];
    EXPECT_STREQ(mode.name, "Mode");
    EXPECT_EQ(mode.kind, FX_KIND_ENUM);
    EXPECT_EQ(mode.page, 2);
    EXPECT_EQ(mode.position, 4);
    EXPECT_EQ(mode.step, 1.0);
    EXPECT_EQ(mode.max, 2.0);
    EXPECT_EQ(labelsOf(mode), "ST|X|M");
    EXPECT_EQ(fxLutEntry(mode, 2)->value, 2.0);

    const FxParamDescription& decay = hall.params[1];
    EXPECT_EQ(decay.kind, FX_KIND_LOGF);
    EXPECT_EQ(decay.lutCount, 101);
    EXPECT_EQ(decay.max, 0.0);   // only enumerations set max
    for (int i = 0; i <= 100; ++i) {
        ASSERT_NE(fxLutEntry(decay, i), nullptr);
        EXPECT_NEAR(fxLutEntry(decay, i)->value, i * 0.01, 1e-9) << i;
        EXPECT_EQ(lutLabel(decay, i), "L" + std::to_string(i));
    }
    // Labels keep '#', are cut to seven characters, and may run out.
    EXPECT_STREQ(hall.params[2].name, "KeySign");
    EXPECT_EQ(labelsOf(hall.params[2]), "C#|D#|#1|VeryLon|");
    EXPECT_EQ(hall.params[3].kind, FX_KIND_NONE);

    EXPECT_EQ(fxDescriptions1to4[1].editorGroupCount, 2);
    EXPECT_EQ(fxDescriptions1to4[1].group2FirstPage, 0);   // missing word: start value
    EXPECT_EQ(fxDescriptions1to4[2].group2FirstPage, 0);   // words past the count are not read
    const FxDescription& empty = fxDescriptions1to4[3];
    EXPECT_STREQ(empty.name, "");
    EXPECT_EQ(empty.editorGroupCount, 0);
    EXPECT_EQ(empty.params[0].kind, FX_KIND_ENUM);
    EXPECT_EQ(empty.params[0].max, -1.0);
    EXPECT_EQ(fxLutEntry(empty.params[0], 0), nullptr);
    EXPECT_STREQ(fxDescriptions1to4[4].name, "*");
}

TEST_F(FxGrammar, CountsTakenOnlyFromALeadingDigit)
{
    EXPECT_EQ(readFile(""), DONE);
    readFile("1\n" + effectHeader("A", 0, 0));
    EXPECT_EQ(readFile(" 2\n" + effectHeader("B", 0, 1)), DONE);   // reads as no effects
    EXPECT_STREQ(fxDescriptions1to4[0].name, "A");
    resetFxDescriptions();
    readFile("1\nC\n-3\nx\n1\n");
    EXPECT_EQ(fxDescriptions1to4[0].paramCount, 0);
    EXPECT_EQ(fxDescriptions1to4[0].pageCount, 0);
}

TEST_F(FxGrammar, LinearValueLines)
{
    const struct { const char* step; const char* min; const char* max; double wantStep, wantMin, wantMax; } cases[] = {
        {"0.005", "0", "200", 0.005, 0, 200},
        {".5", "-12", "+12", 0, -12, 12},          // a step must start with a digit
        {"-1", "-12.5 # dB", "12.5#dB", 0, -12.5, 12.5},
        {"0.1", ".5", "x", 0.1, 0, 0},             // min and max need a digit or a sign
        {"2abc", "+", "-", 2, 0, 0},
    };
    for (const auto& c : cases) {
        resetFxDescriptions();
        readFile("1\n" + effectHeader("X", 1) + paramBlock("P", 1, 1, "linf", c.step, c.min, c.max));
        const FxParamDescription& p = fxDescriptions1to4[0].params[0];
        EXPECT_EQ(p.kind, FX_KIND_LINF) << c.step;
        EXPECT_DOUBLE_EQ(p.step, c.wantStep) << c.step;
        EXPECT_DOUBLE_EQ(p.min, c.wantMin) << c.min;
        EXPECT_DOUBLE_EQ(p.max, c.wantMax) << c.max;
    }
}

TEST_F(FxGrammar, UnknownKindEndsTheBlockAndTheNextBlockIsRead)
{
    EXPECT_EQ(readFile("2\n" + effectHeader("BAD", 3) + linfBlock("One", 1, 1) +
                       paramBlock("Two", 1, 2, "lin # typo", "0.1", "0", "1") + linfBlock("Three", 1, 3) +
                       effectHeader("GOOD", 1) + linfBlock("Four", 1, 1)),
              "Reading fx 1..4 parameter file...\nError: Unknown parameter type: [lin # typo]\ndone.\n");
    const FxDescription& bad = fxDescriptions1to4[0];
    EXPECT_EQ(bad.params[0].kind, FX_KIND_LINF);
    EXPECT_EQ(bad.params[1].kind, FX_KIND_NONE);   // the list ends at the bad parameter
    EXPECT_EQ(bad.params[2].kind, FX_KIND_NONE);
    EXPECT_STREQ(fxDescriptions1to4[1].params[0].name, "Four");
    EXPECT_EQ(fxDescriptions1to4[1].params[0].kind, FX_KIND_LINF);
}

TEST_F(FxGrammar, TooManyLookUpPairsEndsTheBlock)
{
    EXPECT_EQ(readFile("2\n" + effectHeader("BIG", 2) + paramBlock("Huge", 1, 1, "logf", "0.005", "200", "a b") +
                       linfBlock("After", 1, 2) + effectHeader("NEXT", 1) +
                       paramBlock("Max", 1, 1, "enum", "1", "199", "x")),
              "Reading fx 1..4 parameter file...\nError: too many lut pairs\ndone.\n");
    EXPECT_EQ(fxDescriptions1to4[0].params[0].kind, FX_KIND_NONE);
    EXPECT_EQ(fxDescriptions1to4[0].params[0].lutCount, 0);
    EXPECT_EQ(fxDescriptions1to4[0].params[1].kind, FX_KIND_NONE);
    EXPECT_EQ(fxDescriptions1to4[1].params[0].lutCount, 199);   // the largest table allowed
    EXPECT_EQ(fxLutPoolUsed, 199);
}

TEST_F(FxGrammar, MoreParametersOrEffectsThanTheTablesHold)
{
    std::string text = "2\n" + effectHeader("MANY", 70);
    for (int p = 0; p < 70; ++p) text += linfBlock("P" + std::to_string(p), p / 6 + 1, p % 6 + 1);
    std::string out = readFile(text + effectHeader("NEXT", 1) + linfBlock("N", 1, 1));
    EXPECT_NE(out.find("Error: effect 0 has more than 65 parameters"), std::string::npos) << out;
    EXPECT_EQ(fxDescriptions1to4[0].paramCount, FX_PARAMS_PER_TYPE);
    EXPECT_STREQ(fxDescriptions1to4[0].params[64].name, "P64");
    EXPECT_STREQ(fxDescriptions1to4[1].params[0].name, "N");

    text = "40\n";
    for (int k = 0; k < 40; ++k) text += effectHeader("E" + std::to_string(k), 0);
    out = readFile(text, true);
    EXPECT_NE(out.find("Error: more than 34 effects in the file"), std::string::npos) << out;
    EXPECT_STREQ(fxDescriptions5to8[33].name, "E33");
    EXPECT_STREQ(fxDescriptions1to4[34].name, "*");   // the other table is untouched
}

TEST_F(FxGrammar, OverlongLinesAreCutAndTheLinesStayInStep)
{
    std::string longLabels = "first " + std::string(2000, 'y') + " never";
    readFile("2\n" + effectHeader("Verb" + std::string(3000, 'x'), 1) +
                 paramBlock("Mode", 1, 1, "enum", "1", "3", longLabels) + effectHeader("NEXT", 0),
             true);
    EXPECT_STREQ(fxDescriptions5to8[0].name, "Verbxxx");
    EXPECT_EQ(labelsOf(fxDescriptions5to8[0].params[0]), "first|yyyyyyy|");   // the rest of the line is cut
    EXPECT_STREQ(fxDescriptions5to8[1].name, "NEXT");
}

TEST_F(FxGrammar, CarriageReturnLineEndings)
{
    readFile("1\r\nREV\r\n1\r\n2\r\n2 2 7\r\nMode\r\n1\r\n1\r\nenum\r\n1\r\n2\r\nA B\r\n");
    EXPECT_STREQ(fxDescriptions1to4[0].name, "REV");
    EXPECT_EQ(fxDescriptions1to4[0].group2FirstPage, 2);
    EXPECT_EQ(fxDescriptions1to4[0].group3FirstPage, 0);   // a third word needs three groups
    EXPECT_EQ(labelsOf(fxDescriptions1to4[0].params[0]), "A|B");
}

TEST_F(FxGrammar, FileEndingInsideABlock)
{
    EXPECT_EQ(readFile("3\n" + effectHeader("ONE", 1) + linfBlock("P", 1, 1) + "TWO\n2\n1\n1\nQ\n1\n1\nlinf\n0.1\n"),
              DONE);
    EXPECT_EQ(fxDescriptions1to4[0].params[0].kind, FX_KIND_LINF);
    EXPECT_STREQ(fxDescriptions1to4[1].name, "TWO");
    EXPECT_EQ(fxDescriptions1to4[1].params[0].kind, FX_KIND_NONE);   // not complete
    EXPECT_STREQ(fxDescriptions1to4[2].name, "*");
}

TEST_F(FxGrammar, LookUpPoolNeverOverflows)
{
    std::string labels;
    for (int i = 0; i < 199; ++i) labels += "v ";
    std::string text = "61\n";
    for (int k = 0; k < 61; ++k) {
        text += effectHeader("E", 12);
        for (int p = 0; p < 12; ++p) text += paramBlock("T", 1, 1, "logf", "0.005", "199", labels);
    }
    EXPECT_NE(readFile(text).find("Error: no room left for lut pairs"), std::string::npos);
    EXPECT_LE(fxLutPoolUsed, FX_LUT_POOL_SIZE);
    EXPECT_GT(fxLutPoolUsed, FX_LUT_POOL_SIZE - 199);
    for (const FxDescription& fx : fxDescriptions1to4) {
        for (const FxParamDescription& p : fx.params) {
            if (p.lutCount > 0) {
                EXPECT_LE(p.lutFirst + p.lutCount, fxLutPoolUsed);
            }
        }
    }
    EXPECT_STREQ(fxDescriptions1to4[60].name, "E");
}

}  // namespace
