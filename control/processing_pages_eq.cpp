// EQ page (page 1) of the selected strip.
#include "control/processing_pages.h"

#include "control/processing_pages_steps.h"
#include "control/strip_controls.h"
#include "model/console_model.h"
#include "platform/console_output.h"
#include "surface/output_queue.h"

namespace {
constexpr double EQ_GAIN_STEP = 0.016667;
constexpr double EQ_FREQ_STEP = 0.005;
constexpr double EQ_Q_STEP = 0.0141;
constexpr double EQ_LOW_CUT_STEP = 0.01;

void editBand(int strip, EqBand& band, int encoder, int value)
{
    bool pushed = encoderPushed[encoder - 1] != 0;
    if (eqEncoderLayer == 1) {
        if (pushed) band.type = stepByOne(band.type, value, 0, highestEqBandType(strip));
        else band.q = stepUnit(band.q, value, EQ_Q_STEP);
    } else {
        if (pushed) band.f = stepBand(band.f, value, EQ_FREQ_STEP);
        else band.g = stepBand(band.g, value, EQ_GAIN_STEP);
    }
}

void sendBand(int strip, int b)
{
    const EqBand& band = strips[strip].eq[b];
    char suffix[32];
    formatText(suffix, sizeof suffix, "/eq/%d/f", b);
    sendStripFloat(strip, suffix, band.f);
    formatText(suffix, sizeof suffix, "/eq/%d/g", b);
    sendStripFloat(strip, suffix, band.g);
    formatText(suffix, sizeof suffix, "/eq/%d/q", b);
    sendStripFloat(strip, suffix, band.q);
    formatText(suffix, sizeof suffix, "/eq/%d/type", b);
    sendStripInt(strip, suffix, band.type, 0, highestEqBandType(strip));
}
} // namespace

void sendEqPage(int strip)
{
    if (!isAudioStrip(strip)) return;
    const StripRecord& r = strips[strip];
    sendStripInt(strip, "/eq/on", r.eqOn, 0, 1);
    int bands = eqBandCountFor(strip);
    for (int b = 1; b <= bands; ++b) sendBand(strip, b);
    if (hasLowCutAndDelay(strip)) {
        sendStripInt(strip, "/preamp/hpon", r.hpOn, 0, 1);
        sendStripFloat(strip, "/preamp/hpf", r.hpf);
    }
}

void eqEncoder(int controller, int value)
{
    int encoder = controller - 15;
    if (encoder == 1) {
        selectAdjacentStrip(isClockwise(value) ? 1 : -1);
        return;
    }
    if (encoder == 2) {
        eqEncoderLayer = isClockwise(value) ? 1 : 0;
        return;
    }
    int s = selectedStrip;
    if (encoder < 3 || encoder > 8 || !isValidStrip(s)) return;
    StripRecord& r = strips[s];
    int band = eqBandOnEncoder(s, encoder);
    if (encoder == 3 && hasLowCutAndDelay(s)) r.hpf = stepUnit(r.hpf, value, EQ_LOW_CUT_STEP);
    else if (band > 0) editBand(s, r.eq[band], encoder, value);
    else return;  // shows nothing there, so edits and sends nothing
    sendEqPage(s);
}

SurfaceChange eqTopButton(int note)
{
    int s = selectedStrip;
    if (!isAudioStrip(s)) return NOTHING_CHANGED;
    StripRecord& r = strips[s];
    if (note == 1) {
        r.eqOn = toggledFlag(r.eqOn);
        sendEqPage(s);
        queueLamp(1, r.eqOn == 1 ? 127 : 0);
    } else if (note == 2 && hasLowCutAndDelay(s)) {
        r.hpOn = toggledFlag(r.hpOn);
        sendEqPage(s);
        queueLamp(2, r.hpOn == 1 ? 127 : 0);
    }
    return NOTHING_CHANGED;
}

void resetProcessingPages()
{
    eqEncoderLayer = 0;
}
