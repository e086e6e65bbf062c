// Sends on the encoders (pages 29, 30), the send and mono fader pages' top
// rows (8-23, 34), and the send sender itself.
#include "control/processing_pages.h"
#include "control/strip_controls_support.h"

namespace {

using SendsPageTest = SurfaceControlTest;

struct SendEncoderCase {
    const char* name;
    int page, strip, encoder, value;
    int send;  // the send that must change, 0 for none
    double start, expected;
    const char* root;  // of the send's addresses
};

class SendEncoderTest : public SendsPageTest, public ::testing::WithParamInterface<SendEncoderCase> {};

TEST_P(SendEncoderTest, EditsTheSendOfItsPositionAndSendsIt)
{
    const SendEncoderCase& c = GetParam();
    for (int m = 1; m <= 16; ++m) strips[c.strip].sends[m].level = c.start;
    selectStrip(c.strip);
    turn(c.page, c.encoder, c.value);
    for (int m = 1; m <= 16; ++m) {
        EXPECT_NEAR(strips[c.strip].sends[m].level, m == c.send ? c.expected : c.start, 1e-12) << "send " << m;
    }
    Writes expected;
    if (c.send) expected = {{c.root + std::string("/level"), 'f', c.expected}, {c.root + std::string("/on"), 'i', 0}};
    EXPECT_EQ(mixer.drain(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Encoders, SendEncoderTest,
    ::testing::Values(SendEncoderCase{"Page29ChannelBus4", 29, 3, 4, cw(2), 4, 0.5, 0.5127, "/ch/04/mix/04"},
                      SendEncoderCase{"Page30ChannelBus9", 30, 3, 1, ccw(1), 9, 0.5, 0.49365, "/ch/04/mix/09"},
                      SendEncoderCase{"Page30FxReturnBus16", 30, 47, 8, cw(1), 16, 0.2, 0.20635, "/fxrtn/08/mix/16"},
                      SendEncoderCase{"StopsAtTop", 29, 0, 1, cw(5), 1, 0.99, 1.0, "/ch/01/mix/01"},
                      SendEncoderCase{"StopsAtZero", 29, 0, 2, ccw(5), 2, 0.01, 0.0, "/ch/01/mix/02"},
                      SendEncoderCase{"BusMatrix2OnPage30", 30, 49, 2, cw(1), 2, 0.3, 0.30635, "/bus/02/mix/02"},
                      SendEncoderCase{"MainStereoMatrix1", 30, 70, 1, cw(1), 1, 0.3, 0.30635, "/main/st/mix/01"},
                      SendEncoderCase{"MainHasSixMatrixSends", 29, 71, 7, cw(1), 0, 0.3, 0.3, nullptr},
                      SendEncoderCase{"MatrixHasNoSends", 29, 66, 1, cw(1), 0, 0.3, 0.3, nullptr}),
    byName);

TEST_F(SendsPageTest, TopButtonsToggleTheSendOfTheirPosition)
{
    selectStrip(10);
    press(30, 7);
    selectStrip(48);
    press(29, 6);  // a bus has six matrix sends
    selectStrip(64);
    press(29, 0);  // a matrix none
    EXPECT_EQ(strips[10].sends[16].on, 1);
    EXPECT_EQ(mixer.drain(), (Writes{{"/ch/11/mix/16/level", 'f', 0.0}, {"/ch/11/mix/16/on", 'i', 1}}));
}

TEST_F(SendsPageTest, FaderPageTopRowTogglesTheShownStripsSendOrMono)
{
    showStrips({5, B, 50, 63, 40});
    press(8, 0);
    press(23, 4);
    press(8, 1);   // empty strip
    press(8, 2);   // a bus: its fader stays a fader, no bus-to-bus send
    press(34, 3);  // bus 16 has a mono send
    EXPECT_EQ(strips[50].sends[1].on, 0);
    EXPECT_EQ(mixer.drain(), (Writes{{"/ch/06/mix/01/level", 'f', 0.0}, {"/ch/06/mix/01/on", 'i', 1},
                                     {"/fxrtn/01/mix/16/level", 'f', 0.0}, {"/fxrtn/01/mix/16/on", 'i', 1},
                                     {"/bus/16/mix/mlevel", 'f', 0.0}, {"/bus/16/mix/mono", 'i', 1}}));
}

TEST_F(SendsPageTest, SenderServesOnlyTheStripsThatHaveTheSend)
{
    strips[2].monoLevel = 0.25;
    strips[2].mono = 1;
    strips[2].sends[12].level = 0.75;
    sendStripSend(2, 16);
    sendStripSend(2, 11);
    for (int strip : {64, 70, 78, B, -5}) sendStripSend(strip, strip == 70 ? 16 : 0);  // matrix, mains' mono, DCA
    sendStripSend(2, 17);
    sendStripSend(2, -1);
    EXPECT_EQ(mixer.drain(), (Writes{{"/ch/03/mix/mlevel", 'f', 0.25}, {"/ch/03/mix/mono", 'i', 1},
                                     {"/ch/03/mix/12/level", 'f', 0.75}, {"/ch/03/mix/12/on", 'i', 0}}));
}

} // namespace
