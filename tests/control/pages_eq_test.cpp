// EQ page: which field each encoder and button edits, by strip family, and the
// whole page that goes to the console after each change.
#include "control/processing_pages.h"
#include "control/strip_controls_support.h"

namespace {

using EqPageTest = SurfaceControlTest;

struct BandCase {
    const char* name;
    int strip, encoder, layer;
    bool pushed;
    int value;
    double start, expected;  // of the field edited (type as a whole number)
    const char* address;     // the field's address in the resent page
};

class EqBandTest : public EqPageTest, public ::testing::WithParamInterface<BandCase> {};

TEST_P(EqBandTest, EditsTheBandFieldOfItsLayerWithinItsLimits)
{
    const BandCase& c = GetParam();
    eqEncoderLayer = c.layer;
    encoderPushed[c.encoder - 1] = c.pushed ? 127 : 0;
    EqBand& b = strips[c.strip].eq[c.strip <= 47 ? c.encoder - 4 : c.encoder - 2];
    bool editsType = c.layer == 1 && c.pushed;
    double EqBand::*field = c.layer == 0 ? (c.pushed ? &EqBand::f : &EqBand::g) : &EqBand::q;
    if (editsType) b.type = static_cast<int>(c.start);
    else b.*field = c.start;
    selectStrip(c.strip);
    turn(1, c.encoder, c.value);
    EXPECT_NEAR(editsType ? b.type : b.*field, c.expected, 1e-12);
    EXPECT_EQ(lastWriteTo(mixer.drain(), c.address), (Write{c.address, editsType ? 'i' : 'f', c.expected}));
}

INSTANTIATE_TEST_SUITE_P(
    Bands, EqBandTest,
    ::testing::Values(BandCase{"GainUp", 0, 5, 0, false, cw(3), 0.5, 0.550001, "/ch/01/eq/1/g"},
                      BandCase{"GainStopsAtTop", 0, 8, 0, false, cw(5), 0.99, 1.0, "/ch/01/eq/4/g"},
                      BandCase{"GainBelowOneStepStays", 0, 6, 0, false, ccw(1), 0.01, 0.01, "/ch/01/eq/2/g"},
                      BandCase{"GainDown", 40, 7, 0, false, ccw(2), 0.5, 0.466666, "/fxrtn/01/eq/3/g"},
                      BandCase{"FreqWhilePushed", 0, 5, 0, true, cw(1), 0.3, 0.305, "/ch/01/eq/1/f"},
                      BandCase{"QOnLayerTwo", 48, 8, 1, false, cw(2), 0.1, 0.1282, "/bus/01/eq/6/q"},
                      BandCase{"QStopsAtZero", 48, 3, 1, false, ccw(4), 0.02, 0.0, "/bus/01/eq/1/q"},
                      BandCase{"TypeByOneWhateverTheTicks", 0, 5, 1, true, cw(10), 2, 3, "/ch/01/eq/1/type"},
                      BandCase{"TypeStopsAtFiveOnBuses", 63, 4, 1, true, cw(1), 5, 5, "/bus/16/eq/2/type"},
                      BandCase{"TypeGoesToThirteenOnMatrices", 64, 4, 1, true, cw(1), 5, 6, "/mtx/01/eq/2/type"},
                      BandCase{"TypeStopsAtThirteenOnMains", 70, 8, 1, true, cw(1), 13, 13, "/main/st/eq/6/type"}),
    byName);

TEST_F(EqPageTest, EncodersOneAndTwoSelectAndSwitchTheLayerSendingOnlyTheSelection)
{
    setBank(0, {0, 1, 2, 3, 4, 5, 6, 7});
    showStrips({0, 1, 2, 3, 4, 5, 6, 7});
    selectStrip(3);
    turn(1, 1, cw(1));
    turn(1, 1, ccw(1));
    for (int value : {cw(1), cw(1)}) turn(1, 2, value);
    EXPECT_EQ(eqEncoderLayer, 1);
    turn(1, 2, ccw(3));
    EXPECT_EQ(eqEncoderLayer, 0);
    EXPECT_EQ(mixer.drain(), (Writes{{"/-stat/selidx", 'i', 4}, {"/-stat/selidx", 'i', 3}}));
}

TEST_F(EqPageTest, ButtonsToggleEqAndLowCutAndLightTheirLamps)
{
    selectStrip(5);
    press(1, 1);
    EXPECT_TRUE(surfaceGot({0x90, 1, 127}));
    press(1, 2);
    Writes seen = mixer.drain();
    ASSERT_EQ(seen.size(), 38u);
    EXPECT_EQ(seen[0], (Write{"/ch/06/eq/on", 'i', 1}));
    EXPECT_EQ(seen[19 + 17], (Write{"/ch/06/preamp/hpon", 'i', 1}));
    takeSurfaceOutput();
    press(1, 1);
    EXPECT_EQ(strips[5].eqOn, 0);
    EXPECT_TRUE(surfaceGot({0x90, 1, 0}));
}

} // namespace
