// The effects parameter files in the user profile: the shipped pair, missing
// files and profile, and the start values.
#include <set>
#include <utility>

#include "fx_files_support.h"
#include "platform/exe_path.h"

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

// Parameter count and kinds per effect type, as the console reports them
// ("i" integer, "f" continuous), for the types known for certain.
struct ConsoleEffect {
    bool insertSlot;   // slots 5..8
    int type;
    const char* name;
    const char* kinds;
};

constexpr ConsoleEffect kConsoleEffects[] = {
    {false, 0, "HALL", "ffffffffffff"},      {false, 1, "AMBI", "ffffffffff"},
    {false, 2, "RPLT", "ffffffffffffffff"},  {false, 3, "ROOM", "ffffffffffffffff"},
    {false, 4, "CHAM", "ffffffffffffffff"},  {false, 5, "PLAT", "ffffffffffff"},
    {false, 6, "VREV", "fffiifffff"},        {false, 7, "VRM", "ffffffffffffi"},
    {false, 8, "GATE", "ffffffffff"},        {false, 9, "RVRS", "fffffffff"},
    {false, 10, "DLY", "ffiiifffffff"},      {false, 11, "3TAP", "ffffffiffiffiii"},
    {false, 12, "4TAP", "ffffffifififiii"},  {false, 13, "CRS", "fffffffffff"},
    {false, 14, "FLNG", "ffffffffffff"},     {false, 15, "PHAS", "ffffffffffff"},
    {false, 16, "DIMC", "iiiiiii"},          {false, 17, "FILT", "ffffififffffii"},
    {false, 18, "ROTA", "ffffffii"},         {false, 19, "PAN", "fffffffff"},
    {false, 20, "SUB", "iifffiifff"},        {false, 21, "D/RV", "fiffffffffff"},
    {false, 22, "CR/R", "ffffffffffff"},     {false, 23, "FL/R", "ffffffffffff"},
    {false, 24, "D/CR", "fiffffffffff"},     {false, 25, "D/FL", "fiffffffffff"},
    {false, 26, "MODD", "fifffffiiffff"},    {true, 4, "DES2", "ffffii"},
    {true, 5, "DES", "ffffii"},              {true, 6, "P1A", "iffifffifii"},
    {true, 7, "P1A2", "iffifffifiiiffifffifii"}, {true, 8, "PQ5", "ififififi"},
    {true, 9, "PQ5S", "ififififiififififi"}, {true, 10, "WAVD", "ffffff"},
    {true, 11, "LIM", "ffffffii"},
};

std::string kindsOf(const FxDescription& fx)
{
    std::string kinds;
    for (int i = 0; i < fx.paramCount; ++i) kinds += fx.params[i].kind == FX_KIND_ENUM ? 'i' : 'f';
    return kinds;
}

// Every block of both shipped files reads without an error, describes a type
// of the console and lays its parameters out on the encoders without clashes.
TEST_F(FxFiles, ShippedFilesDescribeEveryEffectType)
{
    readSamplePair();
    EXPECT_EQ(output, "Reading fx 1..4 parameter file...\ndone.\nReading fx 5..8 parameter file...\ndone.\n");
    for (int unit : {0, 4}) {
        int types = unit == 0 ? FX_TYPES_1TO4 : FX_TYPES_5TO8;
        for (int t = 0; t < types; ++t) {
            const FxDescription& fx = *fxDescriptionFor(unit, t);
            SCOPED_TRACE("unit " + std::to_string(unit) + " type " + std::to_string(t) + " " + fx.name);
            EXPECT_STRNE(fx.name, "*");
            ASSERT_GT(fx.paramCount, 0);
            ASSERT_LE(fx.paramCount, 64);   // "/fx/N/par/01" to "/par/64"
            EXPECT_GE(fx.editorGroupCount, 1);
            EXPECT_LE(fx.editorGroupCount, 3);
            if (fx.editorGroupCount > 1) {
                EXPECT_GT(fx.group2FirstPage, 1);
                EXPECT_LE(fx.group2FirstPage, fx.pageCount);
            }
            std::set<std::pair<int, int>> places;
            for (int i = 0; i < fx.paramCount; ++i) {
                const FxParamDescription& p = fx.params[i];
                SCOPED_TRACE(p.name);
                EXPECT_NE(p.kind, FX_KIND_NONE);
                EXPECT_GT(p.step, 0.0);
                EXPECT_TRUE(p.page >= 1 && p.page <= fx.pageCount && p.position >= 1 && p.position <= 6);
                EXPECT_TRUE(places.insert({p.page, p.position}).second) << "shares its place";
                if (p.kind == FX_KIND_LINF) {
                    EXPECT_LT(p.min, p.max);
                } else {   // the last label sits at the top of the range
                    EXPECT_NEAR((p.lutCount - 1) * p.step, p.kind == FX_KIND_ENUM ? p.max : 1.0, 1e-9);
                }
                for (int e = 0; e < p.lutCount; ++e) EXPECT_NE(lutLabel(p, e), "");
            }
            // Every page holds a parameter.
            for (int page = 1; page <= fx.pageCount; ++page) {
                EXPECT_TRUE(places.lower_bound({page, 0}) != places.end() &&
                            places.lower_bound({page, 0})->first == page) << "page " << page;
            }
        }
    }
    for (const ConsoleEffect& known : kConsoleEffects) {
        const FxDescription& fx = *fxDescriptionFor(known.insertSlot ? 4 : 0, known.type);
        EXPECT_STREQ(fx.name, known.name) << known.type;
        EXPECT_EQ(kindsOf(fx), known.kinds) << known.name;
    }
    EXPECT_STREQ(fxDescriptions1to4[60].name, "PIT");
    EXPECT_STREQ(fxDescriptions5to8[33].name, "SUB");
    EXPECT_EQ(kindsOf(fxDescriptions5to8[33]), kindsOf(fxDescriptions1to4[20]));   // the same sub octaver
}

// The build puts the shipped files beside every program of the build folder,
// this one too, where the bridge looks for them at start.
TEST_F(FxFiles, ShippedFilesLieBesideTheProgram)
{
    std::string programFolder;
    ASSERT_TRUE(executableFolder(programFolder));
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(programFolder) / "fxdata" / "fx5_8.prm"));
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
