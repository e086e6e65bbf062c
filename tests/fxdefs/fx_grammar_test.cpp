// The line grammar of the effects parameter files, on well-formed and on
// malformed files.
#include "fx_files_support.h"

#include <cmath>

namespace {

class FxGrammar : public FxProfileTest {};

TEST_F(FxGrammar, CountLineWithACommentAndTheBlockFields)
{
    std::string out = readFirst(
        "2 # two effects\n" +
        effectHeader("HALL # the hall", 1, 3, "3 2 3 # groups") + linfBlock("Pre", 1, 1) +
        effectHeader("PLATE", 0, 1, "2") + "");
    EXPECT_EQ(out, "Reading fx 1..4 parameter file...\ndone.\n");
    const FxDescription& hall = fxDescriptions1to4[0];
    EXPECT_STREQ(hall.name, "HALL");
    EXPECT_EQ(hall.paramCount, 1);
    EXPECT_EQ(hall.pageCount, 3);
    EXPECT_EQ(hall.editorGroupCount, 3);
    EXPECT_EQ(hall.group2FirstPage, 2);
    EXPECT_EQ(hall.group3FirstPage, 3);
    const FxDescription& plate = fxDescriptions1to4[1];
    EXPECT_STREQ(plate.name, "PLATE");
    EXPECT_EQ(plate.editorGroupCount, 2);
    EXPECT_EQ(plate.group2FirstPage, 0);   // missing word: start value
    EXPECT_STREQ(fxDescriptions1to4[2].name, "*");
}

TEST_F(FxGrammar, GroupWordsAreReadOnlyForTheirCount)
{
    readFirst("1\n" + effectHeader("A", 0, 1, "1 5 6"));
    EXPECT_EQ(fxDescriptions1to4[0].editorGroupCount, 1);
    EXPECT_EQ(fxDescriptions1to4[0].group2FirstPage, 0);
    EXPECT_EQ(fxDescriptions1to4[0].group3FirstPage, 0);
}

TEST_F(FxGrammar, CountsTakenOnlyFromALeadingDigit)
{
    readFirst("1\n" + effectHeader("A", 0, 0) );
    // A count line without a leading digit reads as no effects at all.
    std::string out = readFirst(" 2\n" + effectHeader("B", 0, 1));
    EXPECT_EQ(out, "Reading fx 1..4 parameter file...\ndone.\n");
    EXPECT_STREQ(fxDescriptions1to4[0].name, "A");

    resetFxDescriptions();
    readFirst("1\nC\n-3\nx\n1\n");
    EXPECT_EQ(fxDescriptions1to4[0].paramCount, 0);
    EXPECT_EQ(fxDescriptions1to4[0].pageCount, 0);
}

TEST_F(FxGrammar, EnumerationWithThreeEntries)
{
    readFirst("1\n" + effectHeader("DLY", 1) +
              paramBlock("Mode", 2, 4, "enum", "1", "3 # entries", "ST X M"));
    const FxParamDescription& p = fxDescriptions1to4[0].params[0];
    EXPECT_STREQ(p.name, "Mode");
    EXPECT_EQ(p.kind, FX_KIND_ENUM);
    EXPECT_EQ(p.page, 2);
    EXPECT_EQ(p.position, 4);
    EXPECT_EQ(p.step, 1.0);
    EXPECT_EQ(p.max, 2.0);
    EXPECT_EQ(p.lutCount, 3);
    const char* labels[] = {"ST", "X", "M"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(fxLutEntry(p, i), nullptr);
        EXPECT_EQ(fxLutEntry(p, i)->value, static_cast<double>(i));
        EXPECT_STREQ(fxLutEntry(p, i)->label, labels[i]);
    }
    EXPECT_EQ(fxDescriptions1to4[0].params[1].kind, FX_KIND_NONE);
}

TEST_F(FxGrammar, LogarithmicTableOfOneHundredAndOneSteps)
{
    std::string labels;
    for (int i = 0; i <= 100; ++i) labels += "L" + std::to_string(i) + " ";
    readFirst("1\n" + effectHeader("REV", 1) + paramBlock("Decay", 1, 2, "logf", "0.01", "101", labels));
    const FxParamDescription& p = fxDescriptions1to4[0].params[0];
    EXPECT_EQ(p.kind, FX_KIND_LOGF);
    EXPECT_EQ(p.lutCount, 101);
    EXPECT_EQ(p.max, 0.0);   // only enumerations set max
    double expected = 0.0;
    for (int i = 0; i <= 100; ++i) {
        if (i > 0) expected += 0.01;
        ASSERT_NE(fxLutEntry(p, i), nullptr);
        EXPECT_EQ(fxLutEntry(p, i)->value, expected) << i;
        EXPECT_EQ(lutLabel(p, i), "L" + std::to_string(i));
    }
    EXPECT_NEAR(fxLutEntry(p, 100)->value, 1.0, 1e-9);
}

TEST_F(FxGrammar, LinearValueLines)
{
    struct Case {
        const char* step;
        const char* min;
        const char* max;
        double wantStep, wantMin, wantMax;
    };
    const Case cases[] = {
        {"0.005", "0", "200", 0.005, 0, 200},
        {".5", "-12", "+12", 0, -12, 12},          // a step must start with a digit
        {"-1", "-12.5 # dB", "12.5#dB", 0, -12.5, 12.5},
        {"0.1", ".5", "x", 0.1, 0, 0},             // min and max need a digit or a sign
        {"2abc", "+", "-", 2, 0, 0},
    };
    for (const Case& c : cases) {
        resetFxDescriptions();
        readFirst("1\n" + effectHeader("X", 1) + paramBlock("P", 1, 1, "linf", c.step, c.min, c.max));
        const FxParamDescription& p = fxDescriptions1to4[0].params[0];
        EXPECT_EQ(p.kind, FX_KIND_LINF) << c.step;
        EXPECT_DOUBLE_EQ(p.step, c.wantStep) << c.step;
        EXPECT_DOUBLE_EQ(p.min, c.wantMin) << c.min;
        EXPECT_DOUBLE_EQ(p.max, c.wantMax) << c.max;
    }
}

TEST_F(FxGrammar, LabelsKeepHashAndAreCutToSevenCharacters)
{
    readFirst("1\n" + effectHeader("PITCH", 2) +
              paramBlock("KeySignature", 1, 1, "enum", "1", "4", "C#   D# #1 VeryLongLabel") +
              paramBlock("Few", 1, 2, "enum", "1", "3", "one"));
    const FxParamDescription& key = fxDescriptions1to4[0].params[0];
    EXPECT_STREQ(key.name, "KeySign");
    EXPECT_EQ(lutLabel(key, 0), "C#");
    EXPECT_EQ(lutLabel(key, 1), "D#");
    EXPECT_EQ(lutLabel(key, 2), "#1");
    EXPECT_EQ(lutLabel(key, 3), "VeryLon");
    // Fewer words than entries: the rest have empty labels.
    const FxParamDescription& few = fxDescriptions1to4[0].params[1];
    EXPECT_EQ(few.lutCount, 3);
    EXPECT_EQ(lutLabel(few, 0), "one");
    EXPECT_EQ(lutLabel(few, 1), "");
    EXPECT_EQ(lutLabel(few, 2), "");
}

TEST_F(FxGrammar, EmptyTableAndEmptyLines)
{
    readFirst("1\n" + effectHeader("", 1, 1, "") + paramBlock("", 0, 0, "enum", "1", "0", ""));
    const FxDescription& fx = fxDescriptions1to4[0];
    EXPECT_STREQ(fx.name, "");
    EXPECT_EQ(fx.editorGroupCount, 0);
    EXPECT_EQ(fx.params[0].kind, FX_KIND_ENUM);
    EXPECT_EQ(fx.params[0].lutCount, 0);
    EXPECT_EQ(fx.params[0].max, -1.0);
    EXPECT_EQ(fxLutEntry(fx.params[0], 0), nullptr);
}

TEST_F(FxGrammar, UnknownKindEndsTheBlockAndTheNextBlockIsRead)
{
    std::string out = readFirst(
        "2\n" + effectHeader("BAD", 3) + linfBlock("One", 1, 1) +
        paramBlock("Two", 1, 2, "lin # typo", "0.1", "0", "1") + linfBlock("Three", 1, 3) +
        effectHeader("GOOD", 1) + linfBlock("Four", 1, 1));
    EXPECT_EQ(out, "Reading fx 1..4 parameter file...\n"
                   "Error: Unknown parameter type: [lin # typo]\ndone.\n");
    const FxDescription& bad = fxDescriptions1to4[0];
    EXPECT_EQ(bad.params[0].kind, FX_KIND_LINF);
    EXPECT_EQ(bad.params[1].kind, FX_KIND_NONE);   // the list ends at the bad parameter
    EXPECT_EQ(bad.params[2].kind, FX_KIND_NONE);
    const FxDescription& good = fxDescriptions1to4[1];
    EXPECT_STREQ(good.name, "GOOD");
    EXPECT_EQ(good.paramCount, 1);
    EXPECT_STREQ(good.params[0].name, "Four");
    EXPECT_EQ(good.params[0].kind, FX_KIND_LINF);
}

TEST_F(FxGrammar, TooManyLookUpPairsEndsTheBlock)
{
    std::string out = readFirst(
        "2\n" + effectHeader("BIG", 2) + paramBlock("Huge", 1, 1, "logf", "0.005", "200", "a b c") +
        linfBlock("After", 1, 2) + effectHeader("NEXT", 1) +
        paramBlock("Max", 1, 1, "enum", "1", "199", "x"));
    EXPECT_EQ(out, "Reading fx 1..4 parameter file...\nError: too many lut pairs\ndone.\n");
    EXPECT_EQ(fxDescriptions1to4[0].params[0].kind, FX_KIND_NONE);
    EXPECT_EQ(fxDescriptions1to4[0].params[0].lutCount, 0);
    EXPECT_EQ(fxDescriptions1to4[0].params[1].kind, FX_KIND_NONE);
    EXPECT_STREQ(fxDescriptions1to4[1].name, "NEXT");
    EXPECT_EQ(fxDescriptions1to4[1].params[0].lutCount, 199);   // the largest table allowed
    EXPECT_EQ(fxLutPoolUsed, 199);
}

TEST_F(FxGrammar, MoreParametersThanTheTableHolds)
{
    std::string text = "2\n" + effectHeader("MANY", 70);
    for (int p = 0; p < 70; ++p) text += linfBlock("P" + std::to_string(p), p / 6 + 1, p % 6 + 1);
    text += effectHeader("NEXT", 1) + linfBlock("N", 1, 1);
    std::string out = readFirst(text);
    EXPECT_NE(out.find("Error: effect 0 has more than 65 parameters"), std::string::npos) << out;
    const FxDescription& many = fxDescriptions1to4[0];
    EXPECT_EQ(many.paramCount, FX_PARAMS_PER_TYPE);
    EXPECT_STREQ(many.params[64].name, "P64");
    EXPECT_STREQ(fxDescriptions1to4[1].name, "NEXT");
    EXPECT_STREQ(fxDescriptions1to4[1].params[0].name, "N");
}

TEST_F(FxGrammar, MoreEffectsThanTheTableHolds)
{
    std::string text = "40\n";
    for (int k = 0; k < 40; ++k) text += effectHeader("E" + std::to_string(k), 0);
    std::string out = readSecond(text);
    EXPECT_NE(out.find("Error: more than 34 effects in the file"), std::string::npos) << out;
    EXPECT_STREQ(fxDescriptions5to8[33].name, "E33");
    EXPECT_STREQ(fxDescriptions1to4[34].name, "*");   // the other table is untouched
}

TEST_F(FxGrammar, OverlongLinesAreCutAndTheLinesStayInStep)
{
    std::string longName = "Verb" + std::string(3000, 'x');
    std::string longLabels = "first " + std::string(2000, 'y') + " never";
    readSecond("2\n" + effectHeader(longName, 1) +
               paramBlock("Mode", 1, 1, "enum", "1", "3", longLabels) + effectHeader("NEXT", 0));
    const FxDescription& fx = fxDescriptions5to8[0];
    EXPECT_STREQ(fx.name, "Verbxxx");
    EXPECT_EQ(fx.paramCount, 1);
    const FxParamDescription& p = fx.params[0];
    EXPECT_EQ(lutLabel(p, 0), "first");
    EXPECT_EQ(lutLabel(p, 1), "yyyyyyy");
    EXPECT_EQ(lutLabel(p, 2), "");   // cut off with the rest of the line
    EXPECT_STREQ(fxDescriptions5to8[1].name, "NEXT");
}

TEST_F(FxGrammar, CarriageReturnLineEndings)
{
    readFirst("1\r\nREV\r\n1\r\n2\r\n2 2\r\n"
              "Mode\r\n1\r\n1\r\nenum\r\n1\r\n2\r\nA B\r\n");
    const FxDescription& fx = fxDescriptions1to4[0];
    EXPECT_STREQ(fx.name, "REV");
    EXPECT_EQ(fx.group2FirstPage, 2);
    EXPECT_EQ(fx.params[0].kind, FX_KIND_ENUM);
    EXPECT_EQ(lutLabel(fx.params[0], 1), "B");
}

TEST_F(FxGrammar, FileEndingInsideABlock)
{
    std::string out = readFirst("3\n" + effectHeader("ONE", 1) + linfBlock("P", 1, 1) +
                                "TWO\n2\n1\n1\nQ\n1\n1\nlinf\n0.1\n");
    EXPECT_EQ(out, "Reading fx 1..4 parameter file...\ndone.\n");
    EXPECT_EQ(fxDescriptions1to4[0].params[0].kind, FX_KIND_LINF);
    EXPECT_STREQ(fxDescriptions1to4[1].name, "TWO");
    EXPECT_EQ(fxDescriptions1to4[1].params[0].kind, FX_KIND_NONE);   // not complete
    EXPECT_STREQ(fxDescriptions1to4[2].name, "*");
}

TEST_F(FxGrammar, EmptyFile)
{
    EXPECT_EQ(readFirst(""), "Reading fx 1..4 parameter file...\ndone.\n");
    EXPECT_STREQ(fxDescriptions1to4[0].name, "*");
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
    std::string out = readFirst(text);
    EXPECT_NE(out.find("Error: no room left for lut pairs"), std::string::npos);
    EXPECT_LE(fxLutPoolUsed, FX_LUT_POOL_SIZE);
    EXPECT_GT(fxLutPoolUsed, FX_LUT_POOL_SIZE - 199);
    // Every table that was taken fits inside the pool.
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
