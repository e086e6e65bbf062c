// Effects editing: the type on encoder 1 held, the parameter page on encoder 2
// with the editor's effect window following, the parameters on encoders 3-8
// as the description files bound them, and the slot and top-row buttons.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <tuple>

#include "control/fx_editing.h"
#include "control/strip_controls_support.h"
#include "display/formatters.h"
#include "editor/editor_clicks.h"
#include "editor/editor_window.h"
#include "fxdefs/fx_files.h"

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
    // A file of its own: ctest runs tests in parallel processes.
    std::string path = (std::filesystem::temp_directory_path() /
                        ("velumbra-fx-" + std::to_string(std::random_device{}()) + ".prm")).string();

    void SetUp() override
    {
        SurfaceControlTest::SetUp();
        load(FILE_1TO4, fxDescriptions1to4, FX_TYPES_1TO4, FX_LINE_CAPACITY_1TO4);
        load(FILE_5TO8, fxDescriptions5to8, FX_TYPES_5TO8, FX_LINE_CAPACITY_5TO8);
    }

    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        SurfaceControlTest::TearDown();
    }

    void load(const char* text, FxDescription* table, int size, int capacity)
    {
        std::ofstream(path, std::ios::binary) << text;
        ASSERT_TRUE(readFxDescriptionFile(path, table, size, capacity));
    }

    void useEffect(int slot, int type, int page = 1)
    {
        fxSlots[slot].type = type;
        fxSlots[slot].paramPage = page;
    }
};

TEST_F(FxEditingTest, TypeChangesOnlyWhileEncoderOneIsHeldAndStaysInTheSlotsRange)
{
    struct Case {
        int slot, start, pushVelocity, value, expected;
    };
    // Held too lightly; the ends of slots 1-4 and 5-8 and zero; a type not
    // reported yet; a console type beyond the range.
    const Case cases[] = {{2, 58, 1, cw(5), 58},   {2, 58, 127, cw(5), 60}, {6, 30, 127, cw(10), 33},
                          {3, 2, 127, ccw(5), 0},   {1, -1, 127, ccw(1), 0}, {8, -1, 127, cw(3), 2},
                          {7, 45, 127, ccw(1), 33}};
    for (const Case& c : cases) {
        fxSlots[c.slot].type = c.start;
        encoderPushed[0] = c.pushVelocity;
        turn(pageOfSlot(c.slot), 1, c.value);
        Writes expected;
        if (c.pushVelocity == 127) expected = {{"/fx/" + std::to_string(c.slot) + "/type", 'i', double(c.expected)}};
        EXPECT_EQ(fxSlots[c.slot].type, c.expected) << "slot " << c.slot << " from " << c.start;
        EXPECT_EQ(mixer.drain(), expected) << "slot " << c.slot << " from " << c.start;
    }
}

TEST_F(FxEditingTest, PageStepsStopAtTheEndsAndTheEditorWindowFollowsItsGroups)
{
    addFakeWindow("X32 EDIT - show", DesktopRect{0, 0, 1188, 771});
    addFakeWindow("FX 2 - Chorus", DesktopRect{0, 0, 500, 500});  // another slot's window
    uint64_t fxWindow = addFakeWindow("FX 1 - Hall", DesktopRect{100, 50, 900, 650});
    editorScaleX = editorScaleY = 0.5;
    useEffect(1, 0);
    const DesktopEvent focus = focusEvent(fxWindow);
    // (100 + 825 * 0.5, 50 + 225 * 0.5), truncated.
    const DesktopEvent move = cursorMoveEvent(512, 162);
    const DesktopEvent click = leftClickEvent(512, 162);
    struct Step {
        int value, page;
        std::vector<DesktopEvent> events;
    };
    const std::vector<Step> steps = {
        {cw(1), 2, {focus, move, click}},
        {cw(5), 3, {focus, move, click}},
        {cw(1), 3, {}},                                // last page: nothing at all
        {ccw(1), 2, {focus, move, click, move, click}},  // 3 wraps to 1, then 2
        {ccw(4), 1, {focus, move, click, move, click}},
        {ccw(1), 1, {}},
    };
    for (const Step& s : steps) {
        EXPECT_TRUE(waitForEditorClicks());
        clearRecordedDesktopEvents();
        turn(2, 2, s.value);
        EXPECT_EQ(fxSlots[1].paramPage, s.page);
        EXPECT_EQ(fxSlots[1].editorPageGroup, s.page);  // one group per page in this effect
        EXPECT_TRUE(waitForEditorClicks());
        EXPECT_EQ(recordedDesktopEvents(), s.events) << "to page " << s.page;
    }
    EXPECT_TRUE(mixer.drain().empty());
}

struct ParamCase {
    const char* name;
    int slot, type, page, encoder, parameter;  // parameter 1..64
    double start;
    int value;
    double expected;
    char tag;
    double sent;
};
void PrintTo(const ParamCase& c, std::ostream* os) { *os << c.name; }

class FxParameterTest : public FxEditingTest, public ::testing::WithParamInterface<ParamCase> {};

TEST_P(FxParameterTest, StepsByTheDescriptionAndSendsTheKindsTag)
{
    const ParamCase& c = GetParam();
    useEffect(c.slot, c.type, c.page);
    fxSlots[c.slot].par[c.parameter] = c.start;
    turn(pageOfSlot(c.slot), c.encoder, c.value);
    // Kept as the console holds it: single precision.
    EXPECT_NEAR(fxSlots[c.slot].par[c.parameter], c.expected, 1e-7);
    char address[32];
    std::snprintf(address, sizeof address, "/fx/%d/par/%02d", c.slot, c.parameter);
    EXPECT_EQ(mixer.drain(), (Writes{{address, c.tag, c.sent}}));
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, FxParameterTest,
    ::testing::Values(ParamCase{"LinearStep", 1, 0, 1, 3, 1, 0.5, cw(3), 0.53, 'f', 0.53},
                      ParamCase{"LinearStopsAtOne", 2, 0, 1, 3, 1, 0.99, cw(5), 1.0, 'f', 1.0},
                      ParamCase{"LinearStopsAtZero", 3, 0, 3, 3, 4, 0.01, ccw(1), 0.0, 'f', 0.0},
                      ParamCase{"ConsoleValueAboveOne", 1, 0, 1, 3, 1, 1.7, ccw(1), 1.0, 'f', 1.0},
                      ParamCase{"EnumStopsAtMax", 1, 0, 1, 4, 2, 1.0, cw(5), 2.0, 'i', 2},
                      ParamCase{"EnumHalfStepSentRounded", 1, 0, 1, 5, 5, 1.0, cw(1), 1.5, 'i', 2},
                      ParamCase{"FineStepTicksCubed", 1, 0, 2, 3, 3, 0.5, cw(3), 0.527, 'f', 0.527},
                      ParamCase{"IntegerMax10", 5, 0, 1, 3, 1, 9.0, cw(2), 10.0, 'i', 10},
                      ParamCase{"FinePositionSix", 7, 1, 1, 8, 1, 0.1, cw(2), 0.12, 'f', 0.12}),
    byName);

TEST_F(FxEditingTest, SlotButtonsChangeThePageAndRaiseThatSlotsWindow)
{
    uint64_t fx2 = addFakeWindow("FX 2 - Chorus", DesktopRect{0, 0, 400, 300});
    uint64_t fx7 = addFakeWindow("FX 7 - GEQ", DesktopRect{0, 0, 400, 300});
    const uint64_t none = 0;
    for (auto [note, page, window] :
         {std::tuple{71, 3, fx2}, {82, 26, fx7}, {70, 2, none}, {83, 27, none}, {74, 27, none}}) {
        EXPECT_TRUE(waitForEditorClicks());
        clearRecordedDesktopEvents();
        handleFxSlotButton(note);
        std::vector<DesktopEvent> expected;
        if (window) expected = {focusEvent(window)};
        EXPECT_EQ(surfacePage, page) << note;
        EXPECT_TRUE(waitForEditorClicks());
        EXPECT_EQ(recordedDesktopEvents(), expected) << note;
    }
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(FxEditingTest, TopRowZeroSendsTheSlotsFunctionKeyToTheEditor)
{
    press(3, 0);  // no editor yet
    EXPECT_TRUE(waitForEditorClicks());
    EXPECT_TRUE(recordedDesktopEvents().empty());
    uint64_t editor = addFakeWindow("X32 EDIT - show", DesktopRect{0, 0, 1188, 771});
    searchEditorWindow();
    ASSERT_EQ(editorFound, 1);
    for (auto [page, note, fkey] : {std::tuple{3, 0, 2}, {24, 0, 5}, {27, 0, 8}, {3, 1, 0}}) {
        EXPECT_TRUE(waitForEditorClicks());
        clearRecordedDesktopEvents();
        press(page, note);
        std::vector<DesktopEvent> expected;
        if (fkey) expected = {focusEvent(editor), functionKeyEvent(editor, fkey)};
        EXPECT_TRUE(waitForEditorClicks());
        EXPECT_EQ(recordedDesktopEvents(), expected) << "page " << page;
    }
}

} // namespace
