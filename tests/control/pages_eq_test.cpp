// EQ page: which field each encoder and button edits, by strip family, and the
// whole page that goes to the console after each change.
#include "control/processing_pages.h"
#include "control/pages_test_support.h"

namespace {

class EqPageTest : public SurfaceControlTest {
protected:
    void SetUp() override
    {
        SurfaceControlTest::SetUp();
        surfacePage = 1;
    }
};

// The page as the console must receive it, from the strip's current values.
std::vector<Write> eqPage(const std::string& root, int strip)
{
    const StripRecord& r = strips[strip];
    std::vector<Write> w{{root + "/eq/on", 'i', double(r.eqOn)}};
    for (int b = 1; b <= eqBandCountFor(strip); ++b) {
        std::string band = root + "/eq/" + std::to_string(b);
        w.push_back({band + "/f", 'f', r.eq[b].f});
        w.push_back({band + "/g", 'f', r.eq[b].g});
        w.push_back({band + "/q", 'f', r.eq[b].q});
        w.push_back({band + "/type", 'i', double(r.eq[b].type)});
    }
    if (strip <= 31) {
        w.push_back({root + "/preamp/hpon", 'i', double(r.hpOn)});
        w.push_back({root + "/preamp/hpf", 'f', r.hpf});
    }
    return w;
}

TEST_F(EqPageTest, EncoderThreeIsLowCutOnChannelsBandOneOnBusesAndNothingOnAux)
{
    strips[2].hpf = 0.2;
    selectStrip(2);
    turn(1, 3, cw(2));
    EXPECT_DOUBLE_EQ(strips[2].hpf, 0.22);
    std::vector<OscSeen> seen = mixer.drain();
    EXPECT_EQ(seen.size(), 19u);
    EXPECT_TRUE(sameWrites(seen, eqPage("/ch/03", 2)));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().address, "/ch/03/preamp/hpf");
    EXPECT_NEAR(seen.back().f, 0.22, 1e-6);

    strips[50].eq[1].g = 0.5;
    selectStrip(50);
    turn(1, 3, cw(1));
    EXPECT_DOUBLE_EQ(strips[50].eq[1].g, 0.5 + 0.016667);
    seen = mixer.drain();
    EXPECT_EQ(seen.size(), 25u);
    EXPECT_TRUE(sameWrites(seen, eqPage("/bus/03", 50)));

    strips[33].hpf = 0.3;
    strips[33].eq[1].g = 0.4;
    selectStrip(33);
    turn(1, 3, cw(1));
    EXPECT_DOUBLE_EQ(strips[33].hpf, 0.3);
    EXPECT_DOUBLE_EQ(strips[33].eq[1].g, 0.4);
    seen = mixer.drain();
    EXPECT_EQ(seen.size(), 17u);  // resent, no low cut on aux inputs
    EXPECT_TRUE(sameWrites(seen, eqPage("/auxin/02", 33)));
}

struct BandCase {
    const char* name;
    int strip;
    int encoder;
    int layer;
    bool pushed;
    int value;
    double start;     // of the field edited (type as a whole number)
    double expected;
    const char* address;  // the field's address in the resent page
};

void PrintTo(const BandCase& c, std::ostream* out) { *out << c.name; }

class EqBandTest : public EqPageTest, public ::testing::WithParamInterface<BandCase> {};

TEST_P(EqBandTest, EditsTheBandFieldOfItsLayerWithinItsLimits)
{
    const BandCase& c = GetParam();
    eqEncoderLayer = c.layer;
    encoderPushed[c.encoder - 1] = c.pushed ? 127 : 0;
    int band = c.strip <= 47 ? c.encoder - 4 : c.encoder - 2;
    EqBand& b = strips[c.strip].eq[band];
    bool editsType = c.layer == 1 && c.pushed;
    double EqBand::*field = c.layer == 0 ? (c.pushed ? &EqBand::f : &EqBand::g) : &EqBand::q;
    if (editsType) b.type = static_cast<int>(c.start);
    else b.*field = c.start;
    selectStrip(c.strip);

    turn(1, c.encoder, c.value);

    double now = editsType ? b.type : b.*field;
    EXPECT_NEAR(now, c.expected, 1e-12);
    bool found = false;
    for (const OscSeen& s : mixer.drain()) {
        if (s.address != c.address) continue;
        found = true;
        if (editsType) EXPECT_EQ(s.i, static_cast<int>(c.expected));
        else EXPECT_NEAR(s.f, c.expected, 1e-6);
    }
    EXPECT_TRUE(found) << c.address;
}

INSTANTIATE_TEST_SUITE_P(
    Bands, EqBandTest,
    ::testing::Values(
        BandCase{"GainUp", 0, 5, 0, false, cw(3), 0.5, 0.5 + 3 * 0.016667, "/ch/01/eq/1/g"},
        BandCase{"GainStopsAtTop", 0, 8, 0, false, cw(5), 0.99, 1.0, "/ch/01/eq/4/g"},
        BandCase{"GainBelowOneStepStays", 0, 6, 0, false, ccw(1), 0.01, 0.01, "/ch/01/eq/2/g"},
        BandCase{"GainDown", 40, 7, 0, false, ccw(2), 0.5, 0.5 - 2 * 0.016667, "/fxrtn/01/eq/3/g"},
        BandCase{"FreqWhilePushed", 0, 5, 0, true, cw(1), 0.3, 0.305, "/ch/01/eq/1/f"},
        BandCase{"FreqBelowOneStepStays", 0, 5, 0, true, ccw(1), 0.004, 0.004, "/ch/01/eq/1/f"},
        BandCase{"QOnLayerTwo", 48, 8, 1, false, cw(2), 0.1, 0.1 + 2 * 0.0141, "/bus/01/eq/6/q"},
        BandCase{"QStopsAtZero", 48, 3, 1, false, ccw(4), 0.02, 0.0, "/bus/01/eq/1/q"},
        BandCase{"TypeByOneWhateverTheTicks", 0, 5, 1, true, cw(10), 2, 3, "/ch/01/eq/1/type"},
        BandCase{"TypeStopsAtFiveOnBuses", 63, 4, 1, true, cw(1), 5, 5, "/bus/16/eq/2/type"},
        BandCase{"TypeGoesToThirteenOnMatrices", 64, 4, 1, true, cw(1), 5, 6, "/mtx/01/eq/2/type"},
        BandCase{"TypeStopsAtThirteenOnMains", 70, 8, 1, true, cw(1), 13, 13, "/main/st/eq/6/type"},
        BandCase{"TypeStopsAtZero", 71, 3, 1, true, ccw(1), 0, 0, "/main/m/eq/1/type"}),
    [](const ::testing::TestParamInfo<BandCase>& info) { return info.param.name; });

TEST_F(EqPageTest, EncoderTwoSwitchesTheLayerAndSendsNothing)
{
    selectStrip(0);
    turn(1, 2, cw(1));
    EXPECT_EQ(eqEncoderLayer, 1);
    turn(1, 2, cw(1));
    EXPECT_EQ(eqEncoderLayer, 1);
    turn(1, 2, ccw(3));
    EXPECT_EQ(eqEncoderLayer, 0);
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(EqPageTest, EncoderOneSelectsTheNextStripAndSendsOnlyTheSelection)
{
    setBank(0, {0, 1, 2, 3, 4, 5, 6, 7});
    showStrips({0, 1, 2, 3, 4, 5, 6, 7});
    selectStrip(3);
    turn(1, 1, cw(1));
    EXPECT_EQ(selectedStrip, 4);
    EXPECT_TRUE(sameWrites(mixer.drain(), {{"/-stat/selidx", 'i', 4}}));
    turn(1, 1, ccw(1));
    EXPECT_EQ(selectedStrip, 3);
}

TEST_F(EqPageTest, ButtonsToggleEqAndLowCutAndLightTheirLamps)
{
    selectStrip(5);
    press(1, 1);
    EXPECT_EQ(strips[5].eqOn, 1);
    std::vector<OscSeen> seen = mixer.drain();
    ASSERT_EQ(seen.size(), 19u);
    EXPECT_EQ(seen[0].address, "/ch/06/eq/on");
    EXPECT_EQ(seen[0].i, 1);
    bool lamp = false;
    for (const auto& m : takeSurfaceOutput()) lamp = lamp || m == std::vector<uint8_t>{0x90, 1, 127};
    EXPECT_TRUE(lamp);

    press(1, 2);
    EXPECT_EQ(strips[5].hpOn, 1);
    seen = mixer.drain();
    ASSERT_EQ(seen.size(), 19u);
    EXPECT_EQ(seen[17].address, "/ch/06/preamp/hpon");
    EXPECT_EQ(seen[17].i, 1);

    press(1, 1);
    EXPECT_EQ(strips[5].eqOn, 0);
    mixer.drain();
    lamp = false;
    for (const auto& m : takeSurfaceOutput()) lamp = lamp || m == std::vector<uint8_t>{0x90, 1, 0};
    EXPECT_TRUE(lamp);
}

TEST_F(EqPageTest, StripsWithoutTheControlChangeAndSendNothing)
{
    selectStrip(40);            // effects return: no low cut
    press(1, 2);
    EXPECT_EQ(strips[40].hpOn, 0);
    selectStrip(75);            // DCA: no EQ at all
    press(1, 1);
    turn(1, 6, cw(1));
    EXPECT_EQ(strips[75].eqOn, 0);
    EXPECT_DOUBLE_EQ(strips[75].eq[2].g, 0.0);
    selectStrip(200);           // a selection index outside the table
    turn(1, 5, cw(1));
    press(1, 1);
    EXPECT_TRUE(mixer.drain().empty());
}

TEST_F(EqPageTest, ConsoleValuesOutsideTheRangeAreSentClamped)
{
    strips[48].eq[3].g = 1.7;   // as a console echo could leave it
    strips[48].eq[2].type = 9;
    selectStrip(48);
    turn(1, 5, ccw(1));
    EXPECT_LE(strips[48].eq[3].g, 1.0);
    for (const OscSeen& s : mixer.drain()) {
        if (s.tags == "f") {
            EXPECT_TRUE(s.f >= 0.0f && s.f <= 1.0f) << s;
        }
        if (s.address == "/bus/01/eq/2/type") {
            EXPECT_EQ(s.i, 5);
        }
    }
}

} // namespace
