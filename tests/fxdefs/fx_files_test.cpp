// The effects parameter files in the user profile: the sample pair, missing
// files and profile, and the start values.
#include "fx_files_support.h"

#include <cstring>

namespace {

class FxFiles : public FxProfileTest {};

TEST_F(FxFiles, StartValues)
{
    for (const FxDescription& fx : fxDescriptions1to4) {
        EXPECT_STREQ(fx.name, "*");
        EXPECT_EQ(fx.paramCount, 0);
        EXPECT_EQ(fx.pageCount, 0);
        EXPECT_EQ(fx.params[0].kind, FX_KIND_NONE);
        EXPECT_EQ(fx.params[FX_PARAMS_PER_TYPE - 1].kind, FX_KIND_NONE);
    }
    for (int t = 0; t < FX_TYPES_5TO8; ++t) {
        const FxDescription& fx = fxDescriptions5to8[t];
        EXPECT_STREQ(fx.name, t <= 30 ? "*" : "") << t;
        EXPECT_EQ(fx.params[0].kind, t <= 30 ? FX_KIND_NONE : FX_KIND_ENUM) << t;
        EXPECT_EQ(fx.paramCount, 0) << t;
    }
    EXPECT_EQ(fxLutPoolUsed, 0);
}

TEST_F(FxFiles, SamplePair)
{
    copySample("fx1_4.prm");
    copySample("fx5_8.prm");
    readFxFile1to4();
    readFxFile5to8();
    EXPECT_EQ(output, "Reading fx 1..4 parameter file...\ndone.\n"
                      "Reading fx 5..8 parameter file...\ndone.\n");

    const char* names1[] = {"HALL", "AMBI", "RPLATE", "ROOM", "CHAMBER", "PLATE", "VREVERB",
                            "VROOM", "GATED", "REVERSE", "DELAY", "3TAP", "PITCH"};
    for (int t = 0; t < 13; ++t) EXPECT_STREQ(fxDescriptions1to4[t].name, names1[t]) << t;
    EXPECT_STREQ(fxDescriptions1to4[13].name, "*");
    const char* names2[] = {"GEQ2", "GEQ", "TEQ2", "TEQ", "DES2", "DES", "P1A"};
    for (int t = 0; t < 7; ++t) EXPECT_STREQ(fxDescriptions5to8[t].name, names2[t]) << t;

    const FxDescription& delay = fxDescriptions1to4[10];
    EXPECT_EQ(delay.paramCount, 11);
    EXPECT_EQ(delay.pageCount, 2);
    EXPECT_EQ(delay.editorGroupCount, 3);
    EXPECT_EQ(delay.group2FirstPage, 2);
    EXPECT_EQ(delay.group3FirstPage, 2);
    const FxParamDescription& mode = delay.params[1];
    EXPECT_STREQ(mode.name, "Mode");
    EXPECT_EQ(mode.kind, FX_KIND_ENUM);
    EXPECT_EQ(mode.max, 2.0);
    EXPECT_EQ(lutLabel(mode, 2), "M");
    const FxParamDescription& offset = delay.params[4];
    EXPECT_EQ(offset.kind, FX_KIND_LINF);
    EXPECT_EQ(offset.min, -100.0);
    EXPECT_EQ(offset.max, 100.0);
    EXPECT_EQ(offset.page, 1);
    EXPECT_EQ(offset.position, 5);

    const FxDescription& room = fxDescriptions1to4[3];
    EXPECT_EQ(room.editorGroupCount, 2);
    EXPECT_EQ(room.group2FirstPage, 3);
    EXPECT_EQ(room.group3FirstPage, 0);
    EXPECT_EQ(lutLabel(fxDescriptions1to4[12].params[2], 1), "C#");

    const FxDescription& geq2 = fxDescriptions5to8[0];
    EXPECT_EQ(geq2.paramCount, 64);
    EXPECT_EQ(geq2.pageCount, 11);
    EXPECT_STREQ(geq2.params[63].name, "MasterB");
    EXPECT_EQ(geq2.params[63].page, 11);
    EXPECT_EQ(geq2.params[63].position, 4);
    EXPECT_EQ(geq2.params[64].kind, FX_KIND_NONE);
}

TEST_F(FxFiles, MissingFilesKeepTheStartValues)
{
    readFxFile1to4();
    readFxFile5to8();
    EXPECT_EQ(output, "Reading fx 1..4 parameter file...\nerror reading the numer of effects\n"
                      "Reading fx 5..8 parameter file...\nerror reading the numer of effects\n");
    EXPECT_STREQ(fxDescriptions1to4[0].name, "*");
    EXPECT_STREQ(fxDescriptions5to8[0].name, "*");
}

TEST_F(FxFiles, UnreadableFileIsReportedLikeAMissingOne)
{
    std::filesystem::create_directories(pathOf("fx1_4.prm"));   // a folder of that name
    readFxFile1to4();
    EXPECT_EQ(output, "Reading fx 1..4 parameter file...\nerror reading the numer of effects\n");
}

TEST_F(FxFiles, NoUserProfile)
{
    setTestEnvironment("USERPROFILE", "");
    setTestEnvironment("HOME", "");
    readFxFile1to4();
    readFxFile5to8();
    EXPECT_EQ(output, "Reading fx 1..4 parameter file...\nError opening fx1_4.prm file\n"
                      "Reading fx 5..8 parameter file...\nError opening fx5_8.prm file\n");
}

TEST_F(FxFiles, ResetReturnsToTheStartValues)
{
    copySample("fx1_4.prm");
    readFxFile1to4();
    ASSERT_GT(fxLutPoolUsed, 0);
    resetFxDescriptions();
    EXPECT_STREQ(fxDescriptions1to4[0].name, "*");
    EXPECT_EQ(fxDescriptions1to4[0].paramCount, 0);
    EXPECT_EQ(fxDescriptions1to4[0].params[1].kind, FX_KIND_NONE);
    EXPECT_EQ(fxDescriptions1to4[0].params[1].lutCount, 0);
    EXPECT_EQ(fxLutPoolUsed, 0);
}

TEST_F(FxFiles, DescriptionByUnitAndType)
{
    EXPECT_EQ(fxDescriptionFor(0, 0), &fxDescriptions1to4[0]);
    EXPECT_EQ(fxDescriptionFor(3, 60), &fxDescriptions1to4[60]);
    EXPECT_EQ(fxDescriptionFor(4, 0), &fxDescriptions5to8[0]);
    EXPECT_EQ(fxDescriptionFor(7, 33), &fxDescriptions5to8[33]);
    EXPECT_EQ(fxDescriptionFor(3, 61), nullptr);
    EXPECT_EQ(fxDescriptionFor(4, 34), nullptr);
    EXPECT_EQ(fxDescriptionFor(0, -1), nullptr);
    EXPECT_EQ(fxDescriptionFor(-1, 0), nullptr);
    EXPECT_EQ(fxDescriptionFor(8, 0), nullptr);
}

TEST_F(FxFiles, LookUpEntriesStayInsideTheirTable)
{
    FxParamDescription p{};
    EXPECT_EQ(fxLutEntry(p, 0), nullptr);
    p.lutCount = 3;
    p.lutFirst = 0;
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
