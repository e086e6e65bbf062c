// Surface datagrams through the dispatcher: faders, page buttons, touch,
// the console lock, malformed input, and the pages they reach.
#include <algorithm>
#include <chrono>
#include <thread>

#include "control/processing_pages.h"
#include "control/surface_dispatch.h"
#include "control/strip_controls_support.h"
#include "display/refresh.h"
#include "editor/editor_window.h"

namespace {

using SurfaceDispatch = SurfaceControlTest;

// What is queued for the surface, taken without forgetting what was sent.
std::vector<std::vector<uint8_t>> takeQueuedAll()
{
    std::vector<std::vector<uint8_t>> out;
    for (SurfaceMessage m; takeQueuedSurfaceMessage(m);) out.emplace_back(m.data, m.data + m.length);
    return out;
}

// A hand leaves a fader wherever it let go; the bridge then sends the fader
// the model's position, even one equal to what it last sent, on a page where
// faders change nothing, on a blank strip and while the console is locked.
TEST_F(SurfaceDispatch, AReleasedFaderIsSentTheModelsPositionAgain)
{
    struct Case {
        const char* name;
        int page;
        int locked;
        int fader;  // 1..9
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {"EqualiserPage", 1, 0, 2, {0xE1, 0x00, 0x40}},  // strip 1 at 0.5: step 8192
        {"BlankStrip", 0, 0, 3, {0xE2, 0x00, 0x00}},
        {"Locked", 0, 1, 1, {0xE0, 0x00, 0x20}},          // strip 0 at 0.25: step 4096
        {"MasterLocked", 0, 1, 9, {0xE8, 0x7F, 0x5F}},    // main stereo at 0.75: step 12287
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        showStrips({0, 1, B});
        strips[0].fader = 0.25;
        strips[1].fader = 0.5;
        strips[70].fader = 0.75;
        surfacePage = c.page;
        refreshMotorFaders();
        takeQueuedAll();
        consoleLock = c.locked;
        uint8_t note = static_cast<uint8_t>(103 + c.fader);
        pressNote(note);
        surfaceSends({static_cast<uint8_t>(0xE0 + c.fader - 1), 0x10, 0x10});
        std::vector<std::vector<uint8_t>> held = takeQueuedAll();
        for (const auto& m : held) EXPECT_NE(m[0], c.expected[0]) << "a held fader is not driven";
        releaseNote(note);
        std::vector<std::vector<uint8_t>> sent = takeQueuedAll();
        EXPECT_NE(std::find(sent.begin(), sent.end(), c.expected), sent.end());
        consoleLock = 0;
        mixer.drain();
    }
}

// A fader writes only the level it shows: dark ones write nothing, and a
// held fader whose strip changes under the hand writes nothing until it is
// let go and taken hold of again.
TEST_F(SurfaceDispatch, AFaderWritesOnlyTheLevelItShows)
{
    struct Case {
        const char* name;
        int page;
        int strip;
        const char* address;  // "" for none
    } const cases[] = {
        {"Home", PAGE_HOME, 2, "/ch/03/mix/fader"},
        {"SendOfAChannel", sendFaderPageOfBus(9), 2, "/ch/03/mix/09/level"},
        {"SendPageBusIsDark", sendFaderPageOfBus(9), 48, ""},
        {"MonoOfABus", PAGE_MONO_FADERS, 48, "/bus/01/mix/mlevel"},
        {"MonoPageMatrixIsDark", PAGE_MONO_FADERS, 64, ""},
        {"EqualiserPage", PAGE_EQ, 2, ""},
    };
    for (const Case& c : cases) {
        showStrips({c.strip});
        surfacePage = c.page;
        surfaceSends({0x90, 104, 127});
        surfaceSends({0xE0, 0x00, 0x20});
        surfaceSends({0x90, 104, 0});
        const Writes seen = mixer.drain();
        EXPECT_EQ(addressesOf(seen), *c.address ? std::vector<std::string>{c.address} : std::vector<std::string>{}) << c.name;
    }

    surfacePage = PAGE_HOME;
    showStrips({0, 1, 2});
    surfaceSends({0x90, 106, 127});
    surfaceSends({0xE2, 0x00, 0x20});
    bankStrips[2] = 5;  // the console took strip 3 out of the spill bank under the hand
    surfaceSends({0xE2, 0x00, 0x30});
    bankStrips[2] = 2;  // and back: still not until the hand lets go
    surfaceSends({0xE2, 0x00, 0x30});
    surfaceSends({0x90, 106, 0});
    surfaceSends({0x90, 106, 127});
    surfaceSends({0xE2, 0x00, 0x40});
    EXPECT_EQ(addressesOf(mixer.drain()), (std::vector<std::string>{"/ch/03/mix/fader", "/ch/03/mix/fader"}));

    // A second surface's motor for the held strip stays still until the hand
    // lets go of it: here by moving on a position the console left blank.
    surfacesServed = 2;
    serveSurface(1);
    EXPECT_TRUE(stripHeldOnAnotherSurface(2));
    serveSurface(0);
    bankStrips[2] = BLANK_STRIP;
    surfaceSends({0xE2, 0x00, 0x50});
    serveSurface(1);
    EXPECT_FALSE(stripHeldOnAnotherSurface(2));
    serveSurface(0);
}

// A hand's 14-bit position reaches the console as step / 16383 and comes
// back to the motor as the very same two bytes, bottom, top and between.
TEST_F(SurfaceDispatch, AFaderPositionRoundTripsToTheSameStep)
{
    showStrips({0});
    for (int step : {0, 1, 127, 128, 4096, 8191, 8192, 12287, 16256, 16382, 16383}) {
        SCOPED_TRACE(step);
        const std::vector<uint8_t> bytes = {0xE0, static_cast<uint8_t>(step % 128), static_cast<uint8_t>(step / 128)};
        pressNote(104);
        surfaceSends(bytes);
        EXPECT_DOUBLE_EQ(strips[0].fader, step / 16383.0);
        takeQueuedAll();
        releaseNote(104);
        const std::vector<std::vector<uint8_t>> sent = takeQueuedAll();
        EXPECT_NE(std::find(sent.begin(), sent.end(), bytes), sent.end()) << "the motor goes back to the hand's step";
        mixer.drain();
    }
}

// Every complete message of a datagram counts, in order, with running
// status; a high byte starts a new message, and a cut one is dropped.
TEST_F(SurfaceDispatch, EveryMessageOfADatagramIsRead)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> datagram;
        std::vector<std::string> writes;
        uint64_t dropped;
    };
    const Case cases[] = {
        {"TwoNotes", {0x90, 16, 127, 0x90, 17, 127}, {"/ch/01/mix/on", "/ch/02/mix/on"}, 0},
        {"RunningStatus", {0x90, 16, 127, 17, 127}, {"/ch/01/mix/on", "/ch/02/mix/on"}, 0},
        {"LastOneCut", {0x90, 16, 127, 17}, {"/ch/01/mix/on"}, 1},
        {"FirstCutByAStatus", {0x90, 16, 0x90, 17, 127}, {"/ch/02/mix/on"}, 1},
        {"StrayDataFirst", {0x7F, 0x10, 0xE1, 0x00, 0x40}, {"/ch/02/mix/fader"}, 1},
        {"FadersAndAProbeBetween", {0xE0, 0x00, 0x20, 0xF0, 0x00, 0xF7, 0xE1, 0x7F, 0x7F},
         {"/ch/01/mix/fader", "/ch/02/mix/fader"}, 0},
        {"CutExclusive", {0xF0, 0x00, 0x20, 0x90, 16, 127}, {"/ch/01/mix/on"}, 1},
    };
    showStrips({0, 1});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint64_t before = droppedSurfaceMessages();
        surfaceSends(c.datagram);
        EXPECT_EQ(addressesOf(mixer.drain()), c.writes);
        EXPECT_EQ(droppedSurfaceMessages() - before, c.dropped);
    }
}

// A restarted surface shows nothing: its probe is answered, also while the
// console is locked, and everything is drawn again at once, with no hand
// left on a fader.
TEST_F(SurfaceDispatch, AProbeRedrawsTheWholeSurfaceAtOnce)
{
    showStrips({0, 1, 2, 3, 4, 5, 6, 7});
    surfaceRefreshEnabled = 1;
    refreshSurface();
    faderTouched[1] = 1;
    consoleLock = 1;
    takeQueuedAll();
    surfaceSends({0xF0, 0x00, 0x20, 0x32, 0x58, 0x54, 0x00, 0xF7});
    const std::vector<std::vector<uint8_t>> sent = takeQueuedAll();
    auto count = [&](auto&& matches) { return std::count_if(sent.begin(), sent.end(), matches); };
    using Bytes = std::vector<uint8_t>;
    EXPECT_EQ(count([](const Bytes& m) { return m == Bytes{0xF0, 0x00, 0x20, 0x32, 0x58, 0x54, 0x01, 0xF7}; }), 1);
    EXPECT_EQ(count([](const Bytes& m) { return m == Bytes{0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7}; }), 1);
    EXPECT_EQ(count([](const Bytes& m) { return m.size() == 22 && m[0] == 0xF0 && m[4] == 0x58; }), 8) << "displays";
    EXPECT_EQ(count([](const Bytes& m) { return m.size() == 6 && m[0] == 0xB0; }), 8) << "rings";
    EXPECT_EQ(count([](const Bytes& m) { return m.size() == 3 && m[0] >= 0xE0 && m[0] <= 0xE8; }), 9) << "faders";
    EXPECT_EQ(count([](const Bytes& m) { return m == Bytes{0x90, 0x33, 0x7F}; }), 1) << "page lamp";
    EXPECT_EQ(faderTouched[1], 0);
    consoleLock = 0;
}

// Also before start-up has read the console.
TEST_F(SurfaceDispatch, LockedConsoleTakesOnlyReleasesAndShortOrMalformedDatagramsAreDropped)
{
    showStrips({0});
    for (uint8_t note : {104, 24, 35}) pressNote(note);
    mixer.drain();
    consoleLock = 1;
    for (uint8_t note : {104, 24, 35}) releaseNote(note);  // no fader, select or encoder stays held
    for (uint8_t note : {112, 16}) pressNote(note);
    surfaceSends({0xE8, 0x7F, 0x7F});
    EXPECT_EQ(faderTouched[0] + selectHeld[0] + encoderPushed[3] + faderTouched[8] + strips[0].mute, 0);
    consoleLock = 0;
    startupComplete = 0;  // start-up has not read the console yet
    for (uint8_t note : {16, 8}) pressNote(note);
    EXPECT_EQ(strips[0].mute + strips[0].solo, 0);
    startupComplete = 1;
    surfaceSends({0xE0, 0x7F});
    surfaceSends({0x90, 0x10});
    surfaceSends({0xE0, 0x80, 0x10});  // data bytes never have the top bit set
    surfaceSends({0x91, 0x10, 127});   // note-on on channel 2
    surfaceSends({0x80, 0x10, 127});   // note-off is not handled
    handleSurfaceDatagram(nullptr, 3);
    EXPECT_EQ(strips[70].fader + strips[0].fader + strips[0].mute, 0.0);
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(SurfaceDispatch, ModelValuesOutsideTheirTablesAreNeverUsedAsIndexes)
{
    showStrips({-3, 200, 81, B});
    surfacePage = 8;
    for (uint8_t status : {0xE0, 0xE1, 0xE2}) surfaceSends({status, 0x7F, 0x7F});
    for (uint8_t note : {16, 17, 8, 9, 24, 25, 104, 105, 0, 1, 32}) pressNote(note);
    surfacePage = 0;
    surfaceSends({0xB0, 16, 1});
    surfaceSends({0xB0, 17, 65});
    EXPECT_TRUE(mixer.drain().empty());
}

} // namespace
