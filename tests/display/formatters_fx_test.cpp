// Effects parameters on the effects pages: finding them by page and position
// and showing their values.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/reset_state.h"
#include "display/formatters.h"
#include "fxdefs/fx_files.h"
#include "model/console_model.h"

namespace {

FxParamDescription& addParam(FxDescription& fx, const char* name, int kind, int page, int position)
{
    FxParamDescription& p = fx.params[fx.paramCount++];
    std::strcpy(p.name, name);
    p.kind = kind;
    p.page = page;
    p.position = position;
    return p;
}

void giveLabels(FxParamDescription& p, double step, std::initializer_list<const char*> labels)
{
    p.step = step;
    p.lutFirst = fxLutPoolUsed;
    p.lutCount = 0;
    double value = 0.0;
    for (const char* label : labels) {
        FxLutEntry& e = fxLutPool[fxLutPoolUsed++];
        e.value = value;
        std::strcpy(e.label, label);
        value += step;
        ++p.lutCount;
    }
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
        resetConsoleModel();
        // Type 3 of units 0..3: a small reverb-like description.
        FxDescription& fx = fxDescriptions1to4[3];
        FxParamDescription& level = addParam(fx, "Level", FX_KIND_LINF, 1, 1);
        level.min = -12;
        level.max = 12;
        giveLabels(addParam(fx, "Mode", FX_KIND_ENUM, 1, 2), 1.0, {"ST", "X", "M"});
        giveLabels(addParam(fx, "Decay", FX_KIND_LOGF, 1, 3), 0.25, {"0.2", "0.5", "1.0", "2.0", "5.0"});
        addParam(fx, "Again", FX_KIND_LINF, 1, 1);   // same place as Level: the later one wins
        addParam(fx, "Page2", FX_KIND_LINF, 2, 6);
        fxSlots[1].type = 3;
        // Type 2 of units 4..7.
        FxDescription& insert = fxDescriptions5to8[2];
        FxParamDescription& gain = addParam(insert, "Gain", FX_KIND_LINF, 1, 1);
        gain.min = -15;
        gain.max = 15;
        fxSlots[6].type = 2;
    }
};

TEST_F(FormattersFx, FindsTheLastMatchBeforeTheListEnds)
{
    EXPECT_EQ(findFxParameter(0, 1, 1), 3);
    EXPECT_EQ(findFxParameter(0, 1, 2), 1);
    EXPECT_EQ(findFxParameter(0, 2, 6), 4);
    EXPECT_EQ(findFxParameter(0, 1, 4), -1);
    EXPECT_EQ(findFxParameter(5, 1, 1), 0);

    // A parameter with a negative kind ends the list.
    fxDescriptions1to4[3].params[2].kind = FX_KIND_NONE;
    EXPECT_EQ(findFxParameter(0, 1, 1), 0);
    EXPECT_EQ(findFxParameter(0, 2, 6), -1);
    // So does paramCount.
    fxDescriptions1to4[3].params[2].kind = FX_KIND_LOGF;
    fxDescriptions1to4[3].paramCount = 2;
    EXPECT_EQ(findFxParameter(0, 1, 3), -1);
}

TEST_F(FormattersFx, UnknownUnitOrTypeFindsNothing)
{
    EXPECT_EQ(findFxParameter(-1, 1, 1), -1);
    EXPECT_EQ(findFxParameter(8, 1, 1), -1);
    fxSlots[1].type = -1;            // not reported yet
    EXPECT_EQ(findFxParameter(0, 1, 1), -1);
    fxSlots[1].type = FX_TYPES_1TO4;
    EXPECT_EQ(findFxParameter(0, 1, 1), -1);
    fxSlots[6].type = FX_TYPES_5TO8;   // valid for units 0..3, not for 4..7
    EXPECT_EQ(findFxParameter(5, 1, 1), -1);
    // A count past the table is never scanned past it.
    fxDescriptions1to4[0].paramCount = 1000;
    for (FxParamDescription& p : fxDescriptions1to4[0].params) p.kind = FX_KIND_LINF;
    fxSlots[1].type = 0;
    EXPECT_EQ(findFxParameter(0, 0, 0), FX_PARAMS_PER_TYPE - 1);
}

TEST_F(FormattersFx, LinearValues)
{
    struct Case {
        int unit;
        double min, max, x;
        const char* text;
    };
    const Case cases[] = {
        {0, -12, 12, 0.0, "-12.0"}, {0, -12, 12, 0.5, "+0.0"}, {0, -12, 12, 1.0, "+12.0"},
        {0, -12, 12, 0.52, "+0.5"}, {0, 0, 200, 0.25, "+50.0"},
        {5, -15, 15, 0.0, "-15"},   {5, -15, 15, 0.5, "+0"},   {5, -15, 15, 1.0, "+15"},
        {5, 0, 5, 0.5, "+3"},       // 2.5 rounds away from zero
        {5, -5, 0, 0.5, "-3"},      // -2.5 likewise
        {5, -15, 15, 0.51, "+0"},   // 0.3 rounds down
    };
    for (const Case& c : cases) {
        FxDescription& fx = c.unit <= 3 ? fxDescriptions1to4[3] : fxDescriptions5to8[2];
        fx.params[0].min = c.min;
        fx.params[0].max = c.max;
        fxSlots[c.unit + 1].par[1] = c.x;
        EXPECT_EQ(shown(c.unit, 0), c.text) << c.unit << " " << c.x;
    }
}

TEST_F(FormattersFx, LookUpLabels)
{
    struct Case {
        int parameter;
        double x;
        const char* text;
    };
    const Case cases[] = {
        {1, 0.0, "ST"}, {1, 2.0, "M"}, {1, 1.4, "X"},
        {1, 3.0, "3"},      // past the table: the entry number
        {1, -1.0, "-1"},
        {2, 0.0, "0.2"}, {2, 0.375, "1.0"},   // 1.5 steps round away from zero
        {2, 1.0, "5.0"}, {2, 0.3, "0.5"},
    };
    for (const Case& c : cases) {
        fxSlots[1].par[c.parameter + 1] = c.x;
        EXPECT_EQ(shown(0, c.parameter), c.text) << c.parameter << " " << c.x;
    }
}

TEST_F(FormattersFx, NothingToShow)
{
    EXPECT_EQ(shown(0, 10), "-**-");            // no parameter there (kind -1)
    EXPECT_EQ(shown(0, 64), "-**-");            // the 65th description has no value
    EXPECT_EQ(shown(0, -1), "-**-");
    EXPECT_EQ(shown(9, 0), "-**-");
    fxSlots[1].type = -1;
    EXPECT_EQ(shown(0, 0), "-**-");
    fxSlots[1].type = 3;
    fxDescriptions1to4[3].params[1].step = 0.0;  // a step that cannot index the table
    EXPECT_EQ(shown(0, 1), "?");
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

}  // namespace
