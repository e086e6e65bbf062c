// Effects parameters on the effects pages: finding them by page and position
// and showing their values; what the encoder rings show, held encoders too.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/reset_state.h"
#include "display/encoder_rings.h"
#include "display/formatters.h"
#include "fxdefs/fx_files.h"
#include "model/console_model.h"

namespace {

FxParamDescription& addParam(FxDescription& fx, const char* name, int kind, int page, int position,
                             std::initializer_list<const char*> labels = {}, double step = 1.0)
{
    FxParamDescription& p = fx.params[fx.paramCount++];
    std::strcpy(p.name, name);
    p.kind = kind;
    p.page = page;
    p.position = position;
    p.step = step;
    p.lutFirst = fxLutPoolUsed;
    p.lutCount = 0;
    for (const char* label : labels) {
        FxLutEntry& e = fxLutPool[fxLutPoolUsed++];
        e.value = step * p.lutCount++;
        std::strcpy(e.label, label);
    }
    return p;
}

std::string shown(int unit, int parameter)
{
    char buffer[24];
    formatFxValue(buffer, sizeof buffer, unit, parameter);
    return buffer;
}

class FormattersFx : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAllState();
        // Type 3 of units 0..3 and type 2 of units 4..7.
        FxDescription& fx = fxDescriptions1to4[3];
        addParam(fx, "Level", FX_KIND_LINF, 1, 1);
        addParam(fx, "Mode", FX_KIND_ENUM, 1, 2, {"ST", "X", "M"});
        addParam(fx, "Decay", FX_KIND_LOGF, 1, 3, {"0.2", "0.5", "1.0", "2.0", "5.0"}, 0.25);
        addParam(fx, "Again", FX_KIND_LINF, 1, 1);   // same place as Level: the later one wins
        addParam(fx, "Page2", FX_KIND_LINF, 2, 6);
        fxSlots[1].type = 3;
        addParam(fxDescriptions5to8[2], "Gain", FX_KIND_LINF, 1, 1);
        fxSlots[6].type = 2;
    }
};

TEST_F(FormattersFx, FindsTheLastMatchInsideTheList)
{
    EXPECT_EQ(findFxParameter(0, 1, 1), 3);
    EXPECT_EQ(findFxParameter(0, 2, 6), 4);
    EXPECT_EQ(findFxParameter(0, 1, 4), -1);
    EXPECT_EQ(findFxParameter(5, 1, 1), 0);
    fxDescriptions1to4[3].params[2].kind = FX_KIND_NONE;   // ends the list
    EXPECT_EQ(findFxParameter(0, 1, 1), 0);
    fxDescriptions1to4[3].params[2].kind = FX_KIND_LOGF;
    fxDescriptions1to4[3].paramCount = 2;                   // so does the count
    EXPECT_EQ(findFxParameter(0, 1, 3), -1);

    for (int unit : {-1, 8}) EXPECT_EQ(findFxParameter(unit, 1, 1), -1) << unit;
    fxSlots[6].type = FX_TYPES_5TO8;   // valid for units 0..3, not for 4..7
    EXPECT_EQ(findFxParameter(5, 1, 1), -1);
    fxSlots[1].type = -1;              // not reported yet
    EXPECT_EQ(findFxParameter(0, 1, 1), -1);
    // A count past the table is never scanned past it.
    fxDescriptions1to4[0].paramCount = 1000;
    for (FxParamDescription& p : fxDescriptions1to4[0].params) p.kind = FX_KIND_LINF;
    fxSlots[1].type = 0;
    EXPECT_EQ(findFxParameter(0, 0, 0), FX_PARAMS_PER_TYPE - 1);
}

TEST_F(FormattersFx, ValuesOfEveryKind)
{
    // Linear parameters (0) run from min to max, with one decimal on units 1..4
    // and whole numbers, halves away from zero, on 5..8; look-up parameters
    // (1, 2) show the label of the nearest entry, or its number past the table.
    const struct { int unit, parameter; double min, max, x; const char* text; } cases[] = {
        {0, 0, -12, 12, 0.0, "-12.0"}, {0, 0, -12, 12, 1.0, "+12.0"}, {0, 0, -12, 12, 0.52, "+0.5"},
        {5, 0, -15, 15, 0.51, "+0"},   {5, 0, 0, 5, 0.5, "+3"},       {5, 0, -5, 0, 0.5, "-3"},
        {0, 1, 0, 0, 1.4, "X"},        {0, 1, 0, 0, 2.0, "M"},        {0, 1, 0, 0, 3.0, "3"},
        {0, 1, 0, 0, -1.0, "-1"},      {0, 2, 0, 0, 0.3, "0.5"},      {0, 2, 0, 0, 0.375, "1.0"},
        {0, 2, 0, 0, 1.0, "5.0"},
        {0, 10, 0, 0, 0.0, "-**-"},    // no parameter there
        {0, 64, 0, 0, 0.0, "-**-"},    // the 65th description has no value
        {0, -1, 0, 0, 0.0, "-**-"},    {9, 0, 0, 0, 0.0, "-**-"},
    };
    for (const auto& c : cases) {
        FxDescription& fx = c.unit <= 3 ? fxDescriptions1to4[3] : fxDescriptions5to8[2];
        fx.params[0].min = c.min;
        fx.params[0].max = c.max;
        if (c.unit < 8 && c.parameter >= 0 && c.parameter < 64) fxSlots[c.unit + 1].par[c.parameter + 1] = c.x;
        EXPECT_EQ(shown(c.unit, c.parameter), c.text) << c.unit << "/" << c.parameter << " at " << c.x;
    }
    fxDescriptions1to4[3].params[1].step = 0.0;   // cannot index the table
    EXPECT_EQ(shown(0, 1), "?");
    fxSlots[1].type = -1;
    EXPECT_EQ(shown(0, 0), "-**-");
}

TEST_F(FormattersFx, LongValuesAreCutToTheBuffer)
{
    fxDescriptions1to4[3].params[0].max = 1e300;
    fxSlots[1].par[1] = 1.0;
    char buffer[6];
    std::memset(buffer, 'x', sizeof buffer);
    formatFxValue(buffer, 5, 0, 0);
    EXPECT_STREQ(buffer, "+100");
    EXPECT_EQ(buffer[5], 'x');
}

// A ring shows what its encoder edits, also the value a held encoder
// switches to (which the end-to-end test never holds while it looks).
TEST_F(FormattersFx, RingsShowWhatTheEncoderEditsAndAreDarkElsewhere)
{
    fxDescriptions1to4[3].params[1].max = 2;  // "Mode": indexes 0..2
    fxDescriptions1to4[3].pageCount = 2;
    fxSlots[1].paramPage = 1;
    fxSlots[1].par[2] = 1;    // Mode "X"
    fxSlots[1].par[4] = 0.3;  // "Again", at position 1
    fxSlots[5].type = -1;     // not reported yet
    selectedStrip = 31;
    StripRecord& r = strips[31];
    r.eq[1].f = 0.7, r.source = 32, r.gateKeySrc = 16, r.dynRatio = 11, r.dynThr = 0.2;
    struct Case {
        int page, encoder, held;  // held: the encoder held down, 0 none
        bool lit;
        double value;
    };
    const Case cases[] = {{2, 3, 0, true, 0.3},  {2, 4, 0, true, 0.5},  {2, 8, 0, false, 0.0}, {2, 2, 0, true, 0.0},
                          {2, 1, 0, false, 0.0}, {2, 1, 1, true, 0.05}, {24, 3, 0, false, 0.0}, {1, 5, 5, true, 0.7},
                          {28, 2, 2, true, 0.5}, {32, 7, 7, true, 0.25}, {33, 2, 2, true, 1.0}, {33, 2, 0, true, 0.2},
                          {8, 3, 0, false, 0.0}};
    for (const Case& c : cases) {
        for (auto& pushed : encoderPushed) pushed = 0;
        if (c.held) encoderPushed[c.held - 1] = 127;
        RingValue ring = encoderRingValue(c.page, c.encoder - 1);
        EXPECT_EQ(ring.lit, c.lit) << "page " << c.page << " encoder " << c.encoder << " held " << c.held;
        if (c.lit) {
            EXPECT_NEAR(ring.value, c.value, 1e-9) << "page " << c.page << " encoder " << c.encoder;
        }
    }
    // Main LR has dynamics but no key source: its held key-source encoder shows nothing.
    selectedStrip = 70;
    EXPECT_TRUE(encoderRingValue(33, 6).lit);
    encoderPushed[6] = 127;
    EXPECT_FALSE(encoderRingValue(33, 6).lit);
}

}  // namespace
