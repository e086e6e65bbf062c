// Sends on the encoders (pages 29, 30), the send and mono fader pages' top
// rows (8-23, 34), and the send sender itself.
#include "control/processing_pages.h"
#include "control/pages_test_support.h"

namespace {

using SendsPageTest = SurfaceControlTest;

struct SendEncoderCase {
    const char* name;
    int page;
    int strip;
    int encoder;
    int value;
    int send;          // the send that must change, 0 for none
    double start;
    double expected;
    std::vector<Write> writes;
};

void PrintTo(const SendEncoderCase& c, std::ostream* out) { *out << c.name; }

class SendEncoderTest : public SendsPageTest, public ::testing::WithParamInterface<SendEncoderCase> {};

TEST_P(SendEncoderTest, EditsTheSendOfItsPositionAndSendsIt)
{
    const SendEncoderCase& c = GetParam();
    surfacePage = c.page;
    for (int m = 1; m <= 16; ++m) strips[c.strip].sends[m].level = c.start;
    selectStrip(c.strip);
    turn(c.page, c.encoder, c.value);
    for (int m = 1; m <= 16; ++m) {
        double want = m == c.send ? c.expected : c.start;
        EXPECT_NEAR(strips[c.strip].sends[m].level, want, 1e-12) << "send " << m;
    }
    EXPECT_TRUE(sameWrites(mixer.drain(), c.writes));
}

INSTANTIATE_TEST_SUITE_P(
    Encoders, SendEncoderTest,
    ::testing::Values(
        SendEncoderCase{"Page29ChannelBus4", 29, 3, 4, cw(2), 4, 0.5, 0.5127,
                        {{"/ch/04/mix/04/level", 'f', 0.5127}, {"/ch/04/mix/04/on", 'i', 0}}},
        SendEncoderCase{"Page30ChannelBus9", 30, 3, 1, ccw(1), 9, 0.5, 0.5 - 0.00635,
                        {{"/ch/04/mix/09/level", 'f', 0.5 - 0.00635}, {"/ch/04/mix/09/on", 'i', 0}}},
        SendEncoderCase{"Page30FxReturnBus16", 30, 47, 8, cw(1), 16, 0.2, 0.2 + 0.00635,
                        {{"/fxrtn/08/mix/16/level", 'f', 0.2 + 0.00635}, {"/fxrtn/08/mix/16/on", 'i', 0}}},
        SendEncoderCase{"StopsAtTop", 29, 0, 1, cw(5), 1, 0.99, 1.0,
                        {{"/ch/01/mix/01/level", 'f', 1.0}, {"/ch/01/mix/01/on", 'i', 0}}},
        SendEncoderCase{"StopsAtZero", 29, 0, 2, ccw(5), 2, 0.01, 0.0,
                        {{"/ch/01/mix/02/level", 'f', 0.0}, {"/ch/01/mix/02/on", 'i', 0}}},
        SendEncoderCase{"BusMatrixSendOnPage29", 29, 49, 6, cw(1), 6, 0.3, 0.3 + 0.00635,
                        {{"/bus/02/mix/06/level", 'f', 0.3 + 0.00635}, {"/bus/02/mix/06/on", 'i', 0}}},
        SendEncoderCase{"BusMatrixSendOnPage30", 30, 49, 2, cw(1), 2, 0.3, 0.3 + 0.00635,
                        {{"/bus/02/mix/02/level", 'f', 0.3 + 0.00635}, {"/bus/02/mix/02/on", 'i', 0}}},
        SendEncoderCase{"MainHasSixMatrixSends", 29, 71, 7, cw(1), 0, 0.3, 0.3, {}},
        SendEncoderCase{"MainStereoMatrix1", 30, 70, 1, cw(1), 1, 0.3, 0.3 + 0.00635,
                        {{"/main/st/mix/01/level", 'f', 0.3 + 0.00635}, {"/main/st/mix/01/on", 'i', 0}}},
        SendEncoderCase{"MatrixHasNoSends", 29, 66, 1, cw(1), 0, 0.3, 0.3, {}},
        SendEncoderCase{"DcaHasNoSends", 29, 73, 1, cw(1), 0, 0.3, 0.3, {}}),
    [](const ::testing::TestParamInfo<SendEncoderCase>& info) { return info.param.name; });

struct SendButtonCase {
    const char* name;
    int page;
    int strip;
    int note;
    int send;    // the send whose "on" toggles, 0 for none
    std::vector<std::string> addresses;
};

void PrintTo(const SendButtonCase& c, std::ostream* out) { *out << c.name; }

class SendButtonTest : public SendsPageTest, public ::testing::WithParamInterface<SendButtonCase> {};

TEST_P(SendButtonTest, TogglesTheSendOfItsPosition)
{
    const SendButtonCase& c = GetParam();
    surfacePage = c.page;
    selectStrip(c.strip);
    press(c.page, c.note);
    for (int m = 1; m <= 16; ++m)
        EXPECT_EQ(strips[c.strip].sends[m].on, m == c.send ? 1 : 0) << "send " << m;
    std::vector<OscSeen> seen = mixer.drain();
    EXPECT_EQ(addressesOf(seen), c.addresses);
    if (seen.size() == 2) {
        EXPECT_EQ(seen[1].i, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, SendButtonTest,
    ::testing::Values(
        SendButtonCase{"Page29Channel", 29, 10, 0, 1, {"/ch/11/mix/01/level", "/ch/11/mix/01/on"}},
        SendButtonCase{"Page30Channel", 30, 10, 7, 16, {"/ch/11/mix/16/level", "/ch/11/mix/16/on"}},
        SendButtonCase{"Page30Bus", 30, 63, 2, 3, {"/bus/16/mix/03/level", "/bus/16/mix/03/on"}},
        SendButtonCase{"Page30MainMono", 30, 71, 5, 6, {"/main/m/mix/06/level", "/main/m/mix/06/on"}},
        SendButtonCase{"BusHasNoSeventhSend", 29, 48, 6, 0, {}},
        SendButtonCase{"MatrixNothing", 29, 64, 0, 0, {}}),
    [](const ::testing::TestParamInfo<SendButtonCase>& info) { return info.param.name; });

TEST_F(SendsPageTest, FaderPageTopRowTogglesTheShownStripsSendOrMono)
{
    showStrips({5, BLANK_STRIP, 50, 63, 40});
    surfacePage = 8;
    press(8, 0);
    EXPECT_EQ(strips[5].sends[1].on, 1);
    press(23, 4);
    EXPECT_EQ(strips[40].sends[16].on, 1);
    press(8, 1);   // empty strip
    press(8, 2);   // a bus: its fader stays a fader, no bus-to-bus send
    EXPECT_EQ(strips[50].sends[1].on, 0);
    press(34, 3);  // bus 16 has a mono send
    EXPECT_EQ(strips[63].mono, 1);
    EXPECT_TRUE(sameWrites(mixer.drain(), {{"/ch/06/mix/01/level", 'f', 0.0},
                                           {"/ch/06/mix/01/on", 'i', 1},
                                           {"/fxrtn/01/mix/16/level", 'f', 0.0},
                                           {"/fxrtn/01/mix/16/on", 'i', 1},
                                           {"/bus/16/mix/mlevel", 'f', 0.0},
                                           {"/bus/16/mix/mono", 'i', 1}}));
}

TEST_F(SendsPageTest, SenderServesOnlyTheStripsThatHaveTheSend)
{
    strips[2].monoLevel = 0.25;
    strips[2].mono = 1;
    strips[2].sends[12].level = 0.75;
    sendStripSend(2, 16);
    sendStripSend(2, 11);
    sendStripSend(64, 0);   // matrix
    sendStripSend(70, 16);  // mains have no mono send
    sendStripSend(78, 0);   // DCA
    sendStripSend(2, 17);
    sendStripSend(2, -1);
    sendStripSend(BLANK_STRIP, 0);
    sendStripSend(-5, 0);
    EXPECT_TRUE(sameWrites(mixer.drain(), {{"/ch/03/mix/mlevel", 'f', 0.25},
                                           {"/ch/03/mix/mono", 'i', 1},
                                           {"/ch/03/mix/12/level", 'f', 0.75},
                                           {"/ch/03/mix/12/on", 'i', 0}}));
}

} // namespace
