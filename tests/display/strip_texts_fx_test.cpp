// Strip displays of the effects pages, with the descriptions of the sample
// effects parameter files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fxdefs/fx_files.h"
#include "platform/console_output.h"
#include "display/display_test_support.h"

namespace {

class StripTextsFx : public ::testing::Test {
protected:
    void SetUp() override
    {
        arrangeStartedBridge();
        std::string folder = std::string(VELUMBRA_SOURCE_DIR) + "/fxdata/";
        setConsoleCapture(&output);
        ASSERT_TRUE(readFxDescriptionFile(folder + "fx1_4.prm", fxDescriptions1to4, FX_TYPES_1TO4,
                                          FX_LINE_CAPACITY_1TO4));
        ASSERT_TRUE(readFxDescriptionFile(folder + "fx5_8.prm", fxDescriptions5to8, FX_TYPES_5TO8,
                                          FX_LINE_CAPACITY_5TO8));
        EXPECT_EQ(output, "done.\ndone.\n");
    }

    void TearDown() override { setConsoleCapture(nullptr); }

    std::map<int, ShownDisplay> show(int page)
    {
        surfacePage = page;
        return refreshFromPrefilled();
    }

    std::string output;
};

ShownDisplay heading(const char* top, const char* bottom) { return {7, top, bottom}; }

void expectBlankFrom(std::map<int, ShownDisplay> shown, int first)
{
    for (int position = first; position <= 8; ++position) EXPECT_EQ(shown[position], blankDisplay()) << position;
}

TEST_F(StripTextsFx, ReverbOnItsTwoPagesAndPastTheLast)
{
    FxSlot& slot = fxSlots[1];
    slot.type = 0;
    slot.paramPage = 1;
    const double values[] = {0.25, 0.5, 0.0, 1.0, 1.0, 0.5, 0.0, 1.0, 0.5, 0.0, 1.0, 0.5};
    for (int p = 0; p < 12; ++p) slot.par[p + 1] = values[p];
    EXPECT_EQ(show(2), (std::map<int, ShownDisplay>{
                           {1, heading("FX 1", "HALL")}, {2, heading("Page", "1/2")},
                           {3, label("PreDly", "+50.0")}, {4, label("Decay", "1.00")},
                           {5, label("Size", "+2.0")},    {6, label("Damping", "20k0")},
                           {7, label("Diffuse", "+30.0")}, {8, label("Level", "+0.0")}}));
    slot.paramPage = 2;
    auto shown = show(2);
    EXPECT_EQ(shown[2], heading("Page", "2/2"));
    EXPECT_EQ(shown[3], label("LoCut", "10.0"));
    EXPECT_EQ(shown[8], label("ModSpd", "+50.0"));
    slot.paramPage = 3;
    shown = show(2);
    EXPECT_EQ(shown[2], heading("Page", "3/2"));
    expectBlankFrom(shown, 3);
}

TEST_F(StripTextsFx, InsertEffectsUseTheirOwnNamesAndWholeNumbers)
{
    fxSlots[5].type = 6;
    const double values[] = {1, 0.5, 0.25, 2};
    std::copy(std::begin(values), std::end(values), fxSlots[5].par + 1);
    auto shown = show(24);
    EXPECT_EQ(shown[1], heading("FX 5", "P1A"));
    EXPECT_EQ(shown[2], heading("Page", "1/2"));
    EXPECT_EQ(shown[3], label("Active", "ON"));
    EXPECT_EQ(shown[4], label("Gain", "+0"));
    EXPECT_EQ(shown[5], label("LoBoost", "+3"));   // 2.5 rounds away from zero
    EXPECT_EQ(shown[6], label("LoFreq", "60"));

    fxSlots[8].type = 5;   // six parameters on its one page
    const double desValues[] = {0, 1, 0.5, 0.01, 1, 1};
    std::copy(std::begin(desValues), std::end(desValues), fxSlots[8].par + 1);
    EXPECT_EQ(show(27), (std::map<int, ShownDisplay>{
                            {1, heading("FX 8", "DES")}, {2, heading("Page", "1/1")},
                            {3, label("LoL", "+0")},     {4, label("HiL", "+50")},
                            {5, label("LoR", "+25")},    {6, label("HiR", "+1")},
                            {7, label("Voice", "MALE")}, {8, label("Mode", "MS")}}));

    fxSlots[6].type = 33;   // the last insert type, named by the console's table
    shown = show(25);
    EXPECT_EQ(shown[1], heading("FX 6", "SUB"));
    EXPECT_EQ(shown[2], heading("Page", "1/2"));
}

TEST_F(StripTextsFx, TypesWithoutDescriptions)
{
    fxSlots[2].type = -1;   // not reported yet
    auto shown = show(3);
    EXPECT_EQ(shown[1], heading("FX 2", "?"));
    EXPECT_EQ(shown[2], heading("Page", "1/0"));
    expectBlankFrom(shown, 3);
    fxSlots[4].type = 20;   // no file read: the start values
    resetFxDescriptions();
    shown = show(5);
    EXPECT_EQ(shown[1], heading("FX 4", "*"));
    EXPECT_EQ(shown[2], heading("Page", "1/0"));
    expectBlankFrom(shown, 3);
    fxSlots[7].type = 40;   // no insert effect of that number
    EXPECT_EQ(show(26)[1], heading("FX 7", "?"));
}

}  // namespace
