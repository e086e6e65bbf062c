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

// The band's field on this encoder: Q or type on the second layer,
// frequency (pushed) or gain on the first. One write, only when it moved.
void editBand(int strip, int b, int encoder, int value)
{
    EqBand& band = strips[strip].eq[b];
    bool pushed = encoderPushed[encoder - 1] != 0;
    char suffix[32];
    if (eqEncoderLayer == 1 && pushed) {
        formatText(suffix, sizeof suffix, "/eq/%d/type", b);
        int highest = highestEqBandType(strip);
        editStripInt(strip, suffix, band.type, stepByOne(band.type, value, 0, highest), 0, highest);
        return;
    }
    Relaxed<double>& field = eqEncoderLayer == 1 ? band.q : pushed ? band.f : band.g;
    double next = eqEncoderLayer == 1 ? stepUnit(band.q, value, EQ_Q_STEP)
                  : pushed           ? stepBand(band.f, value, EQ_FREQ_STEP)
                                     : stepBand(band.g, value, EQ_GAIN_STEP);
    formatText(suffix, sizeof suffix, "/eq/%d/%s", b, eqEncoderLayer == 1 ? "q" : pushed ? "f" : "g");
    editStripFloat(strip, suffix, field, next);
}
} // namespace

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
    // An encoder that shows nothing there edits and writes nothing.
    if (encoder == 3 && hasLowCutAndDelay(s)) editStripFloat(s, "/preamp/hpf", r.hpf, stepUnit(r.hpf, value, EQ_LOW_CUT_STEP));
    else if (band > 0) editBand(s, band, encoder, value);
}

SurfaceChange eqTopButton(int note)
{
    int s = selectedStrip;
    if (!isAudioStrip(s)) return NOTHING_CHANGED;
    StripRecord& r = strips[s];
    if (note == 1) {
        if (editStripInt(s, "/eq/on", r.eqOn, toggledFlag(r.eqOn), 0, 1)) queueLamp(1, r.eqOn == 1 ? 127 : 0);
    } else if (note == 2 && hasLowCutAndDelay(s)) {
        if (editStripInt(s, "/preamp/hpon", r.hpOn, toggledFlag(r.hpOn), 0, 1)) queueLamp(2, r.hpOn == 1 ? 127 : 0);
    }
    return NOTHING_CHANGED;
}

void resetProcessingPages()
{
    eqEncoderLayer = 0;
}
