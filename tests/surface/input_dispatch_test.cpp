// Surface datagrams through the dispatcher: faders, encoders, page buttons,
// touch, the console lock and malformed input.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "editor/editor_window.h"

#include "control/strip_controls_support.h"

namespace {

using SurfaceDispatch = SurfaceControlTest;

TEST(SurfaceFaderScale, UsesTheSurfacesOwnScale)
{
    EXPECT_NEAR(faderPositionOf(0x7F, 0x7F), 0.99620, 1e-5);
    EXPECT_EQ(faderPositionOf(0, 0), 0.0);
    // 255 per high step, not 128 or 256.
    EXPECT_DOUBLE_EQ(faderPositionOf(0, 1), static_cast<double>(255.0f / 32636.0f));
    EXPECT_DOUBLE_EQ(faderPositionOf(16, 64), static_cast<double>(16336.0f / 32636.0f));
}

TEST_F(SurfaceDispatch, HomePageFaderThreeReachesTheConsoleAsItsChannelFader)
{
    showStrips({0, 1, 2, 3, 4, 5, 6, 7});
    surfaceSends({0xE2, 0x10, 0x40});

    double expected = static_cast<double>(16336.0f / 32636.0f);
    EXPECT_DOUBLE_EQ(strips[2].fader, expected);
    OscSeen m;
    ASSERT_TRUE(mixer.next(m));
    EXPECT_EQ(m.address, "/ch/03/mix/fader");
    EXPECT_EQ(m.tags, "f");
    EXPECT_FLOAT_EQ(m.f, static_cast<float>(expected));
}

struct FaderAddressCase {
    int strip;
    const char* address;
};

class FaderAddress : public SurfaceControlTest, public ::testing::WithParamInterface<FaderAddressCase> {};

TEST_P(FaderAddress, EveryStripFamilyHasItsOwnAddress)
{
    showStrips({GetParam().strip});
    surfaceSends({0xE0, 0x7F, 0x7F});
    std::vector<OscSeen> sent = mixer.drain();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].address, GetParam().address);
    EXPECT_NEAR(sent[0].f, 0.99620f, 1e-5f);
}

INSTANTIATE_TEST_SUITE_P(FaderFamilies, FaderAddress,
                         ::testing::Values(FaderAddressCase{0, "/ch/01/mix/fader"},
                                           FaderAddressCase{31, "/ch/32/mix/fader"},
                                           FaderAddressCase{33, "/auxin/02/mix/fader"},
                                           FaderAddressCase{47, "/fxrtn/08/mix/fader"},
                                           FaderAddressCase{50, "/bus/03/mix/fader"},
                                           FaderAddressCase{69, "/mtx/06/mix/fader"},
                                           FaderAddressCase{70, "/main/st/mix/fader"},
                                           FaderAddressCase{71, "/main/m/mix/fader"},
                                           FaderAddressCase{72, "/dca/1/fader"},
                                           FaderAddressCase{79, "/dca/8/fader"}));

// What a fader move on surface strip 1 stores and sends on each kind of page.
struct FaderPageCase {
    int page;
    int strip;
    bool movesFader;
    bool movesSendOrMono;
};

class FaderOnPage : public SurfaceControlTest, public ::testing::WithParamInterface<FaderPageCase> {};

TEST_P(FaderOnPage, StoresWhatThePageShows)
{
    const FaderPageCase& c = GetParam();
    surfacePage = c.page;
    showStrips({c.strip});
    surfaceSends({0xE0, 0x00, 0x40});
    double level = faderPositionOf(0x00, 0x40);

    EXPECT_EQ(strips[c.strip].fader, c.movesFader ? level : 0.0);
    double sendOrMono = 0.0;
    if (c.page >= 8 && c.page <= 23) sendOrMono = strips[c.strip].sends[c.page - 7].level;
    if (c.page == 34) sendOrMono = strips[c.strip].monoLevel;
    EXPECT_EQ(sendOrMono, c.movesSendOrMono ? level : 0.0);

    bool faderSent = false;
    for (const OscSeen& m : mixer.drain()) faderSent |= m.address.find("fader") != std::string::npos;
    EXPECT_EQ(faderSent, c.movesFader);
}

INSTANTIATE_TEST_SUITE_P(FaderPages, FaderOnPage,
                         ::testing::Values(FaderPageCase{0, 5, true, false},
                                           FaderPageCase{1, 5, false, false},
                                           FaderPageCase{3, 5, true, false},
                                           FaderPageCase{8, 5, false, true},
                                           FaderPageCase{23, 47, false, true},
                                           FaderPageCase{8, 48, true, false},
                                           FaderPageCase{27, 70, true, false},
                                           FaderPageCase{33, 5, true, false},
                                           FaderPageCase{34, 63, false, true},
                                           FaderPageCase{34, 64, true, false}));

TEST_F(SurfaceDispatch, MasterFaderAlwaysMovesMainStereo)
{
    surfacePage = 1;  // even where the channel faders do nothing
    surfaceSends({0xE8, 0x00, 0x20});
    EXPECT_DOUBLE_EQ(strips[70].fader, faderPositionOf(0x00, 0x20));
    std::vector<OscSeen> sent = mixer.drain();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].address, "/main/st/mix/fader");
}

TEST_F(SurfaceDispatch, LockedConsoleShortAndMalformedDatagramsAreDropped)
{
    showStrips({0});
    consoleLock = 1;
    surfaceSends({0xE8, 0x7F, 0x7F});
    surfaceSends({0x90, 0x10, 127});
    consoleLock = 0;
    surfaceSends({0xE0, 0x7F});
    surfaceSends({0x90, 0x10});
    surfaceSends({0xE0, 0x80, 0x10});  // data bytes never have the top bit set
    surfaceSends({0x91, 0x10, 127});   // note-on on channel 2
    surfaceSends({0x80, 0x10, 127});   // note-off is not handled
    dispatchSurfaceMessage(nullptr, 3);

    EXPECT_EQ(strips[70].fader, 0.0);
    EXPECT_EQ(strips[0].mute, 0);
    EXPECT_EQ(strips[0].fader, 0.0);
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(SurfaceDispatch, ReleasesStillCountWhileTheConsoleIsLocked)
{
    showStrips({4});
    pressNote(104);
    pressNote(24);
    pressNote(35);
    consoleLock = 1;
    releaseNote(104);
    releaseNote(24);
    releaseNote(35);
    pressNote(112);  // but nothing new is taken up
    EXPECT_EQ(strips[4].touched, 0);
    EXPECT_EQ(selectHeld[0], 0);
    EXPECT_EQ(encoderPushed[3], 0);
    EXPECT_EQ(strips[70].touched, 0);
    consoleLock = 0;
    mixer.drain();
    consoleLock = 1;
    releaseNote(16);
    pressNote(16);
    EXPECT_EQ(strips[4].mute, 0);
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(SurfaceDispatch, OnlyTheFirstMessageOfADatagramCounts)
{
    showStrips({0, 1});
    surfaceSends({0x90, 0x10, 127, 0x90, 0x11, 127});
    EXPECT_EQ(strips[0].mute, 1);
    EXPECT_EQ(strips[1].mute, 0);
}

struct PageSequence {
    std::vector<uint8_t> notes;
    int startPage;
    int expected;
};

class PageButtons : public SurfaceControlTest, public ::testing::WithParamInterface<PageSequence> {};

TEST_P(PageButtons, PressesLeadToThePage)
{
    surfacePage = GetParam().startPage;
    for (uint8_t note : GetParam().notes) pressNote(note);
    EXPECT_EQ(surfacePage, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    PageButtonSequences, PageButtons,
    ::testing::Values(PageSequence{{42}, 0, 32}, PageSequence{{42, 42}, 0, 0},
                      PageSequence{{45}, 0, 29}, PageSequence{{45, 45}, 0, 30},
                      PageSequence{{45, 45, 45}, 0, 29}, PageSequence{{45}, 32, 29},
                      PageSequence{{42, 44}, 0, 1}, PageSequence{{44, 44}, 0, 0},
                      PageSequence{{40}, 0, 28}, PageSequence{{40, 40}, 0, 0}, PageSequence{{41}, 0, 33},
                      PageSequence{{43, 43}, 0, 0}, PageSequence{{51}, 32, 0},
                      PageSequence{{62}, 0, 8}, PageSequence{{69}, 0, 15},
                      PageSequence{{54}, 0, 16}, PageSequence{{61}, 0, 23},
                      PageSequence{{85}, 1, 34}, PageSequence{{62, 62}, 0, 8}));

TEST_F(SurfaceDispatch, PageButtonReleaseAndOtherVelocitiesChangeNothing)
{
    surfaceSends({0x90, 42, 0});
    surfaceSends({0x90, 42, 1});
    EXPECT_EQ(surfacePage, 0);
}

TEST_F(SurfaceDispatch, FaderTouchMarksTheStripUnderTheFinger)
{
    showStrips({BLANK_STRIP, 12});
    pressNote(105);
    EXPECT_EQ(strips[12].touched, 1);
    pressNote(112);
    EXPECT_EQ(strips[70].touched, 1);
    surfaceSends({0x90, 105, 64});  // neither touch nor release
    EXPECT_EQ(strips[12].touched, 1);
    releaseNote(105);
    releaseNote(112);
    EXPECT_EQ(strips[12].touched, 0);
    EXPECT_EQ(strips[70].touched, 0);
    pressNote(104);  // empty strip: nothing to mark
    for (int s = 0; s < STRIP_COUNT; ++s) EXPECT_EQ(strips[s].touched, 0) << s;
}

TEST_F(SurfaceDispatch, EncoderPushStoresAnyVelocity)
{
    surfacePage = 1;
    surfaceSends({0x90, 33, 1});
    EXPECT_EQ(encoderPushed[1], 1);
    surfaceSends({0x90, 33, 127});
    EXPECT_EQ(encoderPushed[1], 127);
    releaseNote(33);
    EXPECT_EQ(encoderPushed[1], 0);
}

TEST_F(SurfaceDispatch, ModelValuesOutsideTheirTablesAreNeverUsedAsIndexes)
{
    showStrips({-3, 200, 81, BLANK_STRIP});
    surfacePage = 8;
    for (uint8_t status : {0xE0, 0xE1, 0xE2}) surfaceSends({status, 0x7F, 0x7F});
    for (uint8_t note : {16, 17, 8, 9, 24, 25, 104, 105, 0, 1, 32}) pressNote(note);
    surfacePage = 0;
    surfaceSends({0xB0, 16, 1});
    surfaceSends({0xB0, 17, 65});
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(SurfaceDispatch, RandomDatagramsKeepTheModelInItsRanges)
{
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    showStrips({0, 8, 40, 48, 70, 72, 79, BLANK_STRIP});
    setBank(0, {0, 8, 40, 48, 70, 72, 79});
    mixer.close();  // nothing to read: the sender just reports failures
    std::string output;
    setConsoleCapture(&output);
    for (int k = 0; k < 20000; ++k) {
        uint8_t datagram[3];
        datagram[0] = static_cast<uint8_t>(0x80 | byte(random));
        datagram[1] = static_cast<uint8_t>(byte(random) & 0x7F);
        datagram[2] = static_cast<uint8_t>(byte(random) & 0x7F);
        dispatchSurfaceMessage(datagram, k % 10 == 0 ? 2 : 3);
        ASSERT_TRUE(surfacePage >= 0 && surfacePage <= 34 && surfacePage != 6 && surfacePage != 7)
            << surfacePage;
        ASSERT_TRUE(currentBank >= 0 && currentBank < BANK_COUNT);
        ASSERT_TRUE(bankScroll >= 0 && bankScroll <= 9);
        for (int s : bankStrips) ASSERT_TRUE(s >= 0 && s <= BLANK_STRIP);
        takeSurfaceOutput();
    }
    setConsoleCapture(nullptr);
}

TEST_F(SurfaceDispatch, EditorIsLookedForAtMostEveryHalfSecondUntilFound)
{
    int64_t firstSearch = steadyMilliseconds();
    releaseNote(16);  // the first datagram looks, and finds nothing
    addFakeWindow("X32 EDIT - show", DesktopRect{0, 100, 1188, 851});
    releaseNote(16);
    if (steadyMilliseconds() - firstSearch < 450) {
        EXPECT_EQ(editorFound, 0);
    }
    int64_t deadline = firstSearch + 3000;
    while (editorFound == 0 && steadyMilliseconds() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        releaseNote(16);
    }
    EXPECT_EQ(editorFound, 1);
    EXPECT_GE(steadyMilliseconds() - firstSearch, 500);
    EXPECT_EQ(editorOffsetY, 120);  // measured at once
}

TEST_F(SurfaceDispatch, TopRowReachesThePageOnlyWhereItMeansSomething)
{
    showStrips({3, BLANK_STRIP, 5});
    selectedStrip = 3;
    surfacePage = 29;
    pressNote(2);
    EXPECT_EQ(strips[3].sends[3].on, 1);
    surfacePage = 8;
    pressNote(1);  // empty strip under the button
    pressNote(2);
    EXPECT_EQ(strips[5].sends[1].on, 1);
    surfacePage = 0;
    pressNote(0);
    std::vector<std::string> switched;
    for (const OscSeen& m : mixer.drain()) {
        if (m.address.ends_with("/on")) switched.push_back(m.address);
    }
    EXPECT_EQ(switched, (std::vector<std::string>{"/ch/04/mix/03/on", "/ch/06/mix/01/on"}));
}

} // namespace
