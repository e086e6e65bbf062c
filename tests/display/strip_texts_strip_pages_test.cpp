// Strip displays of the selected strip's equaliser, pre-amp, pan and group,
// gate and dynamics pages.
#include <gtest/gtest.h>

#include "display/display_test_support.h"

namespace {

using Shown = std::map<int, ShownDisplay>;

// The displays at positions first..last only.
Shown between(const Shown& shown, int first, int last)
{
    return Shown(shown.lower_bound(first), shown.upper_bound(last));
}

class StripTextsStripPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        arrangeStartedBridge();
        nameStrip(0, "Kick", 1);
        nameStrip(48, "Drums", 3);
    }

    Shown show(int page, int strip)
    {
        surfacePage = page;
        selectedStrip = strip;
        return refreshFromPrefilled();
    }

    // Positions first..8 blank on a page for every one of the strips.
    void expectBlankFrom(int page, std::initializer_list<int> strips, int first)
    {
        for (int strip : strips) {
            Shown shown = show(page, strip);
            for (int p = first; p <= 8; ++p) EXPECT_EQ(shown[p], blankDisplay()) << strip << " " << p;
        }
    }
};

TEST_F(StripTextsStripPages, EqualiserOfAnInputChannelOnBothLayers)
{
    StripRecord& s = strips[0];
    s.hpf = 0.5;
    s.eq[1] = {2, 0.57, 0.5, 0.0};
    s.eq[2] = {0, 0.0, 1.0, 1.0};
    s.eq[3] = {5, 1.0, 0.0, 36 / 71.0};  // the console's Q position 36
    s.eq[4] = {7, 0.5, 0.75, 0.0};
    EXPECT_EQ(show(1, 0), (Shown{{1, {1, "Ch 1", "Kick"}},      {2, {7, "1/2", "EQ"}},
                                 {3, label("LCUT", "89")},      {4, blankDisplay()},
                                 {5, label("1k02", "+0.00")},   {6, label("20.0", "+15.00")},
                                 {7, label("20k00", "-15.00")}, {8, label("632.4", "+7.50")}}));
    eqEncoderLayer = 1;
    Shown shown = show(1, 0);
    EXPECT_EQ(shown[2], (ShownDisplay{7, "2/2", "EQ"}));
    EXPECT_EQ(between(shown, 5, 8), (Shown{{5, label("PEQ", "10")}, {6, label("LCut", "0.3")},
                                                        {7, label("HCut", "1.6")}, {8, label("?", "10")}}));
}

TEST_F(StripTextsStripPages, EqualiserLayoutsByFamily)
{
    eqEncoderLayer = 1;
    Shown aux = show(1, 32);   // no low cut on an aux input
    EXPECT_EQ(between(aux, 3, 5),
              (Shown{{3, blankDisplay()}, {4, blankDisplay()}, {5, label("LCut", "10")}}));

    strips[48].eq[6] = {13, 0.0, 0.0, 1.0};   // mains and matrices know 14 band types
    strips[48].eq[1] = {4, 0.0, 0.0, 0.0};
    Shown bus = show(1, 48);
    EXPECT_EQ(bus[1], (ShownDisplay{3, "Bus 1", "Drums"}));
    EXPECT_EQ(bus[3], label("HShv", "10"));
    EXPECT_EQ(bus[4], label("LCut", "10"));
    EXPECT_EQ(bus[8], label("?", "0.3"));
    expectBlankFrom(1, {72}, 3);

    eqEncoderLayer = 2;   // not a layer: the heading is left alone
    EXPECT_EQ(show(1, 0).count(2), 0u);
}

TEST_F(StripTextsStripPages, PreampOfAnInputChannelInItsOrder)
{
    StripRecord& s = strips[0];
    s.source = s.link = 1;
    s.haIndex = 0;
    s.delayTime = 0.003602 * 10;
    s.insertSel = 3;
    headamps[0].gain = 0.5;
    headamps[0].phantom = 1;
    surfacePage = 28;
    refreshStripDisplays();
    auto messages = takeDisplayMessages();
    std::vector<int> order;
    for (const auto& entry : messages) order.push_back(entry.first);
    EXPECT_EQ(order, (std::vector<int>{1, 6, 5, 3, 4, 2, 7, 8}));
    EXPECT_EQ(Shown(messages.begin(), messages.end()),
              (Shown{{1, {1, "Ch 1", "Kick"}},    {2, label("In01", "24.0")}, {3, label("Phantom", "On")},
                     {4, label("Polarit", "Off")}, {5, label("Link", "On")},   {6, label("LCUT", "20")},
                     {7, label("Delay", "18.3")},  {8, label("Insert", "* FX2L")}}));
}

TEST_F(StripTextsStripPages, PreampGainShowsTheTrimWithoutAHeadAmpToEdit)
{
    StripRecord& s = strips[0];
    s.source = 9;   // block 1, from local inputs 9-16
    routingBlocks[0][1] = 1;
    s.trim = 0.75;
    s.invert = s.insertPos = 1;
    Shown trim = show(28, 0);
    EXPECT_EQ(between(trim, 2, 4),
              (Shown{{2, label("In09", "+9.00")}, {3, blankDisplay()}, {4, label("Polarit", "On")}}));
    EXPECT_EQ(trim[8], label("Insert", "  OFF"));

    // A head-amp number from the console, but the block is routed to the card:
    // no head-amp to show, so the display shows the trim encoder 2 turns.
    s.haIndex = 8;
    routingBlocks[0][1] = 16;
    headamps[8].phantom = 1;
    Shown card = show(28, 0);
    EXPECT_EQ(card[2], label("C01", "+9.00"));
    EXPECT_EQ(card[3], label("Phantom", "Off"));
}

TEST_F(StripTextsStripPages, PreampOfAuxInputsReturnsBusesAndMains)
{
    strips[32].source = 34;
    strips[32].haIndex = 1;
    routingBlocks[0][4] = 1;   // aux inputs from local inputs 1-2
    headamps[1].gain = 0.25;
    Shown aux = show(28, 32);
    EXPECT_EQ(between(aux, 2, 4),
              (Shown{{2, label("In02", "6.0")}, {3, label("Phantom", "Off")}, {4, label("Polarit", "Off")}}));
    expectBlankFrom(28, {32}, 6);

    for (int strip : {40, 48, 70}) {
        Shown shown = show(28, strip);
        for (int position : {2, 3, 4, 6, 7}) EXPECT_EQ(shown[position], blankDisplay()) << strip;
        EXPECT_EQ(shown[5], label("Link", "Off")) << strip;
        EXPECT_EQ(shown[8], strip == 40 ? blankDisplay() : label("Insert", "* OFF")) << strip;
    }
}

TEST_F(StripTextsStripPages, PanAndGroups)
{
    for (const auto& [pan, text] : {std::pair{0.5, "<>"}, {0.25, "< 50 "}, {1.0, "100 >"}, {0.4975, "< 1  "},
                                    {0.505, "  1 >"}}) {
        strips[0].pan = pan;
        EXPECT_EQ(show(31, 0)[2], label("Pan", text)) << pan;
    }
    StripRecord& s = strips[0];
    s.monoLevel = 0.75;
    s.automixGroup = 1;
    s.automixWeight = 0.5;
    chosenDcaGroup = 2;
    chosenMuteGroup = 5;
    Shown shown = show(31, 0);
    EXPECT_EQ(between(shown, 3, 8),
              (Shown{{3, label("M/C", " +0.0")}, {4, blankDisplay()}, {5, label("Automix", "X +0.0")},
                     {6, blankDisplay()}, {7, label("Dca grp", "3")}, {8, label("Mutegrp", "6")}}));
    s.automixGroup = 2;
    s.automixWeight = 1.0;
    EXPECT_EQ(show(31, 0)[5], label("Automix", "Y +12.0"));
    s.automixGroup = 0;
    s.automixWeight = 0.0;
    EXPECT_EQ(show(31, 0)[5], label("Automix", "  -12.0"));
    EXPECT_EQ(show(31, 8)[5], blankDisplay());   // automix covers channels 1-8
}

TEST_F(StripTextsStripPages, GateOfChannelsUpTo31)
{
    StripRecord& s = strips[0];
    s.gateThr = s.gateRange = 1.0;
    s.gateAttack = s.gateRelease = 0.5;
    s.gateHold = 0.34;
    s.gateKeySrc = 49;
    s.gateFilterType = 1;
    s.gateFilterF = 0.57;
    EXPECT_EQ(show(32, 0), (Shown{{1, {1, "Ch 1", "Kick"}},     {2, label("Thresh", "+0.0")},
                                  {3, label("Range", "60.0")},  {4, label("Attck", "60")},
                                  {5, label("Hold", "1.00")},   {6, label("Rel", " 141")},
                                  {7, label("BUS 01", "LC12")}, {8, label("freq", "1k02")}}));
    s.gateThr = s.gateRange = 0.0;
    Shown shown = show(32, 0);
    EXPECT_EQ(shown[2], label("Thresh", "-80.0"));
    EXPECT_EQ(shown[3], label("Range", "3.0"));
    expectBlankFrom(32, {31, 32, 48}, 2);
}

TEST_F(StripTextsStripPages, DynamicsAndItsPushedEncoders)
{
    StripRecord& s = strips[48];
    s.dynThr = s.dynMix = s.dynRelease = s.dynFilterF = 1.0;
    s.dynRatio = 3;
    s.dynMGain = 0.5;
    s.dynFilterType = 8;
    EXPECT_EQ(show(33, 48), (Shown{{1, {3, "Bus 1", "Drums"}}, {2, label("Thresh", "+0.0")},
                                   {3, label("Mix", "100")},   {4, label("Attck", " 0")},
                                   {5, label("Hold", "0.02")}, {6, label("Rel", "4000")},
                                   {7, label("Self", "10.0")}, {8, label("freq", "20k00")}}));
    s.dynThr = 0.0;
    EXPECT_EQ(show(33, 48)[2], label("Thresh", "-60.0"));

    encoderPushed[1] = encoderPushed[2] = 1;
    Shown pushed = show(33, 48);
    EXPECT_EQ(pushed[2], label("Ratio", "2.0"));
    EXPECT_EQ(pushed[3], label("Gain", "12.00"));
    EXPECT_EQ(show(33, 30)[2], label("Ratio", "1.1"));
    expectBlankFrom(33, {31, 40, 47}, 2);
}

}  // namespace
