// Value formatters for the strip displays: fixed value-to-text tables, strip
// labels, the head amp that feeds a strip and the effects parameter texts.
// They keep no state, read the model without a lock and run on whichever
// thread refreshes the surface. Returned texts are read-only and live for the
// whole process.
#pragma once

// Table texts for a normalised value 0..1 (narrowed to single precision for
// the look-up); a value below or above the table gets its first or last text.
const char* levelText(double v);    // fader level in dB, "-oo" .. "+10.0"
const char* holdText(double v);     // 0.02 .. 2000 ms
const char* releaseText(double v);  // 5 .. 4000 ms
const char* qText(double v);        // 10 .. 0.3
const char* lowCutText(double v);   // 20 .. 400 Hz
const char* freqText(double v);     // 20 Hz .. 20 kHz

constexpr int STRIP_LABEL_SIZE = 10;

// Short label of a strip ("Ch 1", "Aux 3", "Fx rt 2", "Bus 16", "Mtrix 6",
// "LR", "M/C", "DCA 8"); empty for BLANK_STRIP or any other number.
void stripLabel(char* buffer, int capacity, int strip);

// Head amp 0..127 that feeds the strip through the console's routing, or -1.
int headAmpIndexOf(int strip);
// The head amp the pre-amp page shows and edits: the routed one, and only
// while the console reports one for the strip (haIndex not -1); else -1.
int preampHeadamp(int strip);

// Index (from 0) of the parameter of effects unit 0..7 shown at a parameter
// page and encoder position 1..6, or -1.
int findFxParameter(int unit, int page, int position);

// The highest value the encoders step an effects parameter to: 1 for the
// continuous kinds, the last index of an "enum". False when the description
// gives no usable kind, step or range: such a parameter is not edited.
struct FxParamDescription;
bool fxParameterBound(const FxParamDescription& param, double& bound);

// The shown value of parameter index (from 0) of effects unit 0..7; "-**-"
// when the unit, type or parameter is unknown.
void formatFxValue(char* buffer, int capacity, int unit, int parameter);
