// Effects editing: the type on encoder 1 held, the parameter page on encoder 2
// with the editor's effect window following, the parameters on encoders 3-8
// as the description files bound them, and the slot and top-row buttons.
#include <filesystem>
#include <fstream>
#include <random>

#include "control/fx_editing.h"
#include "control/pages_test_support.h"
#include "display/formatters.h"
#include "editor/editor_window.h"
#include "fxdefs/fx_files.h"
#include "platform/console_output.h"
#include "platform/profile.h"

namespace {

// Slots 1-4. Hall: three pages in three editor groups, one parameter of each
// kind and an enumeration with half steps. Empty: no parameters at all.
const char* FILE_1TO4 =
    "2 # effect blocks\n"
    "Hall\n5\n3\n3 2 3  # groups, first pages of groups 2 and 3\n"
    "Time\n1\n1\nlinf\n0.01\n0.2\n+5\n"
    "Mode\n1\n2\nenum\n1\n3\nOff Slow Fast\n"
    "Fine\n2\n1\nlogf\n0.001\n3\nlo mid hi\n"
    "Level\n3\n1\nlinf\n0.02\n-12\n+12\n"
    "Half\n1\n3\nenum\n0.5\n4\nA B C D\n"
    "Empty\n0\n1\n1\n";

// Slots 5-8. GEQ2: an enumeration 0..10, two pages in two groups. Fine: a
// fine-stepped continuous parameter at position 6.
const char* FILE_5TO8 =
    "2\n"
    "GEQ2\n1\n2\n2 2\n"
    "Band\n1\n1\nenum\n1\n11\n0 1 2 3 4 5 6 7 8 9 10\n"
    "Fine\n1\n1\n1\n"
    "Width\n1\n6\nlinf\n0.0025\n0\n+100\n";

int pageOfSlot(int slot) { return slot <= 4 ? slot + 1 : slot + 19; }

class FxEditingTest : public SurfaceControlTest {
protected:
    std::string folder;
    std::string output;

    void SetUp() override
    {
        SurfaceControlTest::SetUp();
        setConsoleCapture(&output);
        resetFxDescriptions();
        // A profile folder of its own: ctest runs tests in parallel processes.
        std::random_device random;
        folder = (std::filesystem::temp_directory_path() /
                  ("velumbra-fx-profile-" + std::to_string(random()) + std::to_string(random())))
                     .string();
        load(FILE_1TO4, "\\AppData\\Roaming\\Velumbra\\fx1_4.prm", fxDescriptions1to4, FX_TYPES_1TO4,
             FX_LINE_CAPACITY_1TO4);
        load(FILE_5TO8, "\\AppData\\Roaming\\Velumbra\\fx5_8.prm", fxDescriptions5to8, FX_TYPES_5TO8,
             FX_LINE_CAPACITY_5TO8);
    }

    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        resetFxDescriptions();
        setConsoleCapture(nullptr);
        SurfaceControlTest::TearDown();
    }

    void load(const char* text, const char* relative, FxDescription* table, int size, int capacity)
    {
        std::string path = profilePath(folder, relative);
        ASSERT_TRUE(ensureParentFolder(path));
        {
            std::ofstream file(path, std::ios::binary);
            file << text;
        }
        ASSERT_TRUE(readFxDescriptionFile(path, table, size, capacity)) << path;
    }

    void useEffect(int slot, int type, int page = 1)
    {
        fxSlots[slot].type = type;
        fxSlots[slot].paramPage = page;
    }
};

TEST_F(FxEditingTest, SampleFilesDescribeWhatTheTestsRelyOn)
{
    ASSERT_STREQ(fxDescriptions1to4[0].name, "Hall");
    EXPECT_EQ(fxDescriptions1to4[0].paramCount, 5);
    EXPECT_EQ(fxDescriptions1to4[0].editorGroupCount, 3);
    EXPECT_EQ(fxDescriptions1to4[0].params[1].max, 2.0);
    EXPECT_EQ(fxDescriptions1to4[0].params[4].max, 3.0);
    EXPECT_EQ(fxDescriptions1to4[1].paramCount, 0);
    EXPECT_EQ(fxDescriptions5to8[0].params[0].max, 10.0);
    EXPECT_EQ(findFxParameter(0, 2, 1), -1);  // unit 0 has no type yet
    useEffect(1, 0, 2);
    EXPECT_EQ(findFxParameter(0, 2, 1), 2);
}

struct TypeCase {
    const char* name;
    int slot;
    int start;
    int pushVelocity;
    int value;
    int expected;
    bool sent;
};

void PrintTo(const TypeCase& c, std::ostream* out) { *out << c.name; }

class FxTypeTest : public FxEditingTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(FxTypeTest, ChangesOnlyWhileEncoderOneIsHeldAndStaysInTheSlotsRange)
{
    const TypeCase& c = GetParam();
    fxSlots[c.slot].type = c.start;
    encoderPushed[0] = c.pushVelocity;
    turn(pageOfSlot(c.slot), 1, c.value);
    EXPECT_EQ(fxSlots[c.slot].type, c.expected);
    std::vector<Write> expected;
    if (c.sent) expected.push_back({"/fx/" + std::to_string(c.slot) + "/type", 'i', double(c.expected)});
    EXPECT_TRUE(sameWrites(mixer.drain(), expected));
}

INSTANTIATE_TEST_SUITE_P(
    Types, FxTypeTest,
    ::testing::Values(TypeCase{"NotHeld", 2, 58, 0, cw(5), 58, false},
                      TypeCase{"HeldWithVelocityOne", 2, 58, 1, cw(5), 58, false},
                      TypeCase{"StopsAt60OnSlots1To4", 2, 58, 127, cw(5), 60, true},
                      TypeCase{"StopsAt33OnSlots5To8", 6, 30, 127, cw(10), 33, true},
                      TypeCase{"StopsAtZero", 3, 2, 127, ccw(5), 0, true},
                      TypeCase{"AtTheTopStillSent", 4, 60, 127, cw(1), 60, true},
                      TypeCase{"UnknownTypeTurnedDownLandsOnZero", 1, -1, 127, ccw(1), 0, true},
                      TypeCase{"UnknownTypeTurnedUp", 8, -1, 127, cw(3), 2, true},
                      TypeCase{"ConsoleTypeAboveTheRange", 7, 45, 127, ccw(1), 33, true}),
    [](const ::testing::TestParamInfo<TypeCase>& info) { return info.param.name; });

TEST_F(FxEditingTest, UnknownTypeLeavesEncodersTwoToEightIdle)
{
    fxSlots[3].par[1] = 0.5;
    for (int encoder = 2; encoder <= 8; ++encoder) turn(4, encoder, cw(1));
    EXPECT_EQ(fxSlots[3].paramPage, 1);
    EXPECT_DOUBLE_EQ(fxSlots[3].par[1], 0.5);
    EXPECT_TRUE(mixer.drain().empty());
    EXPECT_TRUE(recordedDesktopEvents().empty());
}

TEST_F(FxEditingTest, PageStepsStopAtTheEndsAndTheEditorWindowFollowsItsGroups)
{
    addFakeWindow("X32 EDIT - show", DesktopRect{0, 0, 1188, 771});
    uint64_t fxWindow = addFakeWindow("FX 1 - Hall", DesktopRect{100, 50, 900, 650});
    editorScaleX = 0.5;
    editorScaleY = 0.5;
    useEffect(1, 0);
    const DesktopEvent focus = focusEvent(fxWindow);
    // (100 + 825 * 0.5, 50 + 225 * 0.5), truncated.
    const DesktopEvent move = cursorMoveEvent(512, 162);
    const DesktopEvent click = leftClickEvent(512, 162);
    struct Step {
        int value;
        int page;
        int group;
        std::vector<DesktopEvent> events;
    };
    const std::vector<Step> steps = {
        {cw(1), 2, 2, {focus, move, click}},
        {cw(5), 3, 3, {focus, move, click}},
        {cw(1), 3, 3, {}},                                // last page: nothing at all
        {ccw(1), 2, 2, {focus, move, click, move, click}},  // 3 wraps to 1, then 2
        {ccw(4), 1, 1, {focus, move, click, move, click}},
        {ccw(1), 1, 1, {}},
    };
    for (const Step& s : steps) {
        clearRecordedDesktopEvents();
        turn(2, 2, s.value);
        EXPECT_EQ(fxSlots[1].paramPage, s.page);
        EXPECT_EQ(fxSlots[1].editorPageGroup, s.group);
        EXPECT_EQ(recordedDesktopEvents(), s.events) << "to page " << s.page;
    }
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(FxEditingTest, SlotsFiveToEightClickTheirWindowUnscaled)
{
    uint64_t fxWindow = addFakeWindow("FX 6 - GEQ2", DesktopRect{10, 20, 600, 500});
    addFakeWindow("FX 5 - GEQ2", DesktopRect{300, 300, 900, 800});
    editorScaleX = 0.5;
    editorScaleY = 0.5;
    useEffect(6, 0);
    turn(25, 2, cw(1));
    EXPECT_EQ(fxSlots[6].paramPage, 2);
    EXPECT_EQ(fxSlots[6].editorPageGroup, 2);
    EXPECT_EQ(recordedDesktopEvents(),
              (std::vector<DesktopEvent>{focusEvent(fxWindow), cursorMoveEvent(860, 250),
                                         leftClickEvent(860, 250)}));
}

TEST_F(FxEditingTest, WithoutTheEffectWindowNoClickAndTheGroupBeliefStays)
{
    addFakeWindow("FX 2 - Chorus", DesktopRect{0, 0, 500, 500});  // another slot's window
    useEffect(1, 0);
    turn(2, 2, cw(1));
    EXPECT_EQ(fxSlots[1].paramPage, 2);
    EXPECT_EQ(fxSlots[1].editorPageGroup, 1);
    EXPECT_TRUE(recordedDesktopEvents().empty());
}

struct ParamCase {
    const char* name;
    int slot;
    int type;
    int page;
    int encoder;
    int parameter;   // 1..64
    double start;
    int value;
    double expected;
    char tag;
    double sent;
};

void PrintTo(const ParamCase& c, std::ostream* out) { *out << c.name; }

class FxParameterTest : public FxEditingTest, public ::testing::WithParamInterface<ParamCase> {};

TEST_P(FxParameterTest, StepsByTheDescriptionAndSendsTheKindsTag)
{
    const ParamCase& c = GetParam();
    useEffect(c.slot, c.type, c.page);
    fxSlots[c.slot].par[c.parameter] = c.start;
    turn(pageOfSlot(c.slot), c.encoder, c.value);
    EXPECT_NEAR(fxSlots[c.slot].par[c.parameter], c.expected, 1e-12);
    char address[32];
    std::snprintf(address, sizeof address, "/fx/%d/par/%02d", c.slot, c.parameter);
    EXPECT_TRUE(sameWrites(mixer.drain(), {{address, c.tag, c.sent}}));
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, FxParameterTest,
    ::testing::Values(
        ParamCase{"LinearStep", 1, 0, 1, 3, 1, 0.5, cw(3), 0.53, 'f', 0.53},
        ParamCase{"LinearStopsAtOne", 2, 0, 1, 3, 1, 0.99, cw(5), 1.0, 'f', 1.0},
        ParamCase{"LinearStopsAtZero", 3, 0, 3, 3, 4, 0.01, ccw(1), 0.0, 'f', 0.0},
        ParamCase{"ConsoleValueAboveOne", 1, 0, 1, 3, 1, 1.7, ccw(1), 1.0, 'f', 1.0},
        ParamCase{"EnumOneStepPerTick", 1, 0, 1, 4, 2, 0.0, cw(1), 1.0, 'i', 1},
        ParamCase{"EnumStopsAtMax", 1, 0, 1, 4, 2, 1.0, cw(5), 2.0, 'i', 2},
        ParamCase{"EnumStopsAtZero", 4, 0, 1, 4, 2, 2.0, ccw(5), 0.0, 'i', 0},
        ParamCase{"EnumHalfStepSentRounded", 1, 0, 1, 5, 5, 1.0, cw(1), 1.5, 'i', 2},
        ParamCase{"FineStepTicksCubed", 1, 0, 2, 3, 3, 0.5, cw(3), 0.527, 'f', 0.527},
        ParamCase{"FineStepDownCubed", 1, 0, 2, 3, 3, 0.5, ccw(2), 0.492, 'f', 0.492},
        ParamCase{"IntegerMax10", 5, 0, 1, 3, 1, 9.0, cw(2), 10.0, 'i', 10},
        ParamCase{"FinePositionSix", 7, 1, 1, 8, 1, 0.1, cw(2), 0.12, 'f', 0.12}),
    [](const ::testing::TestParamInfo<ParamCase>& info) { return info.param.name; });

TEST_F(FxEditingTest, NothingIsSentThatNoDescriptionBounds)
{
    struct Case {
        int slot;
        int type;
        int page;
        int encoder;
    };
    const Case cases[] = {
        {1, 0, 1, 8},    // no parameter at that position
        {1, 0, 2, 4},    // nor on that page
        {1, 1, 1, 3},    // a described type without parameters
        {2, 40, 1, 3},   // a type the file does not describe
        {5, 32, 1, 3},   // the all-zero entries of the second table
        {6, 50, 1, 3},   // beyond the second table
        {3, 500, 1, 3},  // beyond the first table
    };
    for (const Case& c : cases) {
        useEffect(c.slot, c.type, c.page);
        fxSlots[c.slot].par[1] = 0.25;
        turn(pageOfSlot(c.slot), c.encoder, cw(1));
        turn(pageOfSlot(c.slot), 2, cw(1));
        EXPECT_DOUBLE_EQ(fxSlots[c.slot].par[1], 0.25);
        if (c.type != 0) {
            EXPECT_EQ(fxSlots[c.slot].paramPage, 1) << "type " << c.type;
        }
    }
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(FxEditingTest, SlotButtonsChangeThePageAndRaiseThatSlotsWindow)
{
    addFakeWindow("X32 EDIT - show", DesktopRect{0, 0, 1188, 771});
    uint64_t fx2 = addFakeWindow("FX 2 - Chorus", DesktopRect{0, 0, 400, 300});
    uint64_t fx7 = addFakeWindow("FX 7 - GEQ", DesktopRect{0, 0, 400, 300});
    struct Case {
        int note;
        int page;
        std::vector<DesktopEvent> events;
    };
    const std::vector<Case> cases = {
        {71, 3, {focusEvent(fx2)}}, {82, 26, {focusEvent(fx7)}}, {70, 2, {}}, {83, 27, {}}, {74, 27, {}}};
    for (const Case& c : cases) {
        clearRecordedDesktopEvents();
        handleFxSlotButton(c.note);
        EXPECT_EQ(surfacePage, c.page) << c.note;
        EXPECT_EQ(recordedDesktopEvents(), c.events) << c.note;
    }
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(FxEditingTest, TopRowZeroSendsTheSlotsFunctionKeyToTheEditor)
{
    press(3, 0);  // no editor yet
    EXPECT_TRUE(recordedDesktopEvents().empty());
    uint64_t editor = addFakeWindow("X32 EDIT - show", DesktopRect{0, 0, 1188, 771});
    addFakeWindow("FX 2 - Chorus", DesktopRect{0, 0, 400, 300});
    searchEditorWindow();
    ASSERT_EQ(editorFound, 1);
    struct Case {
        int page;
        int note;
        std::vector<DesktopEvent> events;
    };
    const std::vector<Case> cases = {
        {3, 0, {focusEvent(editor), functionKeyEvent(editor, 2)}},
        {24, 0, {focusEvent(editor), functionKeyEvent(editor, 5)}},
        {27, 0, {focusEvent(editor), functionKeyEvent(editor, 8)}},
        {3, 1, {}},
    };
    for (const Case& c : cases) {
        clearRecordedDesktopEvents();
        press(c.page, c.note);
        EXPECT_EQ(recordedDesktopEvents(), c.events) << "page " << c.page;
    }
}

// Every parameter of the shipped description files: one tick past either end
// stops at the end and goes out with its kind's tag.
TEST_F(FxEditingTest, ShippedDescriptionsBoundEveryParameterAtBothEnds)
{
    resetFxDescriptions();
    const std::string tools = std::string(VELUMBRA_SOURCE_DIR) + "/tools/fxfiles/";
    ASSERT_TRUE(readFxDescriptionFile(tools + "fx1_4.prm", fxDescriptions1to4, FX_TYPES_1TO4,
                                      FX_LINE_CAPACITY_1TO4));
    ASSERT_TRUE(readFxDescriptionFile(tools + "fx5_8.prm", fxDescriptions5to8, FX_TYPES_5TO8,
                                      FX_LINE_CAPACITY_5TO8));
    int checked = 0;
    for (int slot : {1, 5}) {
        for (int type = 0; type <= fxTypeLimit(slot); ++type) {
            const FxDescription* d = fxDescriptionFor(slot - 1, type);
            for (int i = 0; d && i < d->paramCount && i < FX_PARAM_COUNT; ++i) {
                const FxParamDescription& param = d->params[i];
                useEffect(slot, type, param.page);
                if (findFxParameter(slot - 1, param.page, param.position) != i) continue;
                if (!(param.step > 0.0)) continue;
                bool integer = param.kind == FX_KIND_ENUM;
                double bound = integer ? param.max : 1.0;
                fxSlots[slot].par[i + 1] = bound - param.step / 2;
                turn(pageOfSlot(slot), param.position + 2, cw(1));
                EXPECT_DOUBLE_EQ(fxSlots[slot].par[i + 1], bound) << d->name << " " << param.name;
                fxSlots[slot].par[i + 1] = param.step / 2;
                turn(pageOfSlot(slot), param.position + 2, ccw(1));
                EXPECT_DOUBLE_EQ(fxSlots[slot].par[i + 1], 0.0) << d->name << " " << param.name;
                std::vector<OscSeen> seen = mixer.drain();
                ASSERT_EQ(seen.size(), 2u) << d->name << " " << param.name;
                EXPECT_EQ(seen[0].tags, integer ? "i" : "f");
                if (integer) {
                    EXPECT_EQ(seen[0].i, static_cast<int>(param.max));
                } else {
                    EXPECT_FLOAT_EQ(seen[0].f, 1.0f);
                }
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 20);
}

} // namespace
