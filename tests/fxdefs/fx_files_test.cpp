// The effects parameter files in the user profile: the sample pair, missing
// files and profile, and the start values.
#include "fx_files_support.h"

namespace {

class FxFiles : public FxProfileTest {
protected:
    void readSamplePair()
    {
        copySample("fx1_4.prm");
        copySample("fx5_8.prm");
        readFxFile1to4();
        readFxFile5to8();
    }
};

TEST_F(FxFiles, SamplePair)
{
    readSamplePair();
    EXPECT_EQ(output, "Reading fx 1..4 parameter file...\ndone.\nReading fx 5..8 parameter file...\ndone.\n");
    const char* names1[] = {"HALL", "AMBI", "RPLATE", "ROOM", "CHAMBER", "PLATE", "VREVERB",
                            "VROOM", "GATED", "REVERSE", "DELAY", "3TAP", "PITCH", "*"};
    for (int t = 0; t < 14; ++t) EXPECT_STREQ(fxDescriptions1to4[t].name, names1[t]) << t;
    const char* names2[] = {"GEQ2", "GEQ", "TEQ2", "TEQ", "DES2", "DES", "P1A", "*"};
    for (int t = 0; t < 8; ++t) EXPECT_STREQ(fxDescriptions5to8[t].name, names2[t]) << t;

    const FxDescription& delay = fxDescriptions1to4[10];
    EXPECT_EQ(delay.paramCount, 11);
    EXPECT_EQ(delay.pageCount, 2);
    EXPECT_EQ(delay.editorGroupCount, 3);
    EXPECT_EQ(delay.group3FirstPage, 2);
    EXPECT_EQ(delay.params[1].max, 2.0);
    EXPECT_EQ(lutLabel(delay.params[1], 2), "M");
    EXPECT_EQ(delay.params[4].kind, FX_KIND_LINF);
    EXPECT_EQ(delay.params[4].min, -100.0);
    EXPECT_EQ(delay.params[4].position, 5);
    EXPECT_EQ(fxDescriptions1to4[3].group2FirstPage, 3);
    EXPECT_EQ(lutLabel(fxDescriptions1to4[12].params[2], 1), "C#");

    const FxDescription& geq2 = fxDescriptions5to8[0];
    EXPECT_EQ(geq2.paramCount, 64);
    EXPECT_EQ(geq2.pageCount, 11);
    EXPECT_STREQ(geq2.params[63].name, "MasterB");
    EXPECT_EQ(geq2.params[63].page, 11);
    EXPECT_EQ(geq2.params[64].kind, FX_KIND_NONE);
}

TEST_F(FxFiles, ResetGivesTheStartValues)
{
    readSamplePair();
    ASSERT_GT(fxLutPoolUsed, 0);
    resetFxDescriptions();
    EXPECT_EQ(fxLutPoolUsed, 0);
    for (int t = 0; t < FX_TYPES_1TO4 + FX_TYPES_5TO8; ++t) {
        bool first = t < FX_TYPES_1TO4;
        const FxDescription& fx = first ? fxDescriptions1to4[t] : fxDescriptions5to8[t - FX_TYPES_1TO4];
        bool zero = !first && t - FX_TYPES_1TO4 > 30;   // entries 31..33 of the second table
        EXPECT_STREQ(fx.name, zero ? "" : "*") << t;
        EXPECT_EQ(fx.paramCount + fx.pageCount + fx.params[1].lutCount, 0) << t;
        EXPECT_EQ(fx.params[1].kind, zero ? FX_KIND_ENUM : FX_KIND_NONE) << t;
        EXPECT_EQ(fx.params[FX_PARAMS_PER_TYPE - 1].kind, zero ? FX_KIND_ENUM : FX_KIND_NONE) << t;
    }
}

TEST_F(FxFiles, MissingOrUnreadableFilesAndNoProfileKeepTheStartValues)
{
    std::filesystem::create_directories(pathOf("fx5_8.prm"));   // a folder of that name
    readFxFile1to4();
    readFxFile5to8();
    EXPECT_EQ(output, "Reading fx 1..4 parameter file...\nerror reading the numer of effects\n"
                      "Reading fx 5..8 parameter file...\nerror reading the numer of effects\n");
    EXPECT_STREQ(fxDescriptions1to4[0].name, "*");
    EXPECT_STREQ(fxDescriptions5to8[0].name, "*");

    output.clear();
    setTestEnvironment("USERPROFILE", "");
    setTestEnvironment("HOME", "");
    readFxFile1to4();
    readFxFile5to8();
    EXPECT_EQ(output, "Reading fx 1..4 parameter file...\nError opening fx1_4.prm file\n"
                      "Reading fx 5..8 parameter file...\nError opening fx5_8.prm file\n");
}

TEST_F(FxFiles, DescriptionByUnitAndType)
{
    EXPECT_EQ(fxDescriptionFor(0, 0), &fxDescriptions1to4[0]);
    EXPECT_EQ(fxDescriptionFor(3, 60), &fxDescriptions1to4[60]);
    EXPECT_EQ(fxDescriptionFor(4, 0), &fxDescriptions5to8[0]);
    EXPECT_EQ(fxDescriptionFor(7, 33), &fxDescriptions5to8[33]);
    for (const auto& [unit, type] : {std::pair{3, 61}, {4, 34}, {0, -1}, {-1, 0}, {8, 0}}) {
        EXPECT_EQ(fxDescriptionFor(unit, type), nullptr) << unit << " " << type;
    }
}

TEST_F(FxFiles, LookUpEntriesStayInsideTheirTableAndThePool)
{
    FxParamDescription p{};
    EXPECT_EQ(fxLutEntry(p, 0), nullptr);
    p.lutCount = 3;
    EXPECT_EQ(fxLutEntry(p, 0), nullptr);   // the pool holds nothing yet
    fxLutPoolUsed = 3;
    EXPECT_EQ(fxLutEntry(p, 2), &fxLutPool[2]);
    EXPECT_EQ(fxLutEntry(p, 3), nullptr);
    EXPECT_EQ(fxLutEntry(p, -1), nullptr);
    p.lutFirst = -5;
    EXPECT_EQ(fxLutEntry(p, 0), nullptr);
    p.lutFirst = FX_LUT_POOL_SIZE - 1;
    fxLutPoolUsed = FX_LUT_POOL_SIZE;
    EXPECT_EQ(fxLutEntry(p, 0), &fxLutPool[FX_LUT_POOL_SIZE - 1]);
    EXPECT_EQ(fxLutEntry(p, 1), nullptr);
}

}  // namespace
