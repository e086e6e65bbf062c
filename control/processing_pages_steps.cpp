#include "control/processing_pages_steps.h"

#include "control/strip_controls.h"
#include "mixer/mixer_send.h"

double clampUnit(double value)
{
    if (!(value > 0.0)) return 0.0;  // also catches NaN
    return value > 1.0 ? 1.0 : value;
}

int clampInt(int value, int low, int high)
{
    if (value < low) return low;
    return value > high ? high : value;
}

double stepUnit(double value, int encoderValue, double step)
{
    int ticks = encoderTicks(encoderValue);
    if (isClockwise(encoderValue)) {
        if (value < 1.0) value += ticks * step;
        if (value > 1.0) value = 1.0;
    } else {
        if (value > 0.0) value -= ticks * step;
        if (value < 0.0) value = 0.0;
    }
    return clampUnit(value);
}

double stepBand(double value, int encoderValue, double step)
{
    double amount = encoderTicks(encoderValue) * step;
    if (isClockwise(encoderValue)) {
        if (value < 1.0) value += amount;
        if (value > 1.0) value = 1.0;
    } else if (value >= amount) {
        value -= amount;
    }
    return clampUnit(value);
}

int stepByOne(int value, int encoderValue, int low, int high)
{
    // Widened so that a console value at the edge of int cannot overflow.
    long long next = static_cast<long long>(value) + (isClockwise(encoderValue) ? 1 : -1);
    if (next < low) return low;
    return next > high ? high : static_cast<int>(next);
}

int stepByTicks(int value, int encoderValue, int low, int high)
{
    long long ticks = encoderTicks(encoderValue);
    long long next = static_cast<long long>(value) + (isClockwise(encoderValue) ? ticks : -ticks);
    if (next < low) return low;
    return next > high ? high : static_cast<int>(next);
}

namespace {
bool stripSuffixAddress(int strip, const char* suffix, char* address)
{
    return formatStripPath(address, OSC_BUFFER_SIZE, strip, suffix) >= 0;
}
} // namespace

bool sendStripFloat(int strip, const char* suffix, double value)
{
    char address[OSC_BUFFER_SIZE];
    if (!stripSuffixAddress(strip, suffix, address)) return false;
    return sendFloatTo(address, value);
}

bool sendStripInt(int strip, const char* suffix, int value, int low, int high)
{
    char address[OSC_BUFFER_SIZE];
    if (!stripSuffixAddress(strip, suffix, address)) return false;
    return sendIntTo(address, value, low, high);
}

bool sendFloatTo(const char* address, double value)
{
    return sendToMixer(address, "f", clampUnit(value));
}

bool sendIntTo(const char* address, int value, int low, int high)
{
    return sendToMixer(address, "i", static_cast<int>(clampInt(value, low, high)));
}

bool editFloatAt(const char* address, Relaxed<double>& field, double next)
{
    // Kept as the console will hold it, a single-precision float: a sum of
    // steps a rounding error off 0.5 would show a pan the console has not.
    next = static_cast<float>(clampUnit(next));
    if (next == field.load()) return false;
    field = next;
    sendFloatTo(address, next);
    return true;
}

bool editIntAt(const char* address, Relaxed<int>& field, int next, int low, int high)
{
    next = clampInt(next, low, high);
    if (next == field.load()) return false;
    field = next;
    sendIntTo(address, next, low, high);
    return true;
}

bool editStripFloat(int strip, const char* suffix, Relaxed<double>& field, double next)
{
    char address[OSC_BUFFER_SIZE];
    return stripSuffixAddress(strip, suffix, address) && editFloatAt(address, field, next);
}

bool editStripInt(int strip, const char* suffix, Relaxed<int>& field, int next, int low, int high)
{
    char address[OSC_BUFFER_SIZE];
    return stripSuffixAddress(strip, suffix, address) && editIntAt(address, field, next, low, high);
}
