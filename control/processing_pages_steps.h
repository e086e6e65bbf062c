// Stepping rules shared by the channel-processing pages and the effects
// editor, and the strip-addressed sends they make. The rules are pure; the
// senders go through sendToMixer. Run on the surface receive thread.
#pragma once

#include "model/relaxed.h"

// Relative encoder values: 0..64 turn clockwise by v ticks, 65..127
// anticlockwise by v - 64 ticks.
inline bool isClockwise(int value) { return value < 65; }
inline int encoderTicks(int value) { return value < 65 ? value : value - 64; }

// Into 0..1; a NaN becomes 0.
double clampUnit(double value);
int clampInt(int value, int low, int high);

// Normalised parameter, step d per tick: moves towards an end only while it is
// not there yet, then stops at the end.
double stepUnit(double value, int encoderValue, double step);
// EQ band gain and frequency: clockwise as stepUnit; anticlockwise only when
// the whole step fits above 0, otherwise the value stays.
double stepBand(double value, int encoderValue, double step);
// One per message whatever the tick count (v 0 counts as clockwise).
int stepByOne(int value, int encoderValue, int low, int high);
// By the tick count.
int stepByTicks(int value, int encoderValue, int low, int high);
// Toggle of an on/off field: 1 for 0, 0 for anything else.
inline int toggledFlag(int flag) { return flag == 0 ? 1 : 0; }

// Strip address root + suffix (strips with audio) sent with one argument. Floats are clamped to 0..1 and
// integers to low..high before they leave; false when nothing was sent.
bool sendStripFloat(int strip, const char* suffix, double value);
bool sendStripInt(int strip, const char* suffix, int value, int low, int high);
// A formatted address (no strip prefix) with one clamped argument.
bool sendFloatTo(const char* address, double value);
bool sendIntTo(const char* address, int value, int low, int high);

// One edit of one console field: the new value (clamped as above) is stored
// and written, one message, only when it differs from what the field holds.
// A field the action leaves alone is never written, and an edit that changes
// nothing (an encoder at the end of its range) writes nothing. True when the
// value changed.
bool editStripFloat(int strip, const char* suffix, Relaxed<double>& field, double next);
bool editStripInt(int strip, const char* suffix, Relaxed<int>& field, int next, int low, int high);
bool editFloatAt(const char* address, Relaxed<double>& field, double next);
bool editIntAt(const char* address, Relaxed<int>& field, int next, int low, int high);
