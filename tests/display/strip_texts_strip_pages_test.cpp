// Strip displays of the selected strip's equaliser, pre-amp, pan and group,
// gate and dynamics pages.
#include <gtest/gtest.h>

#include "strip_texts_support.h"

namespace {

class StripTextsStripPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        startStripTextsTest();
        nameStrip(0, "Kick", 1);
        nameStrip(32, "Aux", 2);
        nameStrip(48, "Drums", 3);
    }

    std::map<int, ShownDisplay> show(int page, int strip)
    {
        surfacePage = page;
        selectedStrip = strip;
        return refreshFromPrefilled();
    }
};

std::vector<int> positionsOf(const std::vector<std::pair<int, ShownDisplay>>& shown)
{
    std::vector<int> positions;
    for (const auto& entry : shown) positions.push_back(entry.first);
    return positions;
}

TEST_F(StripTextsStripPages, EqualiserOfAnInputChannel)
{
    StripRecord& s = strips[0];
    s.hpf = 0.5;
    s.eq[1] = {2, 0.57, 0.5, 0.0};
    s.eq[2] = {0, 0.0, 1.0, 1.0};
    s.eq[3] = {5, 1.0, 0.0, 0.5};
    s.eq[4] = {7, 0.5, 0.75, 0.0};
    eqEncoderLayer = 0;
    EXPECT_EQ(show(1, 0), (std::map<int, ShownDisplay>{
                              {1, {1, "Ch 1", "Kick"}},
                              {2, {7, "1/2", "EQ"}},
                              {3, label("LCUT", "89")},
                              {4, blankDisplay()},
                              {5, label("1k02", "+0.00")},
                              {6, label("20.0", "+15.00")},
                              {7, label("20k00", "-15.00")},
                              {8, label("632.4", "+7.50")},
                          }));
    eqEncoderLayer = 1;
    auto shown = show(1, 0);
    EXPECT_EQ(shown[2], (ShownDisplay{7, "2/2", "EQ"}));
    EXPECT_EQ(shown[5], label("PEQ", "10"));
    EXPECT_EQ(shown[6], label("LCut", "0.3"));
    EXPECT_EQ(shown[7], label("HCut", "1.6"));
    EXPECT_EQ(shown[8], label("?", "10"));   // a band type without a name
}

TEST_F(StripTextsStripPages, EqualiserLayoutsByFamily)
{
    eqEncoderLayer = 1;
    auto aux = show(1, 32);
    EXPECT_EQ(aux[3], blankDisplay());       // no low cut on an aux input
    EXPECT_EQ(aux[4], blankDisplay());
    EXPECT_EQ(aux[5], label("LCut", "10"));

    strips[48].eq[6] = {13, 0.0, 0.0, 1.0};  // mains and matrices know 14 band types
    strips[48].eq[1] = {4, 0.0, 0.0, 0.0};
    auto bus = show(1, 48);
    EXPECT_EQ(bus[1], (ShownDisplay{3, "Bus 1", "Drums"}));
    EXPECT_EQ(bus[3], label("HShv", "10"));
    EXPECT_EQ(bus[4], label("LCut", "10"));
    EXPECT_EQ(bus[8], label("?", "0.3"));

    auto dca = show(1, 72);
    for (int position = 3; position <= 8; ++position) EXPECT_EQ(dca[position], blankDisplay());

    eqEncoderLayer = 2;   // not a layer: the heading is left alone
    EXPECT_EQ(show(1, 0).count(2), 0u);
}

TEST_F(StripTextsStripPages, PreampOfAnInputChannelInItsOrder)
{
    StripRecord& s = strips[0];
    s.source = 1;
    s.haIndex = 0;
    s.hpf = 0.0;
    s.link = 1;
    s.delayTime = 0.003602 * 10;
    s.insertPos = 0;
    s.insertSel = 3;
    headamps[0].gain = 0.5;
    headamps[0].phantom = 1;
    surfacePage = 28;
    selectedStrip = 0;
    refreshStripDisplays();
    auto messages = takeDisplayMessages();
    EXPECT_EQ(positionsOf(messages), (std::vector<int>{1, 6, 5, 3, 4, 2, 7, 8}));
    std::map<int, ShownDisplay> shown(messages.begin(), messages.end());
    EXPECT_EQ(shown, (std::map<int, ShownDisplay>{
                         {1, {1, "Ch 1", "Kick"}},
                         {2, label("In01", "24.0")},
                         {3, label("Phantom", "On")},
                         {4, label("Polarit", "Off")},
                         {5, label("Link", "On")},
                         {6, label("LCUT", "20")},
                         {7, label("Delay", "18.3")},
                         {8, label("Insert", "* FX2L")},
                     }));
}

TEST_F(StripTextsStripPages, PreampGainSources)
{
    StripRecord& s = strips[0];
    s.source = 9;              // block 1, from local inputs 9-16
    routingBlocks[0][1] = 1;
    s.haIndex = -1;
    s.trim = 0.75;
    s.invert = 1;
    s.insertPos = 1;
    auto noHeadAmp = show(28, 0);
    EXPECT_EQ(noHeadAmp[2], label("In09", "+9.00"));
    EXPECT_EQ(noHeadAmp[3], blankDisplay());
    EXPECT_EQ(noHeadAmp[4], label("Polarit", "On"));
    EXPECT_EQ(noHeadAmp[8], label("Insert", "  OFF"));

    // A head-amp number from the console, but the block is routed to the
    // card: no head amp to read.
    s.haIndex = 8;
    routingBlocks[0][1] = 16;
    headamps[8].phantom = 1;
    auto card = show(28, 0);
    EXPECT_EQ(card[2], label("C01", "-"));
    EXPECT_EQ(card[3], label("Phantom", "Off"));
}

TEST_F(StripTextsStripPages, PreampOfAnAuxInput)
{
    StripRecord& s = strips[32];
    s.source = 34;
    s.haIndex = 1;
    routingBlocks[0][4] = 1;   // aux inputs from local inputs 1-2
    headamps[1].gain = 0.25;
    auto shown = show(28, 32);
    EXPECT_EQ(shown[2], label("In02", "6.0"));
    EXPECT_EQ(shown[3], label("Phantom", "Off"));
    EXPECT_EQ(shown[4], label("Polarit", "Off"));
    EXPECT_EQ(shown[6], blankDisplay());
    EXPECT_EQ(shown[7], blankDisplay());
    EXPECT_EQ(shown[8], blankDisplay());
}

TEST_F(StripTextsStripPages, PreampOfReturnsAndBuses)
{
    for (int strip : {40, 48, 70}) {
        auto shown = show(28, strip);
        for (int position : {2, 3, 4, 6, 7}) EXPECT_EQ(shown[position], blankDisplay()) << strip;
        EXPECT_EQ(shown[5], label("Link", "Off")) << strip;
        if (strip == 40) {
            EXPECT_EQ(shown[8], blankDisplay());
        } else {
            EXPECT_EQ(shown[8], label("Insert", "* OFF")) << strip;
        }
    }
}

TEST_F(StripTextsStripPages, PanAndGroups)
{
    struct PanCase {
        double pan;
        const char* text;
    };
    const PanCase cases[] = {{0.5, "<>"},     {0.25, "< 50 "}, {0.75, " 50 >"}, {0.0, "< 100"},
                             {1.0, "100 >"},  {0.4975, "< 1  "}, {0.505, "  1 >"}};
    for (const PanCase& c : cases) {
        strips[0].pan = c.pan;
        EXPECT_EQ(show(31, 0)[2], label("Pan", c.text)) << c.pan;
    }
    StripRecord& s = strips[0];
    s.monoLevel = 0.75;
    s.automixGroup = 1;
    s.automixWeight = 0.5;
    chosenDcaGroup = 2;
    chosenMuteGroup = 5;
    auto shown = show(31, 0);
    EXPECT_EQ(shown[3], label("M/C", " +0.0"));
    EXPECT_EQ(shown[4], blankDisplay());
    EXPECT_EQ(shown[5], label("Automix", "X +0.0"));
    EXPECT_EQ(shown[6], blankDisplay());
    EXPECT_EQ(shown[7], label("Dca grp", "3"));
    EXPECT_EQ(shown[8], label("Mutegrp", "6"));

    s.automixGroup = 2;
    s.automixWeight = 1.0;
    EXPECT_EQ(show(31, 0)[5], label("Automix", "Y +12.0"));
    s.automixGroup = 0;
    s.automixWeight = 0.0;
    EXPECT_EQ(show(31, 0)[5], label("Automix", "  -12.0"));
    EXPECT_EQ(show(31, 8)[5], blankDisplay());   // automix covers channels 1-8
}

TEST_F(StripTextsStripPages, Gate)
{
    StripRecord& s = strips[0];
    s.gateThr = 1.0;
    s.gateRange = 1.0;
    s.gateAttack = 0.5;
    s.gateHold = 0.34;
    s.gateRelease = 0.5;
    s.gateKeySrc = 49;
    s.gateFilterType = 1;
    s.gateFilterF = 0.57;
    auto shown = show(32, 0);
    EXPECT_EQ(shown, (std::map<int, ShownDisplay>{
                         {1, {1, "Ch 1", "Kick"}},
                         {2, label("Thresh", "+0.0")},
                         {3, label("Range", "60.0")},
                         {4, label("Attck", "60")},
                         {5, label("Hold", "1.00")},
                         {6, label("Rel", " 141")},
                         {7, label("BUS 01", "LC12")},
                         {8, label("freq", "1k02")},
                     }));
    s.gateThr = 0.0;
    s.gateRange = 0.0;
    s.gateKeySrc = 99;
    s.gateFilterType = 9;
    shown = show(32, 0);
    EXPECT_EQ(shown[2], label("Thresh", "-80.0"));
    EXPECT_EQ(shown[3], label("Range", "3.0"));
    EXPECT_EQ(shown[7], label("?", "?"));

    for (int strip : {31, 32, 48}) {
        shown = show(32, strip);
        for (int position = 2; position <= 8; ++position) {
            EXPECT_EQ(shown[position], blankDisplay()) << strip << " " << position;
        }
    }
}

TEST_F(StripTextsStripPages, Dynamics)
{
    StripRecord& s = strips[48];
    s.dynThr = 1.0;
    s.dynMix = 1.0;
    s.dynAttack = 0.0;
    s.dynHold = 0.0;
    s.dynRelease = 1.0;
    s.dynRatio = 3;
    s.dynMGain = 0.5;
    s.dynKeySrc = 0;
    s.dynFilterType = 8;
    s.dynFilterF = 1.0;
    EXPECT_EQ(show(33, 48), (std::map<int, ShownDisplay>{
                                {1, {3, "Bus 1", "Drums"}},
                                {2, label("Thresh", "+0.0")},
                                {3, label("Mix", "100")},
                                {4, label("Attck", " 0")},
                                {5, label("Hold", "0.02")},
                                {6, label("Rel", "4000")},
                                {7, label("Self", "10.0")},
                                {8, label("freq", "20k00")},
                            }));
    s.dynThr = 0.0;
    EXPECT_EQ(show(33, 48)[2], label("Thresh", "-60.0"));

    encoderPushed[1] = 1;
    encoderPushed[2] = 1;
    auto pushed = show(33, 48);
    EXPECT_EQ(pushed[2], label("Ratio", "2.0"));
    EXPECT_EQ(pushed[3], label("Gain", "12.00"));
    s.dynRatio = 12;
    EXPECT_EQ(show(33, 48)[2], label("Ratio", "?"));

    for (int strip : {31, 40, 47}) {
        auto shown = show(33, strip);
        for (int position = 2; position <= 8; ++position) {
            EXPECT_EQ(shown[position], blankDisplay()) << strip << " " << position;
        }
    }
    EXPECT_EQ(show(33, 30)[2], label("Ratio", "1.1"));
}

}  // namespace
